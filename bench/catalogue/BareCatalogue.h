// The bare baseline's catalogue work, the fastest way the platform allows:
// one read of the whole file, a split in place, and a list filled with
// redraw off and its storage reserved once. Shared by the bare programs so
// that every baseline does it the same way.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace orv::bench {

inline std::string FileBesideProgram(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string self(path);
    return self.substr(0, self.find_last_of('\\') + 1) + name;
}

inline std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

// Splits at CR LF in place: each entry becomes a NUL-terminated string (the
// last one ends at the string's own terminator).
inline std::vector<const char*> SplitInPlace(std::string& bytes)
{
    std::vector<const char*> lines;
    lines.reserve(bytes.size() / 16 + 1);
    char* p = bytes.empty() ? nullptr : &bytes[0];
    char* end = p + bytes.size();
    while (p && p < end) {
        char* cr = static_cast<char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
        while (cr && cr + 1 < end && cr[1] != '\n')
            cr = static_cast<char*>(std::memchr(cr + 1, '\r', static_cast<size_t>(end - cr - 1)));
        if (!cr || cr + 1 >= end) {
            lines.push_back(p);  // the file ends without CR LF
            break;
        }
        *cr = '\0';
        lines.push_back(p);
        p = cr + 2;
    }
    return lines;
}

// Empties the list and fills it; the caller paints.
inline void FillList(HWND list, const std::vector<const char*>& lines, size_t bytes)
{
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, lines.size(), bytes);
    for (const char* line : lines) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace orv::bench
