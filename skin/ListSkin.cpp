#include "skin/ListSkin.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/KeptFace.h"
#include "skin/ControlFrame.h"
#include "skin/ChildWindows.h"

namespace orv {

namespace {

ControlRef<ListEntry> ListOf(HWND control) { return FindControl(control, &WindowSkinRecord::lists); }

bool IsOwnerDrawListBox(HWND control)
{
    return IsClass(control, "ListBox") &&
           (GetWindowLongA(control, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

void Install(int windowIndex, HWND control)
{
    WindowSkinRecord* record = RecordAt(windowIndex);
    if (record && !HasSkinProcedure(control)) InstallControl(windowIndex, record->lists, control, ListSkinProc);
}

// The client area of control as a capture rectangle in window coordinates.
RECT ClientInWindow(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    RECT screen{};
    GetWindowRect(control, &screen);
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    OffsetRect(&client, origin.x - screen.left, origin.y - screen.top);
    return client;
}

void InvalidateVisibleChildren(HWND control)
{
    for (HWND child : ChildWindows(control))
        if (IsWindowVisible(child)) InvalidateRect(child, nullptr, TRUE);
}

void ExcludeVisibleChildren(HWND control, HDC dc)
{
    for (HWND child : ChildWindows(control)) {
        if (!IsWindowVisible(child)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

// The colour a translucent tree view paints its background in, keyed out
// again when the tree is put over the picture. The tree draws its text
// anti-aliased against that background, so a key far from the picture (pure
// magenta) would leave pink glyph edges; the picture's own average colour
// makes the edges blend into what lies beneath.
COLORREF TreeKeyColour(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (r) FinishBackground(*r);
    COLORREF key = r && !r->backgroundSource.empty() ? r->averageColour : Skin().defaultBackColour;
    // Never the tree's own text colours.
    if (key == RGB(0, 0, 0) || key == RGB(255, 255, 255)) key ^= RGB(1, 1, 1);
    return key;
}

// Tree view: it paints on its own background (TreeKeyColour) into B, which
// is keyed onto the picture in A.
LRESULT PaintTreeTranslucent(HWND tree)
{
    const RECT client = ClientInWindow(tree);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    {
        BackgroundCapture a(tree, client);
        ScopedGetDc treeDc(tree);
        if (a.Dc() && treeDc.Get() && w > 0 && h > 0) {
            UniqueMemoryDc b(CreateCompatibleDC(treeDc.Get()));
            UniqueBitmap bBitmap(CreateArgbSurface(w, h));
            {
                ScopedSelect select(b.Get(), bBitmap.Get());
                CallPreviousProc(tree, WM_PAINT, reinterpret_cast<WPARAM>(b.Get()), 0);
                ExcludeVisibleChildren(tree, treeDc.Get());
                const COLORREF key = TreeKeyColour(static_cast<int>(GetProperty(tree, kPropOwner)));
                TransparentBlt(a.Dc(), 0, 0, w, h, b.Get(), 0, 0, w, h, key);
                BitBlt(treeDc.Get(), 0, 0, w, h, a.Dc(), 0, 0, SRCCOPY);
            }
        }
    }
    return DefWindowProcA(tree, WM_PAINT, 0, 0);
}

// List view and plain list boxes: the control paints its items with a
// transparent text background onto the washed picture in A. The washed
// picture does not change when the items do (a search, a scroll), so it is
// kept: a repaint copies it instead of capturing and washing again, two
// GDI+ fills that took 2.4 of a search's 3.7 ms of repaint under Wine.
LRESULT PaintItemsTranslucent(HWND control)
{
    const RECT client = ClientInWindow(control);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    {
        KeptFace kept(control, client, 0, kFaceBackground);
        HDC washed = kept.Image();
        // Once the washed picture is kept, the items are composed on a
        // surface kept beside it: a fresh one per paint cost its pages' first
        // touch each time, under Wine ten times the copy itself.
        KeptFace canvasFace(control, client, 0, kFaceCanvas);
        HDC canvas = washed ? canvasFace.Image() : nullptr;
        if (canvas) {
            BitBlt(canvas, 0, 0, w, h, washed, 0, 0, SRCCOPY);
        } else if (washed) {
            canvasFace.KeepCopy(washed);
            canvas = canvasFace.Image();
        }
        std::optional<BackgroundCapture> a;
        if (!canvas) {
            a.emplace(control, client, washed == nullptr);
            canvas = a->Dc();
            if (canvas && washed) {
                BitBlt(canvas, 0, 0, w, h, washed, 0, 0, SRCCOPY);
            } else if (canvas) {
                {
                    gp::Graphics g;
                    if (g.CreateFromHDC(canvas)) {
                        gp::SolidBrush wash(gp::Argb(RGB(255, 255, 255), BackgroundWashAlpha()));
                        g.FillRectangle(wash, 0, 0, w, h);
                    }
                }
                kept.KeepCopy(canvas);
            }
        }
        ScopedPaint paint(control);
        if (canvas && paint.Get()) {
            // The list sets what it draws with; a kept surface starts every
            // paint in the state a fresh one has.
            const int saved = SaveDC(canvas);
            CallPreviousProc(control, WM_PAINT, reinterpret_cast<WPARAM>(canvas), 0);
            RestoreDC(canvas, saved);
            BitBlt(paint.Get(), 0, 0, w, h, canvas, 0, 0, SRCCOPY);
        }
    }
    InvalidateVisibleChildren(control);
    return DefWindowProcA(control, WM_PAINT, 0, 0);
}

LRESULT OnMouseMove(HWND control, ControlRef<ListEntry> ref, WPARAM wParam, LPARAM lParam)
{
    const bool wasHot = ref.entry->hovered != 0;
    TrackControlHover(*ref.record, control, kHotList, ref.index);
    ref.entry->hovered = 1;
    if (!wasHot) PaintListFrame(control, true, ref.entry->focused != 0);
    return CallPreviousProc(control, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND control, ControlRef<ListEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    ref.entry->hovered = 0;
    PaintListFrame(control, false, ref.entry->focused != 0);
    return CallPreviousProc(control, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnEraseBackground(HWND control, HDC dc, LPARAM lParam)
{
    if (!Translucent()) return CallPreviousProc(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), lParam);
    SetBkMode(dc, TRANSPARENT);
    if (IsOwnerDrawListBox(control) || IsClass(control, "ComboLBox")) {
        PaintWashedBackground(control, dc);
        SetTextColor(dc, static_cast<COLORREF>(GetProperty(control, kPropTextColour)));
        return 1;
    }
    // Views and plain list boxes get their background with WM_PAINT; the IP
    // address and date-time controls erase as they always do.
    if (IsClass(control, "SysTreeView32") || IsClass(control, "SysListView32") || IsClass(control, "ListBox")) return 1;
    return CallPreviousProc(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), lParam);
}

LRESULT PaintClient(HWND control, WPARAM wParam, LPARAM lParam)
{
    if (Translucent() && wParam == 0) {
        if (IsClass(control, "SysTreeView32")) return PaintTreeTranslucent(control);
        if (IsClass(control, "SysListView32") || (IsClass(control, "ListBox") && !IsOwnerDrawListBox(control)))
            return PaintItemsTranslucent(control);
    }
    return CallPreviousProc(control, WM_PAINT, wParam, lParam);
}

LRESULT OnPaint(HWND control, const ListEntry& entry, WPARAM wParam, LPARAM lParam)
{
    // After a redraw that took in the frame, painting the items begins with
    // the control's WM_NCPAINT, which paints the frame: drawing it again
    // here would cost a second capture for the same pixels. The frame lies
    // outside the client area, so drawing it after the items changes
    // nothing they draw.
    const unsigned ncPaintsBefore = entry.ncPaints;
    const LRESULT result = PaintClient(control, wParam, lParam);
    ControlRef<ListEntry> now = ListOf(control);
    if (now && now.entry->ncPaints == ncPaintsBefore)
        PaintListFrame(control, now.entry->hovered != 0, now.entry->focused != 0);
    return result;
}

LRESULT OnFocus(HWND control, ControlRef<ListEntry> ref, UINT message, WPARAM wParam, LPARAM lParam)
{
    ref.entry->focused = message == WM_SETFOCUS ? 1 : 0;
    PaintListFrame(control, ref.entry->hovered != 0, ref.entry->focused != 0);
    return CallPreviousProc(control, message, wParam, lParam);
}

LRESULT OnNcPaint(HWND control, ListEntry& entry)
{
    ++entry.ncPaints;
    PaintListFrame(control, entry.hovered != 0, entry.focused != 0);
    return DefNcPaintScrollBarsOnly(control);
}

LRESULT OnKeyUp(HWND control, ListEntry& entry, WPARAM wParam, LPARAM lParam)
{
    ReleaseCapture();
    entry.arrowKey = 0;
    return CallPreviousProc(control, WM_KEYUP, wParam, lParam);
}

}  // namespace

bool HasListBorder(HWND control)
{
    if (GetWindowLongA(control, GWL_STYLE) & WS_BORDER) return true;
    const DWORD ex = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
    for (DWORD bits : {0x100u, 0x300u, 0x200u, 0x1u, 0x188u})
        if ((ex & bits) == bits) return true;
    return false;
}

void PaintListFrame(HWND control, bool hot, bool focused)
{
    // Nothing of the skin shows round a drop-down list or a list without a
    // border: the system's own frame stays.
    if (IsClass(control, "ComboLBox") || !HasListBorder(control)) return;
    const COLORREF accent = Skin().accentColor;
    PaintFrameRing(control, hot || focused ? gp::Argb(accent, 200) : gp::Argb(RGB(0, 0, 0), 90), hot);
}

LRESULT CALLBACK ListSkinProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<ListEntry> ref = ListOf(control);
    if (!ref) return CallPreviousProc(control, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEMOVE: return OnMouseMove(control, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(control, ref, wParam, lParam);
    case WM_MOVE:
        if (Translucent()) InvalidateRect(control, nullptr, TRUE);
        break;
    case WM_ERASEBKGND: return OnEraseBackground(control, reinterpret_cast<HDC>(wParam), lParam);
    case WM_PAINT: return OnPaint(control, *ref.entry, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return OnFocus(control, ref, message, wParam, lParam);
    case WM_NCPAINT: return OnNcPaint(control, *ref.entry);
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
        if (Translucent()) InvalidateRect(control, nullptr, TRUE);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN) ref.entry->arrowKey = 1;
        break;
    case WM_KEYUP: return OnKeyUp(control, *ref.entry, wParam, lParam);
    default: break;
    }
    return CallPreviousProc(control, message, wParam, lParam);
}

void SkinLists(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, "ListBox", [windowIndex](HWND list) { Install(windowIndex, list); });
    ForEachChildOfClass(parent, "ComboBox", [windowIndex](HWND combo) {
        HWND list = FindWindowExA(combo, nullptr, "ComboLBox", nullptr);
        if (list && !(GetWindowLongA(list, GWL_STYLE) & 0x10)) Install(windowIndex, list);
    });
    ForEachChildOfClass(parent, "SysListView32", [windowIndex](HWND view) {
        if (GetWindowLongA(view, GWL_STYLE) & 0x10) return;
        if (Translucent()) SendMessageA(view, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
        Install(windowIndex, view);
    });
    ForEachChildOfClass(parent, "SysTreeView32", [windowIndex](HWND tree) {
        if (Translucent()) SendMessageA(tree, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(TreeKeyColour(windowIndex)));
        Install(windowIndex, tree);
    });
    ForEachChildOfClass(parent, "SysIPAddress32", [windowIndex](HWND ip) { Install(windowIndex, ip); });
    ForEachChildOfClass(parent, "SysDateTimePick32", [windowIndex](HWND picker) { Install(windowIndex, picker); });
}

}  // namespace orv
