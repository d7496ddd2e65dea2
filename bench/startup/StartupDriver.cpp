// Start-up and memory of the shipped program beside the bare baseline, both
// started as processes the way a user starts them, each from a fresh folder
// holding a 10,000-entry catalogue:
//   - start-up: from CreateProcess until the main window is shown with the
//     catalogue in its visible list and no window of it has anything left
//     to paint;
//   - private bytes and working set once started, and again after a trim
//     (Orvane trims itself when switched away from; the bare program is
//     trimmed from here with the same call its trimmer makes).
//
//   bench_startup.exe ORVANE-EXE BARE-EXE [RUNS]   (Linux paths)
// bench_bare_pictures.exe beside BARE-EXE is started too, with the controls,
// and again with the controls, their fonts and the keyword box focused.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/catalogue/BenchCatalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/ProcessDriver.h"

namespace {

using orv::bench::Median;
using orv::bench::NowMs;
using orv::test::CountProcesses;

constexpr int kEntries = 10000;

struct Windows {
    HWND main = nullptr;
    HWND list = nullptr;  // the visible list box with the most items
    int count = 0;
    std::vector<HWND> all;
};

struct MainOf {
    DWORD pid;
    HWND main;
};

BOOL CALLBACK MatchMain(HWND h, LPARAM p)
{
    auto* c = reinterpret_cast<MainOf*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner != c->pid || !IsWindowVisible(h) || !GetWindow(h, GW_CHILD)) return TRUE;
    c->main = h;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM p)
{
    reinterpret_cast<Windows*>(p)->all.push_back(h);
    return TRUE;
}

Windows FindWindows(DWORD pid)
{
    Windows w;
    MainOf ctx{pid, nullptr};
    EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&ctx));
    w.main = ctx.main;
    if (!w.main) return w;
    w.all.push_back(w.main);
    EnumChildWindows(w.main, CollectChild, reinterpret_cast<LPARAM>(&w));
    for (HWND h : w.all) {
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (lstrcmpiA(cls, "ListBox") != 0 || !IsWindowVisible(h)) continue;
        const int n = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
        if (n > w.count) {
            w.count = n;
            w.list = h;
        }
    }
    return w;
}

bool NothingToPaint(const Windows& w)
{
    for (HWND h : w.all)
        if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) return false;
    return true;
}

struct Memory {
    double privateMb = 0, workingSetMb = 0;
};

Memory MemoryOf(HANDLE process)
{
    Memory m;
    m.privateMb = orv::test::PrivateBytesOf(process) / 1048576.0;
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    if (GetProcessMemoryInfo(process, &c, sizeof c)) m.workingSetMb = c.WorkingSetSize / 1048576.0;
    return m;
}

struct Run {
    double startMs = -1;
    int pendingPolls = 0;  // polls that saw the filled window still painting
    Memory started, trimmed;
};

class Program {
public:
    Program(const std::string& exeUnixPath, bool orvane, const char* arguments = "")
        : orvane_(orvane), arguments_(arguments)
    {
        char temp[MAX_PATH], dir[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "orb", 0, dir);
        DeleteFileA(dir);
        CreateDirectoryA(dir, nullptr);
        dir_ = dir;
        const std::string exe = orv::test::WindowsPathOf(exeUnixPath);
        program_ = dir_ + (orvane ? "\\orvane.exe" : "\\bare.exe");
        CopyFileA(exe.c_str(), program_.c_str(), FALSE);
        if (orvane) {
            const std::string rtl = exe.substr(0, exe.find_last_of('\\') + 1) + "orvcore.rtl";
            CopyFileA(rtl.c_str(), (dir_ + "\\orvcore.rtl").c_str(), FALSE);
        }
        catalogue_ = orv::JoinCatalogue(orv::bench::MakeEntries(kEntries));
    }
    ~Program()
    {
        for (const char* f : {"\\orvane.exe", "\\bare.exe", "\\orvcore.rtl", "\\jidiao.dll", "\\jidiao.dll.saving"})
            DeleteFileA((dir_ + f).c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    Run Once()
    {
        Run run;
        orv::test::WriteFileBytes(dir_ + "\\jidiao.dll", catalogue_);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string cmd = "\"" + program_ + "\" " + arguments_;
        const double t0 = NowMs();
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &pi))
            return run;
        while (NowMs() - t0 < 30000) {
            const Windows w = FindWindows(pi.dwProcessId);
            if (w.main && w.count == kEntries) {
                if (NothingToPaint(w)) {
                    run.startMs = NowMs() - t0;
                    break;
                }
                ++run.pendingPolls;
            }
            Sleep(1);
        }
        const Windows w = FindWindows(pi.dwProcessId);
        SendMessageTimeoutA(w.main, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
        Sleep(500);
        run.started = MemoryOf(pi.hProcess);
        Trim(pi, w.main);
        run.trimmed = MemoryOf(pi.hProcess);
        PostMessageA(w.main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return run;
    }

private:
    void Trim(const PROCESS_INFORMATION& pi, HWND main)
    {
        if (!orvane_) {
            HANDLE h = OpenProcess(PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION, FALSE, pi.dwProcessId);
            if (h) {
                SetProcessWorkingSetSize(h, static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
                CloseHandle(h);
            }
            Sleep(200);
            return;
        }
        PostMessageA(main, WM_ACTIVATEAPP, FALSE, 0);
        const double t0 = NowMs();
        bool seen = false;
        while (NowMs() - t0 < 3000) {
            const bool running = CountProcesses("empty.exe") > 0;
            seen = seen || running;
            if (seen && !running) break;
            Sleep(5);
        }
        Sleep(200);
    }

    bool orvane_;
    std::string arguments_, dir_, program_, catalogue_;
};

void Print(const char* name, const std::vector<Run>& runs)
{
    std::vector<double> start, pending, p0, w0, p1, w1;
    for (const Run& r : runs) {
        if (r.startMs < 0) continue;
        start.push_back(r.startMs);
        pending.push_back(r.pendingPolls);
        p0.push_back(r.started.privateMb);
        w0.push_back(r.started.workingSetMb);
        p1.push_back(r.trimmed.privateMb);
        w1.push_back(r.trimmed.workingSetMb);
    }
    const auto [lowest, highest] = start.empty() ? std::pair<double, double>(0, 0)
                                                 : std::pair<double, double>(*std::min_element(start.begin(), start.end()),
                                                                             *std::max_element(start.begin(), start.end()));
    std::printf("%s startup %.1f runs %zu/%zu pending_polls %.0f lowest %.1f highest %.1f\n", name, Median(start),
                start.size(), runs.size(), Median(pending), lowest, highest);
    // Each figure with its lowest and highest run beside it.
    auto spread = [](const std::vector<double>& v) {
        char text[48];
        if (v.empty()) return std::string("-");
        std::snprintf(text, sizeof text, "%.2f-%.2f", *std::min_element(v.begin(), v.end()),
                      *std::max_element(v.begin(), v.end()));
        return std::string(text);
    };
    std::printf("%s memory started_private %.2f started_ws %.2f trimmed_private %.2f trimmed_ws %.2f"
                " started_private_spread %s started_ws_spread %s trimmed_private_spread %s trimmed_ws_spread %s\n",
                name, Median(p0), Median(w0), Median(p1), Median(w1), spread(p0).c_str(), spread(w0).c_str(),
                spread(p1).c_str(), spread(w1).c_str());
}

std::string PicturesBeside(const std::string& bare)
{
    return bare.substr(0, bare.find_last_of('/') + 1) + "bench_bare_pictures.exe";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup ORVANE-EXE BARE-EXE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    // The bare program twice: as the baseline (a plain window with the
    // filled list) and with the program's other controls as plain system
    // controls, which is what creating and painting this window costs
    // before any skin; a third time with GDI+ started and the first frame's
    // pictures decoded, the floor of a window that shows them; and a fourth
    // with the layout's fonts on those controls and the keyword box focused,
    // as the program shows them.
    Program orvane(argv[1], true), bare(argv[2], false), bareControls(argv[2], false, "controls"),
        barePictures(PicturesBeside(argv[2]), false, "controls"),
        bareFonts(PicturesBeside(argv[2]), false, "controls fonts focus");
    // One start of each first: the files come into the cache.
    orvane.Once();
    bare.Once();
    bareControls.Once();
    barePictures.Once();
    bareFonts.Once();
    std::vector<Run> ours, base, baseControls, basePictures, baseFonts;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(orvane.Once());
        base.push_back(bare.Once());
        baseControls.push_back(bareControls.Once());
        basePictures.push_back(barePictures.Once());
        baseFonts.push_back(bareFonts.Once());
    }
    Print("orvane", ours);
    Print("bare", base);
    Print("bare_controls", baseControls);
    Print("bare_pictures", basePictures);
    Print("bare_fonts", baseFonts);
    return 0;
}
