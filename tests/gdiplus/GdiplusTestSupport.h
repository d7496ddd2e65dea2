// Shared by the GDI+ layer tests: a GDI+ session for the whole run, canvases
// to draw into and pixel comparisons that allow for gradient rounding.
#pragma once

#include "gdiplus/Gp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TestFiles.h"

namespace orv::test {

// A 32bpp ARGB bitmap with a graphics on it, cleared to a colour.
struct Canvas {
    gp::Bitmap bitmap;
    gp::Graphics graphics;

    Canvas(int width, int height, gp::ARGB background = 0)
    {
        bitmap.Create(width, height);
        graphics.CreateFromImage(bitmap);
        graphics.Clear(background);
    }

    // Ends drawing so every pixel is in the bitmap, then reads one.
    gp::ARGB Pixel(int x, int y)
    {
        graphics.Flush(Gdiplus::FlushIntentionSync);
        gp::ARGB colour = 0xDEADBEEF;
        bitmap.GetPixel(x, y, &colour);
        return colour;
    }
};

inline int Channel(gp::ARGB colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

// Every channel (A, R, G, B) within tolerance.
inline ::testing::AssertionResult ArgbNear(gp::ARGB expected, gp::ARGB actual, int tolerance)
{
    for (int shift : {24, 16, 8, 0})
        if (std::abs(Channel(expected, shift) - Channel(actual, shift)) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "expected 0x" << expected << " got 0x" << actual
                                                 << std::dec << " (tolerance " << tolerance << ")";
    return ::testing::AssertionSuccess();
}

// A picture of four solid quadrants (red, green, blue, white, all opaque),
// encoded in the given format.
inline gp::Bytes QuadrantPicture(int width, int height, const char* format, long quality = -1)
{
    Canvas canvas(width, height, 0xFFFFFFFF);
    gp::SolidBrush red(0xFFFF0000), green(0xFF00FF00), blue(0xFF0000FF);
    canvas.graphics.FillRectangle(red, 0, 0, width / 2, height / 2);
    canvas.graphics.FillRectangle(green, width / 2, 0, width - width / 2, height / 2);
    canvas.graphics.FillRectangle(blue, 0, height / 2, width / 2, height - height / 2);
    canvas.graphics.Delete();
    gp::Bytes bytes;
    canvas.bitmap.SaveToBytes(format, &bytes, quality);
    return bytes;
}

// A file of the program's resources folder (beside this program in the test
// package, else the source tree's), empty when it is not there.
inline gp::Bytes ReadResource(const char* name)
{
    std::ifstream in(TestFile(ORV_RESOURCES_DIR) + "\\" + name, std::ios::binary);
    if (!in) return gp::Bytes();
    return gp::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace orv::test
