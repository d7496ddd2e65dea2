#include "gdiplus/Region.h"

#include "gdiplus/GraphicsPath.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

bool Region::Create()
{
    return Adopt([](Gdiplus::GpRegion** r) { return Flat::GdipCreateRegion(r); });
}

bool Region::CreateFromRect(const RectF& rect)
{
    return Adopt([&](Gdiplus::GpRegion** r) { return Flat::GdipCreateRegionRect(&rect, r); });
}

bool Region::CreateFromPath(const GraphicsPath& path)
{
    return Adopt([&](Gdiplus::GpRegion** r) { return Flat::GdipCreateRegionPath(path.Native(), r); });
}

bool Region::CreateFromHrgn(HRGN region)
{
    return Adopt([&](Gdiplus::GpRegion** r) { return Flat::GdipCreateRegionHrgn(region, r); });
}

bool Region::Clone(Region* copy) const
{
    if (!copy) return Track(Gdiplus::InvalidParameter);
    Gdiplus::GpRegion* cloned = nullptr;
    if (!Track(Flat::GdipCloneRegion(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool Region::SetInfinite() { return Track(Flat::GdipSetInfinite(Native())); }
bool Region::SetEmpty() { return Track(Flat::GdipSetEmpty(Native())); }

bool Region::Combine(const RectF& rect, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipCombineRegionRect(Native(), &rect, mode));
}

bool Region::Combine(const GraphicsPath& path, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipCombineRegionPath(Native(), path.Native(), mode));
}

bool Region::Combine(const Region& other, Gdiplus::CombineMode mode)
{
    return Track(Flat::GdipCombineRegionRegion(Native(), other.Native(), mode));
}

bool Region::Translate(float dx, float dy) { return Track(Flat::GdipTranslateRegion(Native(), dx, dy)); }

bool Region::GetBounds(Gdiplus::GpGraphics* graphics, RectF* bounds) const
{
    return Track(Flat::GdipGetRegionBounds(Native(), graphics, bounds));
}

bool Region::IsEmpty(Gdiplus::GpGraphics* graphics, bool* empty) const
{
    BOOL result = FALSE;
    if (!Track(Flat::GdipIsEmptyRegion(Native(), graphics, &result))) return false;
    *empty = result != FALSE;
    return true;
}

bool Region::IsVisible(float x, float y, Gdiplus::GpGraphics* graphics, bool* visible) const
{
    BOOL result = FALSE;
    if (!Track(Flat::GdipIsVisibleRegionPoint(Native(), x, y, graphics, &result))) return false;
    *visible = result != FALSE;
    return true;
}

bool Region::GetHRGN(Gdiplus::GpGraphics* graphics, HRGN* region) const
{
    return Track(Flat::GdipGetRegionHRgn(Native(), graphics, region));
}

}  // namespace orv::gp
