#include "runtime/KeyboardNavigation.h"

#include <algorithm>
#include <utility>

namespace orv {

namespace {

bool KeyDown(int key) { return GetKeyState(key) < 0; }

}  // namespace

void KeyboardNavigation::Attach(HWND window, std::vector<HWND> order)
{
    window_ = window;
    order_ = std::move(order);
    remembered_ = nullptr;
    // Keyboard cues start as the system's setting and the last input say
    // (hidden for a mouse user unless cues are always shown).
    SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

bool KeyboardNavigation::Takes(HWND control) const
{
    return control && IsWindow(control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

HWND KeyboardNavigation::Next(HWND from, bool backward) const
{
    const int n = static_cast<int>(order_.size());
    if (n == 0) return nullptr;
    // A focus outside the order (the window itself, a control's own child)
    // counts from the control that holds it, or from before the first.
    int at = -1;
    for (HWND h = from; h && h != window_ && at < 0; h = GetParent(h)) {
        auto it = std::find(order_.begin(), order_.end(), h);
        if (it != order_.end()) at = static_cast<int>(it - order_.begin());
    }
    if (at < 0) at = backward ? 0 : n - 1;
    for (int step = 1; step <= n; ++step) {
        const int i = ((backward ? at - step : at + step) % n + n) % n;
        if (Takes(order_[static_cast<size_t>(i)])) return order_[static_cast<size_t>(i)];
    }
    return nullptr;
}

void KeyboardNavigation::ShowFocusCues() const
{
    // As the dialog manager does on a navigation key; the window passes the
    // new state to every child with WM_UPDATEUISTATE.
    SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool KeyboardNavigation::PreTranslate(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || !window_ || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)))
        return false;
    switch (msg.wParam) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
        // The control moves by itself (list selection, caret); the key only
        // tells the window that the user works with the keyboard.
        ShowFocusCues();
        return false;
    case VK_TAB:
        break;
    default:
        return false;
    }
    // Ctrl+Tab and Alt+Tab are not navigation inside the window.
    if (KeyDown(VK_CONTROL) || KeyDown(VK_MENU)) return false;
    ShowFocusCues();
    if (HWND next = Next(GetFocus(), KeyDown(VK_SHIFT))) {
        SetFocus(next);
        // An edit reached by Tab has its whole text selected, as in a dialog.
        if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(next, EM_SETSEL, 0, -1);
    }
    return true;
}

bool KeyboardNavigation::ForwardFocus()
{
    HWND target = remembered_ && IsChild(window_, remembered_) && Takes(remembered_) ? remembered_ : nullptr;
    if (!target) target = Next(nullptr, false);
    if (!target) return false;
    SetFocus(target);
    return true;
}

void KeyboardNavigation::RestoreFocus()
{
    if (!window_ || GetActiveWindow() != window_ || IsIconic(window_) || !IsWindowVisible(window_)) return;
    HWND focus = GetFocus();
    if (!focus || !IsChild(window_, focus)) ForwardFocus();
}

}  // namespace orv
