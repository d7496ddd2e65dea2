// The running program's paint costs, measured inside it: the program itself
// runs (start-up, skin, a 10,000-entry catalogue, message loop) and a thread
// timer, fired from its message loop once the window shows, times full
// repaints of the skinned main window, single steps of the title-button
// hover animation (one 20 ms tick each) and a control's hover face, then
// closes the window. A synchronous repaint cannot be timed from another
// process, hence in-process.
//
//   bench_orvane_paint.exe RUNS [profile | startup-profile]
//       profile: where a repaint's time goes; startup-profile: where the
//       messages of the start-up spend their time
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#include "app/Startup.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "bench/startup/PaintProfile.h"
#include "bench/startup/ProgramArguments.h"
#include "catalogue/CatalogueFormat.h"
#include "runtime/FileServices.h"

namespace {

using orv::bench::NowMs;

int g_runs = 100;
bool g_profile = false;
orv::bench::PaintProfile* g_startupProfile = nullptr;

BOOL CALLBACK MatchMainWindow(HWND h, LPARAM p)
{
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpA(cls, "OrvaneMainWindow") != 0 || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(p) = h;
    return FALSE;
}

HWND FindOwnMainWindow()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Controls sit in containers: searched by id at any depth.
struct FindById {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND h, LPARAM p)
{
    auto* f = reinterpret_cast<FindById*>(p);
    if (GetDlgCtrlID(h) != f->id) return TRUE;
    f->found = h;
    return FALSE;
}

HWND ControlOf(HWND main, int unit)
{
    FindById find{1000 + unit, nullptr};
    EnumChildWindows(main, MatchId, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// A cheap fingerprint of the pixels in a rectangle of the window, to show
// that a hover really changed the face.
unsigned long Fingerprint(HWND window, const RECT& r)
{
    HDC dc = GetWindowDC(window);
    unsigned long sum = 0;
    for (int y = r.top; y < r.bottom; y += 2)
        for (int x = r.left; x < r.right; x += 2) sum = sum * 31 + GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return sum;
}

void Report(const char* name, const std::vector<double>& times)
{
    double worst = 0;
    for (double t : times) worst = t > worst ? t : worst;
    std::printf("%s %.3f %.3f %zu\n", name, orv::bench::Median(times), worst, times.size());
}

void MeasureRepaint(HWND main)
{
    if (g_profile) {
        orv::bench::PaintProfile profile;
        for (int i = 0; i < 20; ++i)
            RedrawWindow(main, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        profile.Print("orvane", 20);
    }
    std::vector<double> times;
    for (int i = 0; i < g_runs; ++i) {
        const double t0 = NowMs();
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        GdiFlush();
        times.push_back(NowMs() - t0);
    }
    Report("repaint", times);
}

void MeasureTitleHover(HWND main)
{
    RECT rc;
    GetWindowRect(main, &rc);
    const int w = rc.right - rc.left;
    // The title-button strip: 41 px wide, 5 px from the right edge, at the top.
    const RECT strip{w - 46, 0, w - 5, 22};
    const POINT buttons[2] = {{w - 15, 10}, {w - 36, 10}};
    const unsigned long before = Fingerprint(main, strip);
    std::vector<double> times;
    for (int i = 0; i < g_runs / 8 + 1; ++i) {
        const POINT at = buttons[i % 2];
        SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        // The animation's own timer is not dispatched while this runs; its
        // ticks are delivered here, one at a time, the way the loop would.
        for (int step = 0; step < 8; ++step) {
            const double t0 = NowMs();
            SendMessageA(main, WM_TIMER, reinterpret_cast<WPARAM>(main), 0);
            GdiFlush();
            times.push_back(NowMs() - t0);
        }
    }
    const bool changed = Fingerprint(main, strip) != before;
    SendMessageA(main, WM_MOUSELEAVE, 0, 0);
    Report(changed ? "hover_step" : "hover_step_NO_CHANGE", times);
}

void MeasureControlHover(HWND main)
{
    HWND button = ControlOf(main, orv::kButton1);
    if (!button) {
        std::printf("control_hover_NOT_FOUND 0 0 0\n");
        return;
    }
    std::vector<double> times;
    for (int i = 0; i < g_runs; ++i) {
        const double t0 = NowMs();
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        GdiFlush();
        const double t1 = NowMs();
        SendMessageA(button, WM_MOUSELEAVE, 0, 0);
        GdiFlush();
        times.push_back(t1 - t0);
        times.push_back(NowMs() - t1);
    }
    Report("control_hover", times);
}

void CALLBACK Measure(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND main = FindOwnMainWindow();
    if (!main) {
        SetTimer(nullptr, 0, 200, Measure);
        return;
    }
    if (g_startupProfile) {
        g_startupProfile->Print("orvane-startup", 1, 40);
        delete g_startupProfile;
        g_startupProfile = nullptr;
    }
    MeasureRepaint(main);
    MeasureTitleHover(main);
    MeasureControlHover(main);
    std::fflush(stdout);
    PostMessageA(main, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) g_runs = std::atoi(argv[1]);
    g_profile = argc > 2 && std::strcmp(argv[2], "profile") == 0;
    const std::string catalogue = orv::ExecutableDirectory() + "\\jidiao.dll";
    orv::ReplaceFileContent(catalogue, orv::JoinCatalogue(orv::bench::MakeEntries(10000)));
    if (argc > 2 && std::strcmp(argv[2], "startup-profile") == 0) g_startupProfile = new orv::bench::PaintProfile;
    SetTimer(nullptr, 0, 1000, Measure);
    orv::bench::CutArgumentsFromCommandLine();
    const int code = orv::RunOrvane(orv::BuiltInProgram());
    DeleteFileA(catalogue.c_str());
    return code;
}
