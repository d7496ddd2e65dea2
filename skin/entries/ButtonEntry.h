// Entry of the table of buttons: the two common fields, then what the button
// skin keeps per button (kind, pictures, caption, focus, check state,
// tooltip, font).
#pragma once

#include <string>

#include "skin/entries/ControlEntry.h"
#include "util/ToolTipWindow.h"

namespace orv {

// Kinds of button the painters know.
enum ButtonKind { kButtonPlain = 0, kButtonImage = 1, kButtonIcon = 3, kButtonCheck = 4, kButtonRadio = 5 };

struct ButtonEntry : ControlEntry {
    int kind = kButtonPlain;
    std::string picture;          // image-button picture, or the icon button's normal picture
    std::string hoverPicture;     // icon button; empty = none
    std::string pressedPicture;   // icon button
    std::string furtherPicture;   // icon button; kept, not drawn
    std::string disabledPicture;  // icon button
    int option = 0;               // the optional integer of SkinImageButton
    std::string caption;          // the window text, kept current on WM_SETTEXT
    int focused = 0;              // 1 between WM_SETFOCUS and WM_KILLFOCUS
    int focusCueHidden = 0;       // the keyboard cues as WM_UPDATEUISTATE last said: 1 hides the focus
    int checkState = 0;           // check/radio kinds: BM_GETCHECK at registration and each paint
    int checkReserved1 = 0;
    int checkReserved2 = 0;
    ToolTipWindow tooltip;        // given a tool only by SkinImageButton with a tooltip text
    std::string fontName = "宋体";
    int fontSize = 12;            // pixels
    int fontStyle = 0;            // Gdiplus::FontStyle bits
};

}  // namespace orv
