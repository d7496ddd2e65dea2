// Small drawing steps shared by the common-control painters.
#pragma once

#include <windows.h>

#include "gdiplus/Gp.h"

namespace orv {

// A rounded rectangle filled with a two-colour gradient running from top to
// bottom (vertical) or from left to right.
void FillRoundGradient(gp::Graphics& g, float x, float y, float width, float height, float corner, gp::ARGB from,
                       gp::ARGB to, bool vertical = true);

// The finished image of a painter copied to the whole window of control.
void BlitToWindow(HWND control, HDC image, int width, int height);

}  // namespace orv
