// Reliability runs against the shipped program (launcher + runtime library),
// printing what they measured: kills during saves of a 10 MB catalogue,
// hostile inputs, rapid switching away, and a soak of searches, additions
// and message boxes with the program's memory at start and end. Not a test:
// it reports figures and counts; CI does not run it.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <random>
#include <string>

#include "app/MainLayout.h"
#include "tests/support/ProcessDriver.h"

namespace {

using orv::test::OrvaneProcess;
using orv::test::ReadFileBytes;
using orv::test::WriteFileBytes;

std::string Catalogue(size_t bytes, const char* tag)
{
    std::string out;
    for (int i = 0; out.size() < bytes; ++i) out += "歌曲 " + std::to_string(i) + " 降B调 " + tag + "\r\n";
    return out;
}

SIZE_T PrivateBytes(DWORD pid)
{
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    SIZE_T v = h && GetProcessMemoryInfo(h, &pmc, sizeof pmc) ? pmc.PagefileUsage : 0;
    if (h) CloseHandle(h);
    return v;
}

int CountProcesses(const char* exeName)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe{};
    pe.dwSize = sizeof pe;
    int n = 0;
    for (BOOL ok = Process32First(snap, &pe); ok; ok = Process32Next(snap, &pe))
        n += lstrcmpiA(pe.szExeFile, exeName) == 0;
    CloseHandle(snap);
    return n;
}

void CrashSafety(const char* exe, int rounds)
{
    OrvaneProcess app(exe);
    const std::string before = Catalogue(10 << 20, "old");
    const std::string after = before + "ADDED\r\n";
    WriteFileBytes(app.CataloguePath(), before);
    app.Start();
    app.SetText(orv::kEdit2, "ADDED");
    app.Click(orv::kButton2);
    const DWORD t0 = GetTickCount();
    app.Close(60000);
    const DWORD closeMs = GetTickCount() - t0 + 1;
    int old = 0, fresh = 0, broken = 0;
    std::mt19937 rng(10);
    for (int r = 0; r < rounds; ++r) {
        WriteFileBytes(app.CataloguePath(), before);
        if (!app.Start()) {
            ++broken;
            continue;
        }
        app.SetText(orv::kEdit2, "ADDED");
        app.Click(orv::kButton2);
        PostMessageA(app.Window(), WM_CLOSE, 0, 0);
        Sleep(rng() % (closeMs + 1));
        app.Kill();
        const std::string now = ReadFileBytes(app.CataloguePath());
        if (now == before) ++old;
        else if (now == after) ++fresh;
        else ++broken;
    }
    std::printf("crash safety: %d kills during saves of a %zu-byte catalogue (close takes %lu ms): "
                "%d old, %d new, %d other\n", rounds, before.size(), closeMs, old, fresh, broken);
}

void HostileInput(const char* exe)
{
    OrvaneProcess app(exe);
    struct Case {
        const char* name;
        std::string bytes;
    };
    Case cases[] = {
        {"50 MB catalogue", Catalogue(50 << 20, "big")},
        {"one 10 MB line", std::string(10 << 20, 'x') + "\r\n"},
        {"NUL bytes and invalid GBK", std::string("a\0b\r\n\xFF\xFE\x80\x81\r\n\x81", 14) + "\r\n"},
    };
    for (Case& c : cases) {
        WriteFileBytes(app.CataloguePath(), c.bytes);
        const DWORD t0 = GetTickCount();
        const bool started = app.Start();
        const DWORD startMs = GetTickCount() - t0;
        const DWORD t1 = GetTickCount();
        const bool closed = started && app.Close(120000);
        const bool same = ReadFileBytes(app.CataloguePath()) == c.bytes;
        std::printf("hostile input: %-26s started %s in %lu ms, closed %s in %lu ms, file %s\n", c.name,
                    started ? "yes" : "NO", startMs, closed ? "yes" : "NO", GetTickCount() - t1,
                    same ? "unchanged" : "CHANGED");
    }
    WriteFileBytes(app.CataloguePath(), Catalogue(1 << 20, "k"));
    app.Start();
    const std::string keyword(100 * 1024, 'k');
    const DWORD t0 = GetTickCount();
    app.SetText(orv::kEdit2, keyword);
    app.PressEnter(orv::kEdit2);
    std::printf("hostile input: 100 KB keyword pasted and searched in %lu ms, %zu results, window %s\n",
                GetTickCount() - t0, app.ListItems(orv::kList2).size(),
                IsWindow(app.Window()) ? "alive" : "GONE");
    app.Close();
}

void RapidSwitching(const char* exe)
{
    OrvaneProcess app(exe);
    app.Start();
    int most = 0;
    DWORD slowest = 0;
    for (int i = 0; i < 50; ++i) {
        PostMessageA(app.Window(), WM_ACTIVATEAPP, FALSE, 0);
        const DWORD t0 = GetTickCount();
        app.Settle();
        slowest = std::max<DWORD>(slowest, GetTickCount() - t0);
        const int n = CountProcesses("empty.exe");
        most = n > most ? n : most;
        Sleep(18);
    }
    std::printf("rapid switching: 50 deactivations in about 1 s, at most %d trimmer running at once, "
                "slowest answer of the window %lu ms\n", most, slowest);
    app.Close();
}

void Soak(const char* exe)
{
    OrvaneProcess app(exe);
    WriteFileBytes(app.CataloguePath(), Catalogue(200 << 10, "soak"));
    app.Start();
    const SIZE_T start = PrivateBytes(app.ProcessId());
    for (int i = 0; i < 200; ++i) {
        app.SetText(orv::kEdit2, std::to_string(i % 10));
        app.PressEnter(orv::kEdit2);
    }
    const SIZE_T afterSearches = PrivateBytes(app.ProcessId());
    for (int i = 0; i < 500; ++i) {
        app.SetText(orv::kEdit2, "soak " + std::to_string(i));
        app.Click(orv::kButton2);
    }
    const SIZE_T afterAdds = PrivateBytes(app.ProcessId());
    for (int i = 0; i < 100; ++i) {
        app.SetText(orv::kEdit2, "");
        app.ClickAsync(orv::kButton1);
        HWND box = app.WaitForDialog();
        if (!box) break;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box)) Sleep(5);
    }
    app.Settle();
    const SIZE_T afterBoxes = PrivateBytes(app.ProcessId());
    for (int i = 0; i < 200; ++i) {
        RedrawWindow(app.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        app.Settle();
        app.Settle();
    }
    std::printf("soak: private bytes %zu at start, %zu after 200 searches, %zu after 500 additions, "
                "%zu after 100 skinned message boxes, %zu after 200 full repaints\n",
                static_cast<size_t>(start), static_cast<size_t>(afterSearches), static_cast<size_t>(afterAdds),
                static_cast<size_t>(afterBoxes), static_cast<size_t>(PrivateBytes(app.ProcessId())));
    app.Close();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: reliability ORVANE-EXE (Linux path) [kill rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? atoi(argv[2]) : 100;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Soak(argv[1]);
    if (argc > 3) return 0;
    RapidSwitching(argv[1]);
    HostileInput(argv[1]);
    CrashSafety(argv[1], rounds);
    return 0;
}
