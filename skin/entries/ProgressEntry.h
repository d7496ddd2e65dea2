// Entry of the table of progress bars.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct ProgressEntry : ControlEntry {
    int vertical = 0;  // PBS_VERTICAL
};

}  // namespace orv
