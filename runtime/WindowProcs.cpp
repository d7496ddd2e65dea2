#include "runtime/WindowProcs.h"

#include "runtime/Win32Runtime.h"

namespace orv {

namespace {

// The main window keeps its runtime in its extra bytes (set once at
// WM_NCCREATE). Controls keep it in GWLP_USERDATA and find their unit by
// control id: both are read without a trip to the window server, which
// matters for the list boxes, whose every item message passes through here.

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* runtime = reinterpret_cast<Win32Runtime*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const int unit = GetDlgCtrlID(hwnd) - kControlIdBase;
    WNDPROC previous = runtime ? runtime->PreviousProc(unit) : nullptr;
    if (!previous) return DefWindowProcA(hwnd, msg, wp, lp);
    return runtime->OnControlMessage(unit, hwnd, msg, wp, lp, previous);
}

}  // namespace

// The main window class keeps the runtime in its window's extra bytes: a
// window property would cost a Wine server round trip on every message.
Win32Runtime* Win32Runtime::FromWindow(HWND hwnd)
{
    return reinterpret_cast<Win32Runtime*>(GetWindowLongPtrA(hwnd, kMainWindowRuntimeSlot));
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, kMainWindowRuntimeSlot, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    Win32Runtime* runtime = Win32Runtime::FromWindow(hwnd);
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, kMainWindowRuntimeSlot, 0);
    if (!runtime) return DefWindowProcA(hwnd, msg, wp, lp);
    return runtime->OnWindowMessage(hwnd, msg, wp, lp);
}

WNDPROC InstallControlProc(Win32Runtime* runtime, HWND hwnd)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(runtime));
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
}

}  // namespace orv
