// Entry of the table of edits: the two common fields, then the edit skin's
// own state, seven 32-bit fields, and the half of a double-byte character
// that is waiting for the other.
#pragma once

#include "skin/entries/ControlEntry.h"

namespace orv {

struct EditEntry : ControlEntry {
    int focused = 0;       // 1 between WM_SETFOCUS and WM_KILLFOCUS
    int reserved1 = 0;
    int leftButton = 0;    // 1 between WM_LBUTTONDOWN and WM_LBUTTONUP
    int reserved2 = 0;
    int reserved3 = 0;
    int leadByte = 0;      // first byte of a double-byte character whose second is still to come
};

}  // namespace orv
