// orvcore.rtl: the runtime library the launcher loads. It hands the launcher
// its start routine; the start routine reads the program image it is given,
// checks it, resolves every function the program declares and runs the
// program from the image's layout and stored items.
#include <windows.h>

#include <string>

#include "app/ProgramImage.h"
#include "app/Startup.h"
#include "app/ProgramChecks.h"
#include "resources/Resources.h"

namespace orv {

namespace {

constexpr DWORD kInterfaceVersion = 1000;

void ReportFailure(const std::string& what)
{
    const std::string text = "Orvane cannot start: " + what;
    MessageBoxA(nullptr, text.c_str(), "Orvane", MB_ICONERROR);
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
    if (size == 0) {
        ReportFailure("no program image was handed over");
        return;
    }
    if (!LoadProgramImage(static_cast<const uint8_t*>(image), size, &program, &error) ||
        !ProvidesLibraries(program, &error) || !ResolveFunctions(program, &error)) {
        ReportFailure(error);
        return;
    }
    UseStoredItems(&program.items);
    RunOrvane({program.Layout(), program.Events(), program.windowSound});
}

}  // namespace

}  // namespace orv

// Any interface version other than the one this library speaks gets no start
// routine, so an old launcher fails with its message instead of misbehaving.
extern "C" __declspec(dllexport) void* WINAPI GetRuntimeEntry(DWORD version)
{
    return version == orv::kInterfaceVersion ? reinterpret_cast<void*>(&orv::StartProgram) : nullptr;
}
