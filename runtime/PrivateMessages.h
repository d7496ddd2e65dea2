// The runtime's own window messages, one range from WM_APP.
#pragma once

#include <windows.h>

namespace orv {

enum PrivateMessage : UINT {
    kTrayCallbackMessage = WM_APP + 1,  // the tray icon's notifications; lParam the mouse message
    kDeferredActionMessage,             // run the actions queued with Defer
    kPostedActionMessage,               // lParam a std::function<void()>* from PostAction, owned by the message
};

}  // namespace orv
