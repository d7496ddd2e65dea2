// The font a control draws its text in, read once when the control is
// registered and kept in its entry as face, size (pixels) and style.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

namespace gp {
class Font;
}

struct CapturedFont {
    std::string face;  // empty when no GDI+ font could be made
    int size = 0;      // pixels (em height)
    int style = 0;     // Gdiplus::FontStyle bits
};

// The control's WM_GETFONT font as GDI+ sees it. Without a font of its own,
// useDcFont falls back to the font currently selected into the control's DC
// (the containers and labels do, the buttons do not).
CapturedFont CaptureControlFont(HWND control, bool useDcFont);

// The skin's fixed font sizes are given in points but drawn in pixels: the
// size a point font has at 96 DPI. The areas they are drawn in are fixed in
// pixels, so a font in points would grow with the DPI (by a quarter at
// 125 %) and be clipped; in pixels nothing changes at 100 %.
constexpr float PixelsForPoints(float points) { return points * 96.0f / 72.0f; }

// A GDI+ font for drawing: face at size pixels, falling back to "宋体" when
// the face cannot be made (so text still appears).
bool MakeDrawingFont(gp::Font& font, const std::string& face, int size, int style);

}  // namespace orv
