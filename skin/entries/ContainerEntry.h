// Entry of the container table (tab controls and group boxes skinned by
// SkinControl). The background capture reads the fill fields.
#pragma once

#include <string>

#include "skin/entries/ControlEntry.h"

namespace orv {

struct ContainerEntry : ControlEntry {
    // Wash painted by the background capture over everything drawn on or
    // inside the container; 0 means no wash.
    COLORREF fillColour = 0;
    BYTE fillAlpha = 255;
    int frameFlag = 0;      // 1: the double rounded frame around a panel
    int reserved1 = 0;
    int resized = 0;        // set by WM_SIZE, cleared by the next full repaint
    int groupBox = 0;       // class "Button" with style bit 0x4
    int reserved2 = 0;
    int kind = 1;           // 0: the control paints itself; otherwise the skin does
    std::string fontName;   // the container's own font
    int fontSize = 12;      // pixels
    int fontStyle = 0;      // Gdiplus::FontStyle bits
};

}  // namespace orv
