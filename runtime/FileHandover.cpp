#include "runtime/FileHandover.h"

#include "runtime/ShellFunctions.h"

namespace orv {

namespace {

// A path list of a few thousand files fits many times over; anything larger
// is not ours.
constexpr size_t kMostPathListBytes = 4u << 20;

std::wstring FullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, &full[0], nullptr);
    if (got == 0 || got >= n) return path;
    full.resize(got);
    return full;
}

}  // namespace

std::wstring EncodePathList(const std::vector<std::wstring>& paths)
{
    std::wstring bytes;
    for (const std::wstring& p : paths) {
        if (p.empty()) continue;
        bytes += p;
        bytes += L'\0';
    }
    return bytes;
}

std::vector<std::wstring> DecodePathList(const void* bytes, size_t size)
{
    std::vector<std::wstring> paths;
    if (!bytes || size == 0 || size % sizeof(wchar_t) != 0 || size > kMostPathListBytes) return paths;
    const auto* text = static_cast<const wchar_t*>(bytes);
    const size_t count = size / sizeof(wchar_t);
    // Every path ends in its NUL: a list cut short is refused whole.
    if (text[count - 1] != L'\0') return paths;
    for (size_t start = 0; start < count;) {
        size_t end = start;
        while (text[end] != L'\0') ++end;
        if (end > start) paths.emplace_back(text + start, end - start);
        start = end + 1;
    }
    return paths;
}

std::vector<std::wstring> DroppedPaths(HDROP drop)
{
    std::vector<std::wstring> paths;
    const UINT count = shell::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = shell::DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring path(length + 1, L'\0');
        const UINT got = shell::DragQueryFileW(drop, i, &path[0], length + 1);
        path.resize(got);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

const wchar_t* EndOfProgramName(const wchar_t* line)
{
    const wchar_t* p = line;
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    return p;
}

bool CommandLineHasArguments(const wchar_t* line)
{
    if (!line) return false;
    const wchar_t* p = EndOfProgramName(line);
    while (*p == L' ' || *p == L'\t') ++p;
    return *p != L'\0';
}

std::vector<std::wstring> CommandLinePaths()
{
    std::vector<std::wstring> paths;
    const wchar_t* line = GetCommandLineW();
    if (!CommandLineHasArguments(line)) return paths;
    int count = 0;
    LPWSTR* args = shell::CommandLineToArgvW(line, &count);
    if (!args) return paths;
    for (int i = 1; i < count; ++i)
        if (args[i] && args[i][0]) paths.push_back(FullPath(args[i]));
    LocalFree(args);
    return paths;
}

}  // namespace orv
