#include "skin/GlowText.h"

#include <algorithm>

#include "gdiplus/Gp.h"
#include "skin/ControlFont.h"

namespace orv {

namespace {

constexpr const char kFallbackFace[] = "宋体";
constexpr BYTE kOutlineAlpha = 120;
constexpr float kOutlineWidth = 2.0f;
// The fill is repeated so the anti-aliased edges of the glyphs come out as
// dark as their cores over the light halo.
constexpr int kFillPasses = 4;

bool AddTextPath(gp::GraphicsPath& path, const char* text, const gp::FontFamily& family, const GlowTextStyle& style,
                 float emSize, const gp::RectF& layout)
{
    gp::StringFormat format;
    if (!format.Create()) return false;
    format.SetAlign(style.align);
    format.SetLineAlign(style.lineAlign);
    return path.Create() && path.AddString(text, family, style.fontStyle, emSize, layout, &format);
}

void SetHighQuality(gp::Graphics& g)
{
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
}

// The text in the glow colour at 1 / n of the size, outlined and filled.
bool DrawSmallGlow(gp::Bitmap& small, const char* text, const gp::FontFamily& family, const GlowTextStyle& style,
                   int width, int height)
{
    const int n = std::max(1, style.glowSize);
    const int smallWidth = std::max(1, width / n), smallHeight = std::max(1, height / n);
    if (!small.Create(smallWidth, smallHeight)) return false;
    gp::Graphics g;
    if (!g.CreateFromImage(small)) return false;
    SetHighQuality(g);
    gp::GraphicsPath path;
    const gp::RectF layout(0, 0, static_cast<float>(smallWidth), static_cast<float>(smallHeight));
    if (!AddTextPath(path, text, family, style, PixelsForPoints(style.fontSize) / static_cast<float>(n), layout))
        return false;
    gp::Pen outline(gp::Argb(style.glowColour), 1.0f);
    gp::SolidBrush fill(gp::Argb(style.glowColour));
    g.DrawPath(outline, path);
    g.FillPath(fill, path);
    return true;
}

}  // namespace

bool DrawGlowText(gp::Graphics& target, const char* text, const gp::RectF& rect, const GlowTextStyle& style)
{
    const int width = static_cast<int>(rect.Width), height = static_cast<int>(rect.Height);
    if (!text || width <= 0 || height <= 0) return false;
    // 黑体 is missing from a Windows without the Chinese fonts, even with the
    // Chinese locale; the caption would then vanish. 宋体 comes with the
    // locale's fonts.
    gp::FontFamily family;
    if (!family.CreateFromName(style.fontName) && !family.CreateFromName(kFallbackFace)) return false;

    gp::Bitmap small;
    if (!DrawSmallGlow(small, text, family, style, width, height)) return false;

    gp::Bitmap full;
    if (!full.Create(width, height)) return false;
    {
        gp::Graphics g;
        if (!g.CreateFromImage(full)) return false;
        SetHighQuality(g);
        // Stretching the small text back up blurs it into the halo.
        g.DrawImage(small, 0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height));
        gp::GraphicsPath path;
        const gp::RectF layout(0, 0, static_cast<float>(width), static_cast<float>(height));
        if (AddTextPath(path, text, family, style, PixelsForPoints(style.fontSize), layout)) {
            gp::Pen outline(gp::Argb(style.glowColour, kOutlineAlpha), kOutlineWidth);
            gp::SolidBrush fill(gp::Argb(style.textColour));
            g.DrawPath(outline, path);
            for (int i = 0; i < kFillPasses; ++i) g.FillPath(fill, path);
        }
    }
    return target.DrawImage(full, rect.X, rect.Y, static_cast<float>(width), static_cast<float>(height));
}

}  // namespace orv
