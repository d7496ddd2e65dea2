#include "skin/EditSkin.h"

#include "gdiplus/GbkText.h"
#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/ComboSkin.h"
#include "skin/ControlFrame.h"

namespace orv {

namespace {

ControlRef<EditEntry> EditOf(HWND edit) { return FindControl(edit, &WindowSkinRecord::edits); }

EditFrameState RestingState(const EditEntry& entry) { return entry.focused ? kEditFocused : kEditNormal; }

// Invalidation that only translucent mode needs: the wash must be redrawn
// under text that scrolled or changed.
void InvalidateIfTranslucent(HWND edit)
{
    if (Translucent()) InvalidateRect(edit, nullptr, TRUE);
}

void InvalidateIfTranslucentWithoutScrollBar(HWND edit)
{
    if (Translucent() && !HasScrollBar(edit)) InvalidateRect(edit, nullptr, TRUE);
}

LRESULT OnDestroy(HWND edit, WPARAM wParam, LPARAM lParam)
{
    // Set when the edit sits in a combo box; the record forgets them too so
    // that they are not deleted twice.
    auto brush = reinterpret_cast<HGDIOBJ>(GetProperty(edit, kPropBrush));
    if (brush || GetProperty(edit, kPropBrushBitmap)) {
        if (WindowSkinRecord* r = RecordAt(static_cast<int>(GetProperty(edit, kPropOwner))))
            SetControlBrush(*r, edit, nullptr, nullptr);
    }
    return CallPreviousProc(edit, WM_DESTROY, wParam, lParam);
}

LRESULT OnMouseMove(HWND edit, ControlRef<EditEntry> ref, WPARAM wParam, LPARAM lParam)
{
    if (TrackControlHover(*ref.record, edit, kHotEdit, ref.index)) PaintEditFrame(edit, kEditHover);
    if (ref.entry->leftButton && !HasScrollBar(edit)) InvalidateRect(edit, nullptr, TRUE);
    return CallPreviousProc(edit, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnMouseLeave(HWND edit, ControlRef<EditEntry> ref, WPARAM wParam, LPARAM lParam)
{
    LeaveControlHover(*ref.record);
    PaintEditFrame(edit, RestingState(*ref.entry));
    return CallPreviousProc(edit, WM_MOUSELEAVE, wParam, lParam);
}

LRESULT OnEraseBackground(HWND edit, HDC dc, LPARAM lParam)
{
    if (!Translucent()) return CallPreviousProc(edit, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), lParam);
    SetBkMode(dc, TRANSPARENT);
    PaintWashedBackground(edit, dc);
    return 1;
}

LRESULT OnKillFocus(HWND edit, ControlRef<EditEntry> ref, WPARAM wParam, LPARAM lParam)
{
    ref.entry->focused = 0;
    ref.entry->leadByte = 0;  // its trail byte, if any, goes elsewhere
    if (IsClass(GetParent(edit), "ComboBox")) PaintEditFrame(edit, kEditNormal);
    InvalidateRect(edit, nullptr, TRUE);
    return CallPreviousProc(edit, WM_KILLFOCUS, wParam, lParam);
}

// A GBK character reaches an ANSI window as two WM_CHARs, lead byte first.
// Windows' edit joins them; Wine's converts each byte alone, so each half
// becomes "?". The lead byte therefore waits here, and the pair goes to the
// edit as the one UTF-16 character it is, through the Edit class's wide
// procedure: a wide WM_CHAR is taken whole on both systems, while the ANSI
// procedures in front of it (this one, the runtime's) would split it again.
// Nothing in front of the class procedure acts on WM_CHAR.
LRESULT OnChar(HWND edit, EditEntry& entry, WPARAM wParam, LPARAM lParam)
{
    char pair[3] = {};
    if (wParam > 0xFF) {
        // Both bytes in one message (lead byte high), as some input methods send it.
        pair[0] = static_cast<char>(HIBYTE(LOWORD(wParam)));
        pair[1] = static_cast<char>(LOBYTE(LOWORD(wParam)));
    } else if (entry.leadByte) {
        pair[0] = static_cast<char>(entry.leadByte);
        pair[1] = static_cast<char>(wParam);
        entry.leadByte = 0;
    } else if (IsDBCSLeadByte(static_cast<BYTE>(wParam))) {
        entry.leadByte = static_cast<int>(wParam);
        return 0;
    }
    if (pair[0]) {
        const std::wstring wide = gp::WideFromGbk(pair);
        auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(edit, GCLP_WNDPROC));
        if (wide.size() == 1 && classProc) return CallWindowProcW(classProc, edit, WM_CHAR, wide[0], lParam);
        // Not a character: the stray lead byte is dropped, the byte after it
        // is an ordinary character.
        if (wParam > 0xFF) return 0;
    }
    return CallPreviousProc(edit, WM_CHAR, wParam, lParam);
}

LRESULT OnNcPaint(HWND edit, const EditEntry& entry)
{
    PaintEditFrame(edit, RestingState(entry));
    return DefNcPaintScrollBarsOnly(edit);
}

}  // namespace

void PaintEditFrame(HWND edit, EditFrameState state)
{
    const COLORREF accent = Skin().accentColor;
    const gp::ARGB pen = state == kEditNormal ? gp::Argb(RGB(0, 0, 0), 80) : gp::Argb(accent, 180);
    PaintFrameRing(edit, pen, state == kEditHover);
}

LRESULT CALLBACK EditSkinProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    ControlRef<EditEntry> ref = EditOf(edit);
    if (!ref) return CallPreviousProc(edit, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY: return OnDestroy(edit, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(edit, ref, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(edit, ref, wParam, lParam);
    case WM_MOVE:
    case WM_VSCROLL:
    case WM_HSCROLL:
        InvalidateIfTranslucent(edit);
        break;
    case WM_ERASEBKGND: return OnEraseBackground(edit, reinterpret_cast<HDC>(wParam), lParam);
    case WM_PAINT: PaintEditFrame(edit, RestingState(*ref.entry)); break;
    case WM_SETFOCUS: ref.entry->focused = 1; break;  // the frame follows with the next WM_NCPAINT
    case WM_KILLFOCUS: return OnKillFocus(edit, ref, wParam, lParam);
    case WM_NCPAINT: return OnNcPaint(edit, *ref.entry);
    case WM_KEYDOWN: InvalidateIfTranslucentWithoutScrollBar(edit); break;
    case WM_CHAR: return OnChar(edit, *ref.entry, wParam, lParam);
    case WM_LBUTTONDOWN:
        ref.entry->leftButton = 1;
        InvalidateIfTranslucentWithoutScrollBar(edit);
        break;
    case WM_LBUTTONUP: ref.entry->leftButton = 0; break;
    default: break;
    }
    return CallPreviousProc(edit, message, wParam, lParam);
}

void InstallEdit(int windowIndex, HWND edit)
{
    WindowSkinRecord* record = RecordAt(windowIndex);
    if (!record) return;
    InstallControl(windowIndex, record->edits, edit, EditSkinProc);
    SetProperty(edit, kPropTextColour, 0);
}

void SkinEditsAndCombos(int windowIndex, HWND parent)
{
    if (!Skin().controlSkinning) return;
    ForEachChildOfClass(parent, "Edit", [windowIndex](HWND edit) {
        WindowSkinRecord* record = RecordAt(windowIndex);
        if (record && record->edits.Find(edit) == 0) InstallEdit(windowIndex, edit);
    });
    ForEachChildOfClass(parent, "ComboBox", [windowIndex](HWND combo) { InstallCombo(windowIndex, combo); });
}

}  // namespace orv
