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
    // The hint for a part of the control (a list item), given in screen
    // coordinates: shown just below that part, or above it where the screen
    // ends, so it never covers what it describes, and hidden once the
    // pointer leaves the part.
    void ShowBeside(HWND control, const std::string& text, const RECT& part);
    void Hide();
    HWND TipWindow() const { return tip_; }
    HWND Control() const { return control_; }

private:
    static void CALLBACK OnTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    bool EnsureCreated(HWND owner);
    bool MayShow(HWND control);
    void SetText(const std::string& text);
    void Activate(POINT at);
    SIZE TipSize() const;
    bool PointerStillOn() const;

    HWND tip_ = nullptr;
    HWND control_ = nullptr;
    std::string text_;
    POINT shownAt_{};
    RECT part_{};  // empty: the hint is for the whole control
};

}  // namespace orv
