// The program's message boxes for the user.
#pragma once

#include <windows.h>

namespace orv {

// MessageBoxExA(owner, text, caption, style) with the answer mapped to the
// button identifier minus one (IDOK 0, IDCANCEL 1, IDYES 5, IDNO 6).
int ShowMessageBox(HWND owner, const char* text, UINT style, const char* caption);

}  // namespace orv
