#include "app/MessageBoxes.h"

#include "skin/MessageBoxSkin.h"

namespace orv {

int ShowMessageBox(HWND owner, const char* text, UINT style, const char* caption)
{
    // The box appears in the skin's look; an empty caption still reaches the
    // system as none, so the default title shows.
    return ShowSkinnedMessageBox(owner, text, style, caption);
}

}  // namespace orv
