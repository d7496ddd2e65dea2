// Entry of the table of combo boxes: the two common fields, then the focus
// flag and a reserved field.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct ComboEntry : ControlEntry {
    int focused = 0;   // 1 between WM_SETFOCUS and WM_KILLFOCUS
    int reserved = 0;
};

}  // namespace orv
