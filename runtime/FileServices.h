// File and process services of the runtime.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// Directory of the running executable, without a trailing backslash.
std::string ExecutableDirectory();

enum class ReadStatus {
    Ok,
    Missing,  // no file (or no folder) of that name
    Failed,   // the file exists but could not be read whole: locked, an I/O error, too large
};

struct FileContent {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;        // the whole file when Ok, else empty
    unsigned long error = 0;  // the system error code when not Ok
};

// The largest file ReadFileContent takes by default. The catalogue is held
// several times over at once (file text, entries, two lists and their
// copies), and all of it must fit a 32-bit process's address space.
constexpr size_t kMaxFileBytes = 64u << 20;

// Reads the whole file while no one can write to it, so what it returns is
// one consistent state of the file. A file larger than limit fails.
FileContent ReadFileContent(const std::string& path, size_t limit = kMaxFileBytes);

// The whole file; empty when it is missing or cannot be read whole.
std::string ReadWholeFile(const std::string& path);

enum class WriteStatus {
    Ok,
    FolderNotWritable,  // no file can be created in the folder (permissions, read-only medium)
    DiskFull,
    InUse,              // the file is locked by another program, or read-only
    Failed,             // any other failure
};

struct WriteResult {
    WriteStatus status = WriteStatus::Failed;
    unsigned long error = 0;  // the system error code when not Ok
    explicit operator bool() const { return status == WriteStatus::Ok; }
};

// Writes bytes to a temporary file beside path, flushes it and moves it over
// path in one step, so a crash or a full disk leaves the old file intact.
// On any failure path is untouched and no temporary is left.
WriteResult ReplaceFileContent(const std::string& path, std::string_view bytes);

// True when a new file can be created in dir (tried with a file that is gone
// again at once).
bool FolderWritable(const std::string& dir);

// The last-write time of a file (100 ns units); false when there is none.
bool LastWriteTime(const std::string& path, uint64_t* time);

// Creates dir unless it exists; true when it exists afterwards.
bool CreateFolder(const std::string& dir);

// "%APPDATA%\Orvane" or "%LOCALAPPDATA%\Orvane" (by the variable's name);
// empty when the variable is not set. Nothing is created.
std::string PerUserFolder(const char* variable);

bool FileExists(const std::string& path);

// Creates a new file with exactly these bytes; fails if it already exists.
bool WriteNewFile(const std::string& path, std::string_view bytes);

// False when the variable is not set.
bool ReadEnvironmentVariable(const char* name, std::string* value);

// Starts commandLine with a hidden window and waits for it to end.
bool RunHiddenAndWait(const std::string& commandLine);

}  // namespace orv
