// Entry of the table of list-family controls (ListBox, the ComboLBox of a
// combo box, list view, tree view, IP address, date-time picker).
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct ListEntry : ControlEntry {
    int focused = 0;   // 1 between WM_SETFOCUS and WM_KILLFOCUS
    int hovered = 0;   // 1 between WM_MOUSEMOVE and WM_MOUSELEAVE
    int arrowKey = 0;  // 1 while an arrow key is held down
    unsigned ncPaints = 0;  // WM_NCPAINTs handled: tells a paint its frame is already fresh
};

}  // namespace orv
