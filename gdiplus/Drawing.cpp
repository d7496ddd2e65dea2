#include "gdiplus/Drawing.h"

#include "gdiplus/Brushes.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/GraphicsPath.h"
#include "gdiplus/Images.h"
#include "gdiplus/Pen.h"
#include "gdiplus/PictureCache.h"

#include <algorithm>

namespace orv::gp {

bool AddRoundRect(GraphicsPath& path, float x, float y, float width, float height, float corner)
{
    const float c = std::clamp(corner, 1.0f, 100.0f);
    return path.AddArc(x + width - c, y, c, c, 270.0f, 90.0f) &&
           path.AddArc(x + width - c - 1.0f, y + height - c - 1.0f, c + 1.0f, c + 1.0f, 0.0f, 90.0f) &&
           path.AddArc(x, y + height - c, c, c, 90.0f, 90.0f) && path.AddArc(x, y, c, c, 180.0f, 90.0f) &&
           path.CloseFigure();
}

namespace {

bool RoundRectPath(GraphicsPath& path, float x, float y, float width, float height, float corner)
{
    return path.Create() && AddRoundRect(path, x, y, width, height, corner);
}

}  // namespace

bool FillRoundRect(Graphics& graphics, float x, float y, float width, float height, float corner, ARGB colour)
{
    GraphicsPath path;
    SolidBrush brush;
    return RoundRectPath(path, x, y, width, height, corner) && brush.Create(colour) && graphics.FillPath(brush, path);
}

bool FillRoundRectGradient(Graphics& graphics, float x, float y, float width, float height, float corner, ARGB top,
                           ARGB bottom)
{
    GraphicsPath path;
    LinearGradientBrush brush;
    return RoundRectPath(path, x, y, width, height, corner) &&
           brush.CreateFromRect(RectF(x, y, width, height), top, bottom, Gdiplus::LinearGradientModeVertical) &&
           graphics.FillPath(brush, path);
}

bool StrokeRoundRect(Graphics& graphics, float x, float y, float width, float height, float corner, ARGB colour,
                     float penWidth)
{
    GraphicsPath path;
    Pen pen;
    return RoundRectPath(path, x, y, width, height, corner) && pen.Create(colour, penWidth) &&
           graphics.DrawPath(pen, path);
}

bool FillRectGradient(Graphics& graphics, float x, float y, float width, float height, ARGB top, ARGB bottom)
{
    LinearGradientBrush brush;
    return brush.CreateFromRect(RectF(x, y, width, height), top, bottom, Gdiplus::LinearGradientModeVertical) &&
           graphics.FillRectangle(brush, x, y, width, height);
}

bool DrawPicture(Graphics& graphics, const void* bytes, size_t size, float x, float y)
{
    const Image* image = CachedPicture(bytes, size);
    return image && graphics.DrawImage(*image, x, y);
}

bool DrawPicture(Graphics& graphics, const void* bytes, size_t size, float x, float y, float width, float height)
{
    const Image* image = CachedPicture(bytes, size);
    return image && graphics.DrawImage(*image, x, y, width, height);
}

bool PictureSize(const void* bytes, size_t size, UINT* width, UINT* height)
{
    *width = 0;
    *height = 0;
    const Image* image = CachedPicture(bytes, size);
    return image && image->GetSize(width, height);
}

}  // namespace orv::gp
