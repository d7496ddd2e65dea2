// The memory trim with recording stand-ins for its services, and the real
// trimmer stored in the program run against this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/Resources.h"
#include "runtime/FileServices.h"
#include "util/MemoryTrim.h"

using namespace orv;

namespace {

// The stand-in world: an environment, a file system and a process runner.
struct World {
    bool windirSet = true;
    std::string windir = "C:\\WINDOWS";
    std::string localAppData = "C:\\Users\\u\\AppData\\Local";
    std::vector<std::string> existing;
    std::vector<std::string> readOnlyFolders;
    std::vector<std::string> folders;
    std::vector<std::pair<std::string, std::string>> writes;
    std::vector<std::string> runs;
    std::string image = std::string("MZ\x90\0trimmer", 11);
    HANDLE runEntered = nullptr;  // signalled when a run starts
    HANDLE runRelease = nullptr;  // a run waits for this when set
};
World* gWorld = nullptr;

const TrimServices kRecording = {
    [](const char* name, std::string* value) {
        if (std::string(name) == "LOCALAPPDATA") {
            *value = gWorld->localAppData;
            return !value->empty();
        }
        if (std::string(name) != "windir" || !gWorld->windirSet) return false;
        *value = gWorld->windir;
        return true;
    },
    [](const std::string& path) {
        for (const std::string& e : gWorld->existing)
            if (e == path) return true;
        return false;
    },
    [](const std::string& path, std::string_view bytes) {
        for (const std::string& folder : gWorld->readOnlyFolders)
            if (path.rfind(folder + "\\", 0) == 0) return false;
        gWorld->writes.emplace_back(path, std::string(bytes));
        gWorld->existing.push_back(path);
        return true;
    },
    [](const std::string& dir) {
        gWorld->folders.push_back(dir);
        return true;
    },
    [](const std::string& commandLine) {
        // Read before signalling: the test may tear the world down at once.
        HANDLE release = gWorld->runRelease;
        gWorld->runs.push_back(commandLine);
        if (gWorld->runEntered) SetEvent(gWorld->runEntered);
        if (release) WaitForSingleObject(release, 10000);
        return true;
    },
    [] { return static_cast<DWORD>(2316); },
    [] { return std::string_view(gWorld->image); },
};

DWORD WINAPI FirstTrim(void*) { return static_cast<DWORD>(TrimMemoryWith(kRecording)); }

class Trim : public ::testing::Test {
protected:
    void SetUp() override { gWorld = &world; }
    void TearDown() override
    {
        SetTrimServices(nullptr);
        gWorld = nullptr;
    }
    World world;
};

TEST_F(Trim, FirstTrimWritesTheTrimmerOnceAndRunsItWithTheProcessId)
{
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    ASSERT_EQ(world.writes.size(), 1u);
    EXPECT_EQ(world.writes[0].first, "C:\\WINDOWS\\empty.exe");
    EXPECT_EQ(world.writes[0].second, world.image) << "exact bytes, one write";
    EXPECT_EQ(world.runs, (std::vector<std::string>{"\"C:\\WINDOWS\\empty.exe\" 2316", "\"C:\\WINDOWS\\empty.exe\" 2316"}));
}

TEST_F(Trim, AnExistingFileIsUsedAsItIs)
{
    world.existing.push_back("C:\\WINDOWS\\empty.exe");
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    EXPECT_TRUE(world.writes.empty());
    EXPECT_EQ(world.runs.size(), 1u);
}

TEST_F(Trim, TheTrimmerPathIsQuotedSoSpacesCannotStartAnotherProgram)
{
    struct Case {
        const char* windir;
        DWORD pid;
        const char* want;
    } cases[] = {
        {"C:\\Program Files\\Win", 7, "\"C:\\Program Files\\Win\\empty.exe\" 7"},
        {"D:\\W", 4294967295u, "\"D:\\W\\empty.exe\" 4294967295"},
        {"C:\\WINDOWS", 10, "\"C:\\WINDOWS\\empty.exe\" 10"},
    };
    for (const Case& c : cases) EXPECT_EQ(TrimmerCommandLine(std::string(c.windir) + "\\empty.exe", c.pid), c.want);
    world.windir = "C:\\My Windows";
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    ASSERT_EQ(world.runs.size(), 1u);
    EXPECT_EQ(world.runs[0], "\"C:\\My Windows\\empty.exe\" 2316");
}

TEST_F(Trim, WithoutWindirNothingIsWrittenOrRun)
{
    for (bool set : {false, true}) {
        world.windirSet = set;
        world.windir = "";  // set but empty is as good as unset
        EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::NoWindowsDir);
    }
    EXPECT_TRUE(world.writes.empty());
    EXPECT_TRUE(world.runs.empty());
}

TEST_F(Trim, AnUnwritableWindowsDirectoryFallsBackToTheUsersOwnFolder)
{
    world.readOnlyFolders.push_back("C:\\WINDOWS");
    world.localAppData = "C:\\Users\\Wang Lei\\AppData\\Local\\";
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    ASSERT_EQ(world.writes.size(), 1u);
    EXPECT_EQ(world.writes[0].first, "C:\\Users\\Wang Lei\\AppData\\Local\\Orvane\\empty.exe");
    EXPECT_EQ(world.folders, (std::vector<std::string>{"C:\\Users\\Wang Lei\\AppData\\Local\\Orvane"}));
    EXPECT_EQ(world.runs, (std::vector<std::string>{"\"C:\\Users\\Wang Lei\\AppData\\Local\\Orvane\\empty.exe\" 2316"}));

    // The next trim uses the file it left there, as it is.
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    EXPECT_EQ(world.writes.size(), 1u);
    EXPECT_EQ(world.runs.size(), 2u);

    // Neither place writable, or no user folder: nothing is run.
    World none;
    gWorld = &none;
    none.readOnlyFolders = {"C:\\WINDOWS", "C:\\Users\\u\\AppData\\Local\\Orvane"};
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::WriteFailed);
    none.readOnlyFolders = {"C:\\WINDOWS"};
    none.localAppData = "";
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::WriteFailed);
    EXPECT_TRUE(none.writes.empty());
    EXPECT_TRUE(none.runs.empty());
    gWorld = &world;
}

TEST_F(Trim, ASecondTrimWhileOneRunsIsSkipped)
{
    world.runEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    world.runRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE first = CreateThread(nullptr, 0, FirstTrim, nullptr, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(world.runEntered, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::AlreadyRunning);
    SetEvent(world.runRelease);
    ASSERT_EQ(WaitForSingleObject(first, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(first, &code);
    EXPECT_EQ(static_cast<TrimResult>(code), TrimResult::Ran);
    CloseHandle(first);
    // Once it has finished, the next one runs again.
    world.runRelease = nullptr;
    EXPECT_EQ(TrimMemoryWith(kRecording), TrimResult::Ran);
    EXPECT_EQ(world.runs.size(), 2u);
    CloseHandle(world.runEntered);
}

TEST_F(Trim, ProgramEndWaitsForAStartedTrim)
{
    world.runEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    world.runRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetTrimServices(&kRecording);
    ASSERT_TRUE(StartMemoryTrim());
    ASSERT_EQ(WaitForSingleObject(world.runEntered, 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(WaitForTrimsToEnd(50)) << "the trimmer is still running";
    SetEvent(world.runRelease);
    EXPECT_TRUE(WaitForTrimsToEnd(10000));
    EXPECT_FALSE(TrimInProgress());
    CloseHandle(world.runEntered);
    CloseHandle(world.runRelease);
}

TEST_F(Trim, TheThreadRoutineUsesTheInstalledServices)
{
    world.runEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetTrimServices(&kRecording);
    ASSERT_TRUE(StartMemoryTrim());
    ASSERT_EQ(WaitForSingleObject(world.runEntered, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(world.runs, (std::vector<std::string>{"\"C:\\WINDOWS\\empty.exe\" 2316"}));
    // The worker leaves the trim right after its run; nothing else signals
    // that, so yield until the flag drops (bounded).
    const DWORD start = GetTickCount();
    while (TrimInProgress() && GetTickCount() - start < 10000) SwitchToThread();
    EXPECT_FALSE(TrimInProgress());
    EXPECT_TRUE(WaitForTrimsToEnd(10000));
    CloseHandle(world.runEntered);
}

// ---- the real trimmer ---------------------------------------------------------------

std::string TempDirectory(const char* name)
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + name + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

DWORD RunAndWait(const std::string& commandLine)
{
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// The program's own kind: PE32 i386 in the release, PE32+ x86-64 in the
// x86_64 twin, whose trimmer must run where no 32-bit code does.
#if defined(__x86_64__)
constexpr uint16_t kMachine = 0x8664, kOptionalMagic = 0x020B, kSubsystemAt = 24 + 68;
#else
constexpr uint16_t kMachine = 0x014C, kOptionalMagic = 0x010B, kSubsystemAt = 24 + 68;
#endif

TEST(StoredTrimmer, IsAConsoleProgramThatTrimsByIdAndRejectsEverythingElse)
{
    std::string_view image = StoredBytes(IDR_TRIMMER);
    ASSERT_GT(image.size(), 1024u);
    ASSERT_EQ(image.substr(0, 2), "MZ");
    const auto peOffset = *reinterpret_cast<const uint32_t*>(image.data() + 0x3C);
    ASSERT_LT(peOffset + 0x5Cu, image.size());
    EXPECT_EQ(image.substr(peOffset, 4), std::string_view("PE\0\0", 4));
    EXPECT_EQ(*reinterpret_cast<const uint16_t*>(image.data() + peOffset + 4), kMachine) << "machine";
    EXPECT_EQ(*reinterpret_cast<const uint16_t*>(image.data() + peOffset + 24), kOptionalMagic) << "PE32 or PE32+";
    EXPECT_EQ(*reinterpret_cast<const uint16_t*>(image.data() + peOffset + kSubsystemAt), 3) << "console subsystem";

    const std::string dir = TempDirectory("orv trim ");  // with a space, as some Windows directories have
    const std::string path = dir + "\\empty.exe";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(WriteNewFile(path, image));
    struct Case {
        std::string arguments;
        DWORD want;
    } cases[] = {
        {std::to_string(GetCurrentProcessId()), 0},
        {"", 1},
        {"12x", 1},
        {"-5", 1},
        {std::to_string(GetCurrentProcessId()) + " 1", 1},
    };
    for (const Case& c : cases) {
        const std::string line = "\"" + path + "\"" + (c.arguments.empty() ? "" : " " + c.arguments);
        EXPECT_EQ(RunAndWait(line), c.want) << line;
    }
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(StoredTrimmer, TheRealServicesWriteItToWindirAndRunIt)
{
    const std::string dir = TempDirectory("orv windir ");
    const std::string path = dir + "\\empty.exe";
    DeleteFileA(path.c_str());
    char saved[MAX_PATH] = {};
    const bool hadWindir = GetEnvironmentVariableA("windir", saved, MAX_PATH) != 0;
    SetEnvironmentVariableA("windir", dir.c_str());
    EXPECT_EQ(TrimMemoryWith(SystemTrimServices()), TrimResult::Ran);
    SetEnvironmentVariableA("windir", hadWindir ? saved : nullptr);
    EXPECT_EQ(ReadWholeFile(path), std::string(StoredBytes(IDR_TRIMMER)));
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace

// Killed while its trimmer starts (a user ending it in the task manager, a
// test ending it), the program takes the trimmer with it: a trimmer stuck in
// its start-up must not live on. This program plays all three parts: the
// test, the program (started by the test) and a trimmer that only sleeps
// (started by the program through the real runner).
TEST(RealTrimmer, NeverOutlivesTheProgramThatStartedIt)
{
    constexpr char kRole[] = "ORV_TRIM_TEST_ROLE";
    constexpr char kAlive[] = "Local\\OrvaneTrimmerTestSleeper";
    char role[16] = {};
    GetEnvironmentVariableA(kRole, role, sizeof role);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string again =
        "\"" + std::string(self) + "\" --gtest_filter=RealTrimmer.NeverOutlivesTheProgramThatStartedIt";
    if (std::string(role) == "trimmer") {
        HANDLE alive = CreateMutexA(nullptr, FALSE, kAlive);
        Sleep(30000);
        CloseHandle(alive);
        return;
    }
    if (std::string(role) == "program") {
        SetEnvironmentVariableA(kRole, "trimmer");
        SystemTrimServices().runHiddenAndWait(again);
        return;
    }
    SetEnvironmentVariableA(kRole, "program");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION program{};
    std::string line = again;
    const bool started =
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &program);
    SetEnvironmentVariableA(kRole, nullptr);
    ASSERT_TRUE(started);
    auto trimmerAlive = [&] {
        HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, kAlive);
        if (h) CloseHandle(h);
        return h != nullptr;
    };
    for (DWORD start = GetTickCount(); !trimmerAlive() && GetTickCount() - start < 10000;) Sleep(10);
    ASSERT_TRUE(trimmerAlive()) << "the trimmer did not start";
    TerminateProcess(program.hProcess, 1);
    WaitForSingleObject(program.hProcess, 5000);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    for (DWORD start = GetTickCount(); trimmerAlive() && GetTickCount() - start < 3000;) Sleep(10);
    EXPECT_FALSE(trimmerAlive()) << "the trimmer outlived the program";
}
