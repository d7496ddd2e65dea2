/* Keeps Wine's helper processes (services, the desktop process that owns the
   windows and the tray) attached to this long-lived program instead of to the
   first test that would start them: they inherit their starter's output, and
   ctest waits for a test's output to close. It opens one hidden window so the
   desktop process starts now, then writes the file named on its command line
   to say it is ready. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)prev;
    (void)show;
    HWND hidden = CreateWindowExA(0, "STATIC", "orv-keepalive", WS_POPUP, 0, 0, 1, 1, NULL, NULL, instance, NULL);
    if (cmd && *cmd) {
        HANDLE f = CreateFileA(cmd, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    DestroyWindow(hidden);
    return 0;
}
