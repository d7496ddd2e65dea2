#include "gdiplus/GraphicsPath.h"

#include "gdiplus/Fonts.h"
#include "gdiplus/GbkText.h"
#include "gdiplus/StringFormat.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool GraphicsPath::Create(Gdiplus::FillMode fillMode)
{
    return Adopt([&](Gdiplus::GpPath** p) { return Flat::GdipCreatePath(fillMode, p); });
}

bool GraphicsPath::Clone(GraphicsPath* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpPath* cloned = nullptr;
    if (!Track(Flat::GdipClonePath(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool GraphicsPath::Reset() { return Track(Flat::GdipResetPath(Native())); }

bool GraphicsPath::GetFillMode(Gdiplus::FillMode* fillMode) const
{
    return Track(Flat::GdipGetPathFillMode(Native(), fillMode));
}

bool GraphicsPath::SetFillMode(Gdiplus::FillMode fillMode) { return Track(Flat::GdipSetPathFillMode(Native(), fillMode)); }
bool GraphicsPath::StartFigure() { return Track(Flat::GdipStartPathFigure(Native())); }
bool GraphicsPath::CloseFigure() { return Track(Flat::GdipClosePathFigure(Native())); }

bool GraphicsPath::AddLine(float x1, float y1, float x2, float y2)
{
    return Track(Flat::GdipAddPathLine(Native(), x1, y1, x2, y2));
}

bool GraphicsPath::AddLine(int x1, int y1, int x2, int y2)
{
    return Track(Flat::GdipAddPathLineI(Native(), x1, y1, x2, y2));
}

bool GraphicsPath::AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle)
{
    return Track(Flat::GdipAddPathArc(Native(), x, y, width, height, startAngle, sweepAngle));
}

bool GraphicsPath::AddArc(int x, int y, int width, int height, float startAngle, float sweepAngle)
{
    return Track(Flat::GdipAddPathArcI(Native(), x, y, width, height, startAngle, sweepAngle));
}

bool GraphicsPath::AddRectangle(float x, float y, float width, float height)
{
    return Track(Flat::GdipAddPathRectangle(Native(), x, y, width, height));
}

bool GraphicsPath::AddRectangle(int x, int y, int width, int height)
{
    return Track(Flat::GdipAddPathRectangleI(Native(), x, y, width, height));
}

bool GraphicsPath::AddEllipse(float x, float y, float width, float height)
{
    return Track(Flat::GdipAddPathEllipse(Native(), x, y, width, height));
}

bool GraphicsPath::AddEllipse(int x, int y, int width, int height)
{
    return Track(Flat::GdipAddPathEllipseI(Native(), x, y, width, height));
}

bool GraphicsPath::AddPath(const GraphicsPath& other, bool connect)
{
    return Track(Flat::GdipAddPathPath(Native(), other.Native(), connect ? TRUE : FALSE));
}

bool GraphicsPath::AddString(const char* text, const FontFamily& family, INT style, float emSize,
                             const RectF& layout, const StringFormat* format)
{
    const std::wstring wide = WideFromGbk(text);
    // Wine refuses a null format here (Windows takes it as the default), so
    // the generic default, owned by GDI+, stands in.
    Gdiplus::GpStringFormat* native = format ? format->Native() : nullptr;
    if (!native && !Track(Flat::GdipStringFormatGetGenericDefault(&native))) return false;
    return Track(Flat::GdipAddPathString(Native(), wide.c_str(), static_cast<INT>(wide.size()), family.Native(),
                                         style, emSize, &layout, native));
}

bool GraphicsPath::GetPointCount(INT* count) const { return Track(Flat::GdipGetPointCount(Native(), count)); }

bool GraphicsPath::GetPoints(std::vector<PointF>* points) const
{
    points->clear();
    INT count = 0;
    if (!GetPointCount(&count)) return false;
    if (count == 0) return true;
    points->resize(static_cast<size_t>(count));
    return Track(Flat::GdipGetPathPoints(Native(), points->data(), count));
}

bool GraphicsPath::GetTypes(std::vector<BYTE>* types) const
{
    types->clear();
    INT count = 0;
    if (!GetPointCount(&count)) return false;
    if (count == 0) return true;
    types->resize(static_cast<size_t>(count));
    return Track(Flat::GdipGetPathTypes(Native(), types->data(), count));
}

bool GraphicsPath::GetLastPoint(PointF* point) const { return Track(Flat::GdipGetPathLastPoint(Native(), point)); }

bool GraphicsPath::GetBounds(RectF* bounds) const
{
    return Track(Flat::GdipGetPathWorldBounds(Native(), bounds, nullptr, nullptr));
}

bool GraphicsPath::IsVisible(float x, float y, bool* visible) const
{
    BOOL result = FALSE;
    if (!Track(Flat::GdipIsVisiblePathPoint(Native(), x, y, nullptr, &result))) return false;
    *visible = result != FALSE;
    return true;
}

}  // namespace orv::gp
