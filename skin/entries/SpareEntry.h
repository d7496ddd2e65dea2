// Entry of the table of the table that no installer fills. The fields after the two common ones belong
// to this kind's skin and are added there.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct SpareEntry : ControlEntry {
};

}  // namespace orv
