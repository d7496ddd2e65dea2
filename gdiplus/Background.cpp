#include "gdiplus/Background.h"

#include "gdiplus/Brushes.h"
#include "gdiplus/Encoders.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/Images.h"

#include <cmath>

namespace orv::gp {

namespace {

// A small deterministic generator: sampling must not disturb rand() users
// and must give the same colour for the same picture every run.
class SampleRandom {
public:
    explicit SampleRandom(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next(uint32_t bound)
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return bound ? state_ % bound : 0;
    }

private:
    uint32_t state_;
};

// A band of the picture filled with a gradient of one colour, transparent on
// the from side and opaque on the to side.
bool FadeBand(Graphics& graphics, const RectF& band, COLORREF colour, Gdiplus::LinearGradientMode mode,
              bool opaqueAtFar)
{
    if (band.Width <= 0.0f || band.Height <= 0.0f) return true;
    const ARGB clear = Argb(colour, 0);
    const ARGB solid = Argb(colour, 255);
    LinearGradientBrush brush;
    return brush.CreateFromRect(band, opaqueAtFar ? clear : solid, opaqueAtFar ? solid : clear, mode) &&
           graphics.FillRectangle(brush, band);
}

// The picture copied into a 32bpp ARGB bitmap of its own pixel size, with a
// graphics on it for the bands.
struct Canvas {
    Bitmap bitmap;
    Graphics graphics;
    float width = 0.0f;
    float height = 0.0f;
};

bool PaintPicture(const Image& picture, Canvas* canvas,
                  Gdiplus::CompositingQuality quality = Gdiplus::CompositingQualityHighQuality)
{
    UINT width = 0;
    UINT height = 0;
    if (!picture.GetSize(&width, &height) || width == 0 || height == 0) return false;
    canvas->width = static_cast<float>(width);
    canvas->height = static_cast<float>(height);
    // The rectangle form keeps the pixel size whatever resolution the file
    // claims (JPEGs often say 72 dpi).
    // A picture-sized block, let go soon or handed on: on pages of its own it
    // leaves no hole in the heap when it goes.
    return canvas->bitmap.CreateOnOwnPages(static_cast<int>(width), static_cast<int>(height)) &&
           canvas->graphics.CreateFromImage(canvas->bitmap) &&
           canvas->graphics.SetCompositingQuality(quality) &&
           canvas->graphics.DrawImage(picture, 0.0f, 0.0f, canvas->width, canvas->height);
}

Bytes Encode(Canvas& canvas)
{
    canvas.graphics.Delete();  // everything drawn reaches the bitmap first
    Bytes png;
    if (!canvas.bitmap.SaveToBytes(kPngFormat, &png)) return Bytes();
    return png;
}

int BandFor(float width) { return static_cast<int>(std::lround(0.3 * width)); }

}  // namespace

COLORREF AverageColour(const Image& image, int samples, uint32_t seed)
{
    UINT width = 0;
    UINT height = 0;
    if (samples <= 0 || !image.GetSize(&width, &height) || width == 0 || height == 0) return 0;
    // Pixels are read from a bitmap; any other kind of image is drawn into one.
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    Canvas copy;
    Gdiplus::GpBitmap* pixels = static_cast<Gdiplus::GpBitmap*>(image.Native());
    if (!image.GetType(&type) || type != Gdiplus::ImageTypeBitmap) {
        if (!PaintPicture(image, &copy)) return 0;
        pixels = copy.bitmap.NativeBitmap();
    }
    SampleRandom random(seed);
    uint64_t red = 0;
    uint64_t green = 0;
    uint64_t blue = 0;
    int taken = 0;
    for (int i = 0; i < samples; ++i) {
        const INT x = static_cast<INT>(random.Next(width));
        const INT y = static_cast<INT>(random.Next(height));
        ARGB pixel = 0;
        if (!Track(Gdiplus::DllExports::GdipBitmapGetPixel(pixels, x, y, &pixel))) continue;
        red += (pixel >> 16) & 0xFF;
        green += (pixel >> 8) & 0xFF;
        blue += pixel & 0xFF;
        ++taken;
    }
    if (taken == 0) return 0;
    return RGB(red / taken, green / taken, blue / taken);
}

COLORREF AverageColour(const void* bytes, size_t size, int samples, uint32_t seed)
{
    Bitmap bitmap;
    if (!bitmap.LoadFromBytes(bytes, size)) return 0;
    return AverageColour(bitmap, samples, seed);
}

Bytes PrepareBackground(const void* bytes, size_t size, const char* fileName, int fadeWidth, COLORREF fadeColour,
                        int fade)
{
    Image picture;
    const bool loaded =
        (fileName && *fileName) ? picture.LoadFromFile(fileName) : picture.LoadFromBytes(bytes, size);
    Canvas canvas;
    // The picture is composited gamma-corrected (quality 3) here; the
    // window frame's edge blending keeps high quality (2).
    if (!loaded || !PaintPicture(picture, &canvas, Gdiplus::CompositingQualityGammaCorrected)) return Bytes();
    if (fade != 0) {
        const float w = canvas.width;
        const float h = canvas.height;
        float band = static_cast<float>(fadeWidth < 0 ? BandFor(w) : fadeWidth);
        const float across = std::fmin(band, w);
        const float down = std::fmin(band, h);
        using Gdiplus::LinearGradientModeHorizontal;
        using Gdiplus::LinearGradientModeVertical;
        FadeBand(canvas.graphics, RectF(0, 0, across, h), fadeColour, LinearGradientModeHorizontal, false);
        FadeBand(canvas.graphics, RectF(w - across, 0, across, h), fadeColour, LinearGradientModeHorizontal, true);
        FadeBand(canvas.graphics, RectF(0, 0, w, down), fadeColour, LinearGradientModeVertical, false);
        FadeBand(canvas.graphics, RectF(0, h - down, w, down), fadeColour, LinearGradientModeVertical, true);
    }
    return Encode(canvas);
}

namespace {

// The frame's edge bands drawn over the picture on a canvas of its size.
bool BlendEdges(const Image& picture, int mode, COLORREF averageColour, Canvas* canvas)
{
    if (!PaintPicture(picture, canvas)) return false;
    const float w = canvas->width;
    const float h = canvas->height;
    const float band = std::fmin(static_cast<float>(BandFor(w)), w);
    using Gdiplus::LinearGradientModeHorizontal;
    using Gdiplus::LinearGradientModeVertical;
    if (mode == 0)
        FadeBand(canvas->graphics, RectF(w - band, 0, band, h), averageColour, LinearGradientModeHorizontal, true);
    else
        FadeBand(canvas->graphics, RectF(0, 0, band, h), averageColour, LinearGradientModeHorizontal, false);
    FadeBand(canvas->graphics, RectF(0, h - std::fmin(band, h), w, std::fmin(band, h)), averageColour,
             LinearGradientModeVertical, true);
    return true;
}

Bytes CopyOf(const void* bytes, size_t size)
{
    if (!bytes || size == 0) return Bytes();
    const auto* begin = static_cast<const uint8_t*>(bytes);
    return Bytes(begin, begin + size);
}

}  // namespace

Bytes BlendPictureEdges(const void* bytes, size_t size, int mode, COLORREF averageColour)
{
    if (mode != 0 && mode != 1) return CopyOf(bytes, size);
    Image picture;
    Canvas canvas;
    if (!picture.LoadFromBytes(bytes, size) || !BlendEdges(picture, mode, averageColour, &canvas)) return Bytes();
    return Encode(canvas);
}

BlendedPicture BlendPictureEdgesOnce(const void* bytes, size_t size, int mode)
{
    BlendedPicture out;
    Bitmap picture;
    if (!picture.LoadFromBytes(bytes, size)) {
        // Not a bitmap (a metafile, or no picture at all): as the two calls
        // make it.
        out.averageColour = AverageColour(bytes, size);
        out.png = BlendPictureEdges(bytes, size, mode, out.averageColour);
        return out;
    }
    out.averageColour = AverageColour(picture);
    if (mode != 0 && mode != 1) {
        out.png = CopyOf(bytes, size);
        return out;
    }
    Canvas canvas;
    if (!BlendEdges(picture, mode, out.averageColour, &canvas)) return out;
    out.png = Encode(canvas);
    if (!out.png.empty()) out.pixels = std::move(canvas.bitmap);
    return out;
}

}  // namespace orv::gp
