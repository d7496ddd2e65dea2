// 10,000 rounds of what a control paint does, counting GDI objects and
// private bytes before and after. The figures are printed; growth must stay
// within a small bound.
#include "GdiplusTestSupport.h"

#include "support/GdiObjectCount.h"

#include <cstdio>

namespace orv::test {
namespace {

// One paint's worth of work: memory DC and DIB, graphics on it, a picture
// from bytes, paths, brushes, pens, fonts, text; everything released.
void PaintRound(HDC screen, const gp::Bytes& png)
{
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 48;
    info.bmiHeader.biHeight = -24;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    {
        gp::Graphics g;
        g.CreateFromHDC(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        gp::FillRoundRectGradient(g, 1, 1, 46, 22, 5, 0x80FFFFFF, 0x40000000);
        gp::StrokeRoundRect(g, 0, 0, 47, 23, 5, 0xFF000000);
        gp::DrawPicture(g, png.data(), png.size(), 2, 2);  // cached after the first round
        gp::Bitmap decoded;  // so every round also decodes and disposes of a picture
        decoded.LoadFromBytes(png);
        g.DrawImage(decoded, 20.0f, 2.0f, 16.0f, 16.0f);
        gp::GraphicsPath path;
        path.Create();
        path.AddEllipse(4, 4, 10, 10);
        gp::PathGradientBrush glow;
        glow.CreateFromPath(path);
        glow.SetCenterColor(0xFFFFFFFF);
        g.FillPath(glow, path);
        gp::Font font;
        font.Create("宋体", 9);
        gp::StringFormat format;
        format.Create();
        format.SetAlign(Gdiplus::StringAlignmentCenter);
        gp::SolidBrush text(0xFF000000);
        g.DrawString("搜索", font, gp::RectF(0, 0, 48, 24), &format, text);
        gp::Bitmap copy;
        copy.Create(8, 8);
        HBITMAP made = nullptr;
        if (copy.CreateHBITMAP(&made)) DeleteObject(made);
    }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
}

TEST(Leaks, TenThousandPaintRoundsKeepGdiObjectsAndMemoryFlat)
{
    const gp::Bytes png = QuadrantPicture(16, 16, gp::kPngFormat);
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 200; ++i) PaintRound(screen, png);  // warm-up: caches, font tables
    const long objectsBefore = GdiObjectCount();
    const size_t bytesBefore = PrivateBytes();
    ASSERT_GT(objectsBefore, 0) << "GDI object counter does not work here";

    // The counter must see a leak when there is one.
    HBRUSH probe[10];
    for (HBRUSH& b : probe) b = CreateSolidBrush(RGB(1, 2, 3));
    const long withProbe = GdiObjectCount();
    for (HBRUSH b : probe) DeleteObject(b);
    EXPECT_EQ(withProbe - objectsBefore, 10);

    constexpr int kRounds = 10000;
    DWORD start = GetTickCount();
    for (int i = 0; i < kRounds; ++i) PaintRound(screen, png);
    DWORD elapsed = GetTickCount() - start;
    ReleaseDC(nullptr, screen);
    const long objectsAfter = GdiObjectCount();
    const size_t bytesAfter = PrivateBytes();
    const long long byteGrowth = static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore);
    std::printf("[ figures  ] %d rounds in %lu ms; GDI objects %ld -> %ld; private bytes %zu -> %zu (%+lld)\n",
                kRounds, static_cast<unsigned long>(elapsed), objectsBefore, objectsAfter, bytesBefore, bytesAfter,
                byteGrowth);
    EXPECT_LE(objectsAfter - objectsBefore, 2);
    // Less than 50 bytes a round: any per-round object left behind is larger.
    EXPECT_LT(byteGrowth, 512 * 1024);
}

}  // namespace
}  // namespace orv::test
