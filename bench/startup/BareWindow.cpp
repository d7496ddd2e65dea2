// Baseline for start-up, repaint and memory: a plain 450x364 window with one
// list box filled from the catalogue file beside the executable, the fastest
// way the platform allows (one read, split in place, no redraw while
// filling, storage reserved once).
//
//   bench_bare_window.exe [controls]  shows the window until it is closed
//   bench_bare_window.exe paint RUNS [controls] [profile]
//       prints the full-repaint time (and where it goes) and exits.
//   With controls, the window also holds the program's other controls, in the
//   same places, as the system's own unskinned classes.
//   bench_bare_pictures.exe, built from this file, also fills the hidden
//   master list, starts GDI+, decodes and keeps the pictures the program
//   shows at start-up (drawn once off screen) and plays the window's sound
//   when it shows, as the program does: the platform's floor for a window
//   that does those things. (Under Wine the sound's thread alone leaves
//   about 1 MB of private bytes behind: a thread's stack stays until another
//   thread takes its place.) With fonts as well, every control also gets the
//   layout's font before its text, as the program gives them; with focus,
//   the keyword box has the focus when the window shows, as in the program.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/MainLayout.h"
#ifdef ORV_BARE_PICTURES
#include "gdiplus/GdiPlusSession.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/Images.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#endif
#include "bench/catalogue/BareCatalogue.h"
#include "bench/catalogue/BenchCatalogue.h"
#include "bench/startup/PaintProfile.h"

namespace {

// With "fonts", every control gets the layout's font (宋体 9 pt where it names
// none) before its text, as the program gives them: laying out Chinese text in
// those faces is part of what the window costs, skinned or not.
bool g_fonts = false;
std::vector<HFONT> g_madeFonts;

HFONT FontFor(const orv::UnitSpec& u)
{
    static HFONT standard = nullptr;
    if (!u.font) {
        if (!standard)
            g_madeFonts.push_back(standard = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                         DEFAULT_PITCH | FF_DONTCARE, "宋体"));
        return standard;
    }
    g_madeFonts.push_back(CreateFontA(u.font->height, 0, 0, 0, u.font->weight, FALSE, u.font->underline, FALSE,
                                      static_cast<BYTE>(u.font->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, u.font->face));
    return g_madeFonts.back();
}

HWND MakeLayoutControl(const orv::LayoutTable& layout, std::vector<HWND>& made, int i, HWND list)
{
    if (made[static_cast<size_t>(i)]) return made[static_cast<size_t>(i)];
    const orv::UnitSpec& u = layout.units[i];
    // The layout lists the tab page's children before the tab itself.
    HWND parent = MakeLayoutControl(layout, made, u.parent < 0 ? 0 : u.parent, list);
    const DWORD visible = (u.flags & orv::kUnitVisible) ? WS_VISIBLE : 0;
    const DWORD ex = (u.flags & orv::kUnitBorder) ? WS_EX_CLIENTEDGE : 0;
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | visible;
    switch (u.kind) {
    case orv::UnitKind::ListBox:
        if (i == orv::kList2) {  // the filled list, moved into its place
            SetParent(list, parent);
            MoveWindow(list, u.left, u.top, u.width, u.height, FALSE);
            return made[static_cast<size_t>(i)] = list;
        }
        cls = "ListBox";
        style |= WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
        break;
    case orv::UnitKind::Button: cls = "BUTTON"; style |= BS_PUSHBUTTON; break;
    case orv::UnitKind::GroupBox: cls = "BUTTON"; style |= BS_GROUPBOX; break;
    case orv::UnitKind::TabControl: cls = "SysTabControl32"; style |= WS_CLIPSIBLINGS; break;
    case orv::UnitKind::Edit:
        cls = "Edit";
        style |= (u.flags & orv::kUnitMultiLine) ? ES_MULTILINE | ES_AUTOVSCROLL : ES_AUTOHSCROLL;
        if (u.flags & orv::kUnitVScroll) style |= WS_VSCROLL;
        break;
    default: break;
    }
    const bool textAfterFont = g_fonts && u.kind == orv::UnitKind::Edit;
    HWND control = CreateWindowExA(ex, cls, textAfterFont ? "" : u.text, style, u.left, u.top, u.width, u.height,
                                   parent, reinterpret_cast<HMENU>(1000 + i), GetModuleHandleA(nullptr), nullptr);
    if (g_fonts && control) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(u)), FALSE);
        if (textAfterFont && u.text) SetWindowTextA(control, u.text);
    }
    return made[static_cast<size_t>(i)] = control;
}

// The program's layout as plain system controls: what painting this window
// costs with nothing but the platform's own drawing.
std::vector<HWND> AddLayoutControls(HWND window, HWND list)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    const orv::LayoutTable layout = orv::MainLayout();
    std::vector<HWND> made(static_cast<size_t>(layout.count), nullptr);
    made[0] = window;
    for (int i = 1; i < layout.count; ++i) MakeLayoutControl(layout, made, i, list);
    return made;
}

#ifdef ORV_BARE_PICTURES
// The pictures of the first frame: the background, the tool and chat icons,
// the three picture buttons, and the title bar's minimise and close.
std::vector<orv::gp::Image> DecodeFirstFramePictures(HWND window)
{
    const int ids[] = {IDR_BACKGROUND, IDR_TOOL_RESSIM, IDR_TOOL_PELLAT, IDR_TOOL_CORVEL, IDR_TOOL_TAMBLIN,
                       IDR_CHAT,       IDR_SEARCH,      IDR_REMOTE_SEARCH, IDR_SAVE,      IDR_TITLE_MIN,
                       IDR_TITLE_CLOSE};
    std::vector<orv::gp::Image> pictures(sizeof ids / sizeof ids[0]);
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 450, 364);
    HGDIOBJ old = SelectObject(memory, canvas);
    {
        orv::gp::Graphics g;
        g.CreateFromHDC(memory);
        for (size_t i = 0; i < pictures.size(); ++i) {
            const std::string_view bytes = orv::StoredBytes(ids[i]);
            if (pictures[i].LoadFromBytes(bytes.data(), bytes.size())) g.DrawImage(pictures[i], 0, 0);
        }
    }
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pictures;
}
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = self;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareBenchWindow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                                  WS_MINIMIZEBOX | WS_CLIPCHILDREN, 100, 100, 450, 364, nullptr, nullptr, self,
                                  nullptr);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL |
                                LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 8, 64, 224, 152, window,
                                reinterpret_cast<HMENU>(1), self, nullptr);
    auto option = [&](const char* name) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], name) == 0) return true;
        return false;
    };
    g_fonts = option("fonts");
    if (g_fonts) {
        const HFONT listFont = FontFor(orv::MainLayout().units[orv::kList2]);
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont), FALSE);
    }
    std::string bytes = orv::bench::ReadWholeFile(orv::bench::FileBesideProgram("jidiao.dll"));
    const bool paint = argc > 2 && std::strcmp(argv[1], "paint") == 0;
    // Painting is measured with the same 10,000 entries as the start-up.
    if (paint && bytes.empty())
        for (const auto& e : orv::bench::MakeEntries(10000)) bytes += e + "\r\n";
    const auto lines = orv::bench::SplitInPlace(bytes);
    orv::bench::FillList(list, lines, bytes.size());
    std::vector<HWND> controls;
    if (option("controls")) controls = AddLayoutControls(window, list);
#ifdef ORV_BARE_PICTURES
    // The program holds the catalogue twice: in the list shown and in the
    // hidden master list.
    if (controls.size() > static_cast<size_t>(orv::kList1) && controls[orv::kList1])
        orv::bench::FillList(controls[orv::kList1], lines, bytes.size());
    orv::StartGdiPlus();
    const std::vector<orv::gp::Image> pictures = DecodeFirstFramePictures(window);
#endif
    ShowWindow(window, SW_SHOW);
    // The program's first frame has the caret in the keyword box, where its
    // tab order starts; a focused edit brings in the thread's IME window.
    if (option("focus") && controls.size() > static_cast<size_t>(orv::kEdit2)) SetFocus(controls[orv::kEdit2]);
    UpdateWindow(window);
#ifdef ORV_BARE_PICTURES
    const std::string_view sound = orv::StoredBytes(IDR_WINDOW_SOUND);
    PlaySoundA(sound.data(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
#endif

    if (paint) {
        if (option("profile")) {
            orv::bench::PaintProfile profile;
            for (int i = 0; i < 20; ++i)
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            profile.Print("bare", 20);
        }
        std::vector<double> times;
        for (int i = 0; i < std::atoi(argv[2]); ++i) {
            const double t0 = orv::bench::NowMs();
            RedrawWindow(window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            GdiFlush();
            times.push_back(orv::bench::NowMs() - t0);
        }
        std::printf("repaint %.3f\n", orv::bench::Median(times));
        DestroyWindow(window);
        return 0;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
