// Deterministic message pumping for window tests.
#pragma once

#include <windows.h>

namespace orv::test {

// Dispatches everything queued for this thread, without waiting.
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;  // a test's window posted it; keep going
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Pumps until cond() holds or timeoutMs passes; returns cond().
template <typename Cond>
bool PumpUntil(Cond cond, DWORD timeoutMs = 5000)
{
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs) return cond();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

}  // namespace orv::test
