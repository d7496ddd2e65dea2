// Drives a real orvane.exe from another process, as a user (or an assistive
// tool) would: window messages and list-box queries across the process
// boundary, nothing in-process.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

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
        Kill();
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string cmd = "\"" + ProgramPath() + "\"";
        // The working directory is deliberately not the program's.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi_)) return false;
        WaitForInputIdle(pi_.hProcess, 10000);
        const DWORD start = GetTickCount();
        while (!(window_ = FindMainWindow()) && GetTickCount() - start < 15000) Sleep(20);
        return window_ != nullptr;
    }

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return pi_.dwProcessId; }

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
    void Settle() const { SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr); }

    // The first message-box dialog the program shows.
    HWND WaitForDialog(DWORD timeoutMs = 10000) const
    {
        const DWORD start = GetTickCount();
        do {
            FindDialog find{pi_.dwProcessId, nullptr};
            EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&find));
            if (find.found) return find.found;
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
        if (ended) Release();
        return ended;
    }

    void Kill()
    {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 10000);
        Release();
    }

private:
    struct FindById {
        int id;
        HWND found;
    };
    struct FindDialog {
        DWORD pid;
        HWND found;
    };
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
