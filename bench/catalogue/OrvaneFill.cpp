// Orvane's own path: the main window from its layout, then the catalogue
// read from the file beside the executable and filled into both lists, timed
// until the display list has painted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainLayout.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "runtime/FileServices.h"
#include "runtime/Win32Runtime.h"

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? atoi(argv[1]) : 5;
    const std::string path = orv::ExecutableDirectory() + "\\jidiao.dll";
    for (int count : {1000, 10000, 100000}) {
        orv::ReplaceFileContent(path, orv::JoinCatalogue(orv::bench::MakeEntries(count)));
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            orv::Win32Runtime rt(orv::MainLayout());
            rt.CreateWindowFromLayout();
            UpdateWindow(rt.ControlHandle(orv::kMainWindow));
            orv::CatalogueState state;
            const double t0 = orv::bench::NowMs();
            orv::FillListsAtStart(rt, state, {orv::kList1, orv::kList2});
            RedrawWindow(rt.ControlHandle(orv::kList2), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            times.push_back(orv::bench::NowMs() - t0);
        }
        std::sort(times.begin(), times.end());
        printf("orvane_fill %d %.2f\n", count, times[times.size() / 2]);
        fflush(stdout);
    }
    DeleteFileA(path.c_str());
    return 0;
}
