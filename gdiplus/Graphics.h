// A drawing surface: a device context or an image. Coordinates are pixels
// (the page unit stays at its default).
#pragma once

#include "gdiplus/GpCore.h"

namespace orv::gp {

class Brush;
class Font;
class GraphicsPath;
class Image;
class Pen;
class Region;
class StringFormat;

struct GraphicsTraits {
    static GpStatus Delete(Gdiplus::GpGraphics* g) { return Gdiplus::DllExports::GdipDeleteGraphics(g); }
};

class Graphics : public NativeObject<Gdiplus::GpGraphics*, GraphicsTraits> {
public:
    Graphics() = default;
    // With a device handle GdipCreateFromHDC2 is used, else GdipCreateFromHDC.
    bool CreateFromHDC(HDC dc, HANDLE device = nullptr);
    bool CreateFromHWND(HWND window);
    bool CreateFromImage(const Image& image);
    bool Flush(Gdiplus::FlushIntention intention = Gdiplus::FlushIntentionFlush);

    bool GetCompositingMode(Gdiplus::CompositingMode* mode) const;
    bool SetCompositingMode(Gdiplus::CompositingMode mode);
    bool GetCompositingQuality(Gdiplus::CompositingQuality* quality) const;
    bool SetCompositingQuality(Gdiplus::CompositingQuality quality);
    bool GetInterpolationMode(Gdiplus::InterpolationMode* mode) const;
    bool SetInterpolationMode(Gdiplus::InterpolationMode mode);
    bool GetSmoothingMode(Gdiplus::SmoothingMode* mode) const;
    bool SetSmoothingMode(Gdiplus::SmoothingMode mode);
    bool GetPixelOffsetMode(Gdiplus::PixelOffsetMode* mode) const;
    bool SetPixelOffsetMode(Gdiplus::PixelOffsetMode mode);
    bool GetTextRenderingHint(Gdiplus::TextRenderingHint* hint) const;
    bool SetTextRenderingHint(Gdiplus::TextRenderingHint hint);
    bool TranslateTransform(float dx, float dy);
    bool ResetTransform();

    bool Clear(ARGB colour);

    bool DrawLine(const Pen& pen, float x1, float y1, float x2, float y2);
    bool DrawLine(const Pen& pen, int x1, int y1, int x2, int y2);
    bool DrawRectangle(const Pen& pen, float x, float y, float width, float height);
    bool DrawRectangle(const Pen& pen, int x, int y, int width, int height);
    bool DrawEllipse(const Pen& pen, float x, float y, float width, float height);
    bool DrawPath(const Pen& pen, const GraphicsPath& path);

    bool FillRectangle(const Brush& brush, float x, float y, float width, float height);
    bool FillRectangle(const Brush& brush, const RectF& rect);
    bool FillRectangle(const Brush& brush, int x, int y, int width, int height);
    bool FillEllipse(const Brush& brush, float x, float y, float width, float height);
    bool FillPath(const Brush& brush, const GraphicsPath& path);
    bool FillRegion(const Brush& brush, const Region& region);

    // text is GBK. A null format means GDI+'s default layout.
    bool DrawString(const char* text, const Font& font, const RectF& layout, const StringFormat* format,
                    const Brush& brush);
    // The text drawn at a point, without wrapping.
    bool DrawString(const char* text, const Font& font, PointF origin, const StringFormat* format,
                    const Brush& brush);
    // The box the text needs inside layout (use a large layout to get the
    // natural size); characters and lines fitted are optional outputs.
    bool MeasureString(const char* text, const Font& font, const RectF& layout, const StringFormat* format,
                       RectF* bounds, INT* charactersFitted = nullptr, INT* linesFilled = nullptr) const;

    // The image at (x, y) at its own size as GDI+ sees it: a picture whose
    // stored resolution differs from the graphics' is scaled. Use the
    // rectangle form for exact pixel sizes.
    bool DrawImage(const Image& image, float x, float y);
    bool DrawImage(const Image& image, int x, int y);
    // The whole image scaled into a rectangle.
    bool DrawImage(const Image& image, float x, float y, float width, float height);
    // Part of the image (source, in pixels) into a rectangle.
    bool DrawImageRectRect(const Image& image, const RectF& destination, const RectF& source,
                           Gdiplus::Unit sourceUnit = Gdiplus::UnitPixel);

    bool SetClip(const GraphicsPath& path, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool SetClip(const RectF& rect, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool SetClip(const Region& region, Gdiplus::CombineMode mode = Gdiplus::CombineModeReplace);
    bool ResetClip();
    bool GetClipBounds(RectF* bounds) const;
    bool IsClipEmpty(bool* empty) const;
};

}  // namespace orv::gp
