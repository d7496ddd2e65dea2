// Owning wrappers for GDI and USER handles: the scope that makes a handle
// frees it. Non-copyable, movable; Get/Detach/Reset as usual.
#pragma once

#include <windows.h>

#include <utility>

namespace orv {

template <typename H, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        if (this != &o) Reset(o.Detach());
        return *this;
    }
    H Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    H Detach() { return std::exchange(h_, nullptr); }
    void Reset(H h = nullptr)
    {
        if (h_) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = nullptr;
};

struct GdiObjectTraits { static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct DcTraits { static void Close(HDC h) { DeleteDC(h); } };
struct IconTraits { static void Close(HICON h) { DestroyIcon(h); } };

using UniqueBrush = UniqueHandle<HBRUSH, GdiObjectTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueRegion = UniqueHandle<HRGN, GdiObjectTraits>;
using UniquePen = UniqueHandle<HPEN, GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, DcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;

// Selects an object into a DC for the guard's lifetime and restores the
// previous one, so nothing is ever deleted while still selected.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect()
    {
        if (old_) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// GetDC/ReleaseDC (or GetWindowDC) for one scope.
class ScopedGetDc {
public:
    explicit ScopedGetDc(HWND hwnd, bool wholeWindow = false)
        : hwnd_(hwnd), dc_(wholeWindow ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~ScopedGetDc()
    {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    ScopedGetDc(const ScopedGetDc&) = delete;
    ScopedGetDc& operator=(const ScopedGetDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~ScopedPaint() { EndPaint(hwnd_, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC Get() const { return dc_; }
    const PAINTSTRUCT& Info() const { return ps_; }

private:
    HWND hwnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// A memory DC with a compatible bitmap of a given size selected into it:
// the usual off-screen buffer of one paint.
class OffscreenBuffer {
public:
    OffscreenBuffer(HDC reference, int width, int height)
        : dc_(CreateCompatibleDC(reference)),
          bitmap_(CreateCompatibleBitmap(reference, width > 0 ? width : 1, height > 0 ? height : 1)),
          select_(dc_.Get(), bitmap_.Get()) {}
    HDC Dc() const { return dc_.Get(); }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    ScopedSelect select_;  // declared last: restored before the bitmap goes
};

}  // namespace orv
