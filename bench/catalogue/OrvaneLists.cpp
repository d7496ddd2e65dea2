// Orvane's own path on its skinned main window (start-up options, layout,
// frame and control skins as the program applies them): the catalogue read
// from the file beside the executable into both lists, and the search, each
// timed until the display list has painted.
//
//   bench_orvane_lists.exe fill RUNS [BIG]   as bench_bare_lists.exe
//   bench_orvane_lists.exe search RUNS [title|pinyin]
//       the keyword G调, or 青花瓷, or its pinyin qhc (which the keyword
//       search finds nowhere before the pinyin search lists the same
//       entries as 青花瓷)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/AppContext.h"
#include "app/CatalogueActions.h"
#include "app/MainLayout.h"
#include "app/SkinSetup.h"
#include "app/Startup.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFormat.h"
#include "runtime/FileServices.h"
#include "runtime/Win32Runtime.h"
#include "skin/ControlSkins.h"
#include "skin/SkinEngine.h"

namespace {

using orv::bench::NowMs;

// One skinned main window with empty lists, as the program has it just
// before it fills them.
struct SkinnedMainWindow {
    orv::Win32Runtime rt{orv::MainLayout()};
    orv::AppContext app;

    SkinnedMainWindow(orv::SkinEngine& skin, HICON icon)
    {
        app.rt = &rt;
        app.skin = &skin;
        app.appIcon = icon;
        app.lists = {orv::kList1, orv::kList2};
        app.showMessageBox = [](HWND, const char*, UINT, const char*) { return 0; };
        rt.CreateWindowFromLayout();
        orv::ApplyMainWindowSkin(app);
        RedrawWindow(rt.ControlHandle(orv::kMainWindow), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    HWND Display() { return rt.ControlHandle(orv::kList2); }
};

void PaintNow(HWND list) { RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void FillRows(orv::SkinEngine& skin, HICON icon, int runs, bool big)
{
    const std::string path = orv::ExecutableDirectory() + "\\jidiao.dll";
    for (int count : {1000, 10000, 100000}) {
        orv::ReplaceFileContent(path, orv::JoinCatalogue(orv::bench::MakeEntries(count)));
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            SkinnedMainWindow w(skin, icon);
            const double t0 = NowMs();
            orv::FillListsAtStart(w.rt, w.app.catalogue, w.app.lists);
            PaintNow(w.Display());
            times.push_back(NowMs() - t0);
        }
        std::printf("fill %d %.2f\n", count, orv::bench::Median(times));
        std::fflush(stdout);
    }
    if (big) {
        const std::string bytes = orv::JoinCatalogue(orv::bench::MakeEntries(orv::bench::kBigEntries));
        orv::ReplaceFileContent(path, bytes);
        SkinnedMainWindow w(skin, icon);
        // The steps of the start-up fill, one by one.
        const double t0 = NowMs();
        const auto& master = orv::LoadCatalogue(w.rt, w.app.catalogue);
        const double t1 = NowMs();
        w.rt.ListAddMany(orv::kList1, master, w.app.catalogue.text);
        const double t2 = NowMs();
        const auto& display = orv::LoadCatalogue(w.rt, w.app.catalogue);
        const double t3 = NowMs();
        w.rt.ListAddMany(orv::kList2, display, w.app.catalogue.text);
        w.rt.SetListSelection(orv::kList1, -1);
        w.rt.SetListSelection(orv::kList2, -1);
        PaintNow(w.Display());
        const double t4 = NowMs();
        std::printf("fill %d %.2f\n", orv::bench::kBigEntries, t4 - t0);
        std::printf("phases %zu read+split %.1f master %.1f read+split %.1f display %.1f\n", bytes.size(), t1 - t0,
                    t2 - t1, t3 - t2, t4 - t3);
    }
    DeleteFileA(path.c_str());
}

void SearchRows(orv::SkinEngine& skin, HICON icon, int runs, const char* keyword)
{
    const std::string path = orv::ExecutableDirectory() + "\\jidiao.dll";
    const auto entries = orv::bench::MakeEntries(100000);
    orv::ReplaceFileContent(path, orv::JoinCatalogue(entries));
    SkinnedMainWindow w(skin, icon);
    orv::FillListsAtStart(w.rt, w.app.catalogue, w.app.lists);
    w.rt.SetContent(orv::kEdit2, keyword);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        // Every search starts from the full list, as the first one does.
        w.rt.ListClear(orv::kList2);
        w.rt.ListAddMany(orv::kList2, w.app.catalogue.lines, w.app.catalogue.text);
        PaintNow(w.Display());
        const double t0 = NowMs();
        orv::SearchCatalogue(w.app);
        PaintNow(w.Display());
        times.push_back(NowMs() - t0);
    }
    std::printf("search %d %.2f\n", w.rt.ListCount(orv::kList2), orv::bench::Median(times));
    DeleteFileA(path.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "fill";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    // Once per process, as at program start.
    orv::AppContext startup;
    orv::SkinEngine skin(GetSysColor(COLOR_BTNFACE));
    orv::InstallControlSkinModules();
    orv::StartupRoutine(startup);
    const char* keyword = argc > 3 && std::strcmp(argv[3], "title") == 0    ? orv::bench::kTitleKeyword
                          : argc > 3 && std::strcmp(argv[3], "pinyin") == 0 ? orv::bench::kPinyinKeyword
                                                                            : orv::bench::kSearchKeyword;
    if (std::strcmp(mode, "search") == 0) SearchRows(skin, startup.appIcon, runs, keyword);
    else FillRows(skin, startup.appIcon, runs, argc > 3);
    return 0;
}
