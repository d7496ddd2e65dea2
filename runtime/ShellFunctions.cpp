#include "runtime/ShellFunctions.h"

#include <string>

namespace orv::shell {

namespace {

HMODULE Shell32()
{
    // By its full path in the system folder: a SHELL32.DLL beside the
    // program or in the current folder is never the one loaded.
    static const HMODULE module = [] {
        char folder[MAX_PATH];
        const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return HMODULE{};
        return LoadLibraryA((std::string(folder, n) + "\\shell32.dll").c_str());
    }();
    return module;
}

// Fn is the pointer type of the platform's own declaration, so a signature
// cannot drift from the header's.
template <typename Fn>
Fn Find(const char* name)
{
    HMODULE module = Shell32();
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data)
{
    static const auto fn = Find<decltype(&::Shell_NotifyIconA)>("Shell_NotifyIconA");
    return fn ? fn(message, data) : FALSE;
}

HINSTANCE Execute(HWND owner, const char* verb, const char* file, int show)
{
    static const auto fn = Find<decltype(&::ShellExecuteA)>("ShellExecuteA");
    return fn ? fn(owner, verb, file, nullptr, nullptr, show) : nullptr;
}

UINT DragQueryFileW(HDROP drop, UINT index, wchar_t* path, UINT size)
{
    static const auto fn = Find<decltype(&::DragQueryFileW)>("DragQueryFileW");
    return fn ? fn(drop, index, path, size) : 0;
}

void DragFinish(HDROP drop)
{
    static const auto fn = Find<decltype(&::DragFinish)>("DragFinish");
    if (fn) fn(drop);
}

wchar_t** CommandLineToArgvW(const wchar_t* line, int* count)
{
    static const auto fn = Find<decltype(&::CommandLineToArgvW)>("CommandLineToArgvW");
    return fn ? fn(line, count) : nullptr;
}

}  // namespace orv::shell
