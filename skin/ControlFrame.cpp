#include "skin/ControlFrame.h"

#include <cmath>
#include <optional>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/KeptFace.h"

namespace orv {

BYTE BackgroundWashAlpha()
{
    return Translucent() ? static_cast<BYTE>(Skin().backgroundAlpha) : 255;
}

bool HasScrollBar(HWND control)
{
    return (GetWindowLongA(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
}

RECT WindowRectAtOrigin(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    OffsetRect(&r, -r.left, -r.top);
    return r;
}

namespace {

// GetScrollBarInfo wants its size field set to the record's full size.
bool ScrollBarInfo(HWND control, LONG object, SCROLLBARINFO* info)
{
    *info = SCROLLBARINFO{};
    info->cbSize = sizeof(SCROLLBARINFO);  // 60
    return GetScrollBarInfo(control, object, info) != FALSE;
}

int ScrollBarExtent(HWND control, LONG object, bool vertical)
{
    SCROLLBARINFO info;
    if (!ScrollBarInfo(control, object, &info)) return 0;
    const RECT& r = info.rcScrollBar;
    return vertical ? r.right - r.left : r.bottom - r.top;
}

}  // namespace

RECT InnerRect(HWND control)
{
    RECT window = WindowRectAtOrigin(control);
    RECT client{};
    GetClientRect(control, &client);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    int width = client.right;
    int height = client.bottom;
    if (style & WS_VSCROLL) width += ScrollBarExtent(control, OBJID_VSCROLL, true);
    if (style & WS_HSCROLL) height += ScrollBarExtent(control, OBJID_HSCROLL, false);
    int left = static_cast<int>(std::lround((window.right - width) / 2.0));
    int top = static_cast<int>(std::lround((window.bottom - height) / 2.0));
    return RECT{left, top, left + width, top + height};
}

LRESULT DefNcPaintScrollBarsOnly(HWND control)
{
    if (!HasScrollBar(control))
        return DefWindowProcA(control, WM_NCPAINT, static_cast<WPARAM>(0xFFFFFFFF), 0);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    const struct {
        LONG bit;
        LONG object;
    } bars[] = {{WS_HSCROLL, OBJID_HSCROLL}, {WS_VSCROLL, OBJID_VSCROLL}};
    for (const auto& bar : bars) {
        SCROLLBARINFO info;
        if (!(style & bar.bit) || !ScrollBarInfo(control, bar.object, &info)) continue;
        UniqueRegion part(CreateRectRgnIndirect(&info.rcScrollBar));  // screen coordinates, as WM_NCPAINT wants
        CombineRgn(region.Get(), region.Get(), part.Get(), RGN_OR);
    }
    return DefWindowProcA(control, WM_NCPAINT, reinterpret_cast<WPARAM>(region.Get()), 0);
}

void WashEditCapture(HWND control, HDC captureDc, int width, int height)
{
    if (!captureDc || !IsClass(control, "Edit")) return;
    gp::Graphics g;
    if (!g.CreateFromHDC(captureDc)) return;
    gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
    g.FillRectangle(wash, 0, 0, width, height);
}

void PaintFrameRing(HWND control, gp::ARGB penColour, bool thick)
{
    const RECT window = WindowRectAtOrigin(control);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    const RECT inner = InnerRect(control);
    FaceKey key;
    key.Add(penColour).Add(thick ? 1 : 0).Add(static_cast<uint32_t>(inner.left)).Add(static_cast<uint32_t>(inner.top));
    key.Add(static_cast<uint32_t>(inner.right)).Add(static_cast<uint32_t>(inner.bottom));
    KeptFace kept(control, window, key.Value(), kFaceFrame);
    HDC image = kept.Image();
    std::optional<BackgroundCapture> capture;
    if (!image) {
        capture.emplace(control, window);
        if (!capture->Dc()) return;
        gp::Graphics g;
        if (!g.CreateFromHDC(capture->Dc())) return;
        g.SetClip(gp::RectF(0, 0, static_cast<float>(w), static_cast<float>(h)));
        g.SetClip(gp::RectF(static_cast<float>(inner.left), static_cast<float>(inner.top),
                            static_cast<float>(inner.right - inner.left), static_cast<float>(inner.bottom - inner.top)),
                  Gdiplus::CombineModeXor);
        if (Translucent()) {
            gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
            g.FillRectangle(wash, 0, 0, w, h);
        } else {
            g.Clear(0xFFFFFFFF);
        }
        g.ResetClip();
        gp::Pen pen(penColour, thick ? 2.0f : 1.0f);
        if (thick)
            g.DrawRectangle(pen, 1, 1, w - 2, h - 2);
        else
            g.DrawRectangle(pen, 0, 0, w - 1, h - 1);
    }
    ScopedGetDc windowDc(control, true);
    if (!windowDc.Get()) return;
    // The inner rectangle is the system's: the frame ring alone is copied.
    ExcludeClipRect(windowDc.Get(), inner.left, inner.top, inner.right, inner.bottom);
    BitBlt(windowDc.Get(), 0, 0, w, h, image ? image : capture->Dc(), 0, 0, SRCCOPY);
    if (!image) kept.Keep(*capture);
}

HBRUSH BackgroundBrushFor(WindowSkinRecord& record, HWND control, const RECT& area)
{
    const bool edit = IsClass(control, "Edit");
    const uint64_t key = KeptFace(control, area, edit ? 1 : 0).Key();
    for (const ColouredControl& c : record.coloured)
        if (c.control == control && key && c.key == key && c.brush) return static_cast<HBRUSH>(c.brush);
    BackgroundCapture capture(control, area);
    WashEditCapture(control, capture.Dc(), area.right - area.left, area.bottom - area.top);
    HBITMAP bitmap = capture.Dc() ? capture.DetachBitmap() : nullptr;
    HBRUSH brush = bitmap ? CreatePatternBrush(bitmap) : nullptr;
    SetControlBrush(record, control, brush, bitmap, brush ? key : 0);
    return brush;
}

void PaintWashedBackground(HWND control, HDC dc)
{
    RECT window = WindowRectAtOrigin(control);
    RECT screen{};
    GetWindowRect(control, &screen);
    POINT client{0, 0};
    ClientToScreen(control, &client);
    const int x = -(client.x - screen.left), y = -(client.y - screen.top);
    KeptFace kept(control, window, 0, kFaceBackground);
    if (HDC image = kept.Image()) {
        BitBlt(dc, x, y, window.right, window.bottom, image, 0, 0, SRCCOPY);
        return;
    }
    BackgroundCapture capture(control, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (g.CreateFromHDC(capture.Dc())) {
            gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
            g.FillRectangle(wash, 0, 0, window.right, window.bottom);
        }
    }
    BitBlt(dc, x, y, window.right, window.bottom, capture.Dc(), 0, 0, SRCCOPY);
    kept.Keep(capture);
}

}  // namespace orv
