// The wrapper conventions (last status, deleting a null handle, ownership)
// and the text path from GBK to pixels.
#include "GdiplusTestSupport.h"

#include <type_traits>

namespace orv::test {
namespace {

using gp::ARGB;

static_assert(!std::is_copy_constructible_v<gp::Pen> && !std::is_copy_assignable_v<gp::Pen>);
static_assert(!std::is_copy_constructible_v<gp::Image> && std::is_nothrow_move_constructible_v<gp::Image>);
static_assert(!std::is_copy_constructible_v<gp::MemoryStream>);

TEST(Status, EveryOperationReportsAndKeepsTheLastStatus)
{
    gp::GraphicsPath path;
    EXPECT_FALSE(path.AddLine(0, 0, 1, 1));  // no native path yet
    EXPECT_EQ(gp::LastStatus(), Gdiplus::InvalidParameter);
    EXPECT_TRUE(path.Create());
    EXPECT_EQ(gp::LastStatus(), Gdiplus::Ok);
    EXPECT_TRUE(path.AddLine(0, 0, 1, 1));
    gp::Font font;
    EXPECT_FALSE(font.Create("NoSuchFamilyAnywhere", 12));
    EXPECT_EQ(gp::LastStatus(), Gdiplus::FontFamilyNotFound);
    EXPECT_TRUE(font.IsNull());
}

TEST(Status, DeletingANullHandleDoesNothingAndReturnsFalse)
{
    gp::SolidBrush brush;
    gp::Pen pen;
    gp::Graphics graphics;
    gp::Image image;
    gp::Region region;
    gp::GraphicsPath path;
    ASSERT_TRUE(path.Create());
    gp::FontFamily missing;
    ASSERT_FALSE(missing.CreateFromName("NoSuchFamilyAnywhere"));  // a non-Ok status to watch
    const auto before = gp::LastStatus();
    ASSERT_NE(before, Gdiplus::Ok);
    EXPECT_FALSE(brush.Delete());
    EXPECT_FALSE(pen.Delete());
    EXPECT_FALSE(graphics.Delete());
    EXPECT_FALSE(image.Dispose());
    EXPECT_FALSE(region.Delete());
    EXPECT_EQ(gp::LastStatus(), before);
    EXPECT_TRUE(path.Delete());
    EXPECT_TRUE(path.IsNull());
    EXPECT_FALSE(path.Delete());
}

TEST(Ownership, MovingHandsTheHandleOver)
{
    gp::Pen first(0xFF123456, 3);
    ASSERT_FALSE(first.IsNull());
    const auto native = first.Native();
    gp::Pen second(std::move(first));
    EXPECT_TRUE(first.IsNull());
    EXPECT_EQ(second.Native(), native);
    gp::Pen third;
    third = std::move(second);
    EXPECT_EQ(third.Native(), native);
    ARGB colour = 0;
    ASSERT_TRUE(third.GetColor(&colour));
    EXPECT_EQ(colour, 0xFF123456u);

    gp::Image image;
    ASSERT_TRUE(image.LoadFromBytes(QuadrantPicture(8, 8, gp::kPngFormat)));
    const HGLOBAL block = image.Source().Block();
    gp::Image moved(std::move(image));
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.Source().Block(), nullptr);
    EXPECT_EQ(moved.Source().Block(), block);
    UINT w = 0;
    EXPECT_TRUE(moved.GetWidth(&w));
    EXPECT_EQ(w, 8u);
}

TEST(Settings, GettersReturnWhatWasSet)
{
    Canvas canvas(4, 4);
    gp::Graphics& g = canvas.graphics;
    ASSERT_TRUE(g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias));
    ASSERT_TRUE(g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic));
    ASSERT_TRUE(g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf));
    ASSERT_TRUE(g.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality));
    ASSERT_TRUE(g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias));
    Gdiplus::SmoothingMode smoothing{};
    Gdiplus::InterpolationMode interpolation{};
    Gdiplus::PixelOffsetMode offset{};
    Gdiplus::CompositingQuality quality{};
    Gdiplus::TextRenderingHint hint{};
    ASSERT_TRUE(g.GetSmoothingMode(&smoothing));
    ASSERT_TRUE(g.GetInterpolationMode(&interpolation));
    ASSERT_TRUE(g.GetPixelOffsetMode(&offset));
    ASSERT_TRUE(g.GetCompositingQuality(&quality));
    ASSERT_TRUE(g.GetTextRenderingHint(&hint));
    EXPECT_EQ(smoothing, Gdiplus::SmoothingModeAntiAlias);
    EXPECT_EQ(interpolation, Gdiplus::InterpolationModeHighQualityBicubic);
    EXPECT_EQ(offset, Gdiplus::PixelOffsetModeHalf);
    EXPECT_EQ(quality, Gdiplus::CompositingQualityHighQuality);
    EXPECT_EQ(hint, Gdiplus::TextRenderingHintAntiAlias);

    gp::StringFormat format;
    ASSERT_TRUE(format.Create());
    ASSERT_TRUE(format.SetAlign(Gdiplus::StringAlignmentCenter));
    ASSERT_TRUE(format.SetLineAlign(Gdiplus::StringAlignmentFar));
    ASSERT_TRUE(format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter));
    Gdiplus::StringAlignment align{}, lineAlign{};
    Gdiplus::StringTrimming trimming{};
    ASSERT_TRUE(format.GetAlign(&align));
    ASSERT_TRUE(format.GetLineAlign(&lineAlign));
    ASSERT_TRUE(format.GetTrimming(&trimming));
    EXPECT_EQ(align, Gdiplus::StringAlignmentCenter);
    EXPECT_EQ(lineAlign, Gdiplus::StringAlignmentFar);
    EXPECT_EQ(trimming, Gdiplus::StringTrimmingEllipsisCharacter);

    gp::Pen pen(0xFF000000, 1);
    ASSERT_TRUE(pen.SetWidth(2.5f));
    ASSERT_TRUE(pen.SetColor(0x80FFFFFF));
    float width = 0;
    ARGB colour = 0;
    ASSERT_TRUE(pen.GetWidth(&width));
    ASSERT_TRUE(pen.GetColor(&colour));
    EXPECT_FLOAT_EQ(width, 2.5f);
    EXPECT_EQ(colour, 0x80FFFFFFu);

    gp::SolidBrush brush(0xFF000000);
    ASSERT_TRUE(brush.SetColor(0x11223344));
    ASSERT_TRUE(brush.GetColor(&colour));
    EXPECT_EQ(colour, 0x11223344u);
    Gdiplus::BrushType type{};
    ASSERT_TRUE(brush.GetType(&type));
    EXPECT_EQ(type, Gdiplus::BrushTypeSolidColor);
}

TEST(Text, GbkTextBecomesTheRightUtf16)
{
    EXPECT_EQ(gp::WideFromGbk("歌曲一 G调"), std::wstring(L"歌曲一 G调"));
    EXPECT_EQ(gp::WideFromGbk(nullptr), std::wstring());
    EXPECT_EQ(gp::GbkFromWide(L"宋体"), std::string("宋体"));
}

TEST(Text, FontsByGbkNameKeepSizeStyleAndFamily)
{
    gp::Font font;
    ASSERT_TRUE(font.Create("宋体", 12, Gdiplus::FontStyleBold));
    float size = 0;
    INT style = -1;
    ASSERT_TRUE(font.GetSize(&size));
    ASSERT_TRUE(font.GetStyle(&style));
    EXPECT_FLOAT_EQ(size, 12.0f);
    EXPECT_EQ(style, Gdiplus::FontStyleBold);
    gp::FontFamily family;
    ASSERT_TRUE(font.GetFamily(&family));
    std::string name;
    ASSERT_TRUE(family.GetFamilyName(&name));
    EXPECT_FALSE(name.empty());  // the substituted family's own name under Wine

    // From a LOGFONT through a DC, as the painters capture control fonts.
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTA logFont{};
    logFont.lfHeight = -16;
    lstrcpyA(logFont.lfFaceName, "宋体");
    gp::Font fromLog;
    ASSERT_TRUE(fromLog.CreateFromDC(dc, &logFont));
    gp::Font fromDc;
    EXPECT_TRUE(fromDc.CreateFromDC(dc));
    DeleteDC(dc);
    ASSERT_TRUE(fromLog.GetSize(&size));
    EXPECT_GT(size, 0.0f);

    gp::FontCollection installed;
    ASSERT_TRUE(installed.CreateInstalled());
    INT count = 0;
    ASSERT_TRUE(installed.GetFamilyCount(&count));
    EXPECT_GT(count, 0);
    std::vector<gp::FontFamily> families;
    ASSERT_TRUE(installed.GetFamilies(&families));
    EXPECT_EQ(static_cast<INT>(families.size()), count);
}

TEST(Text, DrawnAndMeasuredTextCoversItsBox)
{
    Canvas canvas(120, 40, 0xFFFFFFFF);
    gp::Font font;
    ASSERT_TRUE(font.Create("宋体", 12));
    gp::StringFormat format;
    ASSERT_TRUE(format.Create());
    gp::SolidBrush black(0xFF000000);
    ASSERT_TRUE(canvas.graphics.DrawString("歌曲一", font, gp::RectF(0, 0, 120, 40), &format, black));
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) dark += Channel(canvas.Pixel(x, y), 16) < 128;
    EXPECT_GT(dark, 20);
    // Nothing right of the measured box.
    gp::RectF box;
    INT fitted = 0;
    ASSERT_TRUE(canvas.graphics.MeasureString("歌曲一", font, gp::RectF(0, 0, 1000, 100), &format, &box, &fitted));
    EXPECT_EQ(fitted, 3);
    EXPECT_GT(box.Width, 20.0f);
    for (int x = static_cast<int>(box.Width) + 2; x < 120; ++x)
        for (int y = 0; y < 40; ++y) ASSERT_EQ(canvas.Pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
    gp::RectF longer;
    ASSERT_TRUE(canvas.graphics.MeasureString("歌曲一歌曲一", font, gp::RectF(0, 0, 1000, 100), &format, &longer));
    EXPECT_GT(longer.Width, box.Width * 1.5f);
}

TEST(Text, PathStringFillsInsideItsLayout)
{
    gp::FontFamily family;
    ASSERT_TRUE(family.CreateFromName("宋体"));
    gp::GraphicsPath path;
    ASSERT_TRUE(path.Create());
    ASSERT_TRUE(path.AddString("电音", family, 0, 20.0f, gp::RectF(10, 10, 100, 40)));
    INT count = 0;
    ASSERT_TRUE(path.GetPointCount(&count));
    EXPECT_GT(count, 10);
    gp::RectF bounds;
    ASSERT_TRUE(path.GetBounds(&bounds));
    // Glyph outlines may overhang the layout by a pixel or so.
    EXPECT_GE(bounds.X, 8.0f) << bounds.X;
    EXPECT_GE(bounds.Y, 8.0f) << bounds.Y;
    EXPECT_LE(bounds.X + bounds.Width, 112.0f) << bounds.Width;
    EXPECT_GT(bounds.Width, 20.0f) << bounds.Width;
}

TEST(Regions, HitTestsAndFills)
{
    Canvas canvas(40, 40);
    gp::Region region;
    ASSERT_TRUE(region.CreateFromRect(gp::RectF(0, 0, 30, 30)));
    ASSERT_TRUE(region.Combine(gp::RectF(10, 10, 30, 30), Gdiplus::CombineModeXor));
    bool visible = false;
    ASSERT_TRUE(region.IsVisible(5, 5, canvas.graphics.Native(), &visible));
    EXPECT_TRUE(visible);
    ASSERT_TRUE(region.IsVisible(20, 20, canvas.graphics.Native(), &visible));
    EXPECT_FALSE(visible);
    gp::SolidBrush brush(0xFF445566);
    ASSERT_TRUE(canvas.graphics.FillRegion(brush, region));
    EXPECT_EQ(canvas.Pixel(5, 5), 0xFF445566u);
    EXPECT_EQ(canvas.Pixel(20, 20), 0u);
    EXPECT_EQ(canvas.Pixel(35, 35), 0xFF445566u);
    HRGN gdi = nullptr;
    ASSERT_TRUE(region.GetHRGN(canvas.graphics.Native(), &gdi));
    EXPECT_TRUE(PtInRegion(gdi, 35, 35));
    EXPECT_FALSE(PtInRegion(gdi, 20, 20));
    DeleteObject(gdi);
}

}  // namespace
}  // namespace orv::test
