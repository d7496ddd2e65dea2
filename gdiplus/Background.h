// Window background pictures: their average colour and the versions whose
// edges fade into a colour, re-encoded as PNG.
#pragma once

#include "gdiplus/GpCore.h"
#include "gdiplus/Images.h"
#include "gdiplus/MemoryStream.h"

namespace orv::gp {

// Mean colour of `samples` pixels at pseudo-random positions (the same seed
// gives the same positions). Black when the image has no pixels.
COLORREF AverageColour(const Image& image, int samples = 2000, uint32_t seed = 1);
COLORREF AverageColour(const void* bytes, size_t size, int samples = 2000, uint32_t seed = 1);

// The picture (from fileName when it is not empty, else from bytes) drawn
// into a 32bpp ARGB bitmap of its own size; unless fade is 0, each of the
// four edges fades over a band of fadeWidth pixels (negative: 30 % of the
// width, rounded; clamped to the picture) into fadeColour, opaque at the edge.
// Returns PNG bytes; empty when the picture does not decode.
Bytes PrepareBackground(const void* bytes, size_t size, const char* fileName = nullptr, int fadeWidth = -1,
                        COLORREF fadeColour = 0, int fade = 1);

// The window frame's version: band = round(0.3 × width). Mode 0 fades the
// right edge, mode 1 the left edge (transparent on the picture side, opaque
// averageColour at the outer edge); both fade the bottom over a full-width
// band of the same height. PNG bytes; other modes return the bytes as given.
// Empty when the picture does not decode.
Bytes BlendPictureEdges(const void* bytes, size_t size, int mode, COLORREF averageColour);

// The picture decoded once for both: its average colour (AverageColour's
// defaults) and BlendPictureEdges with that colour, together with the bitmap
// the PNG bytes were encoded from, so that a first draw need not decode them
// again. pixels stays empty in the other modes (the bytes are copied as
// given) and for a picture that is not a bitmap.
struct BlendedPicture {
    COLORREF averageColour = 0;
    Bytes png;
    Bitmap pixels;
};
BlendedPicture BlendPictureEdgesOnce(const void* bytes, size_t size, int mode);

}  // namespace orv::gp
