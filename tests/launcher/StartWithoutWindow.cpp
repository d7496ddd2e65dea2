// Starts the real runtime library on the program image of a real orvane.exe
// the way the launcher does, but with the creation of the main window
// refused, as the system refuses it when it runs out of window resources:
//   start_without_window <runtime library> <orvane.exe>
// What the user sees and the exit code are the runtime's; the launcher's
// own part (ExitProcess(0) after a start routine that returns) is repeated.
#include <windows.h>

#include <cstdio>
#include <string>

#include "PeSection.h"

namespace {

LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND) {
        char name[64] = {};
        GetClassNameA(reinterpret_cast<HWND>(wp), name, sizeof name);
        if (lstrcmpA(name, "OrvaneMainWindow") == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::string FileBytes(const char* path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: start_without_window RUNTIME-LIBRARY ORVANE-EXE\n");
        return 2;
    }
    const std::string exe = FileBytes(argv[2]);
    orv::image::PeSectionSpan span;
    std::string error;
    if (!orv::image::FindPeSection(reinterpret_cast<const uint8_t*>(exe.data()), exe.size(),
                                   orv::image::kImageSectionName, span, error)) {
        std::fprintf(stderr, "start_without_window: %s\n", error.c_str());
        return 2;
    }
    // Committed memory of its own, as the image section is in the launcher.
    void* image = VirtualAlloc(nullptr, span.size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    HMODULE runtime = LoadLibraryA(argv[1]);
    using Start = void(WINAPI*)(const void*);
    using GetEntry = Start(WINAPI*)(DWORD);
    auto getEntry = runtime ? reinterpret_cast<GetEntry>(reinterpret_cast<void*>(GetProcAddress(runtime, "GetRuntimeEntry"))) : nullptr;
    Start start = getEntry ? getEntry(1000) : nullptr;
    if (!image || !start) {
        std::fprintf(stderr, "start_without_window: cannot start %s\n", argv[1]);
        return 2;
    }
    CopyMemory(image, exe.data() + span.offset, span.size);
    SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
    start(image);
    ExitProcess(0);
}
