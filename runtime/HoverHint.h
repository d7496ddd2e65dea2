// A hint shown near the mouse pointer while it rests on a control, hidden as
// soon as the pointer leaves that control.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

class HoverHintWindow {
public:
    ~HoverHintWindow();
    void Show(HWND control, const std::string& text);
    void Hide();
    HWND TipWindow() const { return tip_; }
    HWND Control() const { return control_; }

private:
    static void CALLBACK OnTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    bool EnsureCreated(HWND owner);

    HWND tip_ = nullptr;
    HWND control_ = nullptr;
    std::string text_;
    POINT shownAt_{};
};

}  // namespace orv
