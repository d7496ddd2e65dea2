// Images and bitmaps, mostly decoded from bytes held in memory. Each object
// owns the memory stream it was loaded from: GDI+ may read the stream again
// at any time while the image lives.
#pragma once

#include <utility>

#include "gdiplus/GpCore.h"
#include "gdiplus/MemoryStream.h"

namespace orv::gp {

// A bitmap's pixel memory in pages of its own: freed, it goes back to the
// system at once, where a block of the process heap would stay behind as a
// hole that later allocations may never fill.
class PixelPages {
public:
    PixelPages() = default;
    ~PixelPages() { Free(); }
    PixelPages(const PixelPages&) = delete;
    PixelPages& operator=(const PixelPages&) = delete;
    PixelPages(PixelPages&& other) noexcept : base_(std::exchange(other.base_, nullptr)) {}
    PixelPages& operator=(PixelPages&& other) noexcept
    {
        if (this != &other) {
            Free();
            base_ = std::exchange(other.base_, nullptr);
        }
        return *this;
    }
    // Zero-filled; frees what was held first. nullptr when it cannot be had.
    BYTE* Allocate(size_t bytes);
    void Free();

private:
    void* base_ = nullptr;
};

struct ImageTraits {
    static GpStatus Delete(Gdiplus::GpImage* image) { return Gdiplus::DllExports::GdipDisposeImage(image); }
};

class Image : public NativeObject<Gdiplus::GpImage*, ImageTraits> {
public:
    Image() = default;
    ~Image() { Dispose(); }
    Image(Image&&) noexcept = default;
    Image& operator=(Image&&) noexcept = default;

    // Disposes of the native image, then frees the stream it came from.
    bool Dispose();

    // Decodes bytes (PNG, JPEG, BMP, GIF...) through a stream of this object's
    // own; colourManaged selects the ICM form.
    bool LoadFromBytes(const void* data, size_t size, bool colourManaged = false);
    bool LoadFromBytes(const Bytes& bytes, bool colourManaged = false)
    {
        return LoadFromBytes(bytes.data(), bytes.size(), colourManaged);
    }
    // fileName is GBK.
    bool LoadFromFile(const char* fileName, bool colourManaged = false);

    // An independent copy. A picture loaded from bytes is decoded again from
    // its own copy of them (changes made after loading are not carried over).
    bool Clone(Image* copy) const;

    bool GetWidth(UINT* width) const;
    bool GetHeight(UINT* height) const;
    // Both at once; a convenience for painters (0 × 0 on failure).
    bool GetSize(UINT* width, UINT* height) const;
    bool GetPixelFormat(Gdiplus::PixelFormat* format) const;
    bool GetRawFormat(GUID* format) const;
    bool GetType(Gdiplus::ImageType* type) const;
    bool RotateFlip(Gdiplus::RotateFlipType type);

    // Encodes with the encoder of formatText into fresh bytes; quality
    // (0..100) is passed only when not negative. False, and bytes emptied,
    // when no encoder has that format or encoding fails.
    bool SaveToBytes(const char* formatText, Bytes* bytes, long quality = -1) const;
    // fileName is GBK; the format defaults to BMP.
    bool SaveToFile(const char* fileName, const char* formatText = nullptr) const;

    // The stream the image was decoded from (empty for created bitmaps).
    const MemoryStream& Source() const { return source_; }

protected:
    MemoryStream source_;
    PixelPages pages_;  // the pixels of a bitmap made on pages of its own
};

class Graphics;

// A bitmap is an image whose pixels can be addressed; everything an image
// does, a bitmap does too.
class Bitmap : public Image {
public:
    Bitmap() = default;
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;

    Gdiplus::GpBitmap* NativeBitmap() const { return static_cast<Gdiplus::GpBitmap*>(Native()); }

    // GdipCreateBitmapFromStream (ICM form when colourManaged).
    bool LoadFromBytes(const void* data, size_t size, bool colourManaged = false);
    bool LoadFromBytes(const Bytes& bytes, bool colourManaged = false)
    {
        return LoadFromBytes(bytes.data(), bytes.size(), colourManaged);
    }
    bool LoadFromFile(const char* fileName, bool colourManaged = false);

    // A blank bitmap of GDI+'s own memory (32bpp ARGB unless told otherwise),
    // all pixels 0.
    bool Create(int width, int height, Gdiplus::PixelFormat format = PixelFormat32bppARGB);
    // The same, 32bpp ARGB, with its pixels in pages of its own (PixelPages).
    bool CreateOnOwnPages(int width, int height);
    // Over caller memory that must outlive the bitmap.
    bool CreateFromScan0(int width, int height, int stride, Gdiplus::PixelFormat format, BYTE* scan0);
    bool CreateFromHBITMAP(HBITMAP bitmap, HPALETTE palette = nullptr);
    bool CreateFromHICON(HICON icon);

    // A GDI bitmap of the pixels (premultiplied; background is ignored under
    // Wine). The caller owns the result.
    bool CreateHBITMAP(HBITMAP* result, ARGB background = 0) const;

    bool GetPixel(int x, int y, ARGB* colour) const;
    bool SetPixel(int x, int y, ARGB colour);
};

}  // namespace orv::gp
