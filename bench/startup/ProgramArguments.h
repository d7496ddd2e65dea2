// The program run inside a benchmark's own process takes what follows its
// name on the command line for files handed to it (as Explorer's "open with"
// gives them) and answers them with a message box, which would then sit over
// every figure taken. A benchmark reads its arguments first and then cuts
// them from the line the program reads.
#pragma once

#include <windows.h>

#include "runtime/FileHandover.h"

namespace orv::bench {

inline void CutArgumentsFromCommandLine()
{
    wchar_t* line = GetCommandLineW();
    line[EndOfProgramName(line) - line] = L'\0';
}

}  // namespace orv::bench
