// The few SHELL32 functions the program calls, found when one is first
// called rather than when the process starts. Nothing in the first frame
// needs the shell (the tray icon is added after it), and loading SHELL32 cost
// 1.7-3.6 ms of the start-up under Wine; a drop, a link, the tray icon or
// files on the command line bring it in when they come. The library stays
// loaded until the process ends.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace orv::shell {

// Each returns what its SHELL32 namesake returns, or its failure value
// (FALSE, 0, nullptr) when the library or the function cannot be found.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data);
HINSTANCE Execute(HWND owner, const char* verb, const char* file, int show);
UINT DragQueryFileW(HDROP drop, UINT index, wchar_t* path, UINT size);
void DragFinish(HDROP drop);
wchar_t** CommandLineToArgvW(const wchar_t* line, int* count);

}  // namespace orv::shell
