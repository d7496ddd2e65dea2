#include "runtime/FileServices.h"

#include <windows.h>

#include <vector>

namespace orv {

namespace {

struct FileHandle {
    HANDLE h;
    explicit FileHandle(HANDLE handle) : h(handle) {}
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Ok() const { return h != INVALID_HANDLE_VALUE; }
};

bool WriteAll(HANDLE h, std::string_view bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        DWORD chunk = left > (1u << 24) ? (1u << 24) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

}  // namespace

std::string ExecutableDirectory()
{
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) {
            std::string path(buf.data(), n);
            size_t slash = path.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : path.substr(0, slash);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string ReadWholeFile(const std::string& path)
{
    FileHandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f.Ok()) return std::string();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.h, &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) return std::string();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - got > (1u << 24) ? (1u << 24) : bytes.size() - got);
        DWORD n = 0;
        if (!ReadFile(f.h, &bytes[got], chunk, &n, nullptr) || n == 0) break;
        got += n;
    }
    // A file that shrank while we read it: keep what was really there.
    bytes.resize(got);
    return bytes;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes)
{
    // One fixed temporary name: a save killed half-way leaves at most this one
    // stray file, which the next save simply overwrites.
    const std::string temp = path + ".saving";
    {
        FileHandle f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.Ok()) return false;
        if (!WriteAll(f.h, bytes) || !FlushFileBuffers(f.h)) {
            CloseHandle(f.h);
            f.h = INVALID_HANDLE_VALUE;
            DeleteFileA(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

bool FileExists(const std::string& path)
{
    DWORD attrs = GetFileAttributesA(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteNewFile(const std::string& path, std::string_view bytes)
{
    FileHandle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.Ok()) return false;
    if (WriteAll(f.h, bytes)) return true;
    CloseHandle(f.h);
    f.h = INVALID_HANDLE_VALUE;
    DeleteFileA(path.c_str());
    return false;
}

bool ReadEnvironmentVariable(const char* name, std::string* value)
{
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0) return false;
    std::vector<char> buf(n);
    DWORD got = GetEnvironmentVariableA(name, buf.data(), n);
    if (got == 0 || got >= n) return false;
    value->assign(buf.data(), got);
    return true;
}

bool RunHiddenAndWait(const std::string& commandLine)
{
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace orv
