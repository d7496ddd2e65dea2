#include "gdiplus/Images.h"

#include "gdiplus/Encoders.h"
#include "gdiplus/GbkText.h"

namespace orv::gp {

namespace Flat = Gdiplus::DllExports;

BYTE* PixelPages::Allocate(size_t bytes)
{
    Free();
    base_ = bytes ? VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    return static_cast<BYTE*>(base_);
}

void PixelPages::Free()
{
    if (base_) VirtualFree(std::exchange(base_, nullptr), 0, MEM_RELEASE);
}

bool Image::Dispose()
{
    bool ok = Delete();
    source_.Free();
    pages_.Free();  // after the image that drew on them
    return ok;
}

bool Image::LoadFromBytes(const void* data, size_t size, bool colourManaged)
{
    Dispose();
    if (!data || size == 0 || !source_.CreateFromBytes(data, size)) return Track(Gdiplus::InvalidParameter);
    IStream* stream = source_.Stream();
    bool ok = Adopt([&](Gdiplus::GpImage** image) {
        return colourManaged ? Flat::GdipLoadImageFromStreamICM(stream, image)
                             : Flat::GdipLoadImageFromStream(stream, image);
    });
    if (!ok) source_.Free();
    return ok;
}

bool Image::LoadFromFile(const char* fileName, bool colourManaged)
{
    Dispose();
    const std::wstring name = WideFromGbk(fileName);
    return Adopt([&](Gdiplus::GpImage** image) {
        return colourManaged ? Flat::GdipLoadImageFromFileICM(name.c_str(), image)
                             : Flat::GdipLoadImageFromFile(name.c_str(), image);
    });
}

bool Image::Clone(Image* copy) const
{
    if (!copy || copy == this) return Track(Gdiplus::InvalidParameter);
    // GDI+ may decode lazily, so a native clone of a loaded picture could
    // still read this object's stream; a clone with bytes of its own is
    // decoded afresh instead.
    if (source_) return copy->LoadFromBytes(source_.ContentsAsBytes());
    copy->Dispose();
    Gdiplus::GpImage* cloned = nullptr;
    if (!Track(Flat::GdipCloneImage(Native(), &cloned))) return false;
    copy->SetNative(cloned);
    return true;
}

bool Image::GetWidth(UINT* width) const { return Track(Flat::GdipGetImageWidth(Native(), width)); }
bool Image::GetHeight(UINT* height) const { return Track(Flat::GdipGetImageHeight(Native(), height)); }

bool Image::GetSize(UINT* width, UINT* height) const
{
    *width = 0;
    *height = 0;
    if (!GetWidth(width)) return false;
    if (!GetHeight(height)) {
        *width = 0;
        return false;
    }
    return true;
}

bool Image::GetPixelFormat(Gdiplus::PixelFormat* format) const
{
    return Track(Flat::GdipGetImagePixelFormat(Native(), format));
}

bool Image::GetRawFormat(GUID* format) const { return Track(Flat::GdipGetImageRawFormat(Native(), format)); }
bool Image::GetType(Gdiplus::ImageType* type) const { return Track(Flat::GdipGetImageType(Native(), type)); }
bool Image::RotateFlip(Gdiplus::RotateFlipType type) { return Track(Flat::GdipImageRotateFlip(Native(), type)); }

namespace {

// Encoder parameters holding the quality; GDI+ reads them during the call.
struct QualityParameter {
    Gdiplus::EncoderParameters list{};
    ULONG value = 0;

    explicit QualityParameter(long quality)
    {
        value = static_cast<ULONG>(quality);
        list.Count = 1;
        list.Parameter[0].Guid = Gdiplus::EncoderQuality;
        list.Parameter[0].NumberOfValues = 1;
        list.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        list.Parameter[0].Value = &value;
    }
};

}  // namespace

bool Image::SaveToBytes(const char* formatText, Bytes* bytes, long quality) const
{
    if (!bytes) return Track(Gdiplus::InvalidParameter);
    bytes->clear();
    CLSID encoder{};
    if (!FindEncoder(formatText, &encoder)) return Track(Gdiplus::UnknownImageFormat);
    MemoryStream target;
    if (!target.CreateEmpty()) return Track(Gdiplus::OutOfMemory);
    QualityParameter parameter(quality);
    const Gdiplus::EncoderParameters* parameters = quality >= 0 ? &parameter.list : nullptr;
    if (!Track(Flat::GdipSaveImageToStream(Native(), target.Stream(), &encoder, parameters))) return false;
    *bytes = target.ContentsAsBytes();
    return true;
}

bool Image::SaveToFile(const char* fileName, const char* formatText) const
{
    CLSID encoder{};
    if (!FindEncoder(formatText ? formatText : kBmpFormat, &encoder)) return Track(Gdiplus::UnknownImageFormat);
    const std::wstring name = WideFromGbk(fileName);
    return Track(Flat::GdipSaveImageToFile(Native(), name.c_str(), &encoder, nullptr));
}

bool Bitmap::LoadFromBytes(const void* data, size_t size, bool colourManaged)
{
    Dispose();
    if (!data || size == 0 || !source_.CreateFromBytes(data, size)) return Track(Gdiplus::InvalidParameter);
    IStream* stream = source_.Stream();
    Gdiplus::GpBitmap* bitmap = nullptr;
    GpStatus status = colourManaged ? Flat::GdipCreateBitmapFromStreamICM(stream, &bitmap)
                                    : Flat::GdipCreateBitmapFromStream(stream, &bitmap);
    if (!Track(status)) {
        source_.Free();
        return false;
    }
    SetNative(bitmap);
    return true;
}

bool Bitmap::LoadFromFile(const char* fileName, bool colourManaged)
{
    Dispose();
    const std::wstring name = WideFromGbk(fileName);
    Gdiplus::GpBitmap* bitmap = nullptr;
    GpStatus status = colourManaged ? Flat::GdipCreateBitmapFromFileICM(name.c_str(), &bitmap)
                                    : Flat::GdipCreateBitmapFromFile(name.c_str(), &bitmap);
    if (!Track(status)) return false;
    SetNative(bitmap);
    return true;
}

bool Bitmap::Create(int width, int height, Gdiplus::PixelFormat format)
{
    return CreateFromScan0(width, height, 0, format, nullptr);
}

bool Bitmap::CreateOnOwnPages(int width, int height)
{
    Dispose();
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF / 4) return Track(Gdiplus::InvalidParameter);
    const int stride = width * 4;
    BYTE* pixels = pages_.Allocate(static_cast<size_t>(stride) * static_cast<size_t>(height));
    if (!pixels) return Track(Gdiplus::OutOfMemory);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!Track(Flat::GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppARGB, pixels, &bitmap))) {
        pages_.Free();
        return false;
    }
    SetNative(bitmap);
    return true;
}

bool Bitmap::CreateFromScan0(int width, int height, int stride, Gdiplus::PixelFormat format, BYTE* scan0)
{
    Dispose();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!Track(Flat::GdipCreateBitmapFromScan0(width, height, stride, format, scan0, &bitmap))) return false;
    SetNative(bitmap);
    return true;
}

bool Bitmap::CreateFromHBITMAP(HBITMAP source, HPALETTE palette)
{
    Dispose();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!Track(Flat::GdipCreateBitmapFromHBITMAP(source, palette, &bitmap))) return false;
    SetNative(bitmap);
    return true;
}

bool Bitmap::CreateFromHICON(HICON icon)
{
    Dispose();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!Track(Flat::GdipCreateBitmapFromHICON(icon, &bitmap))) return false;
    SetNative(bitmap);
    return true;
}

bool Bitmap::CreateHBITMAP(HBITMAP* result, ARGB background) const
{
    return Track(Flat::GdipCreateHBITMAPFromBitmap(NativeBitmap(), result, background));
}

bool Bitmap::GetPixel(int x, int y, ARGB* colour) const
{
    return Track(Flat::GdipBitmapGetPixel(NativeBitmap(), x, y, colour));
}

bool Bitmap::SetPixel(int x, int y, ARGB colour)
{
    return Track(Flat::GdipBitmapSetPixel(NativeBitmap(), x, y, colour));
}

}  // namespace orv::gp
