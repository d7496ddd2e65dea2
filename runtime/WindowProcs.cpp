#include "runtime/WindowProcs.h"

#include "runtime/Win32Runtime.h"

namespace orv {

namespace {

const char kRuntimeProp[] = "Orv_Runtime";
const char kUnitProp[] = "Orv_Unit";
const char kProcProp[] = "Orv_Proc";

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* runtime = static_cast<Win32Runtime*>(GetPropA(hwnd, kRuntimeProp));
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kProcProp));
    if (!previous) return DefWindowProcA(hwnd, msg, wp, lp);
    if (!runtime || msg == WM_NCDESTROY) {
        RemovePropA(hwnd, kRuntimeProp);
        RemovePropA(hwnd, kUnitProp);
        RemovePropA(hwnd, kProcProp);
        return CallWindowProcA(previous, hwnd, msg, wp, lp);
    }
    int unit = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(hwnd, kUnitProp)));
    return runtime->OnControlMessage(unit, hwnd, msg, wp, lp, previous);
}

}  // namespace

Win32Runtime* Win32Runtime::FromWindow(HWND hwnd)
{
    return static_cast<Win32Runtime*>(GetPropA(hwnd, kRuntimeProp));
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetPropA(hwnd, kRuntimeProp, cs->lpCreateParams);
    }
    Win32Runtime* runtime = Win32Runtime::FromWindow(hwnd);
    if (msg == WM_NCDESTROY) RemovePropA(hwnd, kRuntimeProp);
    if (!runtime) return DefWindowProcA(hwnd, msg, wp, lp);
    return runtime->OnWindowMessage(hwnd, msg, wp, lp);
}

void InstallControlProc(Win32Runtime* runtime, int unit, HWND hwnd)
{
    SetPropA(hwnd, kRuntimeProp, runtime);
    SetPropA(hwnd, kUnitProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(unit)));
    LONG_PTR previous = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc));
    SetPropA(hwnd, kProcProp, reinterpret_cast<HANDLE>(previous));
}

}  // namespace orv
