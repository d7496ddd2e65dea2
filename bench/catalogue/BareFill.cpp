// Baseline: a bare Win32 window with one plain list box, filled the fastest
// way the platform allows (no redraw while filling, storage reserved once),
// timed until the list has painted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/catalogue/BenchCatalogue.h"

namespace {

double FillOnce(HWND list, const std::vector<std::string>& entries)
{
    const double t0 = orv::bench::NowMs();
    size_t bytes = 0;
    for (const auto& e : entries) bytes += e.size() + 1;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, entries.size(), bytes);
    for (const auto& e : entries) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    return orv::bench::NowMs() - t0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    HWND window = CreateWindowExA(0, "STATIC", "bare", WS_POPUP | WS_VISIBLE, 50, 50, 450, 364, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_HASSTRINGS |
                                LBS_NOINTEGRALHEIGHT, 8, 64, 224, 152, window, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    for (int count : {1000, 10000, 100000}) {
        const auto entries = orv::bench::MakeEntries(count);
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) times.push_back(FillOnce(list, entries));
        std::sort(times.begin(), times.end());
        printf("bare_fill %d %.2f\n", count, times[times.size() / 2]);
        fflush(stdout);
    }
    DestroyWindow(window);
    return 0;
}
