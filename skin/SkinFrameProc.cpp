// FrameWindowProc: the window procedure of skinned top-level windows. Each
// message is decoded and handed to one small handler; whatever the frame
// does not answer itself goes on to the previous procedure (Hw_hProc).
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "skin/BackgroundCapture.h"
#include "skin/ControlFrame.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "util/MemoryTrim.h"

namespace orv {

namespace {

OwnerDrawPainter gOwnerDrawPainter = nullptr;
TrimStarter gTrimStarter = StartMemoryTrim;

constexpr int kHoverSteps = 8;
constexpr int kHoverAlphaStep = 30;
constexpr UINT kHoverInterval = 20;

int TaskbarHeight()
{
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    RECT rc{};
    if (!tray || !GetWindowRect(tray, &rc)) return 0;
    return rc.bottom - rc.top;
}

UINT_PTR HoverTimerId(HWND window) { return reinterpret_cast<UINT_PTR>(window); }

}  // namespace

void SetOwnerDrawPainter(OwnerDrawPainter painter) { gOwnerDrawPainter = painter; }
OwnerDrawPainter GetOwnerDrawPainter() { return gOwnerDrawPainter; }
void SetTrimStarter(TrimStarter starter) { gTrimStarter = starter ? starter : StartMemoryTrim; }

LRESULT SkinEngine::FrameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int index = 0;
    if (!RecordOfWindow(window, &index)) return PassOn(window, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY: return OnNcDestroy(index, window, wParam, lParam);
    case WM_SHOWWINDOW: return OnShowWindow(index, window, static_cast<BOOL>(wParam), lParam);
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_PAINT: return OnPaint(index, window);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(index, reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(index, window, wParam, lParam);
    case WM_SIZE: return OnSize(index, window, wParam, lParam);
    case WM_SYSCOMMAND: return OnSysCommand(index, window, wParam, lParam);
    case WM_SETTEXT: return OnSetText(index, window, reinterpret_cast<const char*>(lParam), lParam);
    case WM_DRAWITEM: return OnDrawItem(index, window, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return OnCtlColorTranslucent(index, window, message, reinterpret_cast<HDC>(wParam),
                                     reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        return OnCtlColorNullBrush(index, window, message, reinterpret_cast<HDC>(wParam),
                                   reinterpret_cast<HWND>(lParam));
    case WM_CLOSE: return OnClose(index, window);
    case WM_ACTIVATEAPP: return OnActivateApp(index, window, static_cast<BOOL>(wParam), lParam);
    case WM_COMMAND: return OnCommand(window, wParam, reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(window, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(index, window, wParam, lParam);
    case WM_TIMER:
        if (wParam == HoverTimerId(window)) return OnHoverTimer(index, window);
        return PassOn(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: return OnLeftButtonDown(index, window, wParam, lParam);
    case WM_LBUTTONUP: return OnLeftButtonUp(index, window, wParam, lParam);
    case WM_LBUTTONDBLCLK: return OnLeftButtonDoubleClick(index, window, wParam, lParam);
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
        return OnMouseHoverOrLeave(index, window, message, wParam, lParam);
    case WM_QUIT:
        // The session is ended with the kept token, at most once however
        // often this and Release run.
        EndGdiPlus(&Skin().gdiplusToken);
        return PassOn(window, message, wParam, lParam);
    default:
        // WM_MOUSEWHEEL, the scroll messages and the non-client messages
        // included: the previous procedure and the system handle them.
        return PassOn(window, message, wParam, lParam);
    }
}

LRESULT SkinEngine::PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProc(window, message, wParam, lParam);
}

LRESULT SkinEngine::OnNcDestroy(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    DestroyWindowRecord(index);
    KillTimer(window, HoverTimerId(window));
    return PassOn(window, WM_NCDESTROY, wParam, lParam);
}

LRESULT SkinEngine::OnShowWindow(int index, HWND window, BOOL shown, LPARAM lParam)
{
    if (shown) {
        WindowSkinRecord* r = RecordAt(index);
        if (r->minimised) {
            // Back from minimised: the pointer left while the window was away,
            // so no button is hot any more; the next WM_PAINT shows the cache.
            r->minimised = 0;
            r->highlighted = r->fading = r->pressed = 0;
            hoveredTitleButton_ = 0;
            PaintTitleButtons(index, 0, 0, 0);
        } else {
            RenderFrame(index, nullptr, 0);
            // The first WM_PAINT follows at once: it shows this frame rather
            // than rendering the same one again (27 ms under Wine).
            if ((r = RecordAt(index)) != nullptr && r->frameCache.dc) r->repaintNeeded = 0;
        }
    }
    return PassOn(window, WM_SHOWWINDOW, static_cast<WPARAM>(shown), lParam);
}

LRESULT SkinEngine::OnEraseBackground(HDC dc)
{
    // The frame cache covers the whole client area: nothing to erase.
    SetBkMode(dc, TRANSPARENT);
    return 1;
}

LRESULT SkinEngine::OnPaint(int index, HWND window)
{
    {
        ScopedPaint paint(window);
        WindowSkinRecord* r = RecordAt(index);
        if (!r->minimised) {
            // A cache of another size than the window's is stale too.
            RECT client{};
            GetClientRect(window, &client);
            if (r->repaintNeeded || r->frameCache.width != client.right || r->frameCache.height != client.bottom) {
                RenderFrame(index, paint.Get(), 0);
                if ((r = RecordAt(index)) != nullptr) r->repaintNeeded = 0;
            } else {
                BlitFrameCache(index, paint.Get());
            }
        }
    }
    return DefWindowProcA(window, WM_PAINT, 0, 0);
}

LRESULT SkinEngine::OnGetMinMaxInfo(int index, MINMAXINFO* info)
{
    WindowSkinRecord* r = RecordAt(index);
    if (!info) return 0;
    MINMAXINFO mmi = *info;
    mmi.ptMinTrackSize = POINT{r->minWidth, r->minHeight};
    // Maximised windows leave the taskbar visible.
    const int height = r->maxHeight - TaskbarHeight();
    mmi.ptMaxSize = POINT{r->maxWidth, height};
    mmi.ptMaxTrackSize = POINT{r->maxWidth, height};
    *info = mmi;
    return 0;
}

LRESULT SkinEngine::OnWindowPosChanged(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    RECT client{};
    GetClientRect(window, &client);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (r->showMaximise && client.right == screenWidth && client.bottom == screenHeight) {
        r->maximised = 1;
        SetWindowPos(window, nullptr, 0, 0, screenWidth, screenHeight - TaskbarHeight(),
                     SWP_NOZORDER | SWP_NOOWNERZORDER);
    }
    if ((r = RecordAt(index)) != nullptr) {
        LayoutTitleButtons(index);
        if (!r->tabTexts.empty()) LayoutTitleTabs(index);
    }
    // The system turns this into WM_SIZE and WM_MOVE: it must go on.
    return PassOn(window, WM_WINDOWPOSCHANGED, wParam, lParam);
}

LRESULT SkinEngine::OnSize(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    SkinSettings& s = Skin();
    if (s.skinFrameFlag == 1) {
        RecordAt(index)->repaintNeeded = 0;
        s.skinFrameFlag = 0;
    }
    LayoutChildControls(index);
    // The runtime's Resized event (tray behaviour) fires from the previous procedure.
    return PassOn(window, WM_SIZE, wParam, lParam);
}

LRESULT SkinEngine::OnSysCommand(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    switch (wParam & 0xFFF0) {
    case SC_MAXIMIZE: r->repaintNeeded = 1; break;
    case SC_RESTORE: r->minimised = 0; break;
    case SC_MINIMIZE: r->minimised = 1; break;
    default: break;
    }
    return PassOn(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT SkinEngine::OnSetText(int index, HWND window, const char* text, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    if (r->titleBar && r->captionShown && r->frameCache.dc) PaintCaption(index, 1, text ? text : "");
    return PassOn(window, WM_SETTEXT, 0, lParam);
}

LRESULT SkinEngine::OnDrawItem(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    if (gOwnerDrawPainter && lParam) {
        DRAWITEMSTRUCT item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (gOwnerDrawPainter(index, item)) return TRUE;
    }
    return PassOn(window, WM_DRAWITEM, wParam, lParam);
}

LRESULT SkinEngine::OnCtlColorTranslucent(int index, HWND window, UINT message, HDC dc, HWND control)
{
    const SkinSettings& s = Skin();
    bool take = s.controlSkinning && s.translucentBackground && control;
    // A combo box colours its own edit.
    if (take && message == WM_CTLCOLOREDIT && IsClass(GetParent(control), "ComboBox")) take = false;
    if (!take) return PassOn(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));

    SetTextColor(dc, static_cast<COLORREF>(GetProperty(control, kPropTextColour)));
    SetBkMode(dc, TRANSPARENT);
    // The brush paints the image under the control's client area, so its
    // origin (the DC origin) must match the captured image.
    RECT client{};
    GetClientRect(control, &client);
    RECT window0{};
    GetWindowRect(control, &window0);
    POINT clientOrigin{0, 0};
    ClientToScreen(control, &clientOrigin);
    OffsetRect(&client, clientOrigin.x - window0.left, clientOrigin.y - window0.top);
    WindowSkinRecord* r = RecordAt(index);
    HBRUSH brush = r ? BackgroundBrushFor(*r, control, client) : nullptr;
    if (!brush) return PassOn(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT SkinEngine::OnCtlColorNullBrush(int index, HWND window, UINT message, HDC dc, HWND control)
{
    const SkinSettings& s = Skin();
    bool take = false;
    if (message == WM_CTLCOLORLISTBOX) {
        LONG style = GetWindowLongA(control, GWL_STYLE);
        take = s.controlSkinning && IsClass(control, "ListBox") &&
               !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE));
    } else {
        take = s.controlSkinning && s.translucentBackground;
    }
    if (!take || !control) return PassOn(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    SetTextColor(dc, static_cast<COLORREF>(GetProperty(control, kPropTextColour)));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ nullBrush = GetStockObject(NULL_BRUSH);
    if (WindowSkinRecord* r = RecordAt(index)) SetControlBrush(*r, control, nullBrush, nullptr);
    return reinterpret_cast<LRESULT>(nullBrush);
}

LRESULT SkinEngine::OnClose(int index, HWND window)
{
    RecordAt(index)->closing = 1;
    LRESULT result = PassOn(window, WM_CLOSE, 0, 0);
    // Still here: the close was refused, the window lives on.
    if (WindowSkinRecord* r = RecordAt(index)) r->closing = 0;
    return result;
}

LRESULT SkinEngine::OnActivateApp(int index, HWND window, BOOL active, LPARAM lParam)
{
    // Activation going to another application: trim on a worker thread,
    // never waiting for it here. Not while the window closes: destroying it
    // hands the activation on too, and a trimmer started while the program
    // exits can be left hanging in its start-up under Wine (and would only
    // trim a process that is about to end).
    if (!active && !RecordAt(index)->closing) gTrimStarter();
    return PassOn(window, WM_ACTIVATEAPP, static_cast<WPARAM>(active), lParam);
}

LRESULT SkinEngine::OnCommand(HWND window, WPARAM wParam, HWND control)
{
    const SkinSettings& s = Skin();
    if (s.translucentBackground && s.controlSkinning && control) {
        const UINT code = HIWORD(wParam);
        bool invalidate = false;
        if (IsClass(control, "Edit"))
            invalidate = code == EN_HSCROLL || code == EN_VSCROLL || code == EN_CHANGE || code == EN_UPDATE;
        else if (IsClass(control, "ListBox"))
            invalidate = code == LBN_SELCHANGE || code == LBN_SELCANCEL;
        else if (IsClass(control, "ComboBox"))
            invalidate = code == CBN_KILLFOCUS || code == CBN_SELCHANGE;
        // The translucent background must be redrawn under the new content.
        if (invalidate) InvalidateRect(control, nullptr, TRUE);
    }
    return PassOn(window, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control));
}

LRESULT SkinEngine::OnNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (lParam) {
        NMHDR header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code == TVN_ITEMEXPANDEDA || header.code == TVN_ITEMEXPANDINGA)
            InvalidateRect(header.hwndFrom, nullptr, TRUE);
    }
    return PassOn(window, WM_NOTIFY, wParam, lParam);
}

void SkinEngine::StartHoverAnimation(int windowIndex, int newHovered)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    r->fading = r->highlighted;
    r->highlighted = newHovered;
    r->hoverStep = 0;
    r->fadeStep = 0;
    r->timerRunning = true;
    SetTimer(r->window, HoverTimerId(r->window), kHoverInterval, nullptr);
}

LRESULT SkinEngine::OnMouseMove(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, window, 1};
    TrackMouseEvent(&tme);
    WindowSkinRecord* r = RecordAt(index);
    r->pressed = 0;
    hoveredTitleButton_ = HitTestTitleButton(index, x, y);
    // The animation (and its timer) runs only when the hovered button changes;
    // restarting it on every move would make a steady face flicker.
    if (hoveredTitleButton_ != r->highlighted && r->titleBar) {
        StartHoverAnimation(index, hoveredTitleButton_);
        PaintTitleButtons(index, r->highlighted, 0, 0);
    }
    UpdateResizeCursor(index, x, y);
    return PassOn(window, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT SkinEngine::OnHoverTimer(int index, HWND window)
{
    WindowSkinRecord* r = RecordAt(index);
    if (r->hoverStep < kHoverSteps) ++r->hoverStep;
    if (r->fadeStep < kHoverSteps) ++r->fadeStep;
    PaintTitleButtons(index, r->highlighted, r->pressed, kHoverAlphaStep * r->hoverStep);
    r = RecordAt(index);
    if (r && r->hoverStep >= kHoverSteps && r->fadeStep >= kHoverSteps && !r->pressed) {
        KillTimer(window, HoverTimerId(window));
        r->timerRunning = false;
        r->hoverStep = 0;
        r->fadeStep = 0;
        r->fading = 0;
    }
    return 0;
}

LRESULT SkinEngine::OnLeftButtonDown(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    WindowSkinRecord* r = RecordAt(index);
    if (r->titleBar && !IsIconic(window)) BeginBorderResize(index, x, y);
    if ((r = RecordAt(index)) != nullptr) {
        r->pressed = HitTestTitleButton(index, x, y);
        if (r->titleBar) PaintTitleButtons(index, r->highlighted, r->pressed, 240);
    }
    return PassOn(window, WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT SkinEngine::OnLeftButtonUp(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    const int hovered = hoveredTitleButton_;
    if (r->titleBar && hovered >= 1 && hovered <= r->titleButtons.Count()) {
        r->pressed = 0;
        // Through the action thunk, as a plain two-argument callback.
        using ActionFn = int(__stdcall*)(int, int);
        if (actionThunkAddress_) reinterpret_cast<ActionFn>(actionThunkAddress_)(index, hovered);
        else RunTitleButtonAction(index, hovered);
    }
    // The action may have closed the window.
    if (!IsWindow(window)) return 0;
    return PassOn(window, WM_LBUTTONUP, wParam, lParam);
}

LRESULT SkinEngine::OnLeftButtonDoubleClick(int index, HWND window, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    const int y = GET_Y_LPARAM(lParam);
    if (y <= r->titleHeight && r->resizable) {
        if (int maximise = FindMaximizeButton(index)) RunTitleButtonAction(index, maximise);
    }
    if (!IsWindow(window)) return 0;
    return PassOn(window, WM_LBUTTONDBLCLK, wParam, lParam);
}

LRESULT SkinEngine::OnMouseHoverOrLeave(int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSkinRecord* r = RecordAt(index);
    if (message == WM_MOUSELEAVE) {
        hoveredTitleButton_ = 0;
        r->pressed = 0;
        if (r->highlighted != 0) StartHoverAnimation(index, 0);
    }
    if (r->titleBar) PaintTitleButtons(index, r->highlighted, r->pressed, kHoverAlphaStep * r->hoverStep);
    return PassOn(window, message, wParam, lParam);
}

int SkinEngine::FindMaximizeButton(int windowIndex)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return 0;
    for (int i = 1; i <= r->titleButtons.Count(); ++i)
        if (r->titleButtons.Get(i)->action == kActionMaximise) return i;
    return 0;
}

int SkinEngine::HitTestTitleButton(int windowIndex, int x, int y)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r) return 0;
    const POINT p{x, y};
    for (int i = 1; i <= r->titleButtons.Count(); ++i)
        if (PtInRect(&r->titleButtons.Get(i)->hitRect, p)) return i;
    return 0;
}

namespace {

// Sizing edge under (x, y) of a client area w x h, as a WMSZ_ code; 0 none.
int SizingEdge(int x, int y, int w, int h, int band)
{
    constexpr int kCorner = 10;
    // The band is band pixels wide at either side: 0 .. band - 1 on the left,
    // w - band .. w - 1 on the right.
    const bool left = x < band, right = x >= w - band, top = y <= band, bottom = y >= h - band;
    const bool nearTop = y <= kCorner, nearBottom = y >= h - kCorner;
    const bool nearLeft = x <= kCorner, nearRight = x >= w - kCorner;
    if ((left && nearTop) || (top && nearLeft)) return WMSZ_TOPLEFT;
    if ((right && nearTop) || (top && nearRight)) return WMSZ_TOPRIGHT;
    if ((left && nearBottom) || (bottom && nearLeft)) return WMSZ_BOTTOMLEFT;
    if ((right && nearBottom) || (bottom && nearRight)) return WMSZ_BOTTOMRIGHT;
    if (left) return WMSZ_LEFT;
    if (right) return WMSZ_RIGHT;
    if (top) return WMSZ_TOP;
    if (bottom) return WMSZ_BOTTOM;
    return 0;
}

LPCSTR SizingCursor(int edge)
{
    switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT: return IDC_SIZEWE;
    case WMSZ_TOP:
    case WMSZ_BOTTOM: return IDC_SIZENS;
    case WMSZ_TOPLEFT:
    case WMSZ_BOTTOMRIGHT: return IDC_SIZENWSE;
    default: return IDC_SIZENESW;
    }
}

}  // namespace

void SkinEngine::BeginBorderResize(int windowIndex, int x, int y)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->titleBar) return;
    if (x > r->stripX && x <= r->stripX + r->stripWidth && y <= r->stripHeight) return;
    HWND window = r->window;
    if (r->resizable) {
        RECT client{};
        GetClientRect(window, &client);
        if (int edge = SizingEdge(x, y, client.right, client.bottom, borderBand_)) {
            SetCursor(LoadCursorA(nullptr, SizingCursor(edge)));
            SendMessageA(window, WM_SYSCOMMAND, SC_SIZE + edge, 0);
            return;
        }
    }
    // Dragging by the title band: the system moves the window.
    if (y <= r->titleHeight) SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void SkinEngine::UpdateResizeCursor(int windowIndex, int x, int y)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    if (!r || !r->titleBar || !r->resizable) return;
    RECT client{};
    GetClientRect(r->window, &client);
    if (int edge = SizingEdge(x, y, client.right, client.bottom, borderBand_))
        SetCursor(LoadCursorA(nullptr, SizingCursor(edge)));
}

}  // namespace orv
