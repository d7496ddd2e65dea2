// Regions: areas for hit tests and clipping.
#pragma once

#include "gdiplus/GpCore.h"

namespace orv::gp {

class GraphicsPath;

struct RegionTraits {
    static GpStatus Delete(Gdiplus::GpRegion* r) { return Gdiplus::DllExports::GdipDeleteRegion(r); }
};

class Region : public NativeObject<Gdiplus::GpRegion*, RegionTraits> {
public:
    Region() = default;
    // An infinite region.
    bool Create();
    bool CreateFromRect(const RectF& rect);
    bool CreateFromPath(const GraphicsPath& path);
    bool CreateFromHrgn(HRGN region);
    bool Clone(Region* copy) const;

    bool SetInfinite();
    bool SetEmpty();
    bool Combine(const RectF& rect, Gdiplus::CombineMode mode);
    bool Combine(const GraphicsPath& path, Gdiplus::CombineMode mode);
    bool Combine(const Region& other, Gdiplus::CombineMode mode);
    bool Translate(float dx, float dy);

    // Bounds and tests need a graphics for its transform and resolution.
    bool GetBounds(Gdiplus::GpGraphics* graphics, RectF* bounds) const;
    bool IsEmpty(Gdiplus::GpGraphics* graphics, bool* empty) const;
    bool IsVisible(float x, float y, Gdiplus::GpGraphics* graphics, bool* visible) const;
    // A new GDI region the caller owns.
    bool GetHRGN(Gdiplus::GpGraphics* graphics, HRGN* region) const;
};

}  // namespace orv::gp
