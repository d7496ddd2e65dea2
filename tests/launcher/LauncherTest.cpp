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

#include "PeSection.h"
#include "ProcessDriver.h"

namespace {

using orv::test::ReadFileBytes;
using orv::test::TestFile;

// Beside this program in the test package, else in the build tree.
const std::string kLauncherExe = TestFile(ORV_LAUNCHER_EXE);
const std::string kImageFile = TestFile(ORV_LAUNCHER_IMAGE);
const std::string kRuntimeGood = TestFile(ORV_RUNTIME_GOOD);
const std::string kRuntimeNoEntry = TestFile(ORV_RUNTIME_NO_ENTRY);
const std::string kRuntimeRefuses = TestFile(ORV_RUNTIME_REFUSES);

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
        std::string path = root_;
        size_t from = 0;
        while (from <= relative.size()) {
            size_t end = relative.find('\\', from);
            if (end == std::string::npos) end = relative.size();
            path += "\\" + relative.substr(from, end - from);
            CreateDirectoryA(path.c_str(), nullptr);
            from = end + 1;
        }
        return path;
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
    explicit LauncherRun(const std::string& exe)
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"";
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
    void ExpectFailure(const std::function<void()>& whileShown = nullptr)
    {
        LauncherRun run(exe_);
        ASSERT_TRUE(run.Started());
        HWND box = run.WaitForMessageBox();
        ASSERT_NE(nullptr, box) << "no message box; exit code " << run.WaitForExit();
        EXPECT_EQ(kFailureCaption, TextOf(box));
        EXPECT_EQ(kFailureText, TextOf(GetDlgItem(box, 0xFFFF)));
        HWND ok = GetDlgItem(box, IDOK);
        EXPECT_TRUE(ok && IsWindowVisible(ok));
        HWND cancel = GetDlgItem(box, IDCANCEL);
        EXPECT_FALSE(cancel && IsWindowVisible(cancel)) << "MB_OK shows no Cancel button";
        ExpectErrorIcon(box);
        if (whileShown) whileShown();
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        EXPECT_EQ(kFailureExitCode, run.WaitForExit());
    }

    DWORD RunExpectingExit()
    {
        LauncherRun run(exe_);
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

// The launcher reads at most 128 characters of its module name and starts
// looking for the directory's backslash six characters before the end of what
// it read. With a longer name the library comes from the folder that the
// first 122 characters end in, not from the executable's own folder.
TEST_F(LauncherTest, LongModuleNameTakesRuntimeFromFolderWithinFirst122Characters)
{
    // root\<a…a>\b\cccc\orvane.exe with the backslash before "b" at index
    // 122 and the one after it at 124: the name is cut to 127 characters,
    // the search starts at index 122 and finds the first of them. Starting
    // from the real end would find index 124 (folder b), and reading the full
    // name would find the executable's folder.
    const std::string& root = tree_.Root();
    ASSERT_LT(root.size() + 2, 122u) << root;
    const std::string a(121 - root.size(), 'a');
    const std::string chosen = tree_.Folder(a);
    const std::string folderB = tree_.Folder(a + "\\b");
    const std::string exeFolder = tree_.Folder(a + "\\b\\cccc");
    ASSERT_EQ(122u, chosen.size());
    const std::string exe = exeFolder + "\\orvane.exe";
    ASSERT_GT(exe.size(), 128u);
    Copy(kLauncherExe, exe);
    Copy(kRuntimeGood, chosen + "\\orvcore.rtl");
    for (const std::string& decoy : {root, folderB, exeFolder}) Copy(kRuntimeRefuses, decoy + "\\orvcore.rtl");

    LauncherRun run(exe);
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(0u, run.WaitForExit());
    ExpectRanWithImage(chosen + "\\orvcore.rtl");
    for (const std::string& decoy : {root, folderB, exeFolder})
        EXPECT_TRUE(LogOf(decoy + "\\orvcore.rtl").empty()) << "loaded from " << decoy;
}

// --- The executable itself -------------------------------------------------

uint32_t U32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return v;
}
uint16_t U16(const std::string& bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                 (static_cast<unsigned char>(bytes.at(at + 1)) << 8));
}

struct SectionInfo {
    std::string name;
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

struct PeView {
    std::vector<SectionInfo> sections;
    uint32_t entryPoint = 0;
    uint32_t importRva = 0;

    explicit PeView(const std::string& file)
    {
        const size_t pe = U32(file, 0x3C);
        const uint16_t count = U16(file, pe + 6);
        const uint16_t optionalSize = U16(file, pe + 20);
        const size_t optional = pe + 24;
        entryPoint = U32(file, optional + 16);
        importRva = U32(file, optional + 96 + 8);  // data directory 1
        for (size_t i = 0, at = optional + optionalSize; i < count; ++i, at += 40) {
            std::string name = file.substr(at, 8);
            name.resize(strnlen(name.c_str(), 8));
            sections.push_back({name, U32(file, at + 12), U32(file, at + 8), U32(file, at + 16), U32(file, at + 20)});
        }
    }
    const SectionInfo* Holding(uint32_t rva) const
    {
        for (const SectionInfo& s : sections)
            if (rva >= s.virtualAddress && rva < s.virtualAddress + std::max(s.virtualSize, s.rawSize)) return &s;
        return nullptr;
    }
    size_t FileOffset(uint32_t rva) const
    {
        const SectionInfo* s = Holding(rva);
        return s ? rva - s->virtualAddress + s->rawOffset : std::string::npos;
    }
};

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(LauncherExecutable, ImportsOnlySystemLibrariesAndStaysSmall)
{
    const std::string file = ReadFileBytes(kLauncherExe);
    ASSERT_GT(file.size(), 0x200u);
    const PeView pe(file);

    std::set<std::string> imported;
    ASSERT_NE(0u, pe.importRva);
    for (size_t at = pe.FileOffset(pe.importRva); at != std::string::npos; at += 20) {
        const uint32_t nameRva = U32(file, at + 12);
        if (nameRva == 0) break;
        const size_t name = pe.FileOffset(nameRva);
        ASSERT_NE(std::string::npos, name);
        imported.insert(Lower(file.c_str() + name));
    }
    // No msvcrt.dll, no ucrtbase.dll or api-ms-win-crt-*: no C runtime.
    EXPECT_EQ((std::set<std::string>{"advapi32.dll", "kernel32.dll", "user32.dll"}), imported);

    const SectionInfo* entry = pe.Holding(pe.entryPoint);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(".text", entry->name);

    uint32_t imageRaw = 0;
    for (const SectionInfo& s : pe.sections)
        if (s.name == ".orvimg") imageRaw = s.rawSize;
    ASSERT_NE(0u, imageRaw);
    std::printf("launcher: %zu bytes, of which the image section %u\n", file.size(), imageRaw);
    EXPECT_LT(file.size() - imageRaw, 16u * 1024u) << "the launcher without its image";
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
