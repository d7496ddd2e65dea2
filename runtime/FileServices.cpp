#include "runtime/FileServices.h"

#include <windows.h>

#include <cstdint>
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

FileContent ReadFileContent(const std::string& path, size_t limit)
{
    FileContent out;
    // No FILE_SHARE_WRITE: a writer cannot change the file half-way through
    // the read, and a writer that holds it open makes the read fail rather
    // than return a mixture of two versions.
    FileHandle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!f.Ok()) {
        out.error = GetLastError();
        out.status = out.error == ERROR_FILE_NOT_FOUND || out.error == ERROR_PATH_NOT_FOUND ? ReadStatus::Missing
                                                                                            : ReadStatus::Failed;
        return out;
    }
    out.status = ReadStatus::Failed;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.h, &size)) {
        out.error = GetLastError();
        return out;
    }
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit) {
        out.error = ERROR_FILE_TOO_LARGE;
        return out;
    }
    out.bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t got = 0;
    while (got < out.bytes.size()) {
        DWORD chunk = static_cast<DWORD>(out.bytes.size() - got > (1u << 24) ? (1u << 24) : out.bytes.size() - got);
        DWORD n = 0;
        if (!ReadFile(f.h, &out.bytes[got], chunk, &n, nullptr) || n == 0) break;
        got += n;
    }
    if (got != out.bytes.size()) {
        // A read that stopped part-way is no catalogue: the rest is unknown.
        const DWORD error = GetLastError();
        out.error = error ? error : ERROR_HANDLE_EOF;
        out.bytes.clear();
        out.bytes.shrink_to_fit();
        return out;
    }
    out.status = ReadStatus::Ok;
    return out;
}

std::string ReadWholeFile(const std::string& path)
{
    FileContent c = ReadFileContent(path);
    return c.status == ReadStatus::Ok ? std::move(c.bytes) : std::string();
}

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

WriteResult Failure(WriteStatus status, DWORD error) { return {status, error}; }

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

bool IsLockedOrReadOnly(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Why the temporary beside the file could not be created.
WriteResult CreateFailure(const std::string& path, DWORD error)
{
    if (error == ERROR_WRITE_PROTECT) return Failure(WriteStatus::FolderNotWritable, error);
    // Access denied is either the folder (no right to create files there)
    // or a stray temporary that another program holds.
    if (error == ERROR_ACCESS_DENIED)
        return Failure(FolderWritable(FolderOf(path)) ? WriteStatus::InUse : WriteStatus::FolderNotWritable, error);
    if (error == ERROR_SHARING_VIOLATION) return Failure(WriteStatus::InUse, error);
    return Failure(IsDiskFull(error) ? WriteStatus::DiskFull : WriteStatus::Failed, error);
}

}  // namespace

WriteResult ReplaceFileContent(const std::string& path, std::string_view bytes)
{
    // One fixed temporary name: a save killed half-way leaves at most this one
    // stray file, which the next save simply overwrites.
    const std::string temp = path + ".saving";
    {
        FileHandle f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!f.Ok()) return CreateFailure(path, GetLastError());
        if (!WriteAll(f.h, bytes) || !FlushFileBuffers(f.h)) {
            const DWORD error = GetLastError();
            CloseHandle(f.h);
            f.h = INVALID_HANDLE_VALUE;
            DeleteFileA(temp.c_str());
            return Failure(IsDiskFull(error) ? WriteStatus::DiskFull : WriteStatus::Failed, error);
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        return Failure(IsLockedOrReadOnly(error) ? WriteStatus::InUse : WriteStatus::Failed, error);
    }
    return {WriteStatus::Ok, 0};
}

bool FolderWritable(const std::string& dir)
{
    // A name of this process's own, gone again when the handle closes.
    const std::string probe = dir + "\\~orvane-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

bool LastWriteTime(const std::string& path, uint64_t* time)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool CreateFolder(const std::string& dir)
{
    if (CreateDirectoryA(dir.c_str(), nullptr)) return true;
    const DWORD attrs = GetFileAttributesA(dir.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::string PerUserFolder(const char* variable)
{
    std::string base;
    if (!ReadEnvironmentVariable(variable, &base) || base.empty()) return std::string();
    if (base.back() == '\\') base.pop_back();
    return base + "\\Orvane";
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
