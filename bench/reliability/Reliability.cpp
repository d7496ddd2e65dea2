// Reliability runs against the shipped program (launcher + runtime library),
// printing what they measured: kills during saves of a 10 MB catalogue,
// hostile inputs, rapid switching away, and a soak of searches, additions
// and message boxes with the program's memory at start and end. Not a test:
// it reports figures and counts; CI does not run it.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/MainLayout.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/ProcessDriver.h"

namespace {

using orv::test::CountProcesses;
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
    if (!h) return 0;
    const size_t bytes = orv::test::PrivateBytesOf(h);
    CloseHandle(h);
    return bytes;
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
    // Start returns once the window shows, while it may still be painting:
    // that belongs to the start-up, not to the switching.
    app.Settle();
    Sleep(500);
    int most = 0;
    std::vector<DWORD> answers;
    for (int i = 0; i < 50; ++i) {
        PostMessageA(app.Window(), WM_ACTIVATEAPP, FALSE, 0);
        const DWORD t0 = GetTickCount();
        app.Settle();
        answers.push_back(GetTickCount() - t0);
        const int n = CountProcesses("empty.exe");
        most = n > most ? n : most;
        Sleep(18);
    }
    const auto slowest = std::max_element(answers.begin(), answers.end()) - answers.begin();
    std::sort(answers.begin(), answers.end());
    std::printf("rapid switching: 50 deactivations in about 1 s, at most %d trimmer running at once; the window "
                "answered in %lu ms (median), %lu ms (9th of 10), %lu ms (slowest, deactivation %d)\n",
                most, answers[answers.size() / 2], answers[answers.size() * 9 / 10], answers.back(),
                static_cast<int>(slowest) + 1);
    app.Close();
}

struct Snapshot {
    long gdi = -1;
    int windows = 0;
    double privateMb = 0;
};

BOOL CALLBACK CountOne(HWND, LPARAM p)
{
    ++*reinterpret_cast<int*>(p);
    return TRUE;
}

BOOL CALLBACK CountOwnWindows(HWND h, LPARAM p)
{
    auto* ctx = reinterpret_cast<std::pair<DWORD, int>*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != ctx->first) return TRUE;
    ++ctx->second;
    EnumChildWindows(h, CountOne, reinterpret_cast<LPARAM>(&ctx->second));
    return TRUE;
}

BOOL CALLBACK CollectVisible(HWND h, LPARAM p)
{
    if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
    return TRUE;
}

int ThreadsOf(DWORD pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &t); ok; ok = Thread32Next(snapshot, &t)) count += t.th32OwnerProcessID == pid;
    CloseHandle(snapshot);
    return count;
}

Snapshot Take(const OrvaneProcess& app)
{
    Snapshot s;
    app.Settle();
    // The program's short-lived threads (a message box's fade, a trim) end
    // first: under Wine each one holds about 1 MB of stack while it runs,
    // which would show as private bytes come and gone.
    for (const DWORD t0 = GetTickCount(); ThreadsOf(app.ProcessId()) > 1 && GetTickCount() - t0 < 3000;) Sleep(20);
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    if (h) {
        s.gdi = orv::test::GdiObjectCountOf(h);
        CloseHandle(h);
    }
    std::pair<DWORD, int> ctx{app.ProcessId(), 0};
    EnumWindows(CountOwnWindows, reinterpret_cast<LPARAM>(&ctx));
    s.windows = ctx.second;
    s.privateMb = PrivateBytes(app.ProcessId()) / 1048576.0;
    return s;
}

void Print(const char* phase, const Snapshot& s)
{
    std::printf("soak: %-34s GDI objects %5ld, windows %3d, private bytes %6.2f MB\n", phase, s.gdi, s.windows,
                s.privateMb);
}

std::vector<HWND> VisibleControls(HWND main)
{
    std::vector<HWND> out;
    EnumChildWindows(main, CollectVisible, reinterpret_cast<LPARAM>(&out));
    return out;
}

void HoverEverything(OrvaneProcess& app, int count, int from = 0)
{
    const std::vector<HWND> controls = VisibleControls(app.Window());
    RECT rc;
    GetWindowRect(app.Window(), &rc);
    const int w = rc.right - rc.left;
    for (int i = from; i < from + count; ++i) {
        if (i % 10 == 0) {
            // A title button: the animation runs its eight 20 ms ticks.
            const int x = (i / 10) % 2 ? w - 15 : w - 36;
            SendMessageA(app.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(x, 10));
            Sleep(190);
            SendMessageA(app.Window(), WM_MOUSELEAVE, 0, 0);
        }
        HWND c = controls[static_cast<size_t>(i) % controls.size()];
        SendMessageA(c, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        SendMessageA(c, WM_MOUSELEAVE, 0, 0);
    }
}

bool AnswerBox(OrvaneProcess& app, int button)
{
    HWND box = app.WaitForDialog();
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    const DWORD t0 = GetTickCount();
    while (IsWindow(box) && GetTickCount() - t0 < 10000) Sleep(5);
    app.Settle();
    return !IsWindow(box);
}

void Soak(const char* exe, int hovers, int repaints, int searches, int boxes, int edits)
{
    OrvaneProcess app(exe);
    const std::string catalogue = Catalogue(200 << 10, "soak");
    WriteFileBytes(app.CataloguePath(), catalogue);
    app.Start();
    Print("at start", Take(app));
    // Every phase is printed halfway too: objects made once, the first time
    // something is used, show as a step at its start and not as growth
    // between the halves.
    HoverEverything(app, hovers / 2);
    Print(("after " + std::to_string(hovers / 2) + " hovers").c_str(), Take(app));
    HoverEverything(app, hovers - hovers / 2, hovers / 2);
    Print(("after " + std::to_string(hovers) + " hovers").c_str(), Take(app));
    for (int i = 0; i < repaints; ++i) {
        if (i == repaints / 2) Print(("after " + std::to_string(i) + " full repaints").c_str(), Take(app));
        RedrawWindow(app.Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    Print(("after " + std::to_string(repaints) + " full repaints").c_str(), Take(app));
    for (int i = 0; i < searches; ++i) {
        if (i == searches / 2) Print(("after " + std::to_string(i) + " searches").c_str(), Take(app));
        app.SetText(orv::kEdit2, std::to_string(i % 10));
        app.PressEnter(orv::kEdit2);
    }
    Print(("after " + std::to_string(searches) + " searches").c_str(), Take(app));
    int answered = 0;
    for (int i = 0; i < boxes; ++i) {
        if (i == boxes / 2) Print(("after " + std::to_string(answered) + " skinned message boxes").c_str(), Take(app));
        app.SetText(orv::kEdit2, "");
        app.ClickAsync(orv::kButton1);
        answered += AnswerBox(app, IDOK);
    }
    Print(("after " + std::to_string(answered) + " skinned message boxes").c_str(), Take(app));
    for (int i = 0; i < edits; ++i) {
        if (i == edits / 2) Print(("after " + std::to_string(i) + " additions").c_str(), Take(app));
        app.SetText(orv::kEdit2, "soak " + std::to_string(i));
        app.Click(orv::kButton2);
    }
    Print(("after " + std::to_string(edits) + " additions").c_str(), Take(app));
    int deleted = 0;
    HWND list = app.Control(orv::kList2);
    for (int i = 0; i < edits; ++i) {
        if (i == edits / 2) Print(("after " + std::to_string(deleted) + " deletions").c_str(), Take(app));
        const int last = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)) - 1;
        SendMessageW(list, LB_SETTOPINDEX, last, 0);
        app.DoubleClickItem(orv::kList2, last);
        deleted += AnswerBox(app, IDYES);
    }
    Print(("after " + std::to_string(deleted) + " deletions").c_str(), Take(app));
    const bool closed = app.Close(60000);
    std::printf("soak: closed %s; catalogue after the additions and deletions %s\n", closed ? "yes" : "NO",
                ReadFileBytes(app.CataloguePath()) == catalogue ? "byte-identical to the start" : "CHANGED");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_reliability ORVANE-EXE (Linux path) [KILLS]\n"
                             "       bench_reliability ORVANE-EXE KILLS soak [HOVERS REPAINTS SEARCHES BOXES EDITS]\n"
                             "       bench_reliability ORVANE-EXE KILLS checks      (everything but the soak)\n"
                             "       bench_reliability ORVANE-EXE KILLS switching   (rapid switching alone)\n");
        return 2;
    }
    const int rounds = argc > 2 ? atoi(argv[2]) : 100;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string only = argc > 3 ? argv[3] : "";
    if (only == "soak") {
        // Soak only, with the counts given: hovers repaints searches boxes edits.
        auto at = [&](int i, int fallback) { return argc > i ? atoi(argv[i]) : fallback; };
        Soak(argv[1], at(4, 1000), at(5, 1000), at(6, 200), at(7, 100), at(8, 1000));
        return 0;
    }
    if (only == "switching") {
        RapidSwitching(argv[1]);
        return 0;
    }
    if (only != "checks") Soak(argv[1], 1000, 1000, 200, 100, 1000);
    RapidSwitching(argv[1]);
    HostileInput(argv[1]);
    CrashSafety(argv[1], rounds);
    return 0;
}
