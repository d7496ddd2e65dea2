#include "gdiplus/Brushes.h"

#include "gdiplus/GraphicsPath.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool Brush::GetType(Gdiplus::BrushType* type) const { return Track(Flat::GdipGetBrushType(Native(), type)); }

bool SolidBrush::Create(ARGB colour)
{
    return Adopt([&](Gdiplus::GpBrush** b) {
        Gdiplus::GpSolidFill* fill = nullptr;
        GpStatus status = Flat::GdipCreateSolidFill(colour, &fill);
        *b = fill;
        return status;
    });
}

bool SolidBrush::GetColor(ARGB* colour) const
{
    return Track(Flat::GdipGetSolidFillColor(static_cast<Gdiplus::GpSolidFill*>(Native()), colour));
}

bool SolidBrush::SetColor(ARGB colour)
{
    return Track(Flat::GdipSetSolidFillColor(static_cast<Gdiplus::GpSolidFill*>(Native()), colour));
}

bool LinearGradientBrush::Create(PointF from, PointF to, ARGB colour1, ARGB colour2, Gdiplus::WrapMode wrap)
{
    return Adopt([&](Gdiplus::GpBrush** b) {
        Gdiplus::GpLineGradient* line = nullptr;
        GpStatus status = Flat::GdipCreateLineBrush(&from, &to, colour1, colour2, wrap, &line);
        *b = line;
        return status;
    });
}

bool LinearGradientBrush::CreateFromRect(const RectF& rect, ARGB colour1, ARGB colour2,
                                         Gdiplus::LinearGradientMode mode, Gdiplus::WrapMode wrap)
{
    return Adopt([&](Gdiplus::GpBrush** b) {
        Gdiplus::GpLineGradient* line = nullptr;
        GpStatus status = Flat::GdipCreateLineBrushFromRect(&rect, colour1, colour2, mode, wrap, &line);
        *b = line;
        return status;
    });
}

bool LinearGradientBrush::GetColors(ARGB* colour1, ARGB* colour2) const
{
    ARGB colours[2] = {};
    if (!Track(Flat::GdipGetLineColors(NativeLine(), colours))) return false;
    *colour1 = colours[0];
    *colour2 = colours[1];
    return true;
}

bool LinearGradientBrush::SetColors(ARGB colour1, ARGB colour2)
{
    return Track(Flat::GdipSetLineColors(NativeLine(), colour1, colour2));
}

bool LinearGradientBrush::GetRect(RectF* rect) const { return Track(Flat::GdipGetLineRect(NativeLine(), rect)); }

bool LinearGradientBrush::SetPresetBlend(const ARGB* colours, const float* positions, int count)
{
    return Track(Flat::GdipSetLinePresetBlend(NativeLine(), colours, positions, count));
}

bool LinearGradientBrush::GetPresetBlend(std::vector<ARGB>* colours, std::vector<float>* positions) const
{
    INT count = 0;
    if (!Track(Flat::GdipGetLinePresetBlendCount(NativeLine(), &count))) return false;
    colours->assign(static_cast<size_t>(count), 0);
    positions->assign(static_cast<size_t>(count), 0.0f);
    if (count == 0) return true;
    return Track(Flat::GdipGetLinePresetBlend(NativeLine(), colours->data(), positions->data(), count));
}

bool LinearGradientBrush::SetLinearBlend(float focus, float scale)
{
    return Track(Flat::GdipSetLineLinearBlend(NativeLine(), focus, scale));
}

bool LinearGradientBrush::GetWrapMode(Gdiplus::WrapMode* wrap) const
{
    return Track(Flat::GdipGetLineWrapMode(NativeLine(), wrap));
}

bool LinearGradientBrush::SetWrapMode(Gdiplus::WrapMode wrap)
{
    return Track(Flat::GdipSetLineWrapMode(NativeLine(), wrap));
}

bool PathGradientBrush::CreateFromPath(const GraphicsPath& path)
{
    return Adopt([&](Gdiplus::GpBrush** b) {
        Gdiplus::GpPathGradient* gradient = nullptr;
        GpStatus status = Flat::GdipCreatePathGradientFromPath(path.Native(), &gradient);
        *b = gradient;
        return status;
    });
}

bool PathGradientBrush::GetCenterColor(ARGB* colour) const
{
    return Track(Flat::GdipGetPathGradientCenterColor(NativeGradient(), colour));
}

bool PathGradientBrush::SetCenterColor(ARGB colour)
{
    return Track(Flat::GdipSetPathGradientCenterColor(NativeGradient(), colour));
}

bool PathGradientBrush::SetSurroundColors(const ARGB* colours, int* count)
{
    INT taken = *count;
    if (!Track(Flat::GdipSetPathGradientSurroundColorsWithCount(NativeGradient(), colours, &taken))) return false;
    *count = taken;
    return true;
}

bool PathGradientBrush::GetSurroundColors(std::vector<ARGB>* colours) const
{
    INT count = 0;
    if (!Track(Flat::GdipGetPathGradientSurroundColorCount(NativeGradient(), &count))) return false;
    colours->assign(static_cast<size_t>(count), 0);
    if (count == 0) return true;
    return Track(Flat::GdipGetPathGradientSurroundColorsWithCount(NativeGradient(), colours->data(), &count));
}

bool PathGradientBrush::GetCenterPoint(PointF* point) const
{
    return Track(Flat::GdipGetPathGradientCenterPoint(NativeGradient(), point));
}

bool PathGradientBrush::SetCenterPoint(PointF point)
{
    return Track(Flat::GdipSetPathGradientCenterPoint(NativeGradient(), &point));
}

}  // namespace orv::gp
