#include "skin/HaloText.h"

#include <algorithm>

#include "gdiplus/Gp.h"

namespace orv {

namespace {

SIZE gLastBlurSize{0, 0};

// Numeric quality settings: the enumerators of gdiplus.h differ between SDKs,
// the values do not.
constexpr auto kSmoothingAntiAlias = static_cast<Gdiplus::SmoothingMode>(4);
constexpr auto kQualityGammaCorrected = static_cast<Gdiplus::CompositingQuality>(3);
constexpr auto kQualityHigh = static_cast<Gdiplus::CompositingQuality>(2);
constexpr auto kInterpolationBicubic = static_cast<Gdiplus::InterpolationMode>(7);
constexpr auto kPixelOffsetNone = static_cast<Gdiplus::PixelOffsetMode>(3);
constexpr Gdiplus::PixelFormat kArgb = 0x26200A;

bool MakeFormat(gp::StringFormat& format, const HaloTextOptions& options)
{
    return format.Create() && format.SetAlign(options.horizontal) && format.SetLineAlign(options.vertical);
}

}  // namespace

SIZE LastHaloBlurSize() { return gLastBlurSize; }

bool DrawHaloText(gp::Graphics& target, const char* text, const gp::RectF& layout, COLORREF textColour,
                  COLORREF haloColour, int haloScale, const HaloTextOptions& options)
{
    if (!text) return false;
    const int s = std::max(haloScale, 1);
    const int width = std::max(static_cast<int>(layout.Width), 1);
    const int height = std::max(static_cast<int>(layout.Height), 1);
    const float half = static_cast<float>(s / 2);
    const float w = static_cast<float>(width), h = static_cast<float>(height);

    gp::Font font;
    gp::StringFormat format;
    if (!font.Create(options.fontFace ? options.fontFace : "宋体", options.fontSize, options.fontStyle,
                     Gdiplus::UnitPixel) &&
        !font.Create("宋体", options.fontSize, options.fontStyle, Gdiplus::UnitPixel))
        return false;
    if (!MakeFormat(format, options)) return false;

    // A: the text in the halo colour, a little down and right.
    gp::Bitmap a;
    if (!a.Create(width, height, kArgb)) return false;
    {
        gp::Graphics g;
        if (!g.CreateFromImage(a)) return false;
        g.SetSmoothingMode(kSmoothingAntiAlias);
        g.SetCompositingQuality(kQualityGammaCorrected);
        g.SetInterpolationMode(kInterpolationBicubic);
        g.SetPixelOffsetMode(kPixelOffsetNone);
        gp::SolidBrush halo(gp::Argb(haloColour));
        g.DrawString(text, font, gp::RectF(half, half, w + half, h + half), &format, halo);
    }

    // B: A scaled down by the halo scale; the loss of detail is the blur.
    const int smallWidth = std::max(width / s, 1), smallHeight = std::max(height / s, 1);
    gp::Bitmap b;
    if (!b.Create(smallWidth, smallHeight, kArgb)) return false;
    {
        gp::Graphics g;
        if (!g.CreateFromImage(b)) return false;
        g.SetInterpolationMode(kInterpolationBicubic);
        g.SetCompositingQuality(kQualityHigh);
        g.DrawImage(a, 0.0f, 0.0f, static_cast<float>(smallWidth), static_cast<float>(smallHeight));
    }
    gLastBlurSize = SIZE{smallWidth, smallHeight};

    // C: B back at full size, with the text four times more, faint and
    // shifted one pixel each way, so the halo hugs the glyphs.
    gp::Bitmap c;
    if (!c.Create(width, height, kArgb)) return false;
    {
        gp::Graphics g;
        if (!g.CreateFromImage(c)) return false;
        g.SetCompositingQuality(kQualityGammaCorrected);
        g.SetInterpolationMode(kInterpolationBicubic);
        g.SetSmoothingMode(kSmoothingAntiAlias);
        g.DrawImage(b, 0.0f, 0.0f, w, h);
        gp::SolidBrush faint(gp::Argb(haloColour, 60));
        const float y = 0.7f * static_cast<float>(s);
        const gp::PointF offsets[4] = {{half - 1, y}, {half + 1, y}, {half, y - 1}, {half, y + 1}};
        for (const gp::PointF& o : offsets) g.DrawString(text, font, gp::RectF(o.X, o.Y, w, h), &format, faint);
    }

    target.SetSmoothingMode(kSmoothingAntiAlias);
    target.DrawImage(c, layout.X - half, layout.Y - 0.6f * static_cast<float>(s), w, h);
    gp::SolidBrush face(gp::Argb(textColour));
    return target.DrawString(text, font, gp::RectF(layout.X, layout.Y, w, h), &format, face);
}

}  // namespace orv
