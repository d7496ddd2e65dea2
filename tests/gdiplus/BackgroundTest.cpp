// Background pictures: edge bands that fade into a colour, and the average
// colour they fade into.
#include "GdiplusTestSupport.h"

namespace orv::test {
namespace {

using gp::ARGB;
using gp::Bytes;

const COLORREF kFade = RGB(200, 40, 0);
const ARGB kFadeArgb = 0xFFC82800;
const ARGB kGreen = 0xFF00A000;

Bytes SolidPicture(int width, int height, ARGB colour)
{
    Canvas canvas(width, height, colour);
    canvas.graphics.Delete();
    Bytes png;
    canvas.bitmap.SaveToBytes(gp::kPngFormat, &png);
    return png;
}

// Decodes result, checks it is a PNG of width × height, returns it as bitmap.
void DecodePng(const Bytes& bytes, int width, int height, gp::Bitmap* bitmap)
{
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(bitmap->LoadFromBytes(bytes));
    GUID format{};
    ASSERT_TRUE(bitmap->GetRawFormat(&format));
    EXPECT_TRUE(IsEqualGUID(format, Gdiplus::ImageFormatPNG));
    UINT w = 0, h = 0;
    ASSERT_TRUE(bitmap->GetSize(&w, &h));
    EXPECT_EQ(w, static_cast<UINT>(width));
    EXPECT_EQ(h, static_cast<UINT>(height));
}

ARGB At(const gp::Bitmap& bitmap, int x, int y)
{
    ARGB pixel = 0xDEADBEEF;
    bitmap.GetPixel(x, y, &pixel);
    return pixel;
}

TEST(BlendPictureEdges, ModeZeroFadesTheRightEdgeAndTheBottom)
{
    // 100 wide: band = 30, so columns 70..99 and rows 50..79 are blended.
    const Bytes picture = SolidPicture(100, 80, kGreen);
    gp::Bitmap out;
    DecodePng(gp::BlendPictureEdges(picture.data(), picture.size(), 0, kFade), 100, 80, &out);
    if (HasFatalFailure()) return;
    EXPECT_EQ(At(out, 10, 20), kGreen);
    EXPECT_EQ(At(out, 69, 20), kGreen) << "band wider than 30";
    EXPECT_TRUE(ArgbNear(kGreen, At(out, 70, 20), 12)) << "picture side of the band";
    EXPECT_TRUE(ArgbNear(kFadeArgb, At(out, 99, 20), 12)) << "outer edge";
    EXPECT_GT(Channel(At(out, 90, 20), 16), Channel(At(out, 80, 20), 16)) << "fade runs outwards";
    EXPECT_EQ(At(out, 10, 49), kGreen);
    EXPECT_TRUE(ArgbNear(kFadeArgb, At(out, 10, 79), 12)) << "bottom edge";
    EXPECT_EQ(Channel(At(out, 50, 79), 24), 255);
    // The left edge is untouched in this mode.
    EXPECT_EQ(At(out, 0, 20), kGreen);
}

TEST(BlendPictureEdges, ModeOneFadesTheLeftEdge)
{
    const Bytes picture = SolidPicture(100, 80, kGreen);
    gp::Bitmap out;
    DecodePng(gp::BlendPictureEdges(picture.data(), picture.size(), 1, kFade), 100, 80, &out);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(ArgbNear(kFadeArgb, At(out, 0, 20), 12));
    EXPECT_TRUE(ArgbNear(kGreen, At(out, 29, 20), 12));
    EXPECT_EQ(At(out, 30, 20), kGreen);
    EXPECT_EQ(At(out, 99, 20), kGreen);
    EXPECT_TRUE(ArgbNear(kFadeArgb, At(out, 60, 79), 12));
}

TEST(BlendPictureEdges, BandIsThirtyPercentRounded)
{
    // 0.3 × 105 = 31.5 → 32: column 72 is the last one untouched.
    const Bytes picture = SolidPicture(105, 120, kGreen);
    gp::Bitmap out;
    DecodePng(gp::BlendPictureEdges(picture.data(), picture.size(), 0, kFade), 105, 120, &out);
    if (HasFatalFailure()) return;
    EXPECT_EQ(At(out, 72, 10), kGreen);
    EXPECT_NE(At(out, 74, 10), kGreen);
    EXPECT_EQ(At(out, 10, 87), kGreen);
    EXPECT_NE(At(out, 10, 89), kGreen);
}

TEST(BlendPictureEdges, OtherModesAndBadBytes)
{
    const Bytes picture = SolidPicture(20, 20, kGreen);
    EXPECT_EQ(gp::BlendPictureEdges(picture.data(), picture.size(), 2, kFade), picture);
    const Bytes junk = {1, 2, 3, 4};
    EXPECT_TRUE(gp::BlendPictureEdges(junk.data(), junk.size(), 0, kFade).empty());
}

TEST(PrepareBackground, FadesAllFourEdgesIntoTheColour)
{
    const Bytes picture = SolidPicture(100, 100, kGreen);
    gp::Bitmap out;
    DecodePng(gp::PrepareBackground(picture.data(), picture.size(), nullptr, -1, kFade), 100, 100, &out);
    if (HasFatalFailure()) return;
    EXPECT_EQ(At(out, 50, 50), kGreen);
    for (auto [x, y] : {std::pair{0, 50}, {99, 50}, {50, 0}, {50, 99}})
        EXPECT_TRUE(ArgbNear(kFadeArgb, At(out, x, y), 14)) << x << "," << y;
    EXPECT_TRUE(ArgbNear(kGreen, At(out, 31, 50), 14));
}

TEST(PrepareBackground, FadeWidthFlagAndFileSource)
{
    const Bytes picture = SolidPicture(60, 40, kGreen);
    gp::Bitmap narrow;
    DecodePng(gp::PrepareBackground(picture.data(), picture.size(), nullptr, 5, kFade), 60, 40, &narrow);
    if (HasFatalFailure()) return;
    EXPECT_EQ(At(narrow, 7, 20), kGreen);
    EXPECT_TRUE(ArgbNear(kFadeArgb, At(narrow, 0, 20), 14));

    gp::Bitmap plain;
    DecodePng(gp::PrepareBackground(picture.data(), picture.size(), nullptr, -1, kFade, 0), 60, 40, &plain);
    if (HasFatalFailure()) return;
    EXPECT_EQ(At(plain, 0, 0), kGreen);
    EXPECT_EQ(At(plain, 59, 39), kGreen);

    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string file = std::string(dir) + "orv_gp_background.png";
    FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(picture.data(), 1, picture.size(), f);
    std::fclose(f);
    const Bytes fromFile = gp::PrepareBackground(nullptr, 0, file.c_str(), 5, kFade);
    EXPECT_EQ(fromFile, gp::PrepareBackground(picture.data(), picture.size(), nullptr, 5, kFade));
    DeleteFileA(file.c_str());
    EXPECT_TRUE(gp::PrepareBackground(nullptr, 0, "Z:\\no\\such\\picture.png").empty());
}

TEST(AverageColour, SolidPictureGivesItsColourAndHalvesAverage)
{
    const Bytes solid = SolidPicture(30, 30, 0xFF336699);
    EXPECT_EQ(gp::AverageColour(solid.data(), solid.size()), RGB(0x33, 0x66, 0x99));

    Canvas halves(200, 100, 0xFF0000FF);
    gp::SolidBrush red(0xFFFF0000);
    halves.graphics.FillRectangle(red, 0, 0, 100, 100);
    halves.graphics.Delete();
    const COLORREF mean = gp::AverageColour(halves.bitmap, 2000, 7);
    EXPECT_NEAR(GetRValue(mean), 128, 15);
    EXPECT_EQ(GetGValue(mean), 0);
    EXPECT_NEAR(GetBValue(mean), 128, 15);
    EXPECT_EQ(mean, gp::AverageColour(halves.bitmap, 2000, 7)) << "same seed, same samples";
}

TEST(AverageColour, JpegResourceAverageFeedsTheEdgeBlend)
{
    const Bytes jpeg = ReadResource("background.jpg");
    if (jpeg.empty()) GTEST_SKIP() << "resources not generated yet";
    gp::Image image;
    ASSERT_TRUE(image.LoadFromBytes(jpeg));
    const COLORREF mean = gp::AverageColour(image);
    gp::Bitmap out;
    DecodePng(gp::BlendPictureEdges(jpeg.data(), jpeg.size(), 0, mean), 450, 300, &out);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(ArgbNear(gp::Argb(mean), At(out, 449, 100), 14));
    EXPECT_TRUE(ArgbNear(gp::Argb(mean), At(out, 100, 299), 14));
}

// One decode for the colour and the blend: the same colour and bytes as the
// two calls, and pixels that are exactly what those bytes decode to, since
// the frame's first render draws them in place of the bytes.
TEST(BlendPictureEdgesOnce, GivesWhatTheTwoCallsGiveWithTheBytesPixels)
{
    const Bytes jpeg = ReadResource("background.jpg");
    if (jpeg.empty()) GTEST_SKIP() << "resources not generated yet";
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        const gp::BlendedPicture once = gp::BlendPictureEdgesOnce(jpeg.data(), jpeg.size(), mode);
        EXPECT_EQ(once.averageColour, gp::AverageColour(jpeg.data(), jpeg.size()));
        EXPECT_EQ(once.png, gp::BlendPictureEdges(jpeg.data(), jpeg.size(), mode, once.averageColour));
        gp::Bitmap decoded;
        DecodePng(once.png, 450, 300, &decoded);
        if (HasFatalFailure()) return;
        int differing = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 450; ++x) differing += At(once.pixels, x, y) != At(decoded, x, y);
        EXPECT_EQ(differing, 0);
    }
    const gp::BlendedPicture centred = gp::BlendPictureEdgesOnce(jpeg.data(), jpeg.size(), 2);
    EXPECT_EQ(centred.png, jpeg);
    EXPECT_TRUE(centred.pixels.IsNull());
    const Bytes junk = {1, 2, 3, 4};
    const gp::BlendedPicture none = gp::BlendPictureEdgesOnce(junk.data(), junk.size(), 0);
    EXPECT_TRUE(none.png.empty() && none.pixels.IsNull());
    EXPECT_EQ(none.averageColour, 0u);
}

}  // namespace
}  // namespace orv::test
