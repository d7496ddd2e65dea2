// Foundations shared by every GDI+ wrapper: the program-wide last status,
// the owning base for native handles, colours and the text rectangle.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <cstddef>
#include <utility>

namespace orv::gp {

using Gdiplus::ARGB;
using Gdiplus::GpStatus;
using RectF = Gdiplus::RectF;  // x, y, width, height as 32-bit floats
using PointF = Gdiplus::PointF;

// The status of the most recent GDI+ call made through this layer. One value
// for the whole program: painters ignore results and look here only when a
// picture comes out wrong.
GpStatus LastStatus();

// Stores status as the last status; true exactly when it is Ok.
bool Track(GpStatus status);

// GDI+ owned memory (GdipAlloc/GdipFree), for buffers GDI+ may free itself.
void* Alloc(size_t size);
void Free(void* block);

// 0xAARRGGBB from a COLORREF 0x00BBGGRR: red and blue swap places, alpha goes
// into the top byte.
constexpr ARGB Argb(COLORREF colour, BYTE alpha = 255)
{
    return (static_cast<ARGB>(alpha) << 24) | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) |
           ((colour >> 16) & 0xFFu);
}

// The COLORREF of an ARGB value, alpha dropped.
constexpr COLORREF ColourOf(ARGB argb)
{
    return RGB((argb >> 16) & 0xFFu, (argb >> 8) & 0xFFu, argb & 0xFFu);
}

// Owner of one native GDI+ handle. Traits::Delete(handle) returns the status
// of the flat delete function. Non-copyable, movable; the destructor deletes.
template <typename Handle, typename Traits>
class NativeObject {
public:
    NativeObject() = default;
    ~NativeObject() { Delete(); }
    NativeObject(const NativeObject&) = delete;
    NativeObject& operator=(const NativeObject&) = delete;
    NativeObject(NativeObject&& other) noexcept : handle_(other.Detach()) {}
    NativeObject& operator=(NativeObject&& other) noexcept
    {
        if (this != &other) {
            Delete();
            handle_ = other.Detach();
        }
        return *this;
    }

    Handle Native() const { return handle_; }
    bool IsNull() const { return handle_ == nullptr; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Takes ownership of handle, deleting the one held before.
    void SetNative(Handle handle)
    {
        if (handle != handle_) Delete();
        handle_ = handle;
    }
    Handle Detach() { return std::exchange(handle_, nullptr); }

    // Deletes the native object. With no handle nothing happens (the last
    // status is left alone) and the result is false.
    bool Delete()
    {
        if (!handle_) return false;
        return Track(Traits::Delete(std::exchange(handle_, nullptr)));
    }

protected:
    // Runs a creating call that writes into a local handle, then stores it
    // (0 when the call failed, so a later delete does nothing).
    template <typename Create>
    bool Adopt(Create&& create)
    {
        Delete();
        Handle created = nullptr;
        bool ok = Track(create(&created));
        handle_ = ok ? created : nullptr;
        return ok;
    }

private:
    Handle handle_ = nullptr;
};

}  // namespace orv::gp
