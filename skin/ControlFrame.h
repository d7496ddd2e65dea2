// Helpers shared by the control skins: finding a control's record and entry,
// the inner rectangle that the system keeps (client area plus scroll bars),
// the non-client paint that lets the system draw only the scroll bars, and
// the translucent white wash over the image under a control.
#pragma once

#include <windows.h>

#include "gdiplus/GpCore.h"
#include "skin/Registry.h"
#include "skin/SkinSettings.h"

namespace orv {

// The record and entry of a skinned control, both null when the control is
// not registered or its window was released (it then behaves as unskinned).
template <typename Entry>
struct ControlRef {
    WindowSkinRecord* record = nullptr;
    Entry* entry = nullptr;
    int index = 0;
    explicit operator bool() const { return entry != nullptr; }
};

template <typename Entry>
ControlRef<Entry> FindControl(HWND control, ControlTable<Entry> WindowSkinRecord::*table)
{
    ControlRef<Entry> ref;
    WindowSkinRecord* record = RecordAt(static_cast<int>(GetProperty(control, kPropOwner)));
    if (!record) return ref;
    int index = static_cast<int>(GetProperty(control, kPropIndex));
    Entry* entry = (record->*table).Get(index);
    if (!entry || entry->hwnd != control) return ref;
    ref.record = record;
    ref.entry = entry;
    ref.index = index;
    return ref;
}

// Translucent mode: control backgrounds are a white wash over the picture.
inline bool Translucent() { return Skin().translucentBackground != 0; }

// Alpha of a control's background: the wash alpha, or opaque white.
BYTE BackgroundWashAlpha();

// True when the style shows a vertical or horizontal scroll bar.
bool HasScrollBar(HWND control);

// Window rectangle of control moved to the origin.
RECT WindowRectAtOrigin(HWND control);

// The client area plus the scroll bars the style shows, centred in the
// window rectangle (window coordinates). Everything outside it is frame.
RECT InnerRect(HWND control);

// WM_NCPAINT after the skin painted the frame: the system draws the scroll
// bars and nothing else. Answered by DefWindowProcA, never by the previous
// procedure.
LRESULT DefNcPaintScrollBarsOnly(HWND control);

// An edit's background is the wash over the picture (what WM_ERASEBKGND
// paints); the brush handed out at WM_CTLCOLOR* must agree with it, or the
// edit's text area shows the bare picture. Washes a capture of an edit's
// client area in place; leaves other controls' captures alone.
void WashEditCapture(HWND control, HDC captureDc, int width, int height);

// WM_CTLCOLOREDIT and WM_CTLCOLORSTATIC of a translucent child: a pattern
// brush of the image under area (the child's client area in its window
// coordinates; washed for an edit), kept in the record and in the child's
// Kj_dxjb / Kj_wtjb. The brush of the last message is handed out again
// while nothing it shows changed. nullptr when there is no such image.
HBRUSH BackgroundBrushFor(WindowSkinRecord& record, HWND control, const RECT& area);

// The skin's frame ring round a control the system paints inside (edits,
// list boxes): the image under the control, washed (white when not
// translucent) in the ring between its window and inner rectangles, with a
// rectangle in penColour round it, 2 px one pixel in when thick, else 1 px
// on the edge. Only the ring is copied to the window; the image is kept
// between paints.
void PaintFrameRing(HWND control, gp::ARGB penColour, bool thick);

// The image under the whole window of control with the background wash,
// copied onto dc (a client-area DC of control) so that the client area shows
// the part under it.
void PaintWashedBackground(HWND control, HDC dc);

// Hover kinds of the up-down and header controls (the others are in the
// registry's HotKind).
inline constexpr int kHotUpDown = 8;
inline constexpr int kHotHeader = 9;

// The magenta that the control skins use as transparent key: as ARGB for
// GDI+ and as COLORREF for TransparentBlt.
inline constexpr DWORD kKeyArgb = 0xFFFF00FF;
inline constexpr COLORREF kKeyColour = 0x00FF00FF;

}  // namespace orv
