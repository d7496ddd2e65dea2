// orvcore.rtl: the runtime library the launcher loads. It hands the launcher
// its start routine; the start routine reads the program image it is given,
// checks it, resolves every function the program declares and runs the
// program from the image's layout and stored items.
#include <windows.h>

#include <string>

#include "app/ProgramImage.h"
#include "app/Startup.h"
#include "app/ProgramChecks.h"
#include "app/StartFailure.h"
#include "resources/Resources.h"

namespace orv {

namespace {

constexpr DWORD kInterfaceVersion = 1000;

// The launcher ends with 0 whatever its start routine did, so a start that
// fails ends the process here, with the launcher's own failure code.
[[noreturn]] void EndFailedStart(const std::string& what)
{
    ExitProcess(static_cast<UINT>(ReportStartFailure(what)));
}

// The image lies in a section of the launcher; it may run up to the end of
// the committed region that holds it, and no further.
size_t ReadableBytesAt(const void* image)
{
    MEMORY_BASIC_INFORMATION mbi{};
    if (!image || !VirtualQuery(image, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT) return 0;
    const auto start = reinterpret_cast<uintptr_t>(mbi.BaseAddress);
    return mbi.RegionSize - (reinterpret_cast<uintptr_t>(image) - start);
}

void WINAPI StartProgram(const void* image)
{
    static LoadedProgram program;  // lives until the process ends: the layout points into it
    std::string error;
    const size_t size = ReadableBytesAt(image);
    if (size == 0) EndFailedStart("no program image was handed over");
    if (!LoadProgramImage(static_cast<const uint8_t*>(image), size, &program, &error) ||
        !ProvidesLibraries(program, &error) || !ResolveFunctions(program, &error)) {
        EndFailedStart(error);
    }
    UseStoredItems(&program.items);
    // RunOrvane has told the user already when it could not start.
    const int code = RunOrvane({program.Layout(), program.Events(), program.windowSound});
    if (code == kStartFailedExitCode) ExitProcess(static_cast<UINT>(code));
}

}  // namespace

}  // namespace orv

// Any interface version other than the one this library speaks gets no start
// routine, so an old launcher fails with its message instead of misbehaving.
extern "C" __declspec(dllexport) void* WINAPI GetRuntimeEntry(DWORD version)
{
    return version == orv::kInterfaceVersion ? reinterpret_cast<void*>(&orv::StartProgram) : nullptr;
}
