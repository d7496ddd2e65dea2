// Colours, rounded rectangles, gradients and clipping, checked by reading
// pixels back. Wine fills shapes without anti-aliasing, so only interior
// pixels are compared exactly; gradients get a tolerance.
#include "GdiplusTestSupport.h"

#include <cmath>
#include <vector>

namespace orv::test {
namespace {

using gp::ARGB;
using gp::Argb;

TEST(ArgbConversion, SwapsRedAndBlueAndPutsAlphaOnTop)
{
    EXPECT_EQ(Argb(0x00DDCA22, 180), 0xB422CADDu);
    EXPECT_EQ(Argb(RGB(1, 2, 3)), 0xFF010203u);
    EXPECT_EQ(Argb(0x00FFFFFF, 0), 0x00FFFFFFu);
    EXPECT_EQ(gp::ColourOf(0xB422CADD), static_cast<COLORREF>(0x00DDCA22));
}

TEST(ArgbConversion, FilledPixelHasTheConvertedColour)
{
    Canvas canvas(8, 8);
    gp::SolidBrush brush(Argb(0x00DDCA22));
    ASSERT_TRUE(brush.Create(Argb(0x00DDCA22)));
    ASSERT_TRUE(canvas.graphics.FillRectangle(brush, 0, 0, 8, 8));
    EXPECT_EQ(canvas.Pixel(4, 4), 0xFF22CADDu);
}

TEST(Alpha, BlendsStraightOverOpaqueAndKeepsAlphaOnTransparent)
{
    Canvas canvas(20, 10, 0xFF000080);
    gp::SolidBrush white(Argb(0x00FFFFFF, 100));
    ASSERT_TRUE(canvas.graphics.FillRectangle(white, 0, 0, 10, 10));
    EXPECT_TRUE(ArgbNear(0xFF6464B1, canvas.Pixel(5, 5), 1));
    EXPECT_EQ(canvas.Pixel(15, 5), 0xFF000080u);

    Canvas clear(10, 10, 0);
    gp::SolidBrush half(Argb(RGB(255, 0, 0), 120));
    ASSERT_TRUE(clear.graphics.FillRectangle(half, 0, 0, 10, 10));
    EXPECT_TRUE(ArgbNear(0x78FF0000, clear.Pixel(5, 5), 1));
}

// Points where each arc of the rounded rectangle starts and ends, straight
// from the arc boxes: (x+w-c, y, c, c) from 270, (x+w-c-1, y+h-c-1, c+1, c+1)
// from 0, (x, y+h-c, c, c) from 90, (x, y, c, c) from 180.
std::vector<gp::PointF> ArcEnds(float x, float y, float w, float h, float c)
{
    const float big = (c + 1) / 2;
    return {{x + w - c / 2, y},   {x + w, y + c / 2},   {x + w, y + h - big}, {x + w - big, y + h},
            {x + c / 2, y + h},   {x, y + h - c / 2},   {x, y + c / 2},       {x + c / 2, y}};
}

void ExpectArcEnds(const gp::GraphicsPath& path, const std::vector<gp::PointF>& ends)
{
    std::vector<gp::PointF> points;
    ASSERT_TRUE(path.GetPoints(&points));
    // Four arcs of one Bezier each: 4 points per arc (start + 3).
    ASSERT_EQ(points.size(), 16u);
    for (size_t arc = 0; arc < 4; ++arc) {
        const gp::PointF& start = points[arc * 4];
        const gp::PointF& end = points[arc * 4 + 3];
        EXPECT_NEAR(start.X, ends[arc * 2].X, 0.01) << "arc " << arc << " start";
        EXPECT_NEAR(start.Y, ends[arc * 2].Y, 0.01) << "arc " << arc << " start";
        EXPECT_NEAR(end.X, ends[arc * 2 + 1].X, 0.01) << "arc " << arc << " end";
        EXPECT_NEAR(end.Y, ends[arc * 2 + 1].Y, 0.01) << "arc " << arc << " end";
    }
    std::vector<BYTE> types;
    ASSERT_TRUE(path.GetTypes(&types));
    EXPECT_TRUE(types.back() & Gdiplus::PathPointTypeCloseSubpath) << "figure not closed";
}

TEST(RoundRect, ArcsLieInTheirBoxesAndTheFigureIsClosed)
{
    gp::GraphicsPath path;
    ASSERT_TRUE(path.Create());
    ASSERT_TRUE(gp::AddRoundRect(path, 10, 20, 40, 30, 8));
    ExpectArcEnds(path, ArcEnds(10, 20, 40, 30, 8));
    gp::RectF bounds;
    ASSERT_TRUE(path.GetBounds(&bounds));
    EXPECT_NEAR(bounds.X, 10, 0.01);
    EXPECT_NEAR(bounds.Y, 20, 0.01);
    EXPECT_NEAR(bounds.Width, 40, 0.01);
    EXPECT_NEAR(bounds.Height, 30, 0.01);
}

TEST(RoundRect, CornerIsClampedToOneThroughHundred)
{
    gp::GraphicsPath big;
    ASSERT_TRUE(big.Create());
    ASSERT_TRUE(gp::AddRoundRect(big, 0, 0, 300, 300, 500));
    ExpectArcEnds(big, ArcEnds(0, 0, 300, 300, 100));

    gp::GraphicsPath tiny;
    ASSERT_TRUE(tiny.Create());
    ASSERT_TRUE(gp::AddRoundRect(tiny, 5, 5, 20, 20, 0));
    ExpectArcEnds(tiny, ArcEnds(5, 5, 20, 20, 1));
}

TEST(RoundRect, FillLeavesCornersOpenAndInteriorFull)
{
    Canvas canvas(120, 120);
    ASSERT_TRUE(gp::FillRoundRect(canvas.graphics, 10, 10, 100, 100, 40, 0xFF102030));
    EXPECT_EQ(canvas.Pixel(60, 60), 0xFF102030u);
    EXPECT_EQ(canvas.Pixel(60, 14), 0xFF102030u);  // straight top edge, inside
    EXPECT_EQ(canvas.Pixel(18, 18), 0xFF102030u);  // inside the upper left arc
    // Well outside each arc (corner circles of radius 20).
    EXPECT_EQ(canvas.Pixel(12, 12), 0u);
    EXPECT_EQ(canvas.Pixel(107, 12), 0u);
    EXPECT_EQ(canvas.Pixel(12, 107), 0u);
    EXPECT_EQ(canvas.Pixel(107, 107), 0u);
    EXPECT_EQ(canvas.Pixel(5, 60), 0u);
    EXPECT_EQ(canvas.Pixel(115, 60), 0u);
}

TEST(RoundRect, StrokeDrawsTheOutlineOnly)
{
    Canvas canvas(60, 60);
    ASSERT_TRUE(gp::StrokeRoundRect(canvas.graphics, 10, 10, 40, 30, 6, 0xFF00FF00, 1));
    EXPECT_EQ(canvas.Pixel(30, 25), 0u);  // inside stays clear
    auto nearLine = [&](int x0, int y0, bool vertical) {
        for (int d = -1; d <= 1; ++d)
            if (canvas.Pixel(vertical ? x0 + d : x0, vertical ? y0 : y0 + d) == 0xFF00FF00u) return true;
        return false;
    };
    EXPECT_TRUE(nearLine(30, 10, false)) << "top";
    EXPECT_TRUE(nearLine(30, 40, false)) << "bottom";
    EXPECT_TRUE(nearLine(10, 25, true)) << "left";
    EXPECT_TRUE(nearLine(50, 25, true)) << "right";
}

TEST(Gradient, VerticalRunsFromTopColourToBottomColour)
{
    Canvas canvas(20, 101);
    ASSERT_TRUE(gp::FillRectGradient(canvas.graphics, 0, 0, 20, 101, 0xFFFF0000, 0xFF0000FF));
    EXPECT_TRUE(ArgbNear(0xFFFF0000, canvas.Pixel(10, 0), 8));
    EXPECT_TRUE(ArgbNear(0xFF800080, canvas.Pixel(10, 50), 8));
    EXPECT_TRUE(ArgbNear(0xFF0000FF, canvas.Pixel(10, 100), 8));
    // Strictly one way: red falls and blue rises down the column.
    EXPECT_GT(Channel(canvas.Pixel(10, 25), 16), Channel(canvas.Pixel(10, 75), 16));
    EXPECT_LT(Channel(canvas.Pixel(10, 25), 0), Channel(canvas.Pixel(10, 75), 0));
}

TEST(Gradient, RoundedFillIsVerticalAndAlphaFollows)
{
    Canvas canvas(40, 101);
    ASSERT_TRUE(gp::FillRoundRectGradient(canvas.graphics, 0, 0, 40, 101, 4, Argb(0xFFFFFF, 0), Argb(0, 255)));
    EXPECT_LE(Channel(canvas.Pixel(20, 2), 24), 12);
    EXPECT_GE(Channel(canvas.Pixel(20, 98), 24), 243);
    EXPECT_NEAR(Channel(canvas.Pixel(20, 50), 24), 128, 8);
}

TEST(Gradient, LineBrushBetweenPointsAndPresetBlend)
{
    Canvas canvas(101, 10);
    gp::LinearGradientBrush brush;
    ASSERT_TRUE(brush.Create({0, 0}, {101, 0}, 0xFFFF0000, 0xFF0000FF));
    ARGB first = 0, second = 0;
    ASSERT_TRUE(brush.GetColors(&first, &second));
    EXPECT_EQ(first, 0xFFFF0000u);
    EXPECT_EQ(second, 0xFF0000FFu);
    const ARGB colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const float positions[3] = {0.0f, 0.5f, 1.0f};
    ASSERT_TRUE(brush.SetPresetBlend(colours, positions, 3));
    std::vector<ARGB> gotColours;
    std::vector<float> gotPositions;
    ASSERT_TRUE(brush.GetPresetBlend(&gotColours, &gotPositions));
    ASSERT_EQ(gotColours.size(), 3u);
    EXPECT_EQ(gotColours[1], 0xFF00FF00u);
    EXPECT_FLOAT_EQ(gotPositions[1], 0.5f);
    ASSERT_TRUE(canvas.graphics.FillRectangle(brush, 0, 0, 101, 10));
    EXPECT_TRUE(ArgbNear(0xFFFF0000, canvas.Pixel(0, 5), 10));
    EXPECT_TRUE(ArgbNear(0xFF00FF00, canvas.Pixel(50, 5), 10));
    EXPECT_TRUE(ArgbNear(0xFF0000FF, canvas.Pixel(100, 5), 10));
}

TEST(Gradient, LinearBlendPeaksAtTheFocus)
{
    Canvas canvas(101, 10);
    gp::LinearGradientBrush brush;
    ASSERT_TRUE(brush.CreateFromRect(gp::RectF(0, 0, 101, 10), 0xFF000000, 0xFFFFFFFF,
                                     Gdiplus::LinearGradientModeHorizontal));
    ASSERT_TRUE(brush.SetLinearBlend(0.5f, 1.0f));
    ASSERT_TRUE(canvas.graphics.FillRectangle(brush, 0, 0, 101, 10));
    EXPECT_TRUE(ArgbNear(0xFF000000, canvas.Pixel(0, 5), 10));
    EXPECT_TRUE(ArgbNear(0xFFFFFFFF, canvas.Pixel(50, 5), 10));
    EXPECT_TRUE(ArgbNear(0xFF000000, canvas.Pixel(100, 5), 10));
}

TEST(Gradient, PathGradientHasCentreColourInTheMiddle)
{
    Canvas canvas(101, 101);
    gp::GraphicsPath path;
    ASSERT_TRUE(path.Create());
    ASSERT_TRUE(path.AddEllipse(0, 0, 101, 101));
    gp::PathGradientBrush brush;
    ASSERT_TRUE(brush.CreateFromPath(path));
    ASSERT_TRUE(brush.SetCenterColor(0xFFFF0000));
    ARGB surround[1] = {0xFF0000FF};
    int count = 1;
    ASSERT_TRUE(brush.SetSurroundColors(surround, &count));
    ARGB centre = 0;
    ASSERT_TRUE(brush.GetCenterColor(&centre));
    EXPECT_EQ(centre, 0xFFFF0000u);
    std::vector<ARGB> got;
    ASSERT_TRUE(brush.GetSurroundColors(&got));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], 0xFF0000FFu);
    ASSERT_TRUE(canvas.graphics.FillPath(brush, path));
    // Wine puts the pure centre colour between pixels: (50, 50) is 0xFFEA0015.
    EXPECT_TRUE(ArgbNear(0xFFFF0000, canvas.Pixel(50, 50), 32));
    const ARGB rim = canvas.Pixel(50, 3);
    EXPECT_GT(Channel(rim, 0), Channel(rim, 16)) << "rim should be mostly blue";
    EXPECT_EQ(canvas.Pixel(2, 2), 0u);
}

TEST(Clip, RectangleAndXorRingLimitFills)
{
    Canvas canvas(40, 40);
    gp::SolidBrush brush(0xFF112233);
    ASSERT_TRUE(canvas.graphics.SetClip(gp::RectF(10, 10, 20, 20)));
    ASSERT_TRUE(canvas.graphics.FillRectangle(brush, 0, 0, 40, 40));
    EXPECT_EQ(canvas.Pixel(20, 20), 0xFF112233u);
    EXPECT_EQ(canvas.Pixel(5, 5), 0u);
    ASSERT_TRUE(canvas.graphics.ResetClip());

    // The ring a frame painter uses: whole rectangle Xor inner rectangle.
    Canvas ring(40, 40);
    gp::GraphicsPath inner;
    ASSERT_TRUE(inner.Create());
    ASSERT_TRUE(inner.AddRectangle(10, 10, 20, 20));
    ASSERT_TRUE(ring.graphics.SetClip(gp::RectF(0, 0, 40, 40)));
    ASSERT_TRUE(ring.graphics.SetClip(inner, Gdiplus::CombineModeXor));
    ASSERT_TRUE(ring.graphics.FillRectangle(brush, 0, 0, 40, 40));
    EXPECT_EQ(ring.Pixel(5, 20), 0xFF112233u);
    EXPECT_EQ(ring.Pixel(20, 20), 0u);
}

TEST(Lines, PenColourAndWidthReachThePixels)
{
    Canvas canvas(40, 40);
    gp::Pen pen(0xFF0000FF, 5);
    ASSERT_TRUE(canvas.graphics.DrawLine(pen, 0, 20, 40, 20));
    EXPECT_EQ(canvas.Pixel(20, 20), 0xFF0000FFu);
    EXPECT_EQ(canvas.Pixel(20, 19), 0xFF0000FFu);  // within the 5-pixel width
    EXPECT_EQ(canvas.Pixel(20, 10), 0u);
    gp::Pen frame(0xFFFF0000, 1);
    ASSERT_TRUE(canvas.graphics.DrawRectangle(frame, 2, 2, 10, 10));
    EXPECT_EQ(canvas.Pixel(7, 7), 0u);
}

TEST(Images, DrawnAtPositionAndScaledIntoRectangles)
{
    Canvas source(4, 4, 0xFF00FF00);
    source.bitmap.SetPixel(0, 0, 0xFFFF0000);
    source.graphics.Delete();
    Canvas canvas(40, 40);
    ASSERT_TRUE(canvas.graphics.DrawImage(source.bitmap, 10, 10, 4.0f, 4.0f));
    EXPECT_EQ(canvas.Pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(12, 12), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(9, 9), 0u);
    // The lower right quarter of the source (all green) stretched over 8 × 8.
    ASSERT_TRUE(canvas.graphics.DrawImageRectRect(source.bitmap, gp::RectF(20, 20, 8, 8), gp::RectF(2, 2, 2, 2)));
    EXPECT_EQ(canvas.Pixel(24, 24), 0xFF00FF00u);
}

}  // namespace
}  // namespace orv::test
