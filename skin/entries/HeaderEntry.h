// Entry of the table of header controls: style facts and the font and image
// list captured when the header was registered.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "skin/entries/ControlEntry.h"

namespace orv {

struct HeaderEntry : ControlEntry {
    int buttons = 0;                // HDS_BUTTONS
    HIMAGELIST imageList = nullptr; // HDM_GETIMAGELIST when registered; not the skin's to destroy
    std::string fontName;           // face of the header's font (GBK)
    float fontSize = 12.0f;         // pixels
    int fontStyle = 0;              // Gdiplus::FontStyle bits
    int hotItem = -1;               // item under the pointer, -1 none
    int pressedItem = -1;           // item held down, -1 none
};

}  // namespace orv
