#include "skin/MessageBoxSkin.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <map>
#include <memory>

#include "gdiplus/GdiHandles.h"
#include "resources/Resources.h"
#include "skin/ColourKeySkin.h"
#include "skin/LabelSkin.h"
#include "skin/MessageBoxPaint.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "skin/SkinSettings.h"

namespace orv {

namespace {

// The hook of the box about to be shown; its first WM_ACTIVATE removes it.
HHOOK gHook = nullptr;
FadeStepObserver gFadeObserver = nullptr;

constexpr int kFadeSteps = 5;
constexpr int kFadeAlphaStep = 50;  // the last step is 250, not 255
constexpr DWORD kFadeInterval = 40;
constexpr int kCloseRightMargin = 5;
constexpr int kCloseTop = 3;
constexpr int kCloseBottom = 20;
constexpr int kStripWidth = 41;  // one 38-pixel button + 3
// Posted to a box as it is skinned, handled once the system has finished
// setting the box up.
constexpr UINT kMsgFinishSkinning = WM_APP + 0x4D42;

// What the box remembers while the system drags it by its title band.
struct DragState {
    bool dragging = false;
    RECT startRect{};
};
std::map<HWND, DragState>& Drags()
{
    static std::map<HWND, DragState> drags;
    return drags;
}

void ApplyRoundRegion(HWND box, int width, int height)
{
    // The window owns the region once SetWindowRgn accepts it.
    HRGN region = CreateRoundRectRgn(0, 0, width + 1, height + 1, kBoxCorner, kBoxCorner);
    if (region && !SetWindowRgn(box, region, TRUE)) DeleteObject(region);
}

SIZE WindowSize(HWND window)
{
    RECT rc{};
    GetWindowRect(window, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

// The close button sits at the right end of the title band.
void LayoutBox(WindowSkinRecord& record, int width)
{
    record.stripX = width - kBoxCloseOffset;
    record.stripY = 0;
    record.stripWidth = kStripWidth;
    record.stripHeight = kBoxCloseHeight;
    for (int i = 1; i <= record.titleButtons.Count(); ++i) {
        TitleButton* b = record.titleButtons.Get(i);
        b->hitRect = RECT{width - kBoxCloseOffset, 0, width - kBoxCloseOffset + kBoxCloseWidth, kBoxCloseHeight};
        b->cellX = static_cast<float>(b->hitRect.left);
        b->cellY = 0;
        b->cellWidth = static_cast<float>(kBoxCloseWidth);
        b->cellHeight = static_cast<float>(kBoxCloseHeight);
    }
}

std::unique_ptr<WindowSkinRecord> MakeBoxRecord(HWND dialog)
{
    auto record = std::make_unique<WindowSkinRecord>();
    WindowSkinRecord& r = *record;
    r.window = dialog;
    r.cacheCoversWindow = true;  // painted through the window DC, title band included
    r.titleHeight = kBoxTitleHeight;
    r.showHelp = r.showMenu = r.showMinimise = r.showMaximise = 0;
    r.showClose = 1;
    r.titleBar = 1;
    r.resizable = 0;
    r.captionShown = 1;
    r.titleGloss = 0;
    r.captionColour = 0x00FFFFFF;
    r.shadowColour = 0x00808080;
    r.fontName = "宋体";
    r.fontSize = 13;
    r.fontStyle = 0;
    r.maxWidth = GetSystemMetrics(SM_CXSCREEN);
    r.maxHeight = GetSystemMetrics(SM_CYSCREEN);
    TitleButton* close = r.titleButtons.Get(r.titleButtons.Take());
    close->width = 38;
    close->height = 18;
    const std::string_view image = StoredBytes(IDR_MSGBOX_CLOSE);
    close->image.assign(image.data(), image.size());
    close->action = kActionClose;
    close->name = "关闭";
    r.highlighted = 0;  // the close button's hover flag
    return record;
}

// The dialog's children in the order of the control skins, then its labels
// and any tool bar.
void InstallChildSkins(int index, HWND dialog)
{
    RunControlInstallers(index, dialog);
    SkinLabels(index, dialog);
    if (!Skin().controlSkinning) return;
    // SubclassControl with its defaults (key colour = the default back colour).
    ForEachChildOfClass(dialog, "ToolbarWindow32",
                        [](HWND toolbar) { SubclassWithColourKey(toolbar, {}, {}, {}); });
}

DWORD WINAPI FadeInRoutine(void* data)
{
    HWND box = static_cast<HWND>(data);
    for (int i = 1; i <= kFadeSteps; ++i) {
        Sleep(kFadeInterval);
        const BYTE alpha = static_cast<BYTE>(kFadeAlphaStep * i);
        SetLayeredWindowAttributes(box, 0, alpha, LWA_ALPHA);
        if (gFadeObserver) gFadeObserver(box, alpha);
    }
    return 0;
}

void StartFadeIn(HWND box)
{
    // Without a thread the box would stay invisible; show it at once.
    if (!SHCreateThread(FadeInRoutine, box, 0, nullptr))
        SetLayeredWindowAttributes(box, 0, static_cast<BYTE>(kFadeAlphaStep * kFadeSteps), LWA_ALPHA);
}

void OnHookActivate(HWND window)
{
    char className[255] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") == 0 && GetProperty(window, kPropProc) == 0) SkinMessageBox(window);
}

LRESULT CALLBACK MessageBoxHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) return CallNextHookEx(gHook, code, wParam, lParam);
    if (code == HCBT_ACTIVATE) OnHookActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(gHook, code, wParam, lParam);
}

void RemoveHook()
{
    // Later activations find the hook gone already; that is fine.
    if (gHook) UnhookWindowsHookEx(gHook);
    gHook = nullptr;
}

// Message handlers of MessageBoxProc.

LRESULT OnNcDestroy(int index, HWND box, WPARAM wParam, LPARAM lParam)
{
    DestroyWindowRecord(index);
    Drags().erase(box);
    return CallPreviousProc(box, WM_NCDESTROY, wParam, lParam);
}

LRESULT OnChangeUiState(HWND box, WPARAM wParam, LPARAM lParam)
{
    // No focus rectangles or accelerator underlines on the painted buttons.
    if (LOWORD(wParam) == UIS_INITIALIZE) return 0;
    return CallPreviousProc(box, WM_CHANGEUISTATE, wParam, lParam);
}

LRESULT OnActivate(HWND box, WPARAM wParam, LPARAM lParam)
{
    RemoveHook();
    return CallPreviousProc(box, WM_ACTIVATE, wParam, lParam);
}

LRESULT OnSize(WindowSkinRecord& record, HWND box, WPARAM wParam, LPARAM lParam)
{
    const SIZE size = WindowSize(box);
    ApplyRoundRegion(box, size.cx, size.cy);
    LayoutBox(record, size.cx);
    return CallPreviousProc(box, WM_SIZE, wParam, lParam);
}

LRESULT OnPaint(int index, HWND box, WPARAM wParam, LPARAM lParam)
{
    {
        ScopedPaint paint(box);
        PaintMessageBox(index);
    }
    WindowSkinRecord* r = RecordAt(index);
    if (r && !r->fadeStarted) {
        r->fadeStarted = 1;
        StartFadeIn(box);
    }
    return DefWindowProcA(box, WM_PAINT, wParam, lParam);
}

LRESULT OnNcLeftButtonDown(HWND box, WPARAM hit, LPARAM lParam)
{
    if (hit == HTCLOSE) return 0;  // the box closes on release, not on press
    if (hit == HTCAPTION) {
        DragState& drag = Drags()[box];
        GetWindowRect(box, &drag.startRect);
        drag.dragging = true;
    }
    return CallPreviousProc(box, WM_NCLBUTTONDOWN, hit, lParam);
}

void PutCloseButtonBack(int index, WindowSkinRecord& record)
{
    if (!record.highlighted) return;
    PaintMessageBoxCloseButton(index, false, true);
    record.highlighted = 0;
}

LRESULT OnNcMouseMove(int index, WindowSkinRecord& record, HWND box, WPARAM hit, LPARAM lParam)
{
    if (hit == HTCLOSE) {
        if (!record.highlighted) {
            PaintMessageBoxCloseButton(index, true, true);
            record.highlighted = 1;
            // The pointer may leave the box straight from the button, with
            // no further move over the box to put the button back.
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_NONCLIENT, box, 0};
            TrackMouseEvent(&tme);
        }
        return 0;
    }
    PutCloseButtonBack(index, record);
    return CallPreviousProc(box, WM_NCMOUSEMOVE, hit, lParam);
}

LRESULT OnNcMouseLeave(int index, WindowSkinRecord& record, HWND box, WPARAM wParam, LPARAM lParam)
{
    PutCloseButtonBack(index, record);
    return CallPreviousProc(box, WM_NCMOUSELEAVE, wParam, lParam);
}

// The button the close button stands for: Cancel where the box has it (the
// system's own close answers that), else the safe No of a Yes/No box, else
// the OK of an OK box; none for a box without any of them (abort, retry,
// ignore), whose system close is disabled too.
HWND CloseButtonStandIn(HWND box)
{
    for (int id : {IDCANCEL, IDNO, IDOK}) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) return button;
    }
    return nullptr;
}

LRESULT OnNcLeftButtonUp(HWND box, WPARAM hit, LPARAM lParam)
{
    Drags()[box].dragging = false;
    if (hit == HTCLOSE) {
        // The box ends as if that button were clicked, not through WM_CLOSE:
        // the dialog manager turns a close into Cancel, which a Yes/No box
        // does not have (Windows then ignores it, Wine answers Cancel from
        // every box, OK-only boxes included).
        if (HWND button = CloseButtonStandIn(box))
            SendMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        return 0;
    }
    return CallPreviousProc(box, WM_NCLBUTTONUP, hit, lParam);
}

// The system sets the box's default button after the box was activated
// (BM_SETSTYLE with BS_DEFPUSHBUTTON, seen under Wine 8), which takes the
// owner-draw type off again; the buttons the skin registered get it back.
LRESULT OnFinishSkinning(WindowSkinRecord& record, HWND box)
{
    record.buttons.ForEach([](ButtonEntry& e) {
        if (!e.hwnd || !IsWindow(e.hwnd)) return;
        const LONG style = GetWindowLongA(e.hwnd, GWL_STYLE);
        const LONG type = style & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_USERBUTTON) return;
        SetWindowLongA(e.hwnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
        InvalidateRect(e.hwnd, nullptr, TRUE);
    });
    const SIZE size = WindowSize(box);
    LayoutBox(record, size.cx);
    return 0;
}

LRESULT OnDrawItem(int index, HWND box, WPARAM wParam, LPARAM lParam)
{
    if (OwnerDrawPainter painter = GetOwnerDrawPainter(); painter && lParam) {
        const DRAWITEMSTRUCT item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        painter(index, item);
    }
    return CallPreviousProc(box, WM_DRAWITEM, wParam, lParam);
}

}  // namespace

int ShowSkinnedMessageBox(HWND owner, const char* text, UINT style, const char* caption)
{
    InstallMessageBoxHook();
    // An empty caption reaches the system as none, so the default title shows.
    const char* title = (caption && *caption) ? caption : nullptr;
    const int answer = MessageBoxExA(owner, text, title, style, 0);
    // A box that never became active (the call failed) leaves its hook.
    RemoveHook();
    return answer - 1;
}

bool InstallMessageBoxHook()
{
    RemoveHook();
    gHook = SetWindowsHookExA(WH_CBT, MessageBoxHookProc, nullptr, GetCurrentThreadId());
    return gHook != nullptr;
}

HHOOK MessageBoxHook() { return gHook; }

void SkinMessageBox(HWND dialog)
{
    if (!IsWindow(dialog) || FindWindowRecord(dialog)) return;
    const SIZE size = WindowSize(dialog);
    ApplyRoundRegion(dialog, size.cx, size.cy);

    auto record = MakeBoxRecord(dialog);
    SetWindowLongA(dialog, GWL_STYLE, GetWindowLongA(dialog, GWL_STYLE) | WS_SYSMENU);
    SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_LAYERED);
    // Fully transparent until the fade-in.
    SetLayeredWindowAttributes(dialog, 0, 0, LWA_ALPHA);
    const int index = AppendWindowRecord(std::move(record));
    LayoutBox(*RecordAt(index), size.cx);

    InstallChildSkins(index, dialog);

    WindowSkinRecord* r = RecordAt(index);
    r->repaintNeeded = 1;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageBoxProc)));
    r->previousProc = previous;
    SetProperty(dialog, kPropProc, reinterpret_cast<uintptr_t>(previous));
    SetProperty(dialog, kPropIndex, static_cast<uintptr_t>(index));
    PostMessageA(dialog, kMsgFinishSkinning, 0, 0);
}

LRESULT MessageBoxHitTest(HWND window, int screenX, int screenY)
{
    RECT rc{};
    GetWindowRect(window, &rc);
    const WindowSkinRecord* r = RecordOfWindow(window);
    const int stripX = r ? r->stripX : (rc.right - rc.left) - kBoxCloseOffset;
    if (screenX > rc.left + stripX && screenX < rc.right - kCloseRightMargin && screenY > rc.top + kCloseTop &&
        screenY <= rc.top + kCloseBottom)
        return HTCLOSE;
    if (screenY <= rc.top + kBoxTitleHeight) return HTCAPTION;
    return HTCLIENT;
}

LRESULT CALLBACK MessageBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int index = 0;
    WindowSkinRecord* r = RecordOfWindow(window, &index);
    if (!r) return CallPreviousProc(window, message, wParam, lParam);
    switch (message) {
    case WM_NCDESTROY: return OnNcDestroy(index, window, wParam, lParam);
    case WM_CHANGEUISTATE: return OnChangeUiState(window, wParam, lParam);
    case WM_ACTIVATE: return OnActivate(window, wParam, lParam);
    case WM_SIZE: return OnSize(*r, window, wParam, lParam);
    case WM_PAINT: return OnPaint(index, window, wParam, lParam);
    case WM_NCPAINT: return 0;
    case WM_NCACTIVATE: return 1;
    case WM_NCHITTEST: return MessageBoxHitTest(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_NCLBUTTONDOWN: return OnNcLeftButtonDown(window, wParam, lParam);
    case WM_NCMOUSEMOVE: return OnNcMouseMove(index, *r, window, wParam, lParam);
    case WM_NCMOUSELEAVE: return OnNcMouseLeave(index, *r, window, wParam, lParam);
    case WM_NCLBUTTONUP: return OnNcLeftButtonUp(window, wParam, lParam);
    case WM_DRAWITEM: return OnDrawItem(index, window, wParam, lParam);
    case kMsgFinishSkinning: return OnFinishSkinning(*r, window);
    default: return CallPreviousProc(window, message, wParam, lParam);  // WM_CTLCOLORSTATIC among them
    }
}

void SetFadeStepObserver(FadeStepObserver observer) { gFadeObserver = observer; }

}  // namespace orv
