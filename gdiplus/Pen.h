// Pens: a colour or a brush, with a width.
#pragma once

#include "gdiplus/GpCore.h"

namespace orv::gp {

class Brush;

struct PenTraits {
    static GpStatus Delete(Gdiplus::GpPen* p) { return Gdiplus::DllExports::GdipDeletePen(p); }
};

class Pen : public NativeObject<Gdiplus::GpPen*, PenTraits> {
public:
    Pen() = default;
    explicit Pen(ARGB colour, float width = 1.0f) { Create(colour, width); }
    bool Create(ARGB colour, float width = 1.0f, Gdiplus::Unit unit = Gdiplus::UnitWorld);
    bool Create(const Brush& brush, float width = 1.0f, Gdiplus::Unit unit = Gdiplus::UnitWorld);
    bool Clone(Pen* copy) const;

    bool GetWidth(float* width) const;
    bool SetWidth(float width);
    bool GetColor(ARGB* colour) const;
    bool SetColor(ARGB colour);
    bool GetDashStyle(Gdiplus::DashStyle* style) const;
    bool SetDashStyle(Gdiplus::DashStyle style);
    bool GetLineJoin(Gdiplus::LineJoin* join) const;
    bool SetLineJoin(Gdiplus::LineJoin join);
};

}  // namespace orv::gp
