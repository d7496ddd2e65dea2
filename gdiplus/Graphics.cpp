#include "gdiplus/Graphics.h"

#include "gdiplus/Brushes.h"
#include "gdiplus/Fonts.h"
#include "gdiplus/GbkText.h"
#include "gdiplus/GraphicsPath.h"
#include "gdiplus/Images.h"
#include "gdiplus/Pen.h"
#include "gdiplus/Region.h"
#include "gdiplus/StringFormat.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

namespace {
Gdiplus::GpStringFormat* NativeFormat(const StringFormat* format) { return format ? format->Native() : nullptr; }
}  // namespace

bool Graphics::CreateFromHDC(HDC dc, HANDLE device)
{
    return Adopt([&](Gdiplus::GpGraphics** g) {
        return device ? Flat::GdipCreateFromHDC2(dc, device, g) : Flat::GdipCreateFromHDC(dc, g);
    });
}

bool Graphics::CreateFromHWND(HWND window)
{
    return Adopt([&](Gdiplus::GpGraphics** g) { return Flat::GdipCreateFromHWND(window, g); });
}

bool Graphics::CreateFromImage(const Image& image)
{
    return Adopt([&](Gdiplus::GpGraphics** g) { return Flat::GdipGetImageGraphicsContext(image.Native(), g); });
}

bool Graphics::Flush(Gdiplus::FlushIntention intention) { return Track(Flat::GdipFlush(Native(), intention)); }

bool Graphics::GetCompositingMode(Gdiplus::CompositingMode* mode) const
{
    return Track(Flat::GdipGetCompositingMode(Native(), mode));
}

bool Graphics::SetCompositingMode(Gdiplus::CompositingMode mode)
{
    return Track(Flat::GdipSetCompositingMode(Native(), mode));
}

bool Graphics::GetCompositingQuality(Gdiplus::CompositingQuality* quality) const
{
    return Track(Flat::GdipGetCompositingQuality(Native(), quality));
}

bool Graphics::SetCompositingQuality(Gdiplus::CompositingQuality quality)
{
    return Track(Flat::GdipSetCompositingQuality(Native(), quality));
}

bool Graphics::GetInterpolationMode(Gdiplus::InterpolationMode* mode) const
{
    return Track(Flat::GdipGetInterpolationMode(Native(), mode));
}

bool Graphics::SetInterpolationMode(Gdiplus::InterpolationMode mode)
{
    return Track(Flat::GdipSetInterpolationMode(Native(), mode));
}

bool Graphics::GetSmoothingMode(Gdiplus::SmoothingMode* mode) const
{
    return Track(Flat::GdipGetSmoothingMode(Native(), mode));
}

bool Graphics::SetSmoothingMode(Gdiplus::SmoothingMode mode) { return Track(Flat::GdipSetSmoothingMode(Native(), mode)); }

bool Graphics::GetPixelOffsetMode(Gdiplus::PixelOffsetMode* mode) const
{
    return Track(Flat::GdipGetPixelOffsetMode(Native(), mode));
}

bool Graphics::SetPixelOffsetMode(Gdiplus::PixelOffsetMode mode)
{
    return Track(Flat::GdipSetPixelOffsetMode(Native(), mode));
}

bool Graphics::GetTextRenderingHint(Gdiplus::TextRenderingHint* hint) const
{
    return Track(Flat::GdipGetTextRenderingHint(Native(), hint));
}

bool Graphics::SetTextRenderingHint(Gdiplus::TextRenderingHint hint)
{
    return Track(Flat::GdipSetTextRenderingHint(Native(), hint));
}

bool Graphics::TranslateTransform(float dx, float dy)
{
    return Track(Flat::GdipTranslateWorldTransform(Native(), dx, dy, Gdiplus::MatrixOrderPrepend));
}

bool Graphics::ResetTransform() { return Track(Flat::GdipResetWorldTransform(Native())); }

bool Graphics::Clear(ARGB colour) { return Track(Flat::GdipGraphicsClear(Native(), colour)); }

bool Graphics::DrawLine(const Pen& pen, float x1, float y1, float x2, float y2)
{
    return Track(Flat::GdipDrawLine(Native(), pen.Native(), x1, y1, x2, y2));
}

bool Graphics::DrawLine(const Pen& pen, int x1, int y1, int x2, int y2)
{
    return Track(Flat::GdipDrawLineI(Native(), pen.Native(), x1, y1, x2, y2));
}

bool Graphics::DrawRectangle(const Pen& pen, float x, float y, float width, float height)
{
    return Track(Flat::GdipDrawRectangle(Native(), pen.Native(), x, y, width, height));
}

bool Graphics::DrawRectangle(const Pen& pen, int x, int y, int width, int height)
{
    return Track(Flat::GdipDrawRectangleI(Native(), pen.Native(), x, y, width, height));
}

bool Graphics::DrawEllipse(const Pen& pen, float x, float y, float width, float height)
{
    return Track(Flat::GdipDrawEllipse(Native(), pen.Native(), x, y, width, height));
}

bool Graphics::DrawPath(const Pen& pen, const GraphicsPath& path)
{
    return Track(Flat::GdipDrawPath(Native(), pen.Native(), path.Native()));
}

bool Graphics::FillRectangle(const Brush& brush, float x, float y, float width, float height)
{
    return Track(Flat::GdipFillRectangle(Native(), brush.Native(), x, y, width, height));
}

bool Graphics::FillRectangle(const Brush& brush, const RectF& rect)
{
    return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

bool Graphics::FillRectangle(const Brush& brush, int x, int y, int width, int height)
{
    return Track(Flat::GdipFillRectangleI(Native(), brush.Native(), x, y, width, height));
}

bool Graphics::FillEllipse(const Brush& brush, float x, float y, float width, float height)
{
    return Track(Flat::GdipFillEllipse(Native(), brush.Native(), x, y, width, height));
}

bool Graphics::FillPath(const Brush& brush, const GraphicsPath& path)
{
    return Track(Flat::GdipFillPath(Native(), brush.Native(), path.Native()));
}

bool Graphics::FillRegion(const Brush& brush, const Region& region)
{
    return Track(Flat::GdipFillRegion(Native(), brush.Native(), region.Native()));
}

bool Graphics::DrawString(const char* text, const Font& font, const RectF& layout, const StringFormat* format,
                          const Brush& brush)
{
    const std::wstring wide = WideFromGbk(text);
    return Track(Flat::GdipDrawString(Native(), wide.c_str(), static_cast<INT>(wide.size()), font.Native(), &layout,
                                      NativeFormat(format), brush.Native()));
}

bool Graphics::DrawString(const char* text, const Font& font, PointF origin, const StringFormat* format,
                          const Brush& brush)
{
    // A rectangle of no size means "from this point, no wrapping".
    return DrawString(text, font, RectF(origin.X, origin.Y, 0.0f, 0.0f), format, brush);
}

bool Graphics::MeasureString(const char* text, const Font& font, const RectF& layout, const StringFormat* format,
                             RectF* bounds, INT* charactersFitted, INT* linesFilled) const
{
    const std::wstring wide = WideFromGbk(text);
    INT fitted = 0;
    INT lines = 0;
    if (!Track(Flat::GdipMeasureString(Native(), wide.c_str(), static_cast<INT>(wide.size()), font.Native(), &layout,
                                       NativeFormat(format), bounds, &fitted, &lines)))
        return false;
    if (charactersFitted) *charactersFitted = fitted;
    if (linesFilled) *linesFilled = lines;
    return true;
}

bool Graphics::DrawImage(const Image& image, float x, float y)
{
    return Track(Flat::GdipDrawImage(Native(), image.Native(), x, y));
}

bool Graphics::DrawImage(const Image& image, int x, int y)
{
    return Track(Flat::GdipDrawImageI(Native(), image.Native(), x, y));
}

bool Graphics::DrawImage(const Image& image, float x, float y, float width, float height)
{
    return Track(Flat::GdipDrawImageRect(Native(), image.Native(), x, y, width, height));
}

bool Graphics::DrawImageRectRect(const Image& image, const RectF& destination, const RectF& source,
                                 Gdiplus::Unit sourceUnit)
{
    return Track(Flat::GdipDrawImageRectRect(Native(), image.Native(), destination.X, destination.Y,
                                             destination.Width, destination.Height, source.X, source.Y, source.Width,
                                             source.Height, sourceUnit, nullptr, nullptr, nullptr));
}

bool Graphics::SetClip(const GraphicsPath& path, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipSetClipPath(Native(), path.Native(), mode));
}

bool Graphics::SetClip(const RectF& rect, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipSetClipRect(Native(), rect.X, rect.Y, rect.Width, rect.Height, mode));
}

bool Graphics::SetClip(const Region& region, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipSetClipRegion(Native(), region.Native(), mode));
}

bool Graphics::ResetClip() { return Track(Flat::GdipResetClip(Native())); }
bool Graphics::GetClipBounds(RectF* bounds) const { return Track(Flat::GdipGetClipBounds(Native(), bounds)); }

bool Graphics::IsClipEmpty(bool* empty) const
{
    BOOL result = FALSE;
    if (!Track(Flat::GdipIsClipEmpty(Native(), &result))) return false;
    *empty = result != FALSE;
    return true;
}

}  // namespace orv::gp
