// Where a test program finds the files it needs: beside itself when it runs
// from the test package (on Windows, or unpacked anywhere), else where the
// build left them, a Linux path that Wine shows as drive Z:.
#pragma once

#include <windows.h>

#include <string>

namespace orv::test {

// A Linux path as Wine's Z: drive; a path that is not a Linux one (no
// leading '/') is already a Windows path and comes back unchanged.
inline std::string WindowsPathOf(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    std::string p = "Z:" + path;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

// The folder of the running test program, with a trailing backslash.
inline std::string TestProgramFolder()
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}

// The file (or folder) the build made at builtPath: the one of the same
// name beside the test program when there is one, else builtPath itself.
inline std::string TestFile(const std::string& builtPath)
{
    const std::string name = builtPath.substr(builtPath.find_last_of("/\\") + 1);
    const std::string beside = TestProgramFolder() + name;
    if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
    return WindowsPathOf(builtPath);
}

// Removes a scratch folder a test made: its files, the folders directly in
// it (empty ones), then itself.
inline void RemoveScratchFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring p = folder + L"\\" + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(p.c_str());
            else DeleteFileW(p.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace orv::test
