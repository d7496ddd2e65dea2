// Progress bar skin: a rounded panel with the filled share of its inner
// length in the accent colour.
#include <windows.h>
#include <commctrl.h>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/CommonControlSkins.h"
#include "skin/ControlFrame.h"
#include "skin/SkinPainting.h"

namespace orv {

namespace {

ControlRef<ProgressEntry> ProgressOf(HWND control) { return FindControl(control, &WindowSkinRecord::progressBars); }

LRESULT OnPaint(HWND progressBar)
{
    {
        ScopedPaint paint(progressBar);
        PaintProgressBar(progressBar);
    }
    return DefWindowProcA(progressBar, WM_PAINT, 0, 0);
}

// The filled share of length: none at the minimum, all of it at the maximum.
float FilledLength(HWND progressBar, float length)
{
    PBRANGE range{};
    SendMessageA(progressBar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const LONG position = static_cast<LONG>(SendMessageA(progressBar, PBM_GETPOS, 0, 0));
    if (range.iHigh <= range.iLow || position <= range.iLow) return 0;
    if (position >= range.iHigh) return length;
    return static_cast<float>(static_cast<int>(length * static_cast<float>(position - range.iLow) /
                                               static_cast<float>(range.iHigh - range.iLow)));
}

}  // namespace

void PaintProgressBar(HWND progressBar)
{
    ControlRef<ProgressEntry> ref = ProgressOf(progressBar);
    if (!ref) return;
    const bool vertical = ref.entry->vertical != 0;
    const RECT window = WindowRectAtOrigin(progressBar);
    const int w = window.right;
    const int h = window.bottom;
    if (w <= 0 || h <= 0) return;
    BackgroundCapture capture(progressBar, window);
    if (!capture.Dc()) return;
    {
        gp::Graphics g;
        if (!g.CreateFromHDC(capture.Dc())) return;
        gp::StrokeRoundRect(g, 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1), 5,
                            gp::Argb(RGB(0, 0, 0), 50));
        // The inner rectangle covers the pixels inside the outline.
        const float innerWidth = static_cast<float>(w - 2);
        const float innerHeight = static_cast<float>(h - 2);
        FillRoundGradient(g, 1, 1, innerWidth - 1, innerHeight - 1, 1, gp::Argb(RGB(255, 255, 255), 160),
                          gp::Argb(RGB(0, 0, 0), 30), !vertical);
        const float filled = FilledLength(progressBar, vertical ? innerHeight : innerWidth);
        if (filled >= 1) {
            const COLORREF accent = Skin().accentColor;
            const float x = 1;
            const float y = vertical ? 1 + innerHeight - filled : 1;
            const float fw = vertical ? innerWidth : filled;
            const float fh = vertical ? filled : innerHeight;
            FillRoundGradient(g, x, y, fw - 1, fh - 1, 3, gp::Argb(RGB(255, 255, 255), 90), gp::Argb(accent, 255),
                              !vertical);
            gp::StrokeRoundRect(g, x, y, fw - 1, fh - 1, 3, gp::Argb(accent, 150));
        }
    }
    BlitToWindow(progressBar, capture.Dc(), w, h);
}

LRESULT CALLBACK ProgressSkinProc(HWND progressBar, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!ProgressOf(progressBar)) return CallPreviousProc(progressBar, message, wParam, lParam);
    switch (message) {
    case WM_MOVE: PaintProgressBar(progressBar); break;
    case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); break;
    case WM_PAINT: return OnPaint(progressBar);
    case WM_NCPAINT:
        PaintProgressBar(progressBar);
        return 1;
    default: break;  // the mouse and focus messages included
    }
    return CallPreviousProc(progressBar, message, wParam, lParam);
}

void SkinProgressBars(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, PROGRESS_CLASSA, [windowIndex](HWND progressBar) {
        WindowSkinRecord* record = RecordAt(windowIndex);
        if (!record || HasSkinProcedure(progressBar)) return;
        int index = InstallControl(windowIndex, record->progressBars, progressBar, ProgressSkinProc);
        record->progressBars.Get(index)->vertical = (GetWindowLongA(progressBar, GWL_STYLE) & PBS_VERTICAL) ? 1 : 0;
    });
}

}  // namespace orv
