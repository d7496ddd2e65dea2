// What a user does and what the screen shows: real pointer input through
// SendInput, and pixels read back from the screen itself (not from a
// window's DC or a cache), so a test sees what a user would see.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <ostream>
#include <vector>

namespace orv::test {

struct ScreenRgb {
    int r = 0, g = 0, b = 0;
};

inline std::ostream& operator<<(std::ostream& os, const ScreenRgb& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

inline bool Near(ScreenRgb a, ScreenRgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Red clearly above green and blue: the hot close faces.
inline bool IsRedFace(ScreenRgb c) { return c.r - c.g > 40 && c.r - c.b > 40; }

// Lets what the windows drew reach the screen. Under Wine a window's
// drawing goes into a surface of its own that the message loop copies to
// the X server now and then (no message tells when); pumping for a while
// gives it the chance. On Windows drawing is on screen at once.
inline void LetTheScreenCatchUp()
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 120) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// A rectangle of the screen as it shows now, in screen coordinates.
// CAPTUREBLT takes layered windows (the faded message boxes) in on Windows.
class ScreenPixels {
public:
    explicit ScreenPixels(const RECT& area)
        : left_(area.left), top_(area.top), width_(area.right - area.left), height_(area.bottom - area.top)
    {
        if (width_ <= 0 || height_ <= 0) return;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, width_, height_, screen, left_, top_, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const auto* p = static_cast<const DWORD*>(bits);
        pixels_.assign(p, p + static_cast<size_t>(width_) * height_);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    // The window's whole rectangle.
    static ScreenPixels OfWindow(HWND window)
    {
        RECT r{};
        GetWindowRect(window, &r);
        return ScreenPixels(r);
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // x, y relative to the rectangle's top-left corner.
    ScreenRgb At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return ScreenRgb{-1, -1, -1};
        const DWORD v = pixels_[static_cast<size_t>(y) * width_ + x];
        return ScreenRgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                         static_cast<int>(v & 0xFF)};
    }

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::vector<DWORD> pixels_;
};

// The pointer to a screen point, as a mouse moves it.
inline void MovePointerTo(int x, int y)
{
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((x * 65536LL + w / 2) / w);
    in.mi.dy = static_cast<LONG>((y * 65536LL + h / 2) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
}

// The left button goes down (down true) or up where the pointer is.
inline void LeftButton(bool down)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof(in));
}

}  // namespace orv::test
