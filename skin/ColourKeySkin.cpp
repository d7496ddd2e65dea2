#include "skin/ColourKeySkin.h"

#include "gdiplus/GdiHandles.h"
#include "gdiplus/Gp.h"
#include "skin/BackgroundCapture.h"
#include "skin/ContainerSkin.h"
#include "skin/Registry.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

namespace orv {

namespace {

SubclassEntry* FindKeyed(HWND control)
{
    WindowSkinRecord* r = RecordAt(static_cast<int>(GetProperty(control, kPropKeyOwner)));
    SubclassEntry* e = r ? r->subclassed.Get(static_cast<int>(GetProperty(control, kPropKeyIndex))) : nullptr;
    return e && e->hwnd == control ? e : nullptr;
}

LRESULT PassOn(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto previous = reinterpret_cast<WNDPROC>(GetProperty(control, kPropKeyProc));
    const LRESULT result = previous ? CallWindowProcA(previous, control, message, wParam, lParam)
                                    : DefWindowProcA(control, message, wParam, lParam);
    if (message == WM_NCDESTROY) ForgetProperties(control);
    return result;
}

// Classes that only paint correctly inside their own BeginPaint/EndPaint.
bool PaintsInsideBeginPaint(HWND control)
{
    static const char* const kClasses[] = {"SysMonthCal32", "SysTabControl32", "ToolbarWindow32",
                                           "msctls_statusbar32", "Button", "msctls_trackbar32"};
    for (const char* name : kClasses)
        if (IsClass(control, name)) return true;
    return false;
}

// The control's own picture with its key colour cut out, over the image
// beneath it with the white wash, in a memory DC of the client size.
bool ComposeKeyed(HWND control, COLORREF key, HDC target)
{
    const RECT client = ClientRectInWindow(control);
    BackgroundCapture background(control, client);
    if (!background.Dc()) return false;
    const int width = background.Width(), height = background.Height();
    if (Skin().translucentBackground) {
        gp::Graphics g;
        gp::SolidBrush wash(gp::Argb(0x00FFFFFF, static_cast<BYTE>(Skin().backgroundAlpha)));
        if (g.CreateFromHDC(background.Dc())) g.FillRectangle(wash, 0, 0, width, height);
    }
    OffscreenBuffer own(background.Dc(), width, height);
    // The control's own background in the key colour, so whatever it does
    // not paint is keyed out too.
    {
        UniqueBrush fill(CreateSolidBrush(key));
        RECT all{0, 0, width, height};
        FillRect(own.Dc(), &all, fill.Get());
    }
    PassOn(control, WM_PAINT, reinterpret_cast<WPARAM>(own.Dc()), 0);
    TransparentBlt(background.Dc(), 0, 0, width, height, own.Dc(), 0, 0, width, height, key);
    BitBlt(target, 0, 0, width, height, background.Dc(), 0, 0, SRCCOPY);
    return true;
}

LRESULT OnPaint(HWND control, COLORREF key)
{
    if (PaintsInsideBeginPaint(control)) {
        ScopedPaint paint(control);
        ComposeKeyed(control, key, paint.Get());
        return 0;
    }
    RECT update{};
    if (!GetUpdateRect(control, &update, FALSE)) return 0;
    {
        ScopedGetDc dc(control);
        if (dc.Get()) {
            IntersectClipRect(dc.Get(), update.left, update.top, update.right, update.bottom);
            ComposeKeyed(control, key, dc.Get());
        }
    }
    ValidateRect(control, nullptr);
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) InvalidateRect(child, nullptr, TRUE);
    return 0;
}

// A rich edit repaints parts of itself outside WM_PAINT; these messages
// make it repaint whole, through the key.
bool RichEditRefresh(HWND control, UINT message)
{
    if (!IsClass(control, "RichEdit20A")) return false;
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_NCPAINT:
    case WM_LBUTTONDOWN:
    case WM_VSCROLL:
    case WM_HSCROLL:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool PaintColourKeyed(HWND control, HDC target)
{
    SubclassEntry* e = FindKeyed(control);
    return e && target && ComposeKeyed(control, e->keyColour, target);
}

LRESULT CALLBACK ColourKeyWindowProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    SubclassEntry* entry = FindKeyed(control);
    if (!entry) return PassOn(control, message, wParam, lParam);
    switch (message) {
    case WM_MOVE:
        InvalidateRect(control, nullptr, FALSE);
        return PassOn(control, message, wParam, lParam);
    case WM_ERASEBKGND:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return PassOn(control, message, wParam, lParam);
    case WM_PAINT: return OnPaint(control, entry->keyColour);
    default:
        if (RichEditRefresh(control, message)) InvalidateRect(control, nullptr, FALSE);
        return PassOn(control, message, wParam, lParam);
    }
}

void SubclassWithColourKey(HWND control, Opt<COLORREF> keyColour, Opt<COLORREF> fillColour, Opt<int> fillAlpha)
{
    if (!IsWindow(control)) return;
    const int windowIndex = OwningWindow(control);
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || r->subclassed.Find(control)) return;
    // A control with children is a container as well (kind 0: it keeps its
    // own painting there); its procedure then sits behind the colour key.
    if (GetWindow(control, GW_CHILD)) SkinContainer(control, Given(0), fillColour, fillAlpha, {});
    r = RecordAt(windowIndex);
    const int index = r->subclassed.Take();
    SubclassEntry* e = r->subclassed.Get(index);
    e->hwnd = control;
    e->keyColour = keyColour.Or(Skin().defaultBackColour);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ColourKeyWindowProc)));
    r->subclassed.Get(index)->previousProc = previous;
    SetProperty(control, kPropKeyIndex, static_cast<uintptr_t>(index));
    SetProperty(control, kPropKeyOwner, static_cast<uintptr_t>(windowIndex));
    SetProperty(control, kPropKeyProc, reinterpret_cast<uintptr_t>(previous));
    InvalidateRect(control, nullptr, TRUE);
}

}  // namespace orv
