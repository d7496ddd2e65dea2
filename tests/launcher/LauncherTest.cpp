// The launcher, run as its own process: where it finds the runtime library,
// what it hands over, and how it fails. Every test builds a fresh folder with
// a copy of the launcher and the stand-in libraries of TestRuntime.c, whose
// log files ("<library file name>.log" beside each copy) tell which copy was
// loaded, what it received and how it was released. Registry edits go to the
// current user of this test's own Wine prefix and are removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "PeFile.h"
#include "PeSection.h"
#include "ProcessDriver.h"

namespace {

using orv::test::ReadFileBytes;
using orv::test::TestFile;
using orv::test::WindowsPathOf;
using orv::test::WriteFileBytes;

// Beside this program in the test package, else in the build tree.
const std::string kLauncherExe = TestFile(ORV_LAUNCHER_EXE);
const std::string kImageFile = TestFile(ORV_LAUNCHER_IMAGE);
const std::string kRuntimeGood = TestFile(ORV_RUNTIME_GOOD);
const std::string kRuntimeNoEntry = TestFile(ORV_RUNTIME_NO_ENTRY);
const std::string kRuntimeRefuses = TestFile(ORV_RUNTIME_REFUSES);
// The real program and its runtime library, and a host that starts them with
// the main window refused (StartWithoutWindow.cpp).
const std::string kProgramExe = TestFile(ORV_PROGRAM_EXE);
const std::string kProgramRuntime = TestFile(ORV_PROGRAM_RUNTIME);
const std::string kStartWithoutWindow = TestFile(ORV_START_WITHOUT_WINDOW);

constexpr char kInstallKey[] = "Software\\Orvane\\Runtime\\Install";
constexpr char kFailureText[] = "The runtime library was not found or is invalid!";
constexpr char kFailureCaption[] = "Error";
constexpr DWORD kFailureExitCode = 0xFFFFFFFFu;  // -1
constexpr DWORD kTimeoutMs = 15000;
constexpr size_t kImageBytesRecorded = 64;  // see TestRuntime.c

// A folder tree under the temp folder, removed with everything in it.
class TempTree {
public:
    TempTree()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        char dir[MAX_PATH];
        GetTempFileNameA(temp, "orl", 0, dir);
        DeleteFileA(dir);
        CreateDirectoryA(dir, nullptr);
        root_ = dir;
    }
    ~TempTree() { RemoveTree(root_); }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }

    // Creates root\relative (one or more levels) and returns its path.
    std::string Folder(const std::string& relative) const
    {
        const std::string path = root_ + "\\" + relative;
        for (const std::string& level : FoldersDownTo(path)) CreateDirectoryA(level.c_str(), nullptr);
        return path;
    }

    // The folders from the root down to `folder`, a folder inside the tree.
    // Split at backslash characters: a GBK trail byte may have the same value.
    std::vector<std::string> FoldersDownTo(const std::string& folder) const
    {
        std::vector<std::string> levels{root_};
        for (const char* at = folder.c_str() + root_.size() + 1; *at; at = CharNextA(at))
            if (*at == '\\') levels.emplace_back(folder.c_str(), at);
        levels.push_back(folder);
        return levels;
    }

private:
    static void RemoveTree(const std::string& dir)
    {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = dir + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
                else DeleteFileA(path.c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string root_;
};

void Copy(const std::string& from, const std::string& to)
{
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
}

// The lines a stand-in library logged; empty when it was never loaded.
std::vector<std::string> LogOf(const std::string& libraryPath)
{
    std::vector<std::string> lines;
    const std::string text = ReadFileBytes(libraryPath + ".log");
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

void DeleteInstallKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kInstallKey);
    // Parents go only when empty (RegDeleteKey refuses keys with subkeys).
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvane\\Runtime");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvane");
}

HKEY CreateInstallKey()
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kInstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    return key;
}

void SetInstallPath(const std::string& path)
{
    HKEY key = CreateInstallKey();
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                            static_cast<DWORD>(path.size() + 1)));
    RegCloseKey(key);
}

// One run of a launcher copy, observed from outside as a user would see it.
class LauncherRun {
public:
    explicit LauncherRun(const std::string& exe, const std::string& arguments = "")
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        // The working directory is deliberately not the launcher's folder, so
        // a relative lookup would not find the library by accident.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        started_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi_) != 0;
    }
    ~LauncherRun()
    {
        if (!pi_.hProcess) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, kTimeoutMs);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;

    bool Started() const { return started_; }

    // The process's exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit() const
    {
        WaitForSingleObject(pi_.hProcess, kTimeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

    // The message box the launcher shows, or nullptr when the process ended
    // (or the time ran out) without one. Waiting on the process handle paces
    // the search and ends it early when the launcher exits instead.
    HWND WaitForMessageBox() const
    {
        const DWORD start = GetTickCount();
        do {
            HWND box = FindMessageBox();
            if (box) return box;
            if (WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0) return FindMessageBox();
        } while (GetTickCount() - start < kTimeoutMs);
        return nullptr;
    }

private:
    struct Search {
        DWORD pid;
        HWND found;
    };
    static BOOL CALLBACK MatchBox(HWND window, LPARAM param)
    {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[32] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (pid != search->pid || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        search->found = window;
        return FALSE;
    }
    HWND FindMessageBox() const
    {
        Search search{pi_.dwProcessId, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    bool started_ = false;
    PROCESS_INFORMATION pi_{};
};

std::string TextOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// An icon as it appears on screen: drawn over the given background colour.
std::vector<uint32_t> RenderIcon(HICON icon, int width, int height, COLORREF background)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    SelectObject(dc, old);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// What a window of any process shows on screen (Xvfb has no compositor, so
// the screen holds it as drawn).
std::vector<uint32_t> CaptureWindow(HWND window, int& width, int& height)
{
    RECT r{};
    GetWindowRect(window, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc, old);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The icon control of a message box: its visible SS_ICON static, if any.
HWND IconOfBox(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

// Hex of the first bytes of the image file, as the good stand-in logs them.
std::string ExpectedImageHex()
{
    const std::string image = ReadFileBytes(kImageFile);
    EXPECT_GE(image.size(), kImageBytesRecorded);
    std::string hex;
    static const char digits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < kImageBytesRecorded && i < image.size(); ++i) {
        const auto byte = static_cast<unsigned char>(image[i]);
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

// The good stand-in's log after a complete run: asked for version 1000, its
// start routine got the first byte of the launcher's `.orvimg` section (which
// holds the image file), and it was not released before the process ended.
void ExpectRanWithImage(const std::string& libraryPath)
{
    const std::vector<std::string> log = LogOf(libraryPath);
    ASSERT_EQ(4u, log.size()) << libraryPath << " log:\n" << ReadFileBytes(libraryPath + ".log");
    EXPECT_EQ("attach", log[0]);
    EXPECT_EQ("entry 1000", log[1]);
    char pointer[9] = {}, section[9] = {}, bytes[2 * kImageBytesRecorded + 1] = {};
    ASSERT_EQ(3, sscanf(log[2].c_str(), "start %8s %8s %128s", pointer, section, bytes)) << log[2];
    EXPECT_STRNE("00000000", section) << "the launcher has no .orvimg section";
    EXPECT_STREQ(section, pointer) << "the start routine did not get the image section's first byte";
    EXPECT_EQ(ExpectedImageHex(), bytes);
    EXPECT_EQ("4F560000", std::string(bytes).substr(0, 8)) << "image signature \"OV\\0\\0\"";
    EXPECT_EQ("detach exit", log[3]);
}

// MB_ICONERROR: the box shows the system error icon. The icon belongs to the
// other process, so it is compared as drawn on screen with the same icon
// drawn here over the control's background.
void ExpectErrorIcon(HWND box)
{
    HWND icon = IconOfBox(box);
    ASSERT_NE(nullptr, icon) << "no icon";
    ASSERT_NE(0, SendMessageA(icon, STM_GETICON, 0, 0)) << "empty icon control";
    UpdateWindow(box);
    int width = 0, height = 0;
    const std::vector<uint32_t> shown = CaptureWindow(icon, width, height);
    ASSERT_FALSE(shown.empty());
    const uint32_t corner = shown[0];
    const COLORREF background = RGB((corner >> 16) & 0xFF, (corner >> 8) & 0xFF, corner & 0xFF);
    EXPECT_TRUE(shown == RenderIcon(LoadIconA(nullptr, IDI_ERROR), width, height, background))
        << "not the error icon (" << width << "x" << height << ")";
}

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteInstallKey();
        exeDir_ = tree_.Folder("app");
        exe_ = exeDir_ + "\\orvane.exe";
        Copy(kLauncherExe, exe_);
    }
    void TearDown() override { DeleteInstallKey(); }

    // Runs the launcher, expects the failure box (caption, text, a single OK
    // button), calls whileShown with the box still open, dismisses it and
    // expects exit code -1.
    void ExpectFailure(const std::function<void()>& whileShown = nullptr) { ExpectFailureOf(exe_, whileShown); }
    void ExpectFailureOf(const std::string& exe, const std::function<void()>& whileShown = nullptr)
    {
        LauncherRun run(exe);
        ExpectOneFailureMessage(run, kFailureCaption, kFailureText, whileShown);
    }

    // The one message box of a start that fails, and nothing after it: the
    // process ends with -1 once the box is answered (a second box would
    // keep it running).
    static void ExpectOneFailureMessage(const LauncherRun& run, const std::string& caption, const std::string& text,
                                        const std::function<void()>& whileShown = nullptr)
    {
        ASSERT_TRUE(run.Started());
        HWND box = run.WaitForMessageBox();
        ASSERT_NE(nullptr, box) << "no message box; exit code " << run.WaitForExit();
        EXPECT_EQ(caption, TextOf(box));
        EXPECT_EQ(text, TextOf(GetDlgItem(box, 0xFFFF)));
        HWND ok = GetDlgItem(box, IDOK);
        EXPECT_TRUE(ok && IsWindowVisible(ok));
        HWND cancel = GetDlgItem(box, IDCANCEL);
        EXPECT_FALSE(cancel && IsWindowVisible(cancel)) << "MB_OK shows no Cancel button";
        ExpectErrorIcon(box);
        if (whileShown) whileShown();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        EXPECT_EQ(kFailureExitCode, run.WaitForExit());
    }

    DWORD RunExpectingExit() { return RunExpectingExitOf(exe_); }
    static DWORD RunExpectingExitOf(const std::string& exe)
    {
        LauncherRun run(exe);
        EXPECT_TRUE(run.Started());
        const DWORD code = run.WaitForExit();
        if (code == STILL_ACTIVE) {
            HWND box = run.WaitForMessageBox();
            ADD_FAILURE() << "launcher still running; message box: " << (box ? TextOf(GetDlgItem(box, 0xFFFF)) : "none");
        }
        return code;
    }

    TempTree tree_;
    std::string exeDir_;
    std::string exe_;
};

TEST_F(LauncherTest, RuntimeBesideExeGetsImageAndRegistryIsNotRead)
{
    Copy(kRuntimeGood, exeDir_ + "\\orvcore.rtl");
    // An installed runtime that would log if the registry branch ran.
    const std::string installed = tree_.Folder("installed");
    Copy(kRuntimeGood, installed + "\\orvcore.rtx");
    SetInstallPath(installed + "\\");

    EXPECT_EQ(0u, RunExpectingExit());
    ExpectRanWithImage(exeDir_ + "\\orvcore.rtl");
    EXPECT_TRUE(LogOf(installed + "\\orvcore.rtx").empty()) << "the registry folder was used";
}

TEST_F(LauncherTest, InstalledRuntimeIsRtxFromRegistryFolderWithOrWithoutTrailingBackslash)
{
    for (const char* suffix : {"\\", ""}) {
        SCOPED_TRACE(std::string("Path ends with \"") + suffix + "\"");
        TempTree installTree;
        const std::string installed = installTree.Folder("runtime");
        Copy(kRuntimeGood, installed + "\\orvcore.rtx");
        // Decoy: the registry folder's orvcore.rtl must never be taken.
        Copy(kRuntimeGood, installed + "\\orvcore.rtl");
        SetInstallPath(installed + suffix);

        EXPECT_EQ(0u, RunExpectingExit());
        ExpectRanWithImage(installed + "\\orvcore.rtx");
        EXPECT_TRUE(LogOf(installed + "\\orvcore.rtl").empty());
    }
}

TEST_F(LauncherTest, FailsWhenNoRuntimeIsFound)
{
    struct Case {
        const char* name;
        std::function<void(const std::string& installed)> prepare;
    };
    const Case cases[] = {
        {"no library beside, no registry key", [](const std::string&) {}},
        {"key without a Path value",
         [](const std::string&) {
             HKEY key = CreateInstallKey();
             if (key) RegCloseKey(key);
         }},
        {"registry folder holds only orvcore.rtl",
         [](const std::string& installed) {
             Copy(kRuntimeGood, installed + "\\orvcore.rtl");
             SetInstallPath(installed);
         }},
        {"registry folder does not exist",
         [](const std::string& installed) { SetInstallPath(installed + "\\missing\\"); }},
        // A relative folder would be looked for along LoadLibraryA's search
        // order; here it names the library from the working folder.
        {"relative registry folder",
         [](const std::string& installed) {
             Copy(kRuntimeGood, installed + "\\orvcore.rtx");
             char temp[MAX_PATH];
             const size_t workingFolder = GetTempPathA(MAX_PATH, temp);
             ASSERT_EQ(std::string(temp), installed.substr(0, workingFolder));
             SetInstallPath(installed.substr(workingFolder));
         }},
        // 259 characters and the terminator do not fit the 259 bytes the
        // launcher offers: the read fails; no crash, no load.
        {"Path longer than the launcher reads",
         [](const std::string& installed) {
             Copy(kRuntimeGood, installed + "\\orvcore.rtx");
             std::string path = installed;
             path.resize(259, '\\');
             SetInstallPath(path);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteInstallKey();
        TempTree installTree;
        const std::string installed = installTree.Folder("runtime");
        c.prepare(installed);
        ExpectFailure();
        EXPECT_TRUE(LogOf(installed + "\\orvcore.rtl").empty());
        EXPECT_TRUE(LogOf(installed + "\\orvcore.rtx").empty());
    }
}

TEST_F(LauncherTest, RejectedRuntimeIsReleasedBeforeTheFailureMessage)
{
    struct Case {
        const char* name;
        std::string library;
        bool installed;  // from the registry folder rather than beside
        std::vector<std::string> logWhileShown;
    };
    const Case cases[] = {
        {"beside, without GetRuntimeEntry", kRuntimeNoEntry, false, {"attach", "detach free"}},
        {"beside, GetRuntimeEntry returns 0", kRuntimeRefuses, false, {"attach", "entry 1000", "detach free"}},
        {"installed, without GetRuntimeEntry", kRuntimeNoEntry, true, {"attach", "detach free"}},
        {"installed, GetRuntimeEntry returns 0", kRuntimeRefuses, true, {"attach", "entry 1000", "detach free"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteInstallKey();
        TempTree installTree;
        const std::string folder = c.installed ? installTree.Folder("runtime") : exeDir_;
        const std::string library = folder + (c.installed ? "\\orvcore.rtx" : "\\orvcore.rtl");
        Copy(c.library, library);
        if (c.installed) SetInstallPath(folder);

        ExpectFailure([&] { EXPECT_EQ(c.logWhileShown, LogOf(library)); });
        // Released once: nothing is left for the process exit to detach.
        EXPECT_EQ(c.logWhileShown, LogOf(library));
        DeleteFileA(library.c_str());
        DeleteFileA((library + ".log").c_str());
    }
}

// Folder names a user may have: long ones, deep Chinese ones, ones whose GBK
// bytes hold the backslash's value (0x5C) as a trail byte, and ones too long
// for an ANSI module name. A good library sits in every folder from the
// tree's root down; only the one beside the executable may ever run.
TEST_F(LauncherTest, RuntimeComesOnlyFromTheExecutablesOwnFolder)
{
    using Folders = std::function<std::string(size_t rootSize)>;  // below the tree's root
    struct Case {
        const char* name;
        Folders folders;
        std::string exeName;
        bool besideExe;        // a library beside the executable too
        size_t longerThan;     // bytes of the executable's path, at least
        bool starts;
    };
    const Folders deep = [](size_t) {
        std::string folders = "电音歌曲调号目录";
        for (int level = 1; level < 6; ++level) folders += "\\电音歌曲调号目录";
        return folders;
    };
    // A GBK module name of more than MAX_PATH bytes (but fewer characters):
    // padding puts the start of a double-byte character at byte `at`, so
    // that a buffer of MAX_PATH bytes cuts the name inside that character in
    // the one case and a buffer of MAX_PATH + 1 bytes in the other.
    auto tooLong = [](size_t at) -> Folders {
        return [at](size_t rootSize) {
            std::string name;
            while (name.size() < 240) name += "电音歌曲";
            return std::string((at - rootSize) % 2 == 0 ? 2 : 1, 'p') + "\\" + name;
        };
    };
    const Case cases[] = {
        {"ASCII path of more than 128 bytes",
         [](size_t rootSize) { return std::string(121 - rootSize, 'a') + "\\b\\cccc"; }, "orvane.exe", true, 128, true},
        {"deep Chinese folders, more than 128 bytes", deep, "orvane.exe", true, 128, true},
        {"0x5C trail bytes in the folder and the file name", [](size_t) { return std::string("乗嘰抃"); }, "乗嘰.exe",
         true, 0, true},
        {"deep Chinese folders, no library beside", deep, "orvane.exe", false, 128, false},
        {"longer than MAX_PATH, a character at bytes 259 and 260", tooLong(MAX_PATH - 1), "orvane.exe", true,
         MAX_PATH, false},
        {"longer than MAX_PATH, a character at bytes 260 and 261", tooLong(MAX_PATH), "orvane.exe", true, MAX_PATH,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        ASSERT_LT(tree.Root().size() + 2, 122u) << tree.Root();
        const std::string exeFolder = tree.Folder(c.folders(tree.Root().size()));
        // Wine names files in the Unix locale's character set: Chinese names
        // need the GBK locale that tools/setup.sh compiles (see docs/wine.md).
        ASSERT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(exeFolder.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            << "cannot create " << exeFolder;
        const std::string exe = exeFolder + "\\" + c.exeName;
        EXPECT_GT(exe.size(), c.longerThan);
        Copy(kLauncherExe, exe);
        std::vector<std::string> others;
        for (const std::string& folder : tree.FoldersDownTo(exeFolder)) {
            if (folder != exeFolder || c.besideExe) Copy(kRuntimeGood, folder + "\\orvcore.rtl");
            if (folder != exeFolder) others.push_back(folder + "\\orvcore.rtl");
        }
        if (c.starts) {
            EXPECT_EQ(0u, RunExpectingExitOf(exe));
            ExpectRanWithImage(exeFolder + "\\orvcore.rtl");
        } else {
            ExpectFailureOf(exe);
        }
        for (const std::string& other : others) EXPECT_TRUE(LogOf(other).empty()) << "loaded " << other;
    }
}

// A program that cannot start says why, once, and ends with the launcher's
// failure code: the runtime library refuses its image, lacks a support
// library it lists or a function it declares, or its window cannot be made.
TEST_F(LauncherTest, ProgramThatCannotStartSaysWhyOnceAndEndsWithMinusOne)
{
    struct Case {
        const char* name;
        std::string find, replace;  // in the program image
        std::string why;
    };
    const Case cases[] = {
        {"image refused", std::string("OV\0\0", 4), std::string("OX\0\0", 4),
         "the program image is invalid: signature is not \"OV\" followed by two zero bytes"},
        {"support library missing", "shellx\r", "shelly\r",
         "the support library \"shelly\" 3.0 is not provided by this runtime"},
        {"declared function missing", std::string("GdipCreateFromHDC\0", 18), std::string("GdipCreateFromHDX\0", 18),
         "the function GdipCreateFromHDX of gdiplus cannot be found"},
    };
    Copy(kProgramRuntime, exeDir_ + "\\orvcore.rtl");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string exe = ReadFileBytes(kProgramExe);
        orv::image::PeSectionSpan span;
        std::string error;
        ASSERT_TRUE(orv::image::FindPeSection(reinterpret_cast<const uint8_t*>(exe.data()), exe.size(),
                                              orv::image::kImageSectionName, span, error))
            << error;
        const size_t at = exe.find(c.find, span.offset);
        ASSERT_LT(at, span.offset + span.size) << "not in the image";
        exe.replace(at, c.find.size(), c.replace);
        ASSERT_TRUE(WriteFileBytes(exe_, exe));
        LauncherRun run(exe_);
        ExpectOneFailureMessage(run, "Orvane", "Orvane cannot start: " + c.why);
    }
    SCOPED_TRACE("main window refused");
    LauncherRun run(kStartWithoutWindow, "\"" + kProgramRuntime + "\" \"" + kProgramExe + "\"");
    ExpectOneFailureMessage(run, "Orvane", "Orvane cannot start: its main window could not be created");
}

// --- The executable itself -------------------------------------------------

TEST(LauncherExecutable, ImportsOnlySystemLibrariesAndStaysSmall)
{
    const orv::test::PeFile pe(ReadFileBytes(kLauncherExe));
    ASSERT_EQ(pe.error, "");
    // No msvcrt.dll, no ucrtbase.dll or api-ms-win-crt-*: no C runtime.
    EXPECT_EQ((std::set<std::string>{"advapi32.dll", "kernel32.dll", "user32.dll"}), pe.ImportedLibraries());
    EXPECT_EQ(".text", pe.SectionAt(pe.entryPoint));
    // The x86_64 twin: without it Windows cannot unwind through the entry.
    if (pe.magic == 0x20B) {
        EXPECT_TRUE(pe.HasUnwindEntryFor(pe.entryPoint)) << "no unwind data for the entry point";
    }

    const size_t imageRaw = pe.Section(".orvimg").size();
    ASSERT_NE(0u, imageRaw);
    std::printf("launcher: %zu bytes, of which the image section %zu\n", pe.Size(), imageRaw);
    EXPECT_LT(pe.Size() - imageRaw, 16u * 1024u) << "the launcher without its image";
}

TEST(LauncherExecutable, ImageSectionHoldsTheImageFile)
{
    const std::string file = ReadFileBytes(kLauncherExe);
    const std::string image = ReadFileBytes(kImageFile);
    ASSERT_FALSE(image.empty());
    orv::image::PeSectionSpan span;
    std::string error;
    ASSERT_TRUE(orv::image::FindPeSection(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                          orv::image::kImageSectionName, span, error))
        << error;
    ASSERT_GE(span.size, image.size());
    EXPECT_EQ(image, file.substr(span.offset, image.size()));
    // What follows is file alignment padding only.
    EXPECT_EQ(std::string(span.size - image.size(), '\0'), file.substr(span.offset + image.size(), span.size - image.size()));
}

}  // namespace
