#include "util/MemoryTrim.h"

#include <shlwapi.h>

#include <cstdlib>

#include "resources/Resources.h"
#include "runtime/FileServices.h"

namespace orv {

namespace {

std::string_view StoredTrimmer() { return StoredBytes(IDR_TRIMMER); }

DWORD OwnProcessId() { return GetCurrentProcessId(); }

// The trimmer ends within milliseconds. Under Wine a new process now and
// then stays stuck in its start-up for good (seen while the program's own
// windows were busy); so the wait is bounded and a trimmer that overstays
// is ended.
constexpr DWORD kTrimmerTimeoutMs = 2000;

// A job that ends the trimmer when the job's last handle closes: at the
// end of the wait, or when the program itself is ended (killed) while its
// trimmer is still starting. A trimmer stuck in its start-up (see above)
// would otherwise outlive the program. nullptr where no job can be made.
HANDLE MakeTrimmerJob()
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

bool RunTrimmerAndWait(const std::string& commandLine)
{
    std::string line = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                        nullptr, &si, &pi))
        return false;
    HANDLE job = MakeTrimmerJob();
    // Windows 7 puts no process in a second job; the trimmer then runs
    // without one, as before.
    if (job && !AssignProcessToJobObject(job, pi.hProcess)) {
        CloseHandle(job);
        job = nullptr;
    }
    ResumeThread(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, kTrimmerTimeoutMs) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 1000);
    }
    if (job) CloseHandle(job);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

const TrimServices gSystemServices = {
    ReadEnvironmentVariable, FileExists, WriteNewFile, CreateFolder, RunTrimmerAndWait, OwnProcessId, StoredTrimmer,
};

const TrimServices* volatile gServices = &gSystemServices;

// 1 while a trim runs; a trim that finds it set does nothing.
volatile LONG gTrimRunning = 0;
// Threads started by StartMemoryTrim that have not finished yet.
volatile LONG gTrimThreads = 0;

class TrimGuard {
public:
    TrimGuard() : owner_(InterlockedCompareExchange(&gTrimRunning, 1, 0) == 0) {}
    ~TrimGuard()
    {
        if (owner_) InterlockedExchange(&gTrimRunning, 0);
    }
    TrimGuard(const TrimGuard&) = delete;
    TrimGuard& operator=(const TrimGuard&) = delete;
    bool Owner() const { return owner_; }

private:
    bool owner_;
};

}  // namespace

const TrimServices& SystemTrimServices() { return gSystemServices; }

void SetTrimServices(const TrimServices* services) { gServices = services ? services : &gSystemServices; }

std::string TrimmerCommandLine(const std::string& trimmerPath, DWORD processId)
{
    return "\"" + trimmerPath + "\" " + std::to_string(static_cast<unsigned long>(processId));
}

namespace {

// An existing file of that name is used as it is, never compared or replaced.
bool PlaceTrimmer(const TrimServices& services, const std::string& path)
{
    if (services.fileExists(path)) return true;
    const std::string_view image = services.trimmerImage();
    return !image.empty() && services.writeNewFile(path, image);
}

}  // namespace

TrimResult TrimMemoryWith(const TrimServices& services)
{
    TrimGuard guard;
    if (!guard.Owner()) return TrimResult::AlreadyRunning;

    std::string windowsDir;
    // Without "windir" the path would be "\empty.exe" at the root of the
    // current drive; writing and running a program there is not acceptable.
    if (!services.readEnvironment("windir", &windowsDir) || windowsDir.empty()) return TrimResult::NoWindowsDir;
    std::string path = windowsDir + "\\empty.exe";
    if (!PlaceTrimmer(services, path)) {
        // A standard user may not write the Windows directory: the user's
        // own folder serves instead, with the same rules.
        std::string local;
        if (!services.readEnvironment("LOCALAPPDATA", &local) || local.empty()) return TrimResult::WriteFailed;
        if (local.back() == '\\') local.pop_back();
        const std::string folder = local + "\\Orvane";
        path = folder + "\\empty.exe";
        if (!services.fileExists(path) && !services.createFolder(folder)) return TrimResult::WriteFailed;
        if (!PlaceTrimmer(services, path)) return TrimResult::WriteFailed;
    }
    return services.runHiddenAndWait(TrimmerCommandLine(path, services.currentProcessId())) ? TrimResult::Ran
                                                                                           : TrimResult::RunFailed;
}

bool TrimInProgress() { return InterlockedCompareExchange(&gTrimRunning, 0, 0) != 0; }

DWORD WINAPI TrimMemory(void*)
{
    TrimMemoryWith(*gServices);
    return 0;
}

namespace {

DWORD WINAPI CountedTrim(void*)
{
    TrimMemory(nullptr);
    InterlockedDecrement(&gTrimThreads);
    return 0;
}

}  // namespace

static void WaitForTrimsAtExit() { WaitForTrimsToEnd(4000); }

bool StartMemoryTrim()
{
    // Whatever way the program ends through exit(), a trim that is starting
    // its trimmer is let finish first (see WaitForTrimsToEnd).
    static const bool registered = std::atexit(WaitForTrimsAtExit) == 0;
    (void)registered;
    InterlockedIncrement(&gTrimThreads);
    if (SHCreateThread(CountedTrim, nullptr, 0, nullptr)) return true;
    InterlockedDecrement(&gTrimThreads);
    return false;
}

bool WaitForTrimsToEnd(DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    // No message or handle announces the end of an untracked thread; poll briefly.
    while (InterlockedCompareExchange(&gTrimThreads, 0, 0) != 0) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

}  // namespace orv
