// Solid, linear-gradient and path-gradient brushes. All three share the
// flat brush functions (GdipDeleteBrush, GdipCloneBrush, GdipGetBrushType).
#pragma once

#include "gdiplus/GpCore.h"

#include <vector>

namespace orv::gp {

class GraphicsPath;

struct BrushTraits {
    static GpStatus Delete(Gdiplus::GpBrush* b) { return Gdiplus::DllExports::GdipDeleteBrush(b); }
};

class Brush : public NativeObject<Gdiplus::GpBrush*, BrushTraits> {
public:
    bool GetType(Gdiplus::BrushType* type) const;

protected:
    Brush() = default;
};

class SolidBrush : public Brush {
public:
    SolidBrush() = default;
    explicit SolidBrush(ARGB colour) { Create(colour); }
    bool Create(ARGB colour);
    bool GetColor(ARGB* colour) const;
    bool SetColor(ARGB colour);
};

class LinearGradientBrush : public Brush {
public:
    LinearGradientBrush() = default;
    Gdiplus::GpLineGradient* NativeLine() const { return static_cast<Gdiplus::GpLineGradient*>(Native()); }

    // colour1 at from, colour2 at to, repeating beyond them.
    bool Create(PointF from, PointF to, ARGB colour1, ARGB colour2,
                Gdiplus::WrapMode wrap = Gdiplus::WrapModeTile);
    // Across a rectangle: LinearGradientModeVertical runs colour1 at the top to
    // colour2 at the bottom, Horizontal left to right. TileFlipXY keeps the
    // first and last rows from picking up the far colour at the seam.
    bool CreateFromRect(const RectF& rect, ARGB colour1, ARGB colour2, Gdiplus::LinearGradientMode mode,
                        Gdiplus::WrapMode wrap = Gdiplus::WrapModeTileFlipXY);

    bool GetColors(ARGB* colour1, ARGB* colour2) const;
    bool SetColors(ARGB colour1, ARGB colour2);
    bool GetRect(RectF* rect) const;
    // Several colours at positions from 0 to 1 (first 0, last 1).
    bool SetPresetBlend(const ARGB* colours, const float* positions, int count);
    bool GetPresetBlend(std::vector<ARGB>* colours, std::vector<float>* positions) const;
    // A triangular blend: the far colour peaks at focus (0..1) with scale.
    bool SetLinearBlend(float focus, float scale = 1.0f);
    bool GetWrapMode(Gdiplus::WrapMode* wrap) const;
    bool SetWrapMode(Gdiplus::WrapMode wrap);
};

class PathGradientBrush : public Brush {
public:
    PathGradientBrush() = default;
    Gdiplus::GpPathGradient* NativeGradient() const { return static_cast<Gdiplus::GpPathGradient*>(Native()); }

    bool CreateFromPath(const GraphicsPath& path);
    bool GetCenterColor(ARGB* colour) const;
    bool SetCenterColor(ARGB colour);
    // count is in and out: colours to set, colours actually taken.
    bool SetSurroundColors(const ARGB* colours, int* count);
    bool GetSurroundColors(std::vector<ARGB>* colours) const;
    bool GetCenterPoint(PointF* point) const;
    bool SetCenterPoint(PointF point);
};

}  // namespace orv::gp
