// Track bar skin: the rounded panel, the channel, ticks where the style puts
// them, the round thumb and the selection range.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/CommonControlSkins.h"
#include "skin/ControlFrame.h"
#include "skin/SkinPainting.h"

namespace orv {

namespace {

ControlRef<TrackBarEntry> TrackOf(HWND control) { return FindControl(control, &WindowSkinRecord::trackBars); }

int TickPlacementOf(LONG style)
{
    if (style & TBS_NOTICKS) return kTicksNone;
    if (style & TBS_TOP) return kTicksTopLeft;  // TBS_LEFT is the same bit
    if (style & TBS_BOTH) return kTicksBoth;
    return kTicksBottomRight;
}

// The channel rectangle. Windows reports a vertical bar's channel as if the
// bar were horizontal; it is turned back here.
RECT ChannelRect(HWND trackBar, bool vertical)
{
    RECT r{};
    SendMessageA(trackBar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
    if (vertical && r.right - r.left > r.bottom - r.top) r = RECT{r.top, r.left, r.bottom, r.right};
    return r;
}

// Pixel position along the channel of a logical value, at the thumb's centre.
float PositionOf(HWND trackBar, const RECT& channel, const RECT& thumb, bool vertical, LONG value)
{
    LONG low = static_cast<LONG>(SendMessageA(trackBar, TBM_GETRANGEMIN, 0, 0));
    LONG high = static_cast<LONG>(SendMessageA(trackBar, TBM_GETRANGEMAX, 0, 0));
    float thumbLength = static_cast<float>(vertical ? thumb.bottom - thumb.top : thumb.right - thumb.left);
    float start = static_cast<float>(vertical ? channel.top : channel.left) + thumbLength / 2;
    float length = static_cast<float>(vertical ? channel.bottom - channel.top : channel.right - channel.left) -
                   thumbLength;
    if (high <= low) return start;
    return start + length * static_cast<float>(value - low) / static_cast<float>(high - low);
}

void PaintTicks(gp::Graphics& g, HWND trackBar, const TrackBarEntry& entry, const RECT& channel, const RECT& thumb)
{
    if (entry.ticks == kTicksNone) return;
    std::vector<LONG> values;
    values.push_back(static_cast<LONG>(SendMessageA(trackBar, TBM_GETRANGEMIN, 0, 0)));
    LRESULT count = SendMessageA(trackBar, TBM_GETNUMTICS, 0, 0);
    for (LRESULT i = 0; i + 2 < count; ++i)
        values.push_back(static_cast<LONG>(SendMessageA(trackBar, TBM_GETTIC, static_cast<WPARAM>(i), 0)));
    values.push_back(static_cast<LONG>(SendMessageA(trackBar, TBM_GETRANGEMAX, 0, 0)));

    const bool vertical = entry.vertical != 0;
    const bool before = entry.ticks == kTicksTopLeft || entry.ticks == kTicksBoth;
    const bool after = entry.ticks == kTicksBottomRight || entry.ticks == kTicksBoth;
    gp::Pen pen(gp::Argb(RGB(0, 0, 0), 130), 1.0f);
    for (LONG value : values) {
        float p = static_cast<float>(static_cast<int>(PositionOf(trackBar, channel, thumb, vertical, value)));
        if (vertical) {
            if (before) g.DrawLine(pen, static_cast<float>(thumb.left - 5), p, static_cast<float>(thumb.left - 2), p);
            if (after) g.DrawLine(pen, static_cast<float>(thumb.right + 1), p, static_cast<float>(thumb.right + 4), p);
        } else {
            if (before) g.DrawLine(pen, p, static_cast<float>(thumb.top - 5), p, static_cast<float>(thumb.top - 2));
            if (after) g.DrawLine(pen, p, static_cast<float>(thumb.bottom + 1), p, static_cast<float>(thumb.bottom + 4));
        }
    }
}

void PaintSelection(gp::Graphics& g, HWND trackBar, bool vertical, const RECT& channel, const RECT& thumb)
{
    LONG first = static_cast<LONG>(SendMessageA(trackBar, TBM_GETSELSTART, 0, 0));
    LONG last = static_cast<LONG>(SendMessageA(trackBar, TBM_GETSELEND, 0, 0));
    if (last <= first) return;
    float a = PositionOf(trackBar, channel, thumb, vertical, first);
    float b = PositionOf(trackBar, channel, thumb, vertical, last);
    gp::RectF r = vertical ? gp::RectF(static_cast<float>(channel.left), a,
                                       static_cast<float>(channel.right - channel.left - 1), b - a)
                           : gp::RectF(a, static_cast<float>(channel.top), b - a,
                                       static_cast<float>(channel.bottom - channel.top - 1));
    gp::Pen outer(gp::Argb(RGB(255, 255, 255), 160), 1.0f);
    g.DrawRectangle(outer, r.X - 1, r.Y - 1, r.Width + 2, r.Height + 2);
    gp::Pen inner(gp::Argb(Skin().accentColor, 200), 1.0f);
    g.DrawRectangle(inner, r.X, r.Y, r.Width, r.Height);
}

void PaintThumb(gp::Graphics& g, const RECT& thumb, bool hot)
{
    // A circle as large as the thumb's narrow side, centred in it.
    const int tw = thumb.right - thumb.left;
    const int th = thumb.bottom - thumb.top;
    const float d = static_cast<float>((tw < th ? tw : th) - 1);
    if (d <= 0) return;
    const float x = thumb.left + (tw - 1 - d) / 2;
    const float y = thumb.top + (th - 1 - d) / 2;
    gp::SolidBrush white(0xFFFFFFFF);
    g.FillEllipse(white, x, y, d, d);
    gp::LinearGradientBrush shade;
    if (shade.CreateFromRect(gp::RectF(x, y, d + 1, d + 1), gp::Argb(RGB(255, 255, 255), 0),
                             gp::Argb(RGB(0, 0, 0), 90), Gdiplus::LinearGradientModeVertical))
        g.FillEllipse(shade, x, y, d, d);
    gp::Pen outline(hot ? gp::Argb(Skin().accentColor, 200) : gp::Argb(RGB(0, 0, 0), 50), 1.0f);
    g.DrawEllipse(outline, x, y, d, d);
}

LRESULT OnMouseMove(HWND trackBar, ControlRef<TrackBarEntry> ref, WPARAM wParam, LPARAM lParam)
{
    TrackControlHover(*ref.record, trackBar, kHotTrack, ref.index);
    ref.entry->hot = 1;
    PaintTrackBar(trackBar);
    return CallPreviousProc(trackBar, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND trackBar, ControlRef<TrackBarEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    ref.entry->hot = 0;
    PaintTrackBar(trackBar);
    return CallPreviousProc(trackBar, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnPaint(HWND trackBar)
{
    {
        ScopedPaint paint(trackBar);
        PaintTrackBar(trackBar);
    }
    return DefWindowProcA(trackBar, WM_PAINT, 0, 0);
}

}  // namespace

void PaintTrackBar(HWND trackBar)
{
    ControlRef<TrackBarEntry> ref = TrackOf(trackBar);
    if (!ref) return;
    const TrackBarEntry entry = *ref.entry;
    const RECT window = WindowRectAtOrigin(trackBar);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    BackgroundCapture capture(trackBar, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(capture.Dc())) return;
        if (Skin().trackStyle != 0) {
            gp::StrokeRoundRect(g, 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1), 5,
                                gp::Argb(RGB(0, 0, 0), 30));
            FillRoundGradient(g, 1, 1, static_cast<float>(w - 3), static_cast<float>(h - 3), 3,
                              gp::Argb(RGB(255, 255, 255), 160), gp::Argb(RGB(0, 0, 0), 30));
        }
        const bool vertical = entry.vertical != 0;
        const RECT channel = ChannelRect(trackBar, vertical);
        RECT thumb{};
        SendMessageA(trackBar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        FillRoundGradient(g, static_cast<float>(channel.left), static_cast<float>(channel.top),
                          static_cast<float>(channel.right - channel.left - 1),
                          static_cast<float>(channel.bottom - channel.top - 1), 1, gp::Argb(RGB(0, 0, 0), 50),
                          gp::Argb(RGB(0, 0, 0), 30), !vertical);
        PaintTicks(g, trackBar, entry, channel, thumb);
        if (entry.selectionRange) PaintSelection(g, trackBar, vertical, channel, thumb);
        PaintThumb(g, thumb, entry.hot != 0);
    }
    BlitToWindow(trackBar, capture.Dc(), w, h);
}

LRESULT CALLBACK TrackBarSkinProc(HWND trackBar, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<TrackBarEntry> ref = TrackOf(trackBar);
    if (!ref) return CallPreviousProc(trackBar, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(trackBar, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(trackBar, ref, wParam, lParam);
    case WM_MOVE: PaintTrackBar(trackBar); break;
    case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); break;
    case WM_PAINT: return OnPaint(trackBar);
    case WM_NCPAINT:
        PaintTrackBar(trackBar);
        return 1;
    default: break;
    }
    return CallPreviousProc(trackBar, message, wParam, lParam);
}

void SkinTrackBars(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, TRACKBAR_CLASSA, [windowIndex](HWND trackBar) {
        WindowSkinRecord* record = RecordAt(windowIndex);
        if (!record || HasSkinProcedure(trackBar)) return;
        const LONG style = GetWindowLongA(trackBar, GWL_STYLE);
        int index = InstallControl(windowIndex, record->trackBars, trackBar, TrackBarSkinProc);
        TrackBarEntry* entry = record->trackBars.Get(index);
        entry->vertical = (style & TBS_VERT) ? 1 : 0;
        entry->ticks = TickPlacementOf(style);
        entry->selectionRange = (style & TBS_ENABLESELRANGE) ? 1 : 0;
    });
}

}  // namespace orv
