// Trimming the program's working set with the stored trimmer: written once
// as empty.exe into the Windows directory (or, where a standard user may not
// write there, into "%LOCALAPPDATA%\Orvane") and run with the program's own
// process id on a worker thread, whenever the program loses activation.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orv {

// Everything the trim touches outside itself, so a test can record it.
struct TrimServices {
    bool (*readEnvironment)(const char* name, std::string* value);
    bool (*fileExists)(const std::string& path);
    bool (*writeNewFile)(const std::string& path, std::string_view bytes);
    bool (*createFolder)(const std::string& dir);
    bool (*runHiddenAndWait)(const std::string& commandLine);
    DWORD (*currentProcessId)();
    std::string_view (*trimmerImage)();
};

// The real services: the runtime's file services, a hidden run of the
// trimmer with a bounded wait (a trimmer still running after 2 s is ended),
// the stored trimmer (IDR_TRIMMER).
const TrimServices& SystemTrimServices();

// Replaces the services TrimMemory uses (nullptr restores the real ones).
void SetTrimServices(const TrimServices* services);

// "<quoted path> <pid>": the quotes keep a Windows directory with spaces from
// being read as another program followed by arguments.
std::string TrimmerCommandLine(const std::string& trimmerPath, DWORD processId);

enum class TrimResult {
    Ran,             // the trimmer was started and waited for
    RunFailed,       // it could not be started
    NoWindowsDir,    // "windir" unset: nothing written, nothing run
    WriteFailed,     // the trimmer was missing and could be written neither place
    AlreadyRunning,  // another trim was in progress: skipped
};

// One trim with the given services; overlapping calls are serialised by
// skipping while one runs.
TrimResult TrimMemoryWith(const TrimServices& services);

// True while a trim is between its start and its end.
bool TrimInProgress();

// Thread routine for SHCreateThread: one trim with the current services.
DWORD WINAPI TrimMemory(void* unused);

// Waits up to timeoutMs for trims started by StartMemoryTrim to end; true
// when none is left. Called once at program end: a trim thread killed by the
// exit in the middle of starting the trimmer leaves a half-created process
// (under Wine it hangs in its start-up for good).
bool WaitForTrimsToEnd(DWORD timeoutMs);

// Starts TrimMemory on a new thread (SHCreateThread, no data, flags 0, no
// callback) and returns at once; false when no thread could be started.
bool StartMemoryTrim();

}  // namespace orv
