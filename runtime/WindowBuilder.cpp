// Creating the window and its controls from the layout table.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "runtime/TransparentLabel.h"
#include "runtime/Win32Runtime.h"
#include "runtime/WindowProcs.h"

namespace orv {

const char kMainWindowClassName[] = "OrvaneMainWindow";
const char kShowRunningCopyMessage[] = "Orvane.ShowRunningCopy";

namespace {

bool RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, kMainWindowClassName, &wc)) return true;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
    wc.cbWndExtra = kMainWindowExtraBytes;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kMainWindowClassName;
    return RegisterClassA(&wc) != 0;
}

struct ClassAndStyle {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle ControlClass(const UnitSpec& u)
{
    const bool border = u.flags & kUnitBorder;
    DWORD style = WS_CHILD | WS_TABSTOP;
    DWORD ex = border ? WS_EX_CLIENTEDGE : 0;
    switch (u.kind) {
    case UnitKind::ListBox:
        return {"ListBox", style | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, ex};
    case UnitKind::TransparentLabel:
        // Labels paint their own background: where two overlap, the upper one
        // must win rather than the one painted last.
        return {kTransparentLabelClass, WS_CHILD | WS_CLIPSIBLINGS, 0};
    case UnitKind::Button:
        return {"BUTTON", style | BS_PUSHBUTTON, 0};
    case UnitKind::Edit: {
        DWORD s = style | ES_LEFT;
        if (u.flags & kUnitMultiLine) s |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        else s |= ES_AUTOHSCROLL;
        if (u.flags & kUnitVScroll) s |= WS_VSCROLL;
        if (u.flags & kUnitReadOnly) s |= ES_READONLY;
        return {"Edit", s, ex};
    }
    // Containers are control parents, so the system's own dialog navigation
    // (GetNextDlgTabItem, IsDialogMessage) also finds the controls in them.
    case UnitKind::GroupBox:
        return {"BUTTON", WS_CHILD | BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case UnitKind::TabControl:
        return {WC_TABCONTROLA, WS_CHILD | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case UnitKind::Window:
        break;
    }
    return {"Static", WS_CHILD, 0};
}

}  // namespace

bool Win32Runtime::CreateWindowFromLayout()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterMainWindowClass(instance) || !RegisterTransparentLabelClass(instance)) return false;
    taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
    showRunningCopyMessage_ = RegisterWindowMessageA(kShowRunningCopyMessage);

    // Controls without a font of their own get 宋体 9 pt, the usual face of
    // Chinese Windows dialogs.
    defaultFont_.Reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "宋体"));

    const UnitSpec& w = layout_.units[0];
    // Borderless, with a minimise box and no maximise box: the frame, caption
    // and title buttons are drawn by the skin.
    HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kMainWindowClassName, w.text ? w.text : "",
                                WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN, w.left, w.top, w.width,
                                w.height, nullptr, nullptr, instance, this);
    if (!hwnd) return false;
    units_[0].hwnd = hwnd;
    AcceptFilesFromElsewhere(hwnd);
    for (int i = 1; i < layout_.count; ++i) EnsureCreated(i);
    std::vector<HWND> tabOrder;
    for (int unit : tabOrder_)
        if (HWND control = ControlHandle(unit); control && unit > 0) tabOrder.push_back(control);
    navigation_.Attach(hwnd, std::move(tabOrder));

    created_ = true;
    Fire(0, EventKind::Created);
    if (w.flags & kUnitVisible) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
        PlaySoundData(windowSound_, false);
    }
    return true;
}

HWND Win32Runtime::EnsureCreated(int index)
{
    // The layout may list a control before its container (the tab page's
    // children come first), so a parent is made on demand.
    if (units_[index].hwnd) return units_[index].hwnd;
    const int parent = layout_.units[index].parent;
    if (parent > 0 && parent < layout_.count && !units_[parent].hwnd) EnsureCreated(parent);
    return CreateUnit(index);
}

HWND Win32Runtime::CreateUnit(int index)
{
    const UnitSpec& u = layout_.units[index];
    HWND parent = units_[u.parent < 0 || u.parent >= layout_.count ? 0 : u.parent].hwnd;
    ClassAndStyle cs = ControlClass(u);
    DWORD style = cs.style | ((u.flags & kUnitVisible) ? WS_VISIBLE : 0);
    // An edit gets its text once its font is set: laying out the 882-byte
    // tips in the system font and again in the right one cost 15 ms.
    const char* initialText = u.kind == UnitKind::Edit || !u.text ? "" : u.text;
    HWND hwnd = CreateWindowExA(cs.exStyle, cs.className, initialText, style, u.left, u.top, u.width,
                                u.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + index)),
                                GetModuleHandleA(nullptr), nullptr);
    if (!hwnd) return nullptr;
    units_[index].hwnd = hwnd;
    units_[index].textColour = u.textColour;
    units_[index].backColour = u.backColour;
    if (u.backColour != kDefaultColour) units_[index].backBrush.Reset(CreateSolidBrush(u.backColour));
    ApplyFont(index);

    if (u.kind == UnitKind::TabControl) {
        // One page with an empty caption.
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>("");
        SendMessageA(hwnd, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (u.kind == UnitKind::TransparentLabel)
        SetLabelTextColour(hwnd, u.textColour == kDefaultColour ? RGB(0, 0, 0) : u.textColour);
    if (u.kind == UnitKind::Edit && u.text && *u.text) SetWindowTextA(hwnd, u.text);
    if (u.kind == UnitKind::Edit) SendMessageA(hwnd, EM_LIMITTEXT, 0, 0);  // 0: as long as the system allows

    // Every control gets the runtime's procedure in front of its own, so the
    // events bound to it (and notifications of the children of containers)
    // reach their handlers whatever is subclassed on top later.
    units_[index].previousProc = InstallControlProc(this, hwnd);
    return hwnd;
}

void Win32Runtime::ApplyFont(int index)
{
    const UnitSpec& u = layout_.units[index];
    HFONT font = defaultFont_.Get();
    if (u.font) {
        fonts_.emplace_back(CreateFontA(u.font->height, 0, 0, 0, u.font->weight, FALSE, u.font->underline, FALSE,
                                        static_cast<BYTE>(u.font->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, u.font->face));
        font = fonts_.back().Get();
    }
    SendMessageA(units_[index].hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace orv
