#include "app/StartFailure.h"

#include <windows.h>

namespace orv {

int ReportStartFailure(const std::string& what)
{
    const std::string text = "Orvane cannot start: " + what;
    MessageBoxA(nullptr, text.c_str(), "Orvane", MB_ICONERROR);
    return kStartFailedExitCode;
}

}  // namespace orv
