// Drives a real orvane.exe from another process, as a user (or an assistive
// tool) would: window messages and list-box queries across the process
// boundary, nothing in-process.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace orv::test {

inline std::string ReadFileBytes(const std::string& path)
{
    std::string out;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(f);
    return out;
}

inline bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    CloseHandle(f);
    return ok;
}

// How many processes with this executable name are running.
inline int CountProcesses(const char* exeName)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 pe{};
    pe.dwSize = sizeof pe;
    int n = 0;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        n += lstrcmpiA(pe.szExeFile, exeName) == 0;
    CloseHandle(snap);
    return n;
}

// Starts a program and waits for it to end; its exit code, or -2 when it
// did not start or did not end within timeoutMs.
inline long RunToExit(const std::string& exePath, DWORD timeoutMs = 15000)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exePath + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -2;
    DWORD code = static_cast<DWORD>(-2);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<long>(code);
}

// A folder mounted over for a test, as a real machine can have one: nobody
// may write it, root included (as C:\\Program Files is to a standard user),
// or its disk holds only a few kilobytes. Only under Wine, which can run the
// Linux mount command, and only as root, as CI runs; Ok() is false where that
// cannot be done. The folder should be empty of what the test needs later:
// a full disk hides what was there.
class MountedFolder {
public:
    enum Kind { kReadOnly, kFull };

    MountedFolder(const std::string& windowsDir, Kind kind) : dir_(windowsDir), kind_(kind)
    {
        using UnixName = char*(CDECL*)(LPCWSTR);
        auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (!unixName) return;
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, windowsDir.c_str(), -1, wide, MAX_PATH);
        char* name = unixName(wide);
        if (!name) return;
        unix_ = name;
        HeapFree(GetProcessHeap(), 0, name);
        // The prefix's "c:" link would read as a remote source to mount.
        Shell("p=$(realpath '" + unix_ + "') && " +
              (kind == kReadOnly ? std::string("mount --bind $p $p && mount -o remount,ro,bind $p $p")
                                 : std::string("mount -t tmpfs -o size=16k orvane-test $p")));
        ok_ = WaitFor(true);
    }
    ~MountedFolder()
    {
        if (unix_.empty()) return;
        // Lazily: a program that just ended may still hold its image there.
        Shell("p=$(realpath '" + unix_ + "') && { umount $p 2>/dev/null || umount -l $p; }");
        WaitFor(false);
    }
    MountedFolder(const MountedFolder&) = delete;
    MountedFolder& operator=(const MountedFolder&) = delete;
    bool Ok() const { return ok_; }

private:
    // A Linux program started from Wine is not waited for through its
    // process handle (it signals at once), so the effect is waited for.
    static void Shell(const std::string& command)
    {
        std::string cmd = "/bin/sh -c \"" + command + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    // Read-only: no file can be created. Full: 64 KB do not fit.
    bool InEffect() const
    {
        const std::string probe = dir_ + "\\probe.tmp";
        HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE,
                               nullptr);
        if (h == INVALID_HANDLE_VALUE) return kind_ == kReadOnly && GetLastError() == ERROR_ACCESS_DENIED;
        static const char block[65536] = {};
        DWORD n = 0;
        const bool full = !WriteFile(h, block, sizeof block, &n, nullptr) || n < sizeof block;
        CloseHandle(h);
        return kind_ == kFull && full;
    }
    bool WaitFor(bool inEffect) const
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20))
            if (InEffect() == inEffect) return true;
        return false;
    }
    std::string dir_;
    Kind kind_;
    std::string unix_;
    bool ok_ = false;
};

// Polls a condition of another process (nothing there can signal this one)
// until it holds or the time is up; returns the condition.
template <typename Cond>
bool WaitFor(Cond cond, DWORD timeoutMs = 3000)
{
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs) return cond();
        Sleep(10);
    }
    return true;
}

// Real keyboard input, as the system delivers it to the foreground window's
// focus: a key with optional modifiers held round it.
inline void PressKey(WORD key, const std::vector<WORD>& modifiers = {})
{
    std::vector<INPUT> in;
    auto add = [&in](WORD vk, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (WORD m : modifiers) add(m, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (auto m = modifiers.end(); m != modifiers.begin();) add(*--m, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// ASCII text typed key by key on the keyboard layout.
inline void TypeKeys(const std::string& text)
{
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan == -1) continue;
        if (HIBYTE(scan) & 1) PressKey(LOBYTE(scan), {VK_SHIFT});
        else PressKey(LOBYTE(scan));
    }
}

// Text committed by an input method: characters with no key of their own.
inline void CommitText(const std::wstring& text)
{
    std::vector<INPUT> in;
    for (wchar_t c : text) {
        for (DWORD up : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = c;
            i.ki.dwFlags = KEYEVENTF_UNICODE | up;
            in.push_back(i);
        }
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

inline std::string Gbk(const wchar_t* wide, int length = -1)
{
    const int n = WideCharToMultiByte(936, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(936, 0, wide, length, &out[0], n, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back();  // the terminating NUL
    return out;
}

inline void SetClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

// The clipboard's text in code page 936.
inline std::string ClipboardText()
{
    std::string out;
    if (!OpenClipboard(nullptr)) return out;
    if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
        out = Gbk(static_cast<const wchar_t*>(GlobalLock(block)));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return out;
}

class OrvaneProcess {
public:
    // A fresh directory holding a copy of the program (and, when given, a
    // catalogue), so every test starts from a known state. The program's
    // path is a Windows one or a Linux one (Wine's Z: drive).
    explicit OrvaneProcess(const std::string& exePath) : exe_(WindowsPathOf(exePath))
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        char dir[MAX_PATH];
        GetTempFileNameA(temp, "orv", 0, dir);
        DeleteFileA(dir);
        CreateDirectoryA(dir, nullptr);
        dir_ = dir;
        CopyFileA(exe_.c_str(), ProgramPath().c_str(), FALSE);
        // The shipped program: the launcher and its runtime library beside it.
        const std::string library = exe_.substr(0, exe_.find_last_of('\\') + 1) + "orvcore.rtl";
        CopyFileA(library.c_str(), RuntimePath().c_str(), FALSE);
    }
    ~OrvaneProcess()
    {
        Kill();
        DeleteFileA(CataloguePath().c_str());
        DeleteFileA((dir_ + "\\jidiao-added.txt").c_str());
        DeleteFileA((CataloguePath() + ".saving").c_str());
        DeleteFileA(ProgramPath().c_str());
        DeleteFileA(RuntimePath().c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    OrvaneProcess(const OrvaneProcess&) = delete;
    OrvaneProcess& operator=(const OrvaneProcess&) = delete;

    std::string Directory() const { return dir_; }
    std::string ProgramPath() const { return dir_ + "\\orvane.exe"; }
    std::string CataloguePath() const { return dir_ + "\\jidiao.dll"; }
    std::string RuntimePath() const { return dir_ + "\\orvcore.rtl"; }

    bool Start()
    {
        if (!Launch()) return false;
        WaitForInputIdle(pi_.hProcess, 10000);
        const DWORD start = GetTickCount();
        while (!(window_ = FindMainWindow()) && GetTickCount() - start < patienceMs_) Sleep(20);
        return window_ != nullptr;
    }

    // Starts the program without waiting for its window: for a start that
    // is meant to fail.
    bool Launch()
    {
        Kill();
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + Wide(ProgramPath()) + L"\"";
        if (!arguments_.empty()) {
            cmd += L' ';
            cmd += arguments_;
        }
        // The working directory is deliberately not the program's.
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi_) != FALSE;
    }

    // How long the start and a settle may take: a program run by an emulator
    // needs minutes for what takes a moment natively.
    void SetPatience(DWORD ms) { patienceMs_ = ms; }
    // The command line after the program's name, for the next start.
    void SetArguments(const std::wstring& arguments) { arguments_ = arguments; }
    static std::wstring Wide(const std::string& text)
    {
        std::wstring out(text.size() + 1, L'\0');
        out.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0],
                                                           static_cast<int>(out.size()))) - 1);
        return out;
    }

    HWND Window() const { return window_; }
    // The exit code of the last run that WaitForExit saw end.
    DWORD ExitCode() const { return exitCode_; }
    DWORD ProcessId() const { return pi_.dwProcessId; }

    // Every top-level window of the program, hidden ones included: what
    // Windows sends the end-of-session messages to.
    std::vector<HWND> TopLevelWindows() const
    {
        FindAll find{pi_.dwProcessId, {}};
        EnumWindows(MatchAll, reinterpret_cast<LPARAM>(&find));
        return find.found;
    }

    // The shell finds an icon by its window and id, whoever asks; changing
    // the tip of an icon that is gone fails.
    bool TrayIconPresent() const
    {
        NOTIFYICONDATAA nid{};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = window_;
        nid.uID = 1;
        nid.uFlags = NIF_TIP;
        lstrcpyA(nid.szTip, "Orvane");
        return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
    }

    HWND Control(int unit) const
    {
        FindById find{1000 + unit, nullptr};
        EnumChildWindows(window_, MatchId, reinterpret_cast<LPARAM>(&find));
        return find.found;
    }

    // LB_GETTEXT through SendMessageA across processes comes back as UTF-16
    // under Wine; asking for UTF-16 explicitly works on both.
    std::vector<std::string> ListItems(int unit) const
    {
        std::vector<std::string> out;
        HWND list = Control(unit);
        const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            const int len = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
            std::vector<wchar_t> wide(static_cast<size_t>(len) + 2);
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
            char narrow[4096] = {};
            WideCharToMultiByte(936, 0, wide.data(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
            out.emplace_back(narrow);
        }
        return out;
    }

    int ListSelection(int unit) const { return static_cast<int>(SendMessageW(Control(unit), LB_GETCURSEL, 0, 0)); }

    // A control's text in code page 936, asked for as UTF-16 like the items.
    std::string Text(int unit) const { return WindowText(Control(unit)); }
    static std::string WindowText(HWND window)
    {
        const int len = static_cast<int>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
        std::vector<wchar_t> wide(static_cast<size_t>(len) + 1);
        SendMessageW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
        return Gbk(wide.data());
    }

    // The middle of a list item on the screen, as the list shows it now.
    POINT ItemOnScreen(int unit, int index) const
    {
        HWND list = Control(unit);
        const int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        POINT at{20, (index - top) * h + h / 2};
        ClientToScreen(list, &at);
        return at;
    }

    // The program's tooltip window that shows now, if any.
    HWND ShownToolTip() const
    {
        for (HWND w : TopLevelWindows()) {
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpiA(cls, "tooltips_class32") == 0 && IsWindowVisible(w)) return w;
        }
        return nullptr;
    }

    // The window that has the keyboard focus in the program's thread.
    HWND Focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info)) return nullptr;
        return info.hwndFocus;
    }

    // Keyboard input goes to the foreground window.
    bool BringToFront() const
    {
        SetForegroundWindow(window_);
        return WaitFor([this] { return GetForegroundWindow() == window_; });
    }

    void SetText(int unit, const std::string& text) const
    {
        SendMessageA(Control(unit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    // Sent: returns once the program has handled the click. Only for
    // actions that open no message box.
    void Click(int unit) const { SendMessageA(Control(unit), BM_CLICK, 0, 0); }
    // Posted: for actions that open a modal message box.
    void ClickAsync(int unit) const { PostMessageA(Control(unit), BM_CLICK, 0, 0); }
    void PressEnter(int unit) const
    {
        SendMessageA(Control(unit), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        SendMessageA(Control(unit), WM_KEYUP, VK_RETURN, 0xC01C0001);
    }

    // Clicks then double-clicks a list item the way the mouse does.
    void DoubleClickItem(int unit, int index) const
    {
        HWND list = Control(unit);
        const int h = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
        const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
        const LPARAM at = MAKELPARAM(10, (index - top) * h + h / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }

    // A sent message is handled the next time the program's thread asks for
    // a message, so this returns once the handler that was running (and
    // anything it did without asking for messages) has finished.
    void Settle() const { SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, patienceMs_, nullptr); }

    // A message-box dialog the program shows now, or nullptr.
    HWND VisibleDialog() const
    {
        FindDialog find{pi_.dwProcessId, nullptr};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find));
        return find.found;
    }

    // The first message-box dialog the program shows.
    HWND WaitForDialog(DWORD timeoutMs = 10000) const
    {
        const DWORD start = GetTickCount();
        do {
            if (HWND box = VisibleDialog()) return box;
            Sleep(20);
        } while (GetTickCount() - start < timeoutMs);
        return nullptr;
    }

    bool Close(DWORD timeoutMs = 20000)
    {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        return WaitForExit(timeoutMs);
    }

    bool WaitForExit(DWORD timeoutMs)
    {
        if (!pi_.hProcess) return true;
        bool ended = WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
        if (ended) GetExitCodeProcess(pi_.hProcess, &exitCode_);
        if (ended) Release();
        return ended;
    }

    void Kill()
    {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 10000);
        EndOrphanedChildren(pi_.dwProcessId);
        Release();
    }

private:
    // Only Wine: a process whose parent is killed while creating it can stay
    // stuck in its start-up for good, holding the Linux output it inherited
    // (ctest's pipes), so that ctest waits for it until its timeout. The
    // program's trimmer, started on a loss of activation, is such a child.
    static void EndOrphanedChildren(DWORD parent)
    {
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snap == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32 pe{};
        pe.dwSize = sizeof pe;
        for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe)) {
            if (pe.th32ParentProcessID != parent) continue;
            if (HANDLE child = OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ProcessID)) {
                TerminateProcess(child, 1);
                CloseHandle(child);
            }
        }
        CloseHandle(snap);
    }

    DWORD patienceMs_ = 15000;
    std::wstring arguments_;
    DWORD exitCode_ = STILL_ACTIVE;

    struct FindById {
        int id;
        HWND found;
    };
    struct FindDialog {
        DWORD pid;
        HWND found;
    };
    struct FindAll {
        DWORD pid;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK MatchAll(HWND h, LPARAM p)
    {
        auto* f = reinterpret_cast<FindAll*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid == f->pid) f->found.push_back(h);
        return TRUE;
    }
    static BOOL CALLBACK MatchId(HWND h, LPARAM p)
    {
        auto* f = reinterpret_cast<FindById*>(p);
        if (GetDlgCtrlID(h) != f->id) return TRUE;
        f->found = h;
        return FALSE;
    }
    static BOOL CALLBACK MatchDialog(HWND h, LPARAM p)
    {
        auto* f = reinterpret_cast<FindDialog*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (pid != f->pid || lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(h)) return TRUE;
        f->found = h;
        return FALSE;
    }

    HWND FindMainWindow() const
    {
        HWND h = nullptr;
        while ((h = FindWindowExA(nullptr, h, "OrvaneMainWindow", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == pi_.dwProcessId && IsWindowVisible(h)) return h;
        }
        return nullptr;
    }
    void Release()
    {
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
        pi_ = PROCESS_INFORMATION{};
        window_ = nullptr;
    }

    std::string exe_;
    std::string dir_;
    PROCESS_INFORMATION pi_{};
    HWND window_ = nullptr;
};

}  // namespace orv::test
