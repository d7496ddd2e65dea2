// Entry of the table of static labels (the label skin run by the message-box
// skin).
#pragma once

#include <string>

#include "skin/entries/ControlEntry.h"

namespace orv {

enum LabelKind { kLabelText = 1, kLabelBitmap = 2, kLabelIcon = 3 };
enum LabelPlacement { kPlaceTopLeft = 0, kPlaceRight = 1, kPlaceCentre = 2, kPlaceStretch = 3 };

struct LabelEntry : ControlEntry {
    int reserved1 = 0;
    int reserved2 = 0;
    int kind = kLabelText;
    int placement = kPlaceTopLeft;  // images only
    std::string fontName;
    int fontSize = 12;              // pixels
    int fontStyle = 0;              // Gdiplus::FontStyle bits
};

}  // namespace orv
