// Up-down skin: two halves with hot and pressed faces and an arrow picture
// centred in each.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "skin/BackgroundCapture.h"
#include "skin/CommonControlSkins.h"
#include "skin/ControlFrame.h"
#include "skin/SkinPainting.h"

namespace orv {

namespace {

ControlRef<UpDownEntry> UpDownOf(HWND control) { return FindControl(control, &WindowSkinRecord::upDowns); }

// 1 = top or left half, 2 = bottom or right half.
int HalfAt(HWND upDown, bool horizontal, int x, int y)
{
    RECT client{};
    GetClientRect(upDown, &client);
    return horizontal ? (x < client.right / 2 ? 1 : 2) : (y < client.bottom / 2 ? 1 : 2);
}

RECT HalfRect(int w, int h, bool horizontal, int half)
{
    if (horizontal) return half == 1 ? RECT{0, 0, w / 2, h} : RECT{w / 2, 0, w, h};
    return half == 1 ? RECT{0, 0, w, h / 2} : RECT{0, h / 2, w, h};
}

void PaintHalf(gp::Graphics& g, const RECT& r, int state, int arrowId)
{
    const COLORREF accent = Skin().accentColor;
    const float x = static_cast<float>(r.left);
    const float y = static_cast<float>(r.top);
    const float w = static_cast<float>(r.right - r.left - 1);
    const float h = static_cast<float>(r.bottom - r.top - 1);
    gp::ARGB from, to, pen;
    if (state == 2) {  // pressed
        from = gp::Argb(accent, 100);
        to = gp::Argb(RGB(255, 255, 255), 150);
        pen = gp::Argb(accent, 200);
    } else if (state == 1) {  // hot
        from = gp::Argb(RGB(255, 255, 255), 100);
        to = gp::Argb(accent, 150);
        pen = gp::Argb(accent, 200);
    } else {
        from = gp::Argb(RGB(255, 255, 255), 60);
        to = gp::Argb(accent, 100);
        pen = gp::Argb(RGB(0, 0, 0), 100);
    }
    FillRoundGradient(g, x, y, w, h, 3, from, to);
    gp::StrokeRoundRect(g, x, y, w, h, 3, pen);
    std::string_view arrow = StoredBytes(arrowId);
    UINT aw = 0, ah = 0;
    if (!arrow.empty() && gp::PictureSize(arrow.data(), arrow.size(), &aw, &ah)) {
        const int ax = r.left + (r.right - r.left - static_cast<int>(aw)) / 2;
        const int ay = r.top + (r.bottom - r.top - static_cast<int>(ah)) / 2;
        gp::DrawPicture(g, arrow.data(), arrow.size(), static_cast<float>(ax), static_cast<float>(ay),
                        static_cast<float>(aw), static_cast<float>(ah));
    }
}

LRESULT OnMouseMove(HWND upDown, ControlRef<UpDownEntry> ref, WPARAM wParam, LPARAM lParam)
{
    const bool becameHot = TrackControlHover(*ref.record, upDown, kHotUpDown, ref.index);
    const int half = HalfAt(upDown, ref.entry->horizontal != 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    if (becameHot || half != ref.entry->hotHalf) {
        ref.entry->hotHalf = half;
        PaintUpDown(upDown);
    }
    return CallPreviousProc(upDown, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND upDown, ControlRef<UpDownEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    ref.entry->hotHalf = 0;
    PaintUpDown(upDown);
    return CallPreviousProc(upDown, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnButton(HWND upDown, ControlRef<UpDownEntry> ref, UINT message, WPARAM wParam, LPARAM lParam)
{
    ref.entry->pressedHalf =
        message == WM_LBUTTONDOWN
            ? HalfAt(upDown, ref.entry->horizontal != 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))
            : 0;
    return CallPreviousProc(upDown, message, wParam, lParam);
}

}  // namespace

void PaintUpDown(HWND upDown)
{
    ControlRef<UpDownEntry> ref = UpDownOf(upDown);
    if (!ref) return;
    const UpDownEntry entry = *ref.entry;
    const bool horizontal = entry.horizontal != 0;
    const RECT window = WindowRectAtOrigin(upDown);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    BackgroundCapture capture(upDown, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(capture.Dc())) return;
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
        gp::FillRoundRect(g, 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1), 3,
                          gp::Argb(RGB(255, 255, 255), 160));
        const int arrows[2] = {horizontal ? IDR_ARROW_LEFT : IDR_ARROW_UP,
                               horizontal ? IDR_ARROW_RIGHT : IDR_ARROW_DOWN};
        for (int half = 1; half <= 2; ++half) {
            int state = entry.pressedHalf == half ? 2 : entry.hotHalf == half ? 1 : 0;
            PaintHalf(g, HalfRect(w, h, horizontal, half), state, arrows[half - 1]);
        }
    }
    BlitToWindow(upDown, capture.Dc(), w, h);
}

LRESULT CALLBACK UpDownSkinProc(HWND upDown, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<UpDownEntry> ref = UpDownOf(upDown);
    if (!ref) return CallPreviousProc(upDown, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(upDown, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(upDown, ref, wParam, lParam);
    case WM_MOVE: PaintUpDown(upDown); break;
    case WM_ERASEBKGND:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return 1;
    case WM_PAINT:
        PaintUpDown(upDown);
        return DefWindowProcA(upDown, WM_PAINT, wParam, lParam);  // validates the window
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return OnButton(upDown, ref, message, wParam, lParam);
    case WM_NCPAINT: return 1;
    default: break;
    }
    return CallPreviousProc(upDown, message, wParam, lParam);
}

void SkinUpDowns(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, UPDOWN_CLASSA, [windowIndex](HWND upDown) {
        WindowSkinRecord* record = RecordAt(windowIndex);
        if (!record || HasSkinProcedure(upDown)) return;
        int index = InstallControl(windowIndex, record->upDowns, upDown, UpDownSkinProc);
        record->upDowns.Get(index)->horizontal = (GetWindowLongA(upDown, GWL_STYLE) & UDS_HORZ) ? 1 : 0;
    });
}

}  // namespace orv
