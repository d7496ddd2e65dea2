// How long decoding stored pictures takes compared with a control's paint.
// Prints figures; asserts nothing. Run under Wine from any directory:
//   wine-run decode_bench.exe [resources folder]
#include "gdiplus/Gp.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using orv::gp::Bytes;

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double NowMicroseconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double MicrosecondsPerRun(int runs, Work&& work)
{
    work();  // warm-up
    const double start = NowMicroseconds();
    for (int i = 0; i < runs; ++i) work();
    return (NowMicroseconds() - start) / runs;
}

// Decode, read the size, draw: what a painter does with one stored picture.
void DecodeAndDraw(orv::gp::Graphics& target, const Bytes& bytes)
{
    orv::gp::Image image;
    UINT w = 0, h = 0;
    if (image.LoadFromBytes(bytes) && image.GetSize(&w, &h))
        target.DrawImage(image, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "Z:" ORV_RESOURCES_DIR_UNIX;
    const Bytes jpeg = ReadFile(folder + "/background.jpg");
    const Bytes png = ReadFile(folder + "/tool_ressim.png");
    if (jpeg.empty() || png.empty()) {
        std::printf("pictures not found in %s\n", folder.c_str());
        return 1;
    }
    orv::GdiPlusToken token = orv::StartGdiPlus();

    orv::gp::Bitmap canvas;
    canvas.Create(450, 364);
    orv::gp::Graphics g;
    g.CreateFromImage(canvas);

    orv::gp::Image decodedJpeg, decodedPng;
    decodedJpeg.LoadFromBytes(jpeg);
    decodedPng.LoadFromBytes(png);

    const double jpegDecode = MicrosecondsPerRun(200, [&] {
        orv::gp::Image image;
        image.LoadFromBytes(jpeg);
        UINT w = 0;
        image.GetWidth(&w);
    });
    const double pngDecode = MicrosecondsPerRun(2000, [&] {
        orv::gp::Image image;
        image.LoadFromBytes(png);
        UINT w = 0;
        image.GetWidth(&w);
    });
    const double jpegDecodeDraw = MicrosecondsPerRun(200, [&] { DecodeAndDraw(g, jpeg); });
    const double pngDecodeDraw = MicrosecondsPerRun(2000, [&] { DecodeAndDraw(g, png); });
    const double pngCachedDraw = MicrosecondsPerRun(2000, [&] {
        orv::gp::DrawPicture(g, png.data(), png.size(), 0.0f, 0.0f, 32.0f, 32.0f);
    });
    const double jpegCachedDraw = MicrosecondsPerRun(200, [&] {
        orv::gp::DrawPicture(g, jpeg.data(), jpeg.size(), 0.0f, 0.0f, 450.0f, 300.0f);
    });
    const double jpegDrawOnly = MicrosecondsPerRun(200, [&] { g.DrawImage(decodedJpeg, 0.0f, 0.0f, 450.0f, 300.0f); });
    const double pngDrawOnly = MicrosecondsPerRun(2000, [&] { g.DrawImage(decodedPng, 0.0f, 0.0f, 32.0f, 32.0f); });
    // A button's paint without its picture: two rounded fills, an outline, text.
    orv::gp::Font font;
    font.Create("宋体", 12);
    orv::gp::StringFormat format;
    format.Create();
    format.SetAlign(Gdiplus::StringAlignmentCenter);
    orv::gp::SolidBrush text(0xFF000000);
    const double buttonPaint = MicrosecondsPerRun(2000, [&] {
        orv::gp::FillRoundRectGradient(g, 1, 1, 98, 28, 5, 0x78FFFFFF, 0x64DDCA22);
        orv::gp::FillRoundRectGradient(g, 2, 2, 96, 13, 5, 0x32FFFFFF, 0x0AFFFFFF);
        orv::gp::StrokeRoundRect(g, 0, 0, 99, 29, 5, 0x50000000);
        g.DrawString("搜索", font, orv::gp::RectF(0, 0, 100, 30), &format, text);
    });

    // The window background's preparation at start-up, step by step.
    COLORREF average = 0;
    const double averageColour = MicrosecondsPerRun(20, [&] { average = orv::gp::AverageColour(jpeg.data(), jpeg.size()); });
    Bytes prepared;
    const double blendEdges = MicrosecondsPerRun(20, [&] {
        prepared = orv::gp::BlendPictureEdges(jpeg.data(), jpeg.size(), 1, average);
    });
    const double preparedDecode = MicrosecondsPerRun(20, [&] {
        orv::gp::Image image;
        image.LoadFromBytes(prepared);
        UINT w = 0;
        image.GetWidth(&w);
    });
    std::printf("background preparation: average colour %.0f us, edge blend with PNG encode %.0f us "
                "(%zu bytes), decode of the prepared PNG %.0f us\n",
                averageColour, blendEdges, prepared.size(), preparedDecode);
    std::printf("JPEG 450x300 (%zu bytes): decode %.0f us, decode+draw %.0f us, draw of decoded %.0f us\n",
                jpeg.size(), jpegDecode, jpegDecodeDraw, jpegDrawOnly);
    std::printf("PNG 32x32 (%zu bytes): decode %.0f us, decode+draw %.0f us, draw of decoded %.0f us\n", png.size(),
                pngDecode, pngDecodeDraw, pngDrawOnly);
    std::printf("through the picture cache: JPEG draw %.0f us, PNG draw %.0f us\n", jpegCachedDraw, pngCachedDraw);
    std::printf("button paint without picture (100x30, fills, outline, text): %.0f us\n", buttonPaint);

    g.Delete();
    canvas.Dispose();
    decodedJpeg.Dispose();
    decodedPng.Dispose();
    font.Delete();
    format.Delete();
    text.Delete();
    orv::EndGdiPlus(&token);  // also empties the picture cache
    return 0;
}
