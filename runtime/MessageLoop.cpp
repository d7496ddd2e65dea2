#include "runtime/MessageLoop.h"

#include <windows.h>

namespace orv {

int RunMessageLoop(MessageFilter filter)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (filter.Takes(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void DelayWithMessages(int milliseconds, MessageFilter filter)
{
    if (milliseconds <= 0) return;
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(milliseconds)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (filter.Takes(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace orv
