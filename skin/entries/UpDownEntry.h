// Entry of the table of up-down controls.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct UpDownEntry : ControlEntry {
    int horizontal = 0;  // UDS_HORZ
    int hotHalf = 0;     // 0 none, 1 top/left, 2 bottom/right
    int pressedHalf = 0; // same values, while the left button is down
};

}  // namespace orv
