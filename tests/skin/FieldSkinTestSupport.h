// Shared pieces of the edit, list and common-control skin tests: the GDI+
// session and skin object, a host window over a known plain background,
// pixel read-back from a window's DC, and colour checks with tolerances
// (Wine's GDI+ draws shapes without anti-aliasing, so interior pixels are
// exact while gradients are compared loosely).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <vector>

#include "gdiplus/Gp.h"
#include "skin/ControlSkins.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "tests/support/MessagePump.h"

namespace orv::fieldtest {

using orv::test::PumpMessages;

inline SkinEngine*& Engine()
{
    static SkinEngine* engine = nullptr;
    return engine;
}

// A plain back colour for host windows without a picture, so that expected
// colours can be computed.
inline constexpr COLORREF kHostBack = RGB(96, 112, 128);

class FieldSkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Skin().gdiplusToken = StartGdiPlus();
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES |
                                                  ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        InstallControlSkinModules();
        Engine() = new SkinEngine(kHostBack);
        Skin().defaultBackColour = kHostBack;
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = "OrvFieldSkinHost";
        RegisterClassA(&wc);
    }
    void TearDown() override
    {
        Engine()->Release();
        delete Engine();
        Engine() = nullptr;
    }
};

// Restores the skin-wide settings a test changed.
class SettingsGuard {
public:
    SettingsGuard() : saved_(Skin()) {}
    ~SettingsGuard() { Skin() = saved_; }

private:
    SkinSettings saved_;
};

// The options as the application sets them (an alpha given = translucent).
inline void SetTranslucent(bool on, int alpha = 100)
{
    Skin().controlSkinning = 1;
    Skin().translucentBackground = on ? 1 : 0;
    Skin().backgroundAlpha = on ? alpha : 160;
}

// A top-level host (not yet skinned), one pixel short of its final height so
// that SkinAndShow's resize is the skin's first WM_SIZE.
inline HWND MakeHost(int width = 420, int height = 300)
{
    return CreateWindowExA(0, "OrvFieldSkinHost", "", WS_POPUP | WS_CLIPCHILDREN, 30, 30, width, height - 1, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

inline HWND MakeChild(HWND parent, const char* className, DWORD style, int x, int y, int w, int h, DWORD exStyle = 0,
                      const char* text = "")
{
    HWND hwnd = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return hwnd;
}

// Skins the host (no picture: the frame shows kHostBack, no title bar),
// shows it and lets every control paint over the finished frame.
inline void SkinAndShow(HWND host, int height = 300)
{
    Engine()->SkinWindow(host, {}, Given(0), Given(0));
    RECT r{};
    GetWindowRect(host, &r);
    SetWindowPos(host, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(host, SW_SHOWNOACTIVATE);
    UpdateWindow(host);
    PumpMessages();
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// The pixels of a window (its whole window rectangle) as on screen now.
class WindowPixels {
public:
    explicit WindowPixels(HWND hwnd)
    {
        RECT r{};
        GetWindowRect(hwnd, &r);
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
        HDC source = GetWindowDC(hwnd);
        HDC dc = CreateCompatibleDC(source);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(source, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
        GdiFlush();
        const auto* p = static_cast<const DWORD*>(bits);
        pixels_.assign(p, p + static_cast<size_t>(width_) * height_);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(hwnd, source);
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const
    {
        DWORD v = pixels_[static_cast<size_t>(y) * width_ + x];
        return Rgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;
};

// The frame cache pixel under a point of control (window coordinates of the
// control).
inline Rgb BackgroundUnder(HWND control, int x, int y)
{
    WindowSkinRecord* record = RecordAt(OwningWindow(control));
    if (!record || !record->frameCache.dc) return Rgb{-1, -1, -1};
    RECT r{};
    GetWindowRect(control, &r);
    POINT origin{0, 0};
    ClientToScreen(record->window, &origin);
    COLORREF c = GetPixel(record->frameCache.dc, r.left - origin.x + x, r.top - origin.y + y);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

// src at alpha over an opaque dst.
inline Rgb Blend(Rgb src, int alpha, Rgb dst)
{
    auto mix = [alpha](int s, int d) { return (s * alpha + d * (255 - alpha) + 127) / 255; };
    return Rgb{mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b)};
}

inline bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// The accent colour (red low, green and blue high) dominates the pixel.
inline bool IsAccentLike(Rgb c) { return c.g - c.r > 60 && c.b - c.r > 60; }

// Puts the pointer over control (so TrackMouseEvent does not post a leave at
// once) and sends WM_MOUSEMOVE at its centre.
inline void Hover(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(p.x, p.y);
    POINT c = p;
    ScreenToClient(control, &c);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
}

inline void HoverAt(HWND control, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(control, &p);
    SetCursorPos(p.x, p.y);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

}  // namespace orv::fieldtest
