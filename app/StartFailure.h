// How a start that cannot go on ends: one plain message (there is no window
// to own a skinned one) and the launcher's own failure code, so whoever
// started the program can tell it did not run.
#pragma once

#include <string>

namespace orv {

// The exit code of every start that fails, as the launcher's own.
constexpr int kStartFailedExitCode = -1;

// Tells the user "Orvane cannot start: <what>" and returns
// kStartFailedExitCode.
int ReportStartFailure(const std::string& what);

}  // namespace orv
