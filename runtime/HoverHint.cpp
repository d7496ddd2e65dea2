#include "runtime/HoverHint.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

namespace orv {

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchInterval = 100;
const char kOwnerProp[] = "Orv_HintOwner";

TOOLINFOA MakeTool(HWND tip)
{
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
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
    SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, 400);
    return true;
}

void HoverHintWindow::Show(HWND control, const std::string& text)
{
    if (!control || !EnsureCreated(GetAncestor(control, GA_ROOT))) return;
    POINT pt;
    GetCursorPos(&pt);
    // Every mouse move asks again; only a new control or text, or a pointer
    // that wandered far, moves the hint, so it does not flicker.
    bool same = control == control_ && text == text_ && IsWindowVisible(tip_) &&
                abs(pt.x - shownAt_.x) < 24 && abs(pt.y - shownAt_.y) < 24;
    if (same) return;
    control_ = control;
    text_ = text;
    shownAt_ = pt;
    TOOLINFOA ti = MakeTool(tip_);
    ti.lpszText = const_cast<char*>(text_.c_str());
    SendMessageA(tip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageA(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x + 12, pt.y + 20));
    SendMessageA(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    SetTimer(tip_, kWatchTimer, kWatchInterval, &HoverHintWindow::OnTimer);
}

void HoverHintWindow::Hide()
{
    if (!tip_) return;
    KillTimer(tip_, kWatchTimer);
    TOOLINFOA ti = MakeTool(tip_);
    SendMessageA(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    control_ = nullptr;
    text_.clear();
}

void CALLBACK HoverHintWindow::OnTimer(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    auto* self = static_cast<HoverHintWindow*>(GetPropA(hwnd, kOwnerProp));
    if (!self) return;
    POINT pt;
    GetCursorPos(&pt);
    RECT rc;
    if (!IsWindow(self->control_) || !IsWindowVisible(self->control_) || !GetWindowRect(self->control_, &rc) ||
        !PtInRect(&rc, pt))
        self->Hide();
}

}  // namespace orv
