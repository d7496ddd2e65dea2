// Small drawing steps shared by the control painters of the button, container
// and label skins.
#pragma once

#include <windows.h>

#include "gdiplus/GpCore.h"

namespace orv {

namespace gp {
class Graphics;
}

// The client rectangle of a control in its window coordinates (what the
// background capture expects).
RECT ClientRectInWindow(HWND control);

// A rounded rectangle filled with a vertical three-stop gradient (top,
// middle, bottom).
bool FillRoundRectThreeStop(gp::Graphics& graphics, float x, float y, float width, float height, float corner,
                            gp::ARGB top, gp::ARGB middle, gp::ARGB bottom);

// A rectangle whose two upper corners are rounded, filled top to bottom.
bool FillTopRoundRectGradient(gp::Graphics& graphics, float x, float y, float width, float height, float corner,
                              gp::ARGB top, gp::ARGB bottom);

// Copies source to target, leaving out the rectangles of the visible child
// windows of window (target is in window's client coordinates).
void BlitExcludingChildren(HWND window, HDC target, int width, int height, HDC source);

// The same, also leaving out the visible sibling windows that overlap
// window: a panel or group box lies beneath the controls placed over it,
// whatever their order among the siblings.
void BlitUnderChildrenAndSiblings(HWND window, HDC target, int width, int height, HDC source);

}  // namespace orv
