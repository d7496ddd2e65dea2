// Shared pieces of the control-skin tests: a skinned host window over a
// plain background colour, pixel read-back and solid test pictures.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "skin/ButtonSkin.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "gdiplus/Gp.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "skin/SkinSettings.h"
#include "tests/support/MessagePump.h"

namespace orv::test {

struct Pixel {
    int r, g, b;
};

inline bool Near(Pixel a, Pixel b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

inline Pixel FromColour(COLORREF c) { return Pixel{GetRValue(c), GetGValue(c), GetBValue(c)}; }

inline std::string Describe(Pixel p)
{
    return "(" + std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b) + ")";
}

inline bool IsMagenta(Pixel p) { return p.r == 255 && p.g == 0 && p.b == 255; }

// A 32-bit memory surface to paint into and read back.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    // The current contents of a window's client area (window DCs are
    // readable under Xvfb without a compositor).
    static Surface FromWindow(HWND window)
    {
        RECT rc{};
        GetClientRect(window, &rc);
        Surface s(rc.right, rc.bottom);
        HDC dc = GetDC(window);
        BitBlt(s.Dc(), 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        GdiFlush();
        return s;
    }
    Surface(Surface&& o) noexcept
        : width_(o.width_), height_(o.height_), dc_(o.dc_), bitmap_(o.bitmap_), old_(o.old_), bits_(o.bits_)
    {
        o.dc_ = nullptr;
        o.bitmap_ = nullptr;
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface()
    {
        if (!dc_) return;
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Pixel At(int x, int y) const
    {
        GdiFlush();
        uint32_t v = bits_[y * width_ + x];
        return Pixel{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                     static_cast<int>(v & 0xFF)};
    }
    void Fill(COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    template <typename Pred>
    int Count(Pred pred, RECT area) const
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += pred(At(x, y)) ? 1 : 0;
        return n;
    }
    RECT All() const { return RECT{0, 0, width_, height_}; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

// PNG bytes of a picture of one opaque colour.
inline std::string SolidPng(int width, int height, COLORREF colour)
{
    gp::Bitmap bitmap;
    if (!bitmap.Create(width, height)) return {};
    {
        gp::Graphics g;
        if (!g.CreateFromImage(bitmap)) return {};
        g.Clear(gp::Argb(colour));
    }
    gp::Bytes bytes;
    if (!bitmap.SaveToBytes(gp::kPngFormat, &bytes)) return {};
    return std::string(bytes.begin(), bytes.end());
}

inline const char kHostClass[] = "OrvControlSkinTestHost";

inline LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Skin().gdiplusToken = StartGdiPlus();
        RegisterButtonSkin();
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kHostClass;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
    }
    void TearDown() override { EndGdiPlus(&Skin().gdiplusToken); }
};

// The background of every host: no picture, so the frame is filled with the
// skin's default back colour, a blue that no painter uses by itself.
inline constexpr COLORREF kHostBack = 0x00A05020;  // r 0x20, g 0x50, b 0xA0

class SkinFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Skin().controlSkinning = 1;
        Skin().translucentBackground = 0;
        Skin().backgroundAlpha = 160;
        Skin().skinFrameFlag = 1;
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        PumpMessages();
    }
    HWND Host(int width = 450, int height = 300, int x = 40, int y = 40)
    {
        HWND w = CreateWindowExA(WS_EX_TOPMOST, kHostClass, "", WS_POPUP | WS_CLIPCHILDREN, x, y, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
        return w;
    }
    HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h)
    {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    // Skins host (running the installers on its children), shows it and
    // lets every paint happen.
    int SkinAndShow(HWND host)
    {
        skin.SkinWindow(host, {}, Given(1), Given(0), {}, {}, Given(0));
        ShowWindow(host, SW_SHOWNOACTIVATE);
        UpdateWindow(host);
        PumpMessages();
        return FindWindowRecord(host);
    }
    void Repaint(HWND window)
    {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages();
    }

    SkinEngine skin{kHostBack};
    std::vector<HWND> windows_;
};

}  // namespace orv::test
