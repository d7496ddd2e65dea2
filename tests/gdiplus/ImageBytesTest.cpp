// Memory streams, pictures decoded from bytes, encoding back to bytes and
// files, and the encoder choice by format text.
#include "GdiplusTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orv::test {
namespace {

using gp::ARGB;
using gp::Bytes;

bool StartsWith(const Bytes& bytes, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return bytes.size() >= n && std::memcmp(bytes.data(), prefix, n) == 0;
}

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

TEST(MemoryStream, HoldsACopyOfTheBytesInItsOwnBlock)
{
    const Bytes input = {1, 2, 3, 4, 5, 250};
    gp::MemoryStream stream;
    ASSERT_TRUE(stream.CreateFromBytes(input));
    ASSERT_NE(stream.Block(), nullptr);
    ASSERT_NE(stream.Stream(), nullptr);
    EXPECT_EQ(stream.Size(), input.size());
    EXPECT_EQ(stream.ContentsAsBytes(), input);
    EXPECT_EQ(gp::MemoryStream::BlockOfStream(stream.Stream()), stream.Block());
    EXPECT_GE(GlobalSize(stream.Block()), input.size());
    // Reading through the stream gives the bytes back from the start.
    uint8_t read[6] = {};
    ULONG got = 0;
    ASSERT_EQ(stream.Stream()->Read(read, sizeof read, &got), S_OK);
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(read[5], 250);
    stream.Free();
    EXPECT_EQ(stream.Block(), nullptr);
    EXPECT_EQ(stream.Stream(), nullptr);
    EXPECT_TRUE(stream.ContentsAsBytes().empty());
}

TEST(MemoryStream, EmptyStreamGrowsWithWritesAndMovesOwnership)
{
    gp::MemoryStream stream;
    ASSERT_TRUE(stream.CreateEmpty());
    const char text[] = "abcdef";
    ULONG written = 0;
    ASSERT_EQ(stream.Stream()->Write(text, 6, &written), S_OK);
    EXPECT_EQ(stream.Size(), 6u);
    EXPECT_EQ(stream.ContentsAsBytes(), Bytes(text, text + 6));
    gp::MemoryStream moved(std::move(stream));
    EXPECT_EQ(stream.Stream(), nullptr);
    EXPECT_EQ(moved.ContentsAsBytes(), Bytes(text, text + 6));
}

TEST(Encoders, FormatTextsMatchExactlyAndCaseSensitively)
{
    bool png = false;
    for (const gp::EncoderEntry& e : gp::ListEncoders())
        if (e.formatText == L"{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}") png = e.mimeType == L"image/png";
    EXPECT_TRUE(png);
    CLSID clsid{};
    EXPECT_TRUE(gp::FindEncoder(gp::kPngFormat, &clsid));
    EXPECT_TRUE(gp::FindEncoder(gp::kBmpFormat, &clsid));
    EXPECT_TRUE(gp::FindEncoder(gp::kJpegFormat, &clsid));
    EXPECT_FALSE(gp::FindEncoder("{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", &clsid));
    EXPECT_FALSE(gp::FindEncoder("B96B3CAF-0728-11D3-9D7B-0000F81EF32E", &clsid));
    EXPECT_FALSE(gp::FindEncoder("", &clsid));
}

TEST(LoadFromBytes, PngKeepsSizeColoursAndAlpha)
{
    Canvas source(40, 30);
    gp::SolidBrush red(0xFFFF0000), clearBlue(0x800000FF);
    source.graphics.FillRectangle(red, 0, 0, 20, 30);
    source.graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    source.graphics.FillRectangle(clearBlue, 20, 0, 20, 30);
    source.graphics.Delete();
    Bytes png;
    ASSERT_TRUE(source.bitmap.SaveToBytes(gp::kPngFormat, &png));
    ASSERT_TRUE(StartsWith(png, kPngSignature));

    gp::Image image;
    ASSERT_TRUE(image.LoadFromBytes(png));
    UINT w = 0, h = 0;
    ASSERT_TRUE(image.GetSize(&w, &h));
    EXPECT_EQ(w, 40u);
    EXPECT_EQ(h, 30u);
    GUID format{};
    ASSERT_TRUE(image.GetRawFormat(&format));
    EXPECT_TRUE(IsEqualGUID(format, Gdiplus::ImageFormatPNG));

    gp::Bitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromBytes(png));
    ARGB pixel = 0;
    ASSERT_TRUE(bitmap.GetPixel(5, 5, &pixel));
    EXPECT_EQ(pixel, 0xFFFF0000u);
    ASSERT_TRUE(bitmap.GetPixel(30, 20, &pixel));
    EXPECT_EQ(pixel, 0x800000FFu);
    ASSERT_TRUE(bitmap.GetPixel(0, 0, &pixel));
    EXPECT_EQ(pixel, 0xFFFF0000u);
}

TEST(LoadFromBytes, JpegHasItsSizeAndNearlyItsColours)
{
    const Bytes jpeg = QuadrantPicture(64, 48, gp::kJpegFormat, 95);
    ASSERT_TRUE(StartsWith(jpeg, "\xFF\xD8"));
    gp::Bitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromBytes(jpeg));
    UINT w = 0, h = 0;
    ASSERT_TRUE(bitmap.GetSize(&w, &h));
    EXPECT_EQ(w, 64u);
    EXPECT_EQ(h, 48u);
    ARGB pixel = 0;
    ASSERT_TRUE(bitmap.GetPixel(16, 12, &pixel));
    EXPECT_TRUE(ArgbNear(0xFFFF0000, pixel, 24));
    ASSERT_TRUE(bitmap.GetPixel(48, 12, &pixel));
    EXPECT_TRUE(ArgbNear(0xFF00FF00, pixel, 24));
    ASSERT_TRUE(bitmap.GetPixel(16, 36, &pixel));
    EXPECT_TRUE(ArgbNear(0xFF0000FF, pixel, 24));
    ASSERT_TRUE(bitmap.GetPixel(48, 36, &pixel));
    EXPECT_TRUE(ArgbNear(0xFFFFFFFF, pixel, 24));
    // Decoded through the colour-managed form too.
    gp::Image managed;
    EXPECT_TRUE(managed.LoadFromBytes(jpeg, true));
}

TEST(LoadFromBytes, StoredResourcesDecodeToTheirSizes)
{
    const Bytes background = ReadResource("background.jpg");
    const Bytes search = ReadResource("search.png");
    if (background.empty() || search.empty()) GTEST_SKIP() << "resources not generated yet";
    gp::Image jpeg;
    ASSERT_TRUE(jpeg.LoadFromBytes(background));
    UINT w = 0, h = 0;
    ASSERT_TRUE(jpeg.GetSize(&w, &h));
    EXPECT_EQ(w, 450u);
    EXPECT_EQ(h, 300u);
    gp::Bitmap png;
    ASSERT_TRUE(png.LoadFromBytes(search));
    ASSERT_TRUE(png.GetSize(&w, &h));
    EXPECT_EQ(w, 128u);
    EXPECT_EQ(h, 128u);
    // The image and bitmap forms decode the same pixels.
    gp::Bitmap jpegBitmap;
    ASSERT_TRUE(jpegBitmap.LoadFromBytes(background));
    ARGB a = 0, b = 1;
    ASSERT_TRUE(jpegBitmap.GetPixel(225, 150, &a));
    ASSERT_TRUE(Gdiplus::DllExports::GdipBitmapGetPixel(static_cast<Gdiplus::GpBitmap*>(jpeg.Native()), 225, 150,
                                                          &b) == Gdiplus::Ok);
    EXPECT_EQ(a, b);
}

TEST(SaveToBytes, PngRoundTripKeepsEveryPixel)
{
    Canvas source(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            source.bitmap.SetPixel(x, y, (static_cast<ARGB>(x * 16 + 15) << 24) | (x * 13 << 16) | (y * 11 << 8) | 77);
    Bytes png;
    ASSERT_TRUE(source.bitmap.SaveToBytes(gp::kPngFormat, &png));
    gp::Bitmap copy;
    ASSERT_TRUE(copy.LoadFromBytes(png));
    int different = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            ARGB a = 0, b = 0;
            source.bitmap.GetPixel(x, y, &a);
            copy.GetPixel(x, y, &b);
            different += a != b;
        }
    EXPECT_EQ(different, 0);
}

TEST(SaveToBytes, UnknownFormatFailsAndYieldsNoBytes)
{
    Canvas source(4, 4, 0xFFFFFFFF);
    Bytes bytes = {1, 2, 3};
    EXPECT_FALSE(source.bitmap.SaveToBytes("{00000000-0000-0000-0000-000000000000}", &bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_NE(gp::LastStatus(), Gdiplus::Ok);
    EXPECT_FALSE(source.bitmap.SaveToBytes("{b96b3caf-0728-11d3-9d7b-0000f81ef32e}", &bytes));
    EXPECT_TRUE(bytes.empty());
    ASSERT_TRUE(source.bitmap.SaveToBytes(gp::kBmpFormat, &bytes));
    EXPECT_TRUE(StartsWith(bytes, "BM"));
}

TEST(SaveToFile, DefaultsToBmpAndWritesNothingForUnknownFormats)
{
    char dir[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, dir);
    const std::string bmp = std::string(dir) + "orv_gp_save.bmp";
    const std::string png = std::string(dir) + "orv_gp_save.png";
    const std::string none = std::string(dir) + "orv_gp_none.img";
    DeleteFileA(bmp.c_str());
    DeleteFileA(png.c_str());
    DeleteFileA(none.c_str());
    Canvas source(6, 5, 0xFF336699);
    source.graphics.Delete();
    ASSERT_TRUE(source.bitmap.SaveToFile(bmp.c_str()));
    ASSERT_TRUE(source.bitmap.SaveToFile(png.c_str(), gp::kPngFormat));
    EXPECT_FALSE(source.bitmap.SaveToFile(none.c_str(), "{12345678-0000-0000-0000-000000000000}"));
    EXPECT_EQ(GetFileAttributesA(none.c_str()), INVALID_FILE_ATTRIBUTES);

    gp::Bitmap fromBmp, fromPng;
    ASSERT_TRUE(fromBmp.LoadFromFile(bmp.c_str()));
    ASSERT_TRUE(fromPng.LoadFromFile(png.c_str()));
    GUID format{};
    ASSERT_TRUE(fromBmp.GetRawFormat(&format));
    EXPECT_TRUE(IsEqualGUID(format, Gdiplus::ImageFormatBMP));
    ARGB pixel = 0;
    ASSERT_TRUE(fromPng.GetPixel(3, 2, &pixel));
    EXPECT_EQ(pixel, 0xFF336699u);
    fromBmp.Dispose();
    fromPng.Dispose();
    DeleteFileA(bmp.c_str());
    DeleteFileA(png.c_str());
}

TEST(LoadFromBytes, TwoLoadsOfTheSameBytesAreIndependent)
{
    const Bytes png = QuadrantPicture(20, 20, gp::kPngFormat);
    gp::Bitmap first, second;
    ASSERT_TRUE(first.LoadFromBytes(png));
    ASSERT_TRUE(second.LoadFromBytes(png));
    EXPECT_NE(first.Native(), second.Native());
    ASSERT_NE(first.Source().Block(), nullptr);
    EXPECT_NE(first.Source().Block(), second.Source().Block());
    ASSERT_TRUE(first.SetPixel(2, 2, 0xFF010203));
    ARGB pixel = 0;
    ASSERT_TRUE(second.GetPixel(2, 2, &pixel));
    EXPECT_EQ(pixel, 0xFFFF0000u);
    ASSERT_TRUE(first.Dispose());
    EXPECT_EQ(first.Source().Block(), nullptr);
    ASSERT_TRUE(second.GetPixel(15, 15, &pixel));
    EXPECT_EQ(pixel, 0xFFFFFFFFu);
}

TEST(LoadFromBytes, CloneOutlivesTheOriginal)
{
    const Bytes png = QuadrantPicture(20, 20, gp::kPngFormat);
    gp::Image copy;
    {
        gp::Image original;
        ASSERT_TRUE(original.LoadFromBytes(png));
        ASSERT_TRUE(original.Clone(&copy));
    }
    Canvas canvas(20, 20);
    ASSERT_TRUE(canvas.graphics.DrawImage(copy, 0.0f, 0.0f, 20.0f, 20.0f));
    EXPECT_EQ(canvas.Pixel(15, 5), 0xFF00FF00u);
}

TEST(LoadFromBytes, BadBytesLeaveANullImageThatDrawsNothing)
{
    const Bytes junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    gp::Image image;
    EXPECT_FALSE(image.LoadFromBytes(junk));
    EXPECT_TRUE(image.IsNull());
    EXPECT_EQ(image.Source().Stream(), nullptr);
    EXPECT_NE(gp::LastStatus(), Gdiplus::Ok);
    EXPECT_FALSE(image.LoadFromBytes(nullptr, 0));
    Canvas canvas(8, 8);
    EXPECT_FALSE(canvas.graphics.DrawImage(image, 0.0f, 0.0f));
    EXPECT_FALSE(gp::DrawPicture(canvas.graphics, junk.data(), junk.size(), 0, 0));
    EXPECT_EQ(canvas.Pixel(4, 4), 0u);
    UINT w = 1, h = 1;
    EXPECT_FALSE(gp::PictureSize(junk.data(), junk.size(), &w, &h));
    EXPECT_EQ(w, 0u);
}

TEST(Bitmaps, RotateAndGdiBitmapRoundTrip)
{
    const Bytes png = QuadrantPicture(40, 30, gp::kPngFormat);
    gp::Image image;
    ASSERT_TRUE(image.LoadFromBytes(png));
    ASSERT_TRUE(image.RotateFlip(Gdiplus::Rotate90FlipNone));
    UINT w = 0, h = 0;
    ASSERT_TRUE(image.GetSize(&w, &h));
    EXPECT_EQ(w, 30u);
    EXPECT_EQ(h, 40u);

    gp::Bitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromBytes(png));
    HBITMAP gdi = nullptr;
    ASSERT_TRUE(bitmap.CreateHBITMAP(&gdi));
    ASSERT_NE(gdi, nullptr);
    gp::Bitmap back;
    ASSERT_TRUE(back.CreateFromHBITMAP(gdi));
    DeleteObject(gdi);
    ARGB pixel = 0;
    ASSERT_TRUE(back.GetPixel(30, 5, &pixel));
    EXPECT_EQ(pixel & 0x00FFFFFF, 0x0000FF00u);
    ASSERT_TRUE(back.GetPixel(5, 25, &pixel));
    EXPECT_EQ(pixel & 0x00FFFFFF, 0x000000FFu);

    HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
    gp::Bitmap fromIcon;
    ASSERT_TRUE(fromIcon.CreateFromHICON(icon));
    ASSERT_TRUE(fromIcon.GetSize(&w, &h));
    EXPECT_GT(w, 0u);
}

TEST(Drawing, StoredPictureIsDrawnAtItsPlaceAndSize)
{
    const Bytes png = QuadrantPicture(10, 10, gp::kPngFormat);
    Canvas canvas(40, 40);
    ASSERT_TRUE(gp::DrawPicture(canvas.graphics, png.data(), png.size(), 5, 5, 10, 10));
    EXPECT_EQ(canvas.Pixel(6, 6), 0xFFFF0000u);
    EXPECT_EQ(canvas.Pixel(13, 6), 0xFF00FF00u);
    EXPECT_EQ(canvas.Pixel(16, 16), 0u);
    ASSERT_TRUE(gp::DrawPicture(canvas.graphics, png.data(), png.size(), 20, 20, 20, 20));
    EXPECT_EQ(canvas.Pixel(35, 35), 0xFFFFFFFFu);
    UINT w = 0, h = 0;
    ASSERT_TRUE(gp::PictureSize(png.data(), png.size(), &w, &h));
    EXPECT_EQ(w, 10u);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST(PictureCache, SameBytesDecodeOnceAndChangedBytesDecodeAgain)
{
    gp::ClearPictureCache();
    gp::Bytes png = QuadrantPicture(10, 10, gp::kPngFormat);
    const gp::Image* first = gp::CachedPicture(png.data(), png.size());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(gp::CachedPicture(png.data(), png.size()), first);
    EXPECT_EQ(gp::PictureCacheSize(), 1u);
    // A copy of the bytes elsewhere (a painter drawing from a copy of its
    // entry) finds the same picture: no second decode.
    const gp::Bytes copy = png;
    EXPECT_EQ(gp::CachedPicture(copy.data(), copy.size()), first);
    EXPECT_EQ(gp::PictureCacheSize(), 1u);

    // Same buffer, other picture of the same length: a fresh decode.
    const gp::Bytes other = QuadrantPicture(10, 10, gp::kPngFormat);
    Canvas recolour(10, 10, 0xFF00FFFF);
    recolour.graphics.Delete();
    gp::Bytes cyan;
    ASSERT_TRUE(recolour.bitmap.SaveToBytes(gp::kPngFormat, &cyan));
    cyan.resize(png.size() > cyan.size() ? png.size() : cyan.size());  // PNG ignores trailing bytes
    png.resize(cyan.size());
    const gp::Bytes::pointer address = png.data();
    std::copy(cyan.begin(), cyan.end(), png.begin());
    ASSERT_EQ(png.data(), address);
    Canvas canvas(10, 10);
    ASSERT_TRUE(gp::DrawPicture(canvas.graphics, png.data(), png.size(), 0, 0, 10, 10));
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFF00FFFFu);
    EXPECT_EQ(gp::PictureCacheSize(), 1u) << "the stale entry must go";

    // A cached draw gives exactly what a fresh decode gives.
    Canvas cached(10, 10), fresh(10, 10);
    ASSERT_TRUE(gp::DrawPicture(cached.graphics, other.data(), other.size(), 0, 0, 10, 10));
    gp::Image image;
    ASSERT_TRUE(image.LoadFromBytes(other));
    ASSERT_TRUE(fresh.graphics.DrawImage(image, 0.0f, 0.0f, 10.0f, 10.0f));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(cached.Pixel(x, y), fresh.Pixel(x, y)) << x << "," << y;

    gp::ClearPictureCache();
    EXPECT_EQ(gp::PictureCacheSize(), 0u);
}

}  // namespace
}  // namespace orv::test
