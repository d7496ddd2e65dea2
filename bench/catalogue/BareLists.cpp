// Baseline: a bare Win32 window with two plain list boxes (one hidden, as the
// program's master list is), doing the catalogue work the fastest way the
// platform allows: one read of the file, one split in place, no redraw while
// filling and storage reserved once. Timed until the visible list has painted.
//
//   bench_bare_lists.exe fill RUNS [BIG]   catalogue fill rows (BIG adds the
//                                          50 MB row, one run, with phases)
//   bench_bare_lists.exe search RUNS       clear-and-fill of the search's
//                                          matches over 100,000 entries
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/catalogue/BareCatalogue.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "catalogue/KeywordMatch.h"
#include "tests/support/ProcessDriver.h"

namespace {

using orv::bench::NowMs;

struct BareWindow {
    HWND window = nullptr;
    HWND master = nullptr;   // hidden, like the program's master list
    HWND display = nullptr;

    BareWindow()
    {
        HINSTANCE self = GetModuleHandleA(nullptr);
        window = CreateWindowExA(0, "STATIC", "bare", WS_POPUP | WS_VISIBLE, 50, 50, 450, 364, nullptr, nullptr,
                                 self, nullptr);
        const DWORD style = WS_CHILD | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
        master = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "", style, 8, 80, 224, 32, window, nullptr, self,
                                 nullptr);
        display = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "", style | WS_VISIBLE, 8, 64, 224, 152, window,
                                  nullptr, self, nullptr);
        UpdateWindow(window);
    }
    ~BareWindow() { DestroyWindow(window); }
};

struct FillPhases {
    double read = 0, split = 0, master = 0, display = 0, total = 0;
};

FillPhases FillOnce(BareWindow& w, const std::string& path)
{
    // Empty lists, as at start-up; emptying is not part of the fill.
    SendMessageA(w.master, LB_RESETCONTENT, 0, 0);
    SendMessageA(w.display, LB_RESETCONTENT, 0, 0);
    UpdateWindow(w.display);
    FillPhases p;
    const double t0 = NowMs();
    std::string bytes = orv::bench::ReadWholeFile(path);
    const double t1 = NowMs();
    const auto lines = orv::bench::SplitInPlace(bytes);
    const double t2 = NowMs();
    orv::bench::FillList(w.master, lines, bytes.size());
    const double t3 = NowMs();
    orv::bench::FillList(w.display, lines, bytes.size());
    RedrawWindow(w.display, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    const double t4 = NowMs();
    p = {t1 - t0, t2 - t1, t3 - t2, t4 - t3, t4 - t0};
    return p;
}

void FillRows(int runs, bool big)
{
    BareWindow w;
    const std::string path = orv::bench::FileBesideProgram("bare-catalogue.txt");
    for (int count : {1000, 10000, 100000}) {
        orv::test::WriteFileBytes(path, orv::JoinCatalogue(orv::bench::MakeEntries(count)));
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) times.push_back(FillOnce(w, path).total);
        std::printf("fill %d %.2f\n", count, orv::bench::Median(times));
        std::fflush(stdout);
    }
    if (big) {
        const std::string bytes = orv::JoinCatalogue(orv::bench::MakeEntries(orv::bench::kBigEntries));
        orv::test::WriteFileBytes(path, bytes);
        const FillPhases p = FillOnce(w, path);
        std::printf("fill %d %.2f\n", orv::bench::kBigEntries, p.total);
        std::printf("phases %zu read %.1f split %.1f master %.1f display %.1f\n", bytes.size(), p.read, p.split,
                    p.master, p.display);
    }
    DeleteFileA(path.c_str());
}

void SearchRows(int runs)
{
    BareWindow w;
    const auto entries = orv::bench::MakeEntries(100000);
    std::vector<const char*> all;
    size_t allBytes = 0;
    for (const auto& e : entries) {
        all.push_back(e.c_str());
        allBytes += e.size() + 1;
    }
    // The same matches the program finds, worked out before the clock starts:
    // the baseline is only the clear and the fill.
    std::vector<const char*> matches;
    size_t matchBytes = 0;
    for (const auto& e : entries) {
        if (orv::ContainsKeyword(e, orv::bench::kSearchKeyword)) {
            matches.push_back(e.c_str());
            matchBytes += e.size() + 1;
        }
    }
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        orv::bench::FillList(w.display, all, allBytes);
        UpdateWindow(w.display);
        const double t0 = NowMs();
        orv::bench::FillList(w.display, matches, matchBytes);
        RedrawWindow(w.display, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        times.push_back(NowMs() - t0);
    }
    std::printf("search %zu %.2f\n", matches.size(), orv::bench::Median(times));
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "fill";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (std::strcmp(mode, "search") == 0) SearchRows(runs);
    else FillRows(runs, argc > 3);
    return 0;
}
