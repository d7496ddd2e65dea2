#include "runtime/HoverHint.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

namespace orv {

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchInterval = 100;
constexpr int kGap = 2;  // between the hint and the part it describes
const char kOwnerProp[] = "Orv_HintOwner";

TOOLINFOA MakeTool(HWND tip)
{
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    // Transparent: the hint takes no clicks, and the pointer moving onto it
    // still moves over the control beneath.
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
    ti.hwnd = GetParent(tip) ? GetParent(tip) : tip;
    ti.uId = 1;
    return ti;
}

}  // namespace

HoverHintWindow::~HoverHintWindow()
{
    if (tip_ && IsWindow(tip_)) {
        KillTimer(tip_, kWatchTimer);
        RemovePropA(tip_, kOwnerProp);
        DestroyWindow(tip_);
    }
}

bool HoverHintWindow::EnsureCreated(HWND owner)
{
    if (tip_ && IsWindow(tip_)) return true;
    tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    if (!tip_) return false;
    SetPropA(tip_, kOwnerProp, this);
    TOOLINFOA ti = MakeTool(tip_);
    ti.lpszText = const_cast<char*>("");
    SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    // A maximum width also makes the control break lines at CR LF.
    SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, 400);
    return true;
}

// No hint while the window is disabled: a message box of the program is
// open over it.
bool HoverHintWindow::MayShow(HWND control)
{
    if (!control) return false;
    HWND root = GetAncestor(control, GA_ROOT);
    if (!IsWindowEnabled(root)) {
        Hide();
        return false;
    }
    return EnsureCreated(root);
}

void HoverHintWindow::SetText(const std::string& text)
{
    text_ = text;
    TOOLINFOA ti = MakeTool(tip_);
    ti.lpszText = const_cast<char*>(text_.c_str());
    SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

void HoverHintWindow::Activate(POINT at)
{
    TOOLINFOA ti = MakeTool(tip_);
    SendMessageA(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    SetTimer(tip_, kWatchTimer, kWatchInterval, &HoverHintWindow::OnTimer);
}

void HoverHintWindow::Show(HWND control, const std::string& text)
{
    if (!MayShow(control)) return;
    POINT pt;
    GetCursorPos(&pt);
    // Every mouse move asks again; only a new control or text, or a pointer
    // that wandered far, moves the hint, so it does not flicker.
    bool same = control == control_ && text == text_ && IsRectEmpty(&part_) && IsWindowVisible(tip_) &&
                abs(pt.x - shownAt_.x) < 24 && abs(pt.y - shownAt_.y) < 24;
    if (same) return;
    control_ = control;
    shownAt_ = pt;
    SetRectEmpty(&part_);
    SetText(text);
    Activate(POINT{pt.x + 12, pt.y + 20});
}

SIZE HoverHintWindow::TipSize() const
{
    TOOLINFOA ti = MakeTool(tip_);
    const LRESULT size = SendMessageA(tip_, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&ti));
    return SIZE{LOWORD(size), HIWORD(size)};
}

void HoverHintWindow::ShowBeside(HWND control, const std::string& text, const RECT& part)
{
    if (!MayShow(control)) return;
    if (control == control_ && text == text_ && EqualRect(&part, &part_) && IsWindowVisible(tip_)) return;
    POINT pt;
    GetCursorPos(&pt);
    control_ = control;
    shownAt_ = pt;
    part_ = part;
    // The size follows the text, so the text goes in first. The place is
    // chosen here: the control itself would push a hint that runs off the
    // screen back over the part.
    SetText(text);
    const SIZE size = TipSize();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &monitor);
    POINT at{pt.x + 12, part.bottom + kGap};
    if (at.y + size.cy > monitor.rcWork.bottom) at.y = part.top - kGap - size.cy;
    if (at.x + size.cx > monitor.rcWork.right) at.x = monitor.rcWork.right - size.cx;
    Activate(at);
}

void HoverHintWindow::Hide()
{
    if (!tip_) return;
    KillTimer(tip_, kWatchTimer);
    TOOLINFOA ti = MakeTool(tip_);
    SendMessageA(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    control_ = nullptr;
    text_.clear();
    SetRectEmpty(&part_);
}

bool HoverHintWindow::PointerStillOn() const
{
    POINT pt;
    GetCursorPos(&pt);
    RECT rc;
    if (!IsWindow(control_) || !IsWindowVisible(control_) || !GetWindowRect(control_, &rc)) return false;
    return PtInRect(IsRectEmpty(&part_) ? &rc : &part_, pt) != FALSE;
}

void CALLBACK HoverHintWindow::OnTimer(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    auto* self = static_cast<HoverHintWindow*>(GetPropA(hwnd, kOwnerProp));
    if (self && !self->PointerStillOn()) self->Hide();
}

}  // namespace orv
