#include "app/MessageBoxes.h"

namespace orv {

int ShowMessageBox(HWND owner, const char* text, UINT style, const char* caption)
{
    // An empty caption reaches the system as none, so the default title shows.
    const char* title = (caption && *caption) ? caption : nullptr;
    return MessageBoxExA(owner, text, title, style, 0) - 1;
}

}  // namespace orv
