// The window's notification-area icon. It survives an Explorer restart: the
// owner calls Restore() when the "TaskbarCreated" broadcast arrives.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/PrivateMessages.h"

namespace orv {

class TrayIcon {
public:
    ~TrayIcon() { Remove(); }
    void Set(HWND owner, HICON icon, const std::string& tip);
    // Remembers the icon without adding it yet: Show adds it.
    void Prepare(HWND owner, HICON icon, const std::string& tip);
    // Adds the remembered icon unless it is there already.
    bool Show() { return added_ || Add(); }
    void Restore();
    void Remove();
    bool Present() const { return added_; }

    // Maps a tray callback's mouse message to the notification kind handed to
    // the application: 1 left click, 2 right click, 3 left double-click,
    // 4 right double-click; 0 for messages that are not reported.
    static int NotificationKind(LPARAM mouseMessage);

private:
    bool Add();
    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    std::string tip_;
    bool added_ = false;
};

}  // namespace orv
