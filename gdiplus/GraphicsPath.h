// Paths: outlines built from lines, arcs, rectangles, ellipses and text.
#pragma once

#include "gdiplus/GpCore.h"

#include <vector>

namespace orv::gp {

class FontFamily;
class StringFormat;

struct PathTraits {
    static GpStatus Delete(Gdiplus::GpPath* p) { return Gdiplus::DllExports::GdipDeletePath(p); }
};

class GraphicsPath : public NativeObject<Gdiplus::GpPath*, PathTraits> {
public:
    GraphicsPath() = default;
    bool Create(Gdiplus::FillMode fillMode = Gdiplus::FillModeAlternate);
    bool Clone(GraphicsPath* copy) const;
    bool Reset();

    bool GetFillMode(Gdiplus::FillMode* fillMode) const;
    bool SetFillMode(Gdiplus::FillMode fillMode);

    bool StartFigure();
    bool CloseFigure();

    bool AddLine(float x1, float y1, float x2, float y2);
    bool AddLine(int x1, int y1, int x2, int y2);
    bool AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);
    bool AddArc(int x, int y, int width, int height, float startAngle, float sweepAngle);
    bool AddRectangle(float x, float y, float width, float height);
    bool AddRectangle(int x, int y, int width, int height);
    bool AddEllipse(float x, float y, float width, float height);
    bool AddEllipse(int x, int y, int width, int height);
    bool AddPath(const GraphicsPath& other, bool connect);
    // text is GBK; emSize is in world units (pixels), not points.
    bool AddString(const char* text, const FontFamily& family, INT style, float emSize, const RectF& layout,
                   const StringFormat* format = nullptr);

    bool GetPointCount(INT* count) const;
    bool GetPoints(std::vector<PointF>* points) const;
    bool GetTypes(std::vector<BYTE>* types) const;
    bool GetLastPoint(PointF* point) const;
    bool GetBounds(RectF* bounds) const;
    bool IsVisible(float x, float y, bool* visible) const;
};

}  // namespace orv::gp
