#include "app/SingleInstance.h"

#include <vector>

#include "runtime/FileHandover.h"
#include "runtime/Win32Runtime.h"

namespace orv {

namespace {

// Read from the other copy's window across the process boundary.
const char kFolderProperty[] = "Orvane.Folder";

std::wstring Wide(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

std::wstring PathCall(DWORD (WINAPI* call)(LPCWSTR, LPWSTR, DWORD), const std::wstring& in)
{
    std::vector<wchar_t> buf(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = call(in.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return in;
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(n + 1);
    }
    return in;
}

DWORD WINAPI FullPath(LPCWSTR in, LPWSTR out, DWORD size) { return GetFullPathNameW(in, size, out, nullptr); }

// The property holds 32 bits; a zero would read as no property.
HANDLE PropertyValue(uint64_t key)
{
    const uint32_t folded = static_cast<uint32_t>(key ^ (key >> 32));
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(folded ? folded : 1));
}

struct Search {
    HANDLE value;
    HWND found;
};

BOOL CALLBACK MatchFolder(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, kMainWindowClassName) != 0 || GetPropA(window, kFolderProperty) != search->value) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::wstring NormalisedFolder(const std::string& folder)
{
    // Short (8.3) names and relative parts resolve to the one long name.
    std::wstring path = PathCall(GetLongPathNameW, PathCall(FullPath, Wide(folder)));
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

uint64_t FolderKey(const std::string& folder)
{
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : NormalisedFolder(folder)) {
        hash = (hash ^ (static_cast<uint16_t>(c) & 0xFF)) * 1099511628211ull;
        hash = (hash ^ (static_cast<uint16_t>(c) >> 8)) * 1099511628211ull;
    }
    return hash;
}

SingleInstance::SingleInstance(const std::string& programFolder) : key_(FolderKey(programFolder))
{
    // Object names cannot hold a backslash, and a path may be longer than a
    // name may be: the folder goes in as its key.
    char name[64];
    wsprintfA(name, "Local\\Orvane.SingleInstance.%08lX%08lX", static_cast<unsigned long>(key_ >> 32),
              static_cast<unsigned long>(key_ & 0xFFFFFFFFu));
    mutex_ = CreateMutexA(nullptr, FALSE, name);
    first_ = !(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS);
}

SingleInstance::~SingleInstance()
{
    if (mutex_) CloseHandle(mutex_);
}

void SingleInstance::Claim(HWND window) const { SetPropA(window, kFolderProperty, PropertyValue(key_)); }

HWND SingleInstance::RunningWindow() const
{
    // The running copy may still be creating its window.
    for (int attempt = 0; attempt < 50; ++attempt) {
        Search search{PropertyValue(key_), nullptr};
        EnumWindows(MatchFolder, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            DWORD pid = 0;
            GetWindowThreadProcessId(search.found, &pid);
            // Let the running copy take the foreground.
            AllowSetForegroundWindow(pid);
            return search.found;
        }
        Sleep(100);
    }
    return nullptr;
}

bool SingleInstance::ShowRunningCopy() const
{
    HWND window = RunningWindow();
    return window && PostMessageA(window, RegisterWindowMessageA(kShowRunningCopyMessage), 0, 0);
}

bool SingleInstance::HandOver(const std::vector<std::wstring>& paths) const
{
    HWND window = RunningWindow();
    if (!window) return false;
    const std::wstring list = EncodePathList(paths);
    COPYDATASTRUCT data{kPathListCopyData, static_cast<DWORD>(list.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(list.data())};
    // A copy that hangs must not hang this start too.
    DWORD_PTR taken = FALSE;
    const bool sent = SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                          SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &taken) != 0;
    PostMessageA(window, RegisterWindowMessageA(kShowRunningCopyMessage), 0, 0);
    return sent && taken;
}

}  // namespace orv
