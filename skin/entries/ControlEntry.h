// The two fields every control-table entry begins with. Each kind's entry
// derives from this and adds its own fields in its own header.
#pragma once

#include <windows.h>

namespace orv {

struct ControlEntry {
    HWND hwnd = nullptr;              // 0 = free entry
    WNDPROC previousProc = nullptr;   // also kept in the control's Hw_hProc
};

}  // namespace orv
