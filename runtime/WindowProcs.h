// Window procedures through which the runtime sees its window's and controls'
// messages.
#pragma once

#include <windows.h>

namespace orv {

class Win32Runtime;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Where the main window class keeps the runtime: its window extra bytes.
constexpr int kMainWindowRuntimeSlot = 0;
constexpr int kMainWindowExtraBytes = sizeof(LONG_PTR);

// Puts the runtime's procedure in front of a control's own; returns the
// control's previous procedure, which the runtime keeps.
WNDPROC InstallControlProc(Win32Runtime* runtime, HWND hwnd);

}  // namespace orv
