// Glow text: text drawn as a path over a soft halo of the glow colour. The
// halo is the text drawn small and stretched back up with bicubic
// interpolation, which blurs it; the message-box caption uses it.
#pragma once

#include "gdiplus/GpCore.h"

namespace orv {

namespace gp {
class Graphics;
}

struct GlowTextStyle {
    COLORREF textColour = 0x00000000;
    COLORREF glowColour = 0x00FFFFFF;
    int glowSize = 4;                  // the halo is drawn at 1 / glowSize of the size
    const char* fontName = "黑体";      // 宋体 stands in where this face is missing
    float fontSize = 11;               // points, drawn at their 96-DPI size in pixels
    INT fontStyle = 0;                 // Gdiplus::FontStyle bits
    Gdiplus::StringAlignment align = Gdiplus::StringAlignmentNear;
    Gdiplus::StringAlignment lineAlign = Gdiplus::StringAlignmentCenter;
};

// Draws text (GBK) with its glow into rect of target. False when nothing
// could be drawn (empty rectangle, no such font family).
bool DrawGlowText(gp::Graphics& target, const char* text, const gp::RectF& rect, const GlowTextStyle& style);

}  // namespace orv
