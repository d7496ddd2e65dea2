#pragma once

namespace orv {

// The whole program run: start-up sequence, main window, message loop and
// exit clean-up. Returns the process exit code.
int RunOrvane();

}  // namespace orv
