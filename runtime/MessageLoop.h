#pragma once

#include <windows.h>

namespace orv {

// Looks at a message before it is translated; true when it has been handled
// and must be neither translated nor dispatched.
struct MessageFilter {
    bool (*filter)(void* context, const MSG& msg) = nullptr;
    void* context = nullptr;
    bool Takes(const MSG& msg) const { return filter && filter(context, msg); }
};

// GetMessage/Translate/Dispatch until WM_QUIT; returns its exit code.
int RunMessageLoop(MessageFilter filter = {});

// Waits while dispatching window messages, so windows keep painting. A
// WM_QUIT that arrives meanwhile is put back for the main loop.
void DelayWithMessages(int milliseconds, MessageFilter filter = {});

}  // namespace orv
