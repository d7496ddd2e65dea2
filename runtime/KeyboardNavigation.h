// Dialog-style keyboard navigation for the main window, which is not a
// dialog: Tab and Shift+Tab through the controls in the window's own order,
// the system's keyboard cues, and the focus handed back to the control
// that had it whenever the window itself is given the focus.
#pragma once

#include <windows.h>

#include <vector>

namespace orv {

class KeyboardNavigation {
public:
    // The window and the controls that take the focus, in Tab order (which
    // may cross containers: the order is the window's, not each parent's).
    void Attach(HWND window, std::vector<HWND> order);

    // For the message loop, before a message is translated: true when it was
    // a navigation key for the window and has been handled (it is then
    // neither translated nor dispatched). Every other key goes on unchanged,
    // Enter included.
    bool PreTranslate(const MSG& msg);

    // A control of the window gained the focus: it gets it back whenever the
    // window itself is given the focus.
    void Remember(HWND control) { remembered_ = control; }

    // The window itself was given the focus (the system does that when it
    // activates the window): hands it on to the remembered control, the
    // first time to the first in Tab order. False when none can take it.
    bool ForwardFocus();

    // The window came back (restored, shown from the tray) while it stayed
    // the active window, so no activation gave the focus back: gives it now
    // when no control of the window has it.
    void RestoreFocus();

private:
    HWND Next(HWND from, bool backward) const;
    bool Takes(HWND control) const;
    void ShowFocusCues() const;

    HWND window_ = nullptr;
    std::vector<HWND> order_;
    HWND remembered_ = nullptr;
};

}  // namespace orv
