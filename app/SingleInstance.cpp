#include "app/SingleInstance.h"

#include "runtime/Win32Runtime.h"

namespace orv {

namespace {

const char kMutexName[] = "Local\\Orvane.SingleInstance";

}  // namespace

SingleInstance::SingleInstance()
{
    mutex_ = CreateMutexA(nullptr, FALSE, kMutexName);
    first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

SingleInstance::~SingleInstance()
{
    if (mutex_) CloseHandle(mutex_);
}

bool SingleInstance::ShowRunningCopy()
{
    // The running copy may still be creating its window.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HWND window = FindWindowA(kMainWindowClassName, nullptr);
        if (window) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            // Let the running copy take the foreground.
            AllowSetForegroundWindow(pid);
            PostMessageA(window, RegisterWindowMessageA(kShowRunningCopyMessage), 0, 0);
            return true;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace orv
