#include "runtime/Win32Runtime.h"

#include <mmsystem.h>

#include <vector>

#include "runtime/FileHandover.h"
#include "runtime/FileServices.h"
#include "runtime/MessageLoop.h"
#include "runtime/ShellFunctions.h"
#include "runtime/TransparentLabel.h"

namespace orv {

namespace {

int ModifierState()
{
    int state = 0;
    if (GetKeyState(VK_CONTROL) < 0) state |= 1;
    if (GetKeyState(VK_SHIFT) < 0) state |= 2;
    if (GetKeyState(VK_MENU) < 0) state |= 4;
    return state;
}

std::string WindowText(HWND hwnd)
{
    int len = GetWindowTextLengthA(hwnd);
    if (len <= 0) return std::string();
    std::vector<char> buf(static_cast<size_t>(len) + 1);
    int got = GetWindowTextA(hwnd, buf.data(), len + 1);
    return std::string(buf.data(), got > 0 ? got : 0);
}

// The item of a list at a point of its client area, or -1. Worked out from
// the top item and the item height: LB_ITEMFROMPOINT has room for 16 bits
// of index, and a catalogue may hold more entries.
int ListItemUnder(HWND list, POINT at)
{
    RECT client{};
    GetClientRect(list, &client);
    const LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    if (!PtInRect(&client, at) || height <= 0 || height == LB_ERR) return -1;
    const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    const LRESULT index = top + at.y / height;
    return top >= 0 && index < SendMessageA(list, LB_GETCOUNT, 0, 0) ? static_cast<int>(index) : -1;
}

}  // namespace

Win32Runtime::Win32Runtime(LayoutTable layout) : layout_(layout), units_(static_cast<size_t>(layout.count)) {}

Win32Runtime::~Win32Runtime()
{
    if (!units_.empty() && units_[0].hwnd && IsWindow(units_[0].hwnd)) DestroyWindow(units_[0].hwnd);
}

void Win32Runtime::Bind(int unit, EventKind event, EventHandler handler)
{
    bindings_[{unit, event}] = std::move(handler);
}

bool Win32Runtime::HasBinding(int unit, EventKind event) const
{
    return bindings_.count({unit, event}) != 0;
}

void Win32Runtime::Fire(int unit, EventKind event, const EventArgs& args)
{
    auto it = bindings_.find({unit, event});
    if (it != bindings_.end() && it->second) {
        // Copy: a handler may rebind while it runs.
        EventHandler handler = it->second;
        handler(args);
    }
}

int Win32Runtime::UnitOf(HWND hwnd) const
{
    for (size_t i = 0; i < units_.size(); ++i)
        if (units_[i].hwnd == hwnd) return static_cast<int>(i);
    return -1;
}

bool Win32Runtime::IsListUnit(int unit) const
{
    return unit >= 0 && unit < layout_.count && layout_.units[unit].kind == UnitKind::ListBox;
}

// Tab navigation runs in every loop that dispatches the window's messages.
MessageFilter Win32Runtime::KeyboardFilter()
{
    return {[](void* self, const MSG& msg) {
                auto* rt = static_cast<Win32Runtime*>(self);
                return rt->TakeEscape(msg) || rt->navigation_.PreTranslate(msg);
            },
            this};
}

bool Win32Runtime::TakeEscape(const MSG& msg)
{
    HWND window = ControlHandle(0);
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE || !escapeAction_ || !window) return false;
    if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
    return escapeAction_();
}

int Win32Runtime::RunMessageLoop() { return orv::RunMessageLoop(KeyboardFilter()); }

// ---- properties ---------------------------------------------------------

HWND Win32Runtime::ControlHandle(int unit)
{
    return unit >= 0 && unit < static_cast<int>(units_.size()) ? units_[unit].hwnd : nullptr;
}

bool Win32Runtime::Visible(int unit) { return IsWindowVisible(ControlHandle(unit)) != FALSE; }

void Win32Runtime::SetVisible(int unit, bool visible)
{
    HWND hwnd = ControlHandle(unit);
    if (!hwnd) return;
    if (visible && IsWindowVisible(hwnd)) return;
    ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
}

int Win32Runtime::WindowState()
{
    HWND hwnd = ControlHandle(0);
    if (IsIconic(hwnd)) return kStateMinimised;
    if (IsZoomed(hwnd)) return kStateMaximised;
    return centredState_ ? kStateCentred : kStateNormal;
}

void Win32Runtime::SetWindowState(int state)
{
    HWND hwnd = ControlHandle(0);
    if (!hwnd) return;
    switch (state) {
    case kStateMinimised:
        ShowWindow(hwnd, SW_MINIMIZE);
        break;
    case kStateMaximised:
        centredState_ = false;
        ShowWindow(hwnd, SW_MAXIMIZE);
        break;
    case kStateCentred: {
        centredState_ = true;
        if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        RECT rc, work;
        GetWindowRect(hwnd, &rc);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
                     work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    default:
        centredState_ = false;
        if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        break;
    }
}

void Win32Runtime::SetAlwaysOnTop(bool onTop)
{
    SetWindowPos(ControlHandle(0), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string Win32Runtime::Content(int unit) { return WindowText(ControlHandle(unit)); }

void Win32Runtime::SetContent(int unit, std::string_view text)
{
    std::string copy(text);
    SetWindowTextA(ControlHandle(unit), copy.c_str());
}

void Win32Runtime::SetTextColour(int unit, COLORREF colour)
{
    HWND hwnd = ControlHandle(unit);
    if (!hwnd) return;
    units_[unit].textColour = colour;
    if (layout_.units[unit].kind == UnitKind::TransparentLabel) SetLabelTextColour(hwnd, colour);
    else InvalidateRect(hwnd, nullptr, TRUE);
}

COLORREF Win32Runtime::DefaultBackColour() { return GetSysColor(COLOR_BTNFACE); }

void Win32Runtime::Repaint(int unit)
{
    RedrawWindow(ControlHandle(unit), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ---- list boxes ---------------------------------------------------------

void Win32Runtime::ListAdd(int unit, std::string_view text)
{
    if (!IsListUnit(unit)) return;
    const std::string copy(text);  // NUL-terminated for the control
    LRESULT at = SendMessageA(units_[unit].hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    if (at >= 0) units_[unit].items.Add(text);
}

// No repaint per item and storage reserved once: filling 100,000 items costs
// one allocation and one paint instead of 100,000 of each. With replace, the
// list is emptied inside the same quiet spell, so it paints once, not twice.
void Win32Runtime::FillQuietly(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block,
                               bool replace)
{
    HWND hwnd = units_[unit].hwnd;
    auto& items = units_[unit].items;
    size_t bytes = 0;
    for (std::string_view t : texts) bytes += t.size() + 1;
    SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
    if (replace) {
        SendMessageA(hwnd, LB_RESETCONTENT, 0, 0);
        items.Clear();
    }
    SendMessageA(hwnd, LB_INITSTORAGE, texts.size(), bytes);
    items.Reserve(texts.size(), block ? 0 : bytes);
    // Items go straight to the list box class's own procedure: no procedure
    // subclassed in front of it (the runtime's, the skin's) acts on
    // LB_ADDSTRING, and each of them would cost a lookup per item.
    auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
    // The control takes NUL-terminated text: each item is copied here first.
    std::string terminated;
    for (std::string_view text : texts) {
        terminated.assign(text.data(), text.size());
        if (CallWindowProcA(classProc, hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(terminated.c_str())) < 0) break;
        if (block) items.AddShared(text, block);
        else items.Add(text);
    }
    SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void Win32Runtime::ListAddMany(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block)
{
    if (IsListUnit(unit) && !texts.empty()) FillQuietly(unit, texts, block, false);
}

void Win32Runtime::ListReplaceAll(int unit, const std::vector<std::string_view>& texts, const SharedBytes& block)
{
    if (IsListUnit(unit)) FillQuietly(unit, texts, block, true);
}

void Win32Runtime::ListDelete(int unit, int index)
{
    if (!IsListUnit(unit)) return;
    auto& items = units_[unit].items;
    if (index < 0 || static_cast<size_t>(index) >= items.Count()) return;
    if (SendMessageA(units_[unit].hwnd, LB_DELETESTRING, index, 0) != LB_ERR) items.Erase(static_cast<size_t>(index));
}

void Win32Runtime::ListClear(int unit)
{
    if (!IsListUnit(unit)) return;
    SendMessageA(units_[unit].hwnd, LB_RESETCONTENT, 0, 0);
    units_[unit].items.Clear();
}

int Win32Runtime::ListCount(int unit)
{
    return IsListUnit(unit) ? static_cast<int>(units_[unit].items.Count()) : 0;
}

std::string Win32Runtime::ListText(int unit, int index)
{
    if (!IsListUnit(unit)) return std::string();
    const auto& items = units_[unit].items;
    return index >= 0 && static_cast<size_t>(index) < items.Count() ? std::string(items.At(static_cast<size_t>(index)))
                                                                    : std::string();
}

int Win32Runtime::ListSelection(int unit)
{
    if (!IsListUnit(unit)) return -1;
    LRESULT sel = SendMessageA(units_[unit].hwnd, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? -1 : static_cast<int>(sel);
}

void Win32Runtime::SetListSelection(int unit, int index)
{
    if (IsListUnit(unit)) SendMessageA(units_[unit].hwnd, LB_SETCURSEL, index, 0);
}

int Win32Runtime::ListItemAt(int unit, int x, int y)
{
    return IsListUnit(unit) ? ListItemUnder(units_[unit].hwnd, POINT{x, y}) : -1;
}

// ---- files --------------------------------------------------------------

std::string Win32Runtime::ProgramDirectory() { return ExecutableDirectory(); }

FileContent Win32Runtime::ReadWholeFile(const std::string& path) { return ReadFileContent(path); }

WriteResult Win32Runtime::ReplaceFileContent(const std::string& path, std::string_view bytes)
{
    return orv::ReplaceFileContent(path, bytes);
}

bool Win32Runtime::FolderWritable(const std::string& dir) { return orv::FolderWritable(dir); }

bool Win32Runtime::LastWriteTime(const std::string& path, uint64_t* time) { return orv::LastWriteTime(path, time); }

std::string Win32Runtime::PerUserFolder() { return orv::PerUserFolder("APPDATA"); }

bool Win32Runtime::CreateFolder(const std::string& dir) { return orv::CreateFolder(dir); }

// ---- user interface -----------------------------------------------------

void Win32Runtime::StandardMessageBox(std::string_view text)
{
    std::string copy(text);
    MessageBoxA(ControlHandle(0), copy.c_str(), "Orvane", MB_OK);
}

void Win32Runtime::PlaySoundData(std::string_view wavBytes, bool loop)
{
    // Asynchronous from memory: the bytes must outlive the sound, which holds
    // for the program's stored sounds.
    if (wavBytes.empty()) return;
    PlaySoundA(wavBytes.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (loop ? SND_LOOP : 0));
}

void Win32Runtime::OpenUrl(std::string_view address)
{
    std::string copy(address);
    shell::Execute(ControlHandle(0), "open", copy.c_str(), SW_SHOWNORMAL);
}

void Win32Runtime::ShellOpen(std::string_view target)
{
    std::string copy(target);
    shell::Execute(nullptr, nullptr, copy.c_str(), SW_SHOWNORMAL);
}

void Win32Runtime::HoverHint(HWND control, std::string_view text, bool besideItem, bool)
{
    if (text.empty()) {
        if (hint_.Control() == control) hint_.Hide();
    } else if (besideItem) {
        ShowItemHint(control, text);
    } else {
        hint_.Show(control, std::string(text));
    }
}

void Win32Runtime::ShowItemHint(HWND list, std::string_view text)
{
    // Where the move being handled happened, as the caller read it: the
    // pointer may have gone on to another item since, and the text is for
    // this one.
    const DWORD at = GetMessagePos();
    POINT pt{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    ScreenToClient(list, &pt);
    const int index = ListItemUnder(list, pt);
    RECT client{}, item{};
    GetClientRect(list, &client);
    if (index < 0 || SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
        hint_.Hide();
        return;
    }
    // Only the item's visible part: the hint goes below what can be seen.
    IntersectRect(&item, &item, &client);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
    hint_.ShowBeside(list, std::string(text), item);
}

void Win32Runtime::Delay(int milliseconds) { DelayWithMessages(milliseconds, KeyboardFilter()); }

// The icon is not part of the window: it goes in once the window's first
// frame is on the screen (a timer's message comes after every pending
// paint), which takes the shell's round trips out of the start-up.
void Win32Runtime::SetTrayIcon(HICON icon, std::string_view tip)
{
    HWND window = ControlHandle(0);
    tray_.Prepare(window, icon, std::string(tip));
    if (!window || !SetTimer(window, kTrayTimer, USER_TIMER_MINIMUM, nullptr)) tray_.Show();
}

LRESULT Win32Runtime::OnTimer(HWND hwnd, UINT_PTR id, LPARAM lp)
{
    if (id != kTrayTimer) return DefWindowProcA(hwnd, WM_TIMER, id, lp);
    KillTimer(hwnd, kTrayTimer);
    // Not after the window has closed or the session has ended.
    if (!closed_ && !sessionEnding_) tray_.Show();
    return 0;
}

void Win32Runtime::Defer(std::function<void()> action)
{
    deferred_.push_back(std::move(action));
    PostMessageA(ControlHandle(0), kDeferredActionMessage, 0, 0);
}

bool Win32Runtime::PostAction(std::function<void()> action)
{
    HWND window = ControlHandle(0);
    auto* posted = new std::function<void()>(std::move(action));
    if (window && PostMessageA(window, kPostedActionMessage, 0, reinterpret_cast<LPARAM>(posted))) return true;
    delete posted;
    return false;
}

// Actions still queued when the window goes are released, not run: what
// they would act on is going too.
void Win32Runtime::DropPostedActions(HWND hwnd)
{
    MSG msg;
    while (PeekMessageA(&msg, hwnd, kPostedActionMessage, kPostedActionMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
}

void Win32Runtime::RunDeferred()
{
    if (deferred_.empty()) return;
    // One per message: an action may show a modal box, whose loop then
    // runs the next one's message in turn.
    std::function<void()> action = std::move(deferred_.front());
    deferred_.pop_front();
    if (action) action();
}

void Win32Runtime::ShowFromElsewhere()
{
    HWND hwnd = ControlHandle(0);
    ShowWindow(hwnd, SW_SHOW);
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
}

// ---- message routing ----------------------------------------------------

bool Win32Runtime::RouteCommand(HWND child, WORD code)
{
    int unit = UnitOf(child);
    if (unit <= 0) return false;
    switch (layout_.units[unit].kind) {
    case UnitKind::Button:
        if (code == BN_CLICKED) Fire(unit, EventKind::Click);
        return code == BN_CLICKED;
    case UnitKind::ListBox:
        if (code == LBN_SELCHANGE) {
            Fire(unit, EventKind::ItemSelected);
            return true;
        }
        if (code == LBN_DBLCLK) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(child, &pt);
            Fire(unit, EventKind::DoubleClick, {pt.x, pt.y, ModifierState()});
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool Win32Runtime::ColourChild(HWND child, HDC dc, LRESULT* result)
{
    int unit = UnitOf(child);
    if (unit <= 0) return false;
    UnitState& u = units_[unit];
    if (u.textColour == kDefaultColour && u.backColour == kDefaultColour) return false;
    if (u.textColour != kDefaultColour) SetTextColor(dc, u.textColour);
    if (u.backColour != kDefaultColour) {
        SetBkColor(dc, u.backColour);
        *result = reinterpret_cast<LRESULT>(u.backBrush.Get());
    } else {
        SetBkMode(dc, TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return true;
}

// The window closes once, saving once, whichever comes first: the close
// request or the end of the session.
void Win32Runtime::CloseOnce()
{
    if (closed_) return;
    closed_ = true;
    Fire(0, EventKind::QueryClose);
}

LRESULT Win32Runtime::OnClose(HWND hwnd)
{
    CloseOnce();
    DestroyWindow(hwnd);
    return 0;
}

// Windows sends no WM_CLOSE at log-off, shut-down or restart: after
// WM_ENDSESSION returns it may end the process at any moment. So the close
// runs here, in full, before returning; a cancelled end changes nothing.
LRESULT Win32Runtime::OnEndSession(HWND hwnd, bool ending)
{
    if (!ending || closed_) return 0;
    sessionEnding_ = true;
    CloseOnce();
    hint_.Hide();
    tray_.Remove();
    // Should the process be left running (an application restart asked
    // for by an installer), the window then goes as after a close.
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
}

// Scrolling moves other items under a resting pointer: a hint for an item
// would name the wrong one until the pointer moves again.
void Win32Runtime::OnScroll(HWND control)
{
    if (hint_.Control() == control) hint_.Hide();
}

// A message box of the program disables the window while it is open: no
// hint stays over it.
LRESULT Win32Runtime::OnEnable(HWND hwnd, bool enabled)
{
    if (!enabled) hint_.Hide();
    return DefWindowProcA(hwnd, WM_ENABLE, enabled, 0);
}

// Explorer's drop and a second start's WM_COPYDATA come from other
// processes: a program run elevated must let them through (Windows 7 and
// later; the call is looked up so that the import table stays as it is).
void Win32Runtime::AcceptFilesFromElsewhere(HWND hwnd)
{
    if (!fileHandover_) return;
    // What DragAcceptFiles sets, without loading the shell for it.
    SetWindowLongPtrA(hwnd, GWL_EXSTYLE, GetWindowLongPtrA(hwnd, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    auto filter = reinterpret_cast<FilterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
    if (!filter) return;
    const UINT kCopyGlobalData = 0x0049;  // carries a drop's data across the integrity boundary
    for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        filter(hwnd, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

LRESULT Win32Runtime::OnDropFiles(HDROP drop)
{
    std::vector<std::wstring> paths = DroppedPaths(drop);
    shell::DragFinish(drop);
    if (fileHandover_ && !paths.empty()) fileHandover_(std::move(paths));
    return 0;
}

// The sender waits until this returns: the paths are taken after it.
LRESULT Win32Runtime::OnCopyData(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != kPathListCopyData || !fileHandover_) return FALSE;
    std::vector<std::wstring> paths = DecodePathList(data->lpData, data->cbData);
    if (paths.empty()) return FALSE;
    auto take = fileHandover_;
    Defer([take, paths]() mutable { take(std::move(paths)); });
    return TRUE;
}

LRESULT Win32Runtime::OnWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CLOSE:
        return OnClose(hwnd);
    case WM_QUERYENDSESSION:
        // The catalogue is saved at WM_ENDSESSION; nothing here holds the
        // session up.
        return TRUE;
    case WM_ENDSESSION:
        return OnEndSession(hwnd, wp != FALSE);
    case WM_ENABLE:
        return OnEnable(hwnd, wp != FALSE);
    case kDeferredActionMessage:
        RunDeferred();
        return 0;
    case kPostedActionMessage: {
        std::unique_ptr<std::function<void()>> action(reinterpret_cast<std::function<void()>*>(lp));
        if (action && *action) (*action)();
        return 0;
    }
    case WM_DROPFILES:
        return OnDropFiles(reinterpret_cast<HDROP>(wp));
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_SYSCOLORCHANGE:
        // Windows tells top-level windows only; the controls need it too.
        for (size_t i = 1; i < units_.size(); ++i)
            if (units_[i].hwnd) SendMessageA(units_[i].hwnd, WM_SYSCOLORCHANGE, wp, lp);
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_DESTROY:
        hint_.Hide();
        tray_.Remove();
        DropPostedActions(hwnd);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE: {
        if (created_) Fire(0, EventKind::Resized);
        LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
        if (wp != SIZE_MINIMIZED) navigation_.RestoreFocus();
        return r;
    }
    case WM_SETFOCUS:
        // The window itself takes no keys: activation, a restore from the
        // tray or the end of a message box hands the focus to a control.
        if (navigation_.ForwardFocus()) return 0;
        return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_TIMER:
        return OnTimer(hwnd, wp, lp);
    case kTrayCallbackMessage:
        if (int kind = TrayIcon::NotificationKind(lp)) Fire(0, EventKind::TrayNotify, {kind, 0, 0});
        return 0;
    case WM_COMMAND:
        RouteCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
        LRESULT r = 0;
        if (ColourChild(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp), &r)) return r;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    default:
        if (msg == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
            tray_.Restore();
            return 0;
        }
        if (msg == showRunningCopyMessage_ && showRunningCopyMessage_ != 0) {
            ShowFromElsewhere();
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT Win32Runtime::OnControlMessage(int unit, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC previous)
{
    switch (msg) {
    case WM_COMMAND:
        // Containers (tab page, group box) pass their children's
        // notifications to the bound handlers.
        if (lp && RouteCommand(reinterpret_cast<HWND>(lp), HIWORD(wp))) return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
        LRESULT r = 0;
        if (ColourChild(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp), &r)) return r;
        break;
    }
    case WM_MOUSEMOVE:
        Fire(unit, EventKind::MouseMove,
             {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)), ModifierState()});
        break;
    case WM_LBUTTONDOWN:
        Fire(unit, EventKind::LeftButtonDown,
             {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)), ModifierState()});
        break;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
        OnScroll(hwnd);
        break;
    case WM_KEYDOWN:
        // The handler runs first; the key then gets its normal processing.
        Fire(unit, EventKind::KeyDown, {static_cast<int>(wp), ModifierState(), 0});
        break;
    case WM_SETFOCUS: {
        navigation_.Remember(hwnd);
        LRESULT r = CallWindowProcA(previous, hwnd, msg, wp, lp);
        Fire(unit, EventKind::FocusGained);
        return r;
    }
    case WM_SETCURSOR:
        if ((layout_.units[unit].flags & kUnitHandCursor) && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(previous, hwnd, msg, wp, lp);
}

}  // namespace orv
