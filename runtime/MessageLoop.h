#pragma once

namespace orv {

// GetMessage/Translate/Dispatch until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Waits while dispatching window messages, so windows keep painting. A
// WM_QUIT that arrives meanwhile is put back for the main loop.
void DelayWithMessages(int milliseconds);

}  // namespace orv
