/* A do-nothing Windows program that keeps Wine's helper processes attached to
   itself while the test runner starts and ends many short programs. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)instance; (void)prev; (void)cmd; (void)show;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
