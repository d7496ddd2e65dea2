// Text with a soft halo: the text is drawn in the halo colour, blurred by
// scaling it down by the halo scale and back up, and the text itself is
// drawn on top. Used by the label skin and the frame's caption.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include "gdiplus/GpCore.h"

namespace orv {

namespace gp {
class Graphics;
}

struct HaloTextOptions {
    const char* fontFace = "宋体";
    int fontStyle = 0;      // Gdiplus::FontStyle bits
    float fontSize = 12;    // pixels
    Gdiplus::StringAlignment horizontal = Gdiplus::StringAlignmentNear;
    Gdiplus::StringAlignment vertical = Gdiplus::StringAlignmentNear;
};

// Draws text (GBK) into layout on target. haloScale s (at least 1) sets the
// blur: the halo passes through a bitmap of W / s × H / s pixels. Returns
// false when nothing could be drawn.
bool DrawHaloText(gp::Graphics& target, const char* text, const gp::RectF& layout, COLORREF textColour,
                  COLORREF haloColour, int haloScale, const HaloTextOptions& options = HaloTextOptions());

// The size of the small bitmap the most recent halo was blurred through, so
// that tests can see the blur scale at work (0 × 0 before the first call).
SIZE LastHaloBlurSize();

}  // namespace orv
