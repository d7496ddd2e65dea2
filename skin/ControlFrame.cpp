#include "skin/ControlFrame.h"

#include <cmath>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"

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

void PaintWashedBackground(HWND control, HDC dc)
{
    RECT window = WindowRectAtOrigin(control);
    BackgroundCapture capture(control, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (g.CreateFromHDC(capture.Dc())) {
            gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
            g.FillRectangle(wash, 0, 0, window.right, window.bottom);
        }
    }
    RECT screen{};
    GetWindowRect(control, &screen);
    POINT client{0, 0};
    ClientToScreen(control, &client);
    BitBlt(dc, -(client.x - screen.left), -(client.y - screen.top), window.right, window.bottom, capture.Dc(), 0,
           0, SRCCOPY);
}

}  // namespace orv
