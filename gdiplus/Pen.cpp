#include "gdiplus/Pen.h"

#include "gdiplus/Brushes.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool Pen::Create(ARGB colour, float width, Gdiplus::Unit unit)
{
    return Adopt([&](Gdiplus::GpPen** p) { return Flat::GdipCreatePen1(colour, width, unit, p); });
}

bool Pen::Create(const Brush& brush, float width, Gdiplus::Unit unit)
{
    return Adopt([&](Gdiplus::GpPen** p) { return Flat::GdipCreatePen2(brush.Native(), width, unit, p); });
}

bool Pen::Clone(Pen* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpPen* cloned = nullptr;
    if (!Track(Flat::GdipClonePen(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool Pen::GetWidth(float* width) const { return Track(Flat::GdipGetPenWidth(Native(), width)); }
bool Pen::SetWidth(float width) { return Track(Flat::GdipSetPenWidth(Native(), width)); }
bool Pen::GetColor(ARGB* colour) const { return Track(Flat::GdipGetPenColor(Native(), colour)); }
bool Pen::SetColor(ARGB colour) { return Track(Flat::GdipSetPenColor(Native(), colour)); }
bool Pen::GetDashStyle(Gdiplus::DashStyle* style) const { return Track(Flat::GdipGetPenDashStyle(Native(), style)); }
bool Pen::SetDashStyle(Gdiplus::DashStyle style) { return Track(Flat::GdipSetPenDashStyle(Native(), style)); }
bool Pen::GetLineJoin(Gdiplus::LineJoin* join) const { return Track(Flat::GdipGetPenLineJoin(Native(), join)); }
bool Pen::SetLineJoin(Gdiplus::LineJoin join) { return Track(Flat::GdipSetPenLineJoin(Native(), join)); }

}  // namespace orv::gp
