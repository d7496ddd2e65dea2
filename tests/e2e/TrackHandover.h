// Backing tracks handed to the running orvane.exe as a desktop hands them
// over, and its answer read back: shared by the twin's track tests and the
// PE32 release's emulated pass.
#pragma once

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "tests/support/ProcessDriver.h"

namespace orv::test {

// The committed E minor MP3, whose ID3 title is 晴天 in GBK bytes.
inline std::wstring MinorMp3()
{
    return OrvaneProcess::Wide(test::TestFile(ORV_TRACKS_DIR "/e-minor.mp3"));
}

// Every text of a box, joined; the message is long for a folder.
inline std::string BoxText(HWND box)
{
    std::string text;
    for (HWND s = nullptr; (s = FindWindowExA(box, s, "Static", nullptr)) != nullptr;) {
        std::string buf(8192, '\0');
        buf.resize(static_cast<size_t>(SendMessageA(s, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]))));
        text += buf;
    }
    return text;
}

// Reads the box the program shows, answers it and waits until it is gone.
inline std::string AnswerBox(OrvaneProcess& app, int button, DWORD patience = 60000)
{
    HWND box = app.WaitForDialog(patience);
    if (!box) return "(no message box)";
    app.Settle();
    const std::string text = BoxText(box);
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 10000;) Sleep(10);
    app.Settle();
    return text;
}

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// 编辑框2 is filled from a message the program posts as its result box
// closes, and the settle after the close (a sent message) is handled before
// it: the text is waited for, not read once.
inline bool KeywordBoxBecomes(const OrvaneProcess& app, const std::string& text, DWORD patience = 3000)
{
    return WaitFor([&] { return app.Text(kEdit2) == text; }, patience);
}

// file:///... of a Windows path, through the Linux name Wine gives it.
inline std::string FileUri(const std::wstring& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return std::string();
    std::string uri = "file://";
    for (const unsigned char* p = reinterpret_cast<unsigned char*>(name); *p; ++p) {
        if (isalnum(*p) || *p == '/' || *p == '-' || *p == '_' || *p == '.') {
            uri += static_cast<char>(*p);
        } else {
            char hex[4];
            wsprintfA(hex, "%%%02X", *p);
            uri += hex;
        }
    }
    HeapFree(GetProcessHeap(), 0, name);
    return uri;
}

// Drags the paths from a Linux "file manager" onto the display list.
inline bool DropOnWindow(const OrvaneProcess& app, const std::vector<std::wstring>& paths)
{
    char tool[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("ORV_XDND_DROP", tool, sizeof tool)) return false;
    RECT r{};
    GetWindowRect(app.Control(kList2), &r);
    std::string cmd = std::string("\"") + tool + "\" " + std::to_string((r.left + r.right) / 2) + " " +
                      std::to_string((r.top + r.bottom) / 2);
    for (const std::wstring& p : paths) cmd += " " + FileUri(p);  // percent-encoded: no spaces
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace orv::test
