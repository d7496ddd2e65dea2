// The window frame skin on real windows under Wine: records, subclassing,
// title-button geometry, hit-testing and actions, the hover animation, the
// frame's pixels and its GDI object balance.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/MessagePump.h"
#include "tests/support/ScreenInput.h"

using namespace orv;

namespace {

// What the window's own procedure (the one the skin puts itself in front of)
// received.
struct HostLog {
    bool deactivateOnClose = false;
    bool refuseClose = false;  // WM_ACTIVATEAPP(0) from inside WM_CLOSE, as destroying an active window does
    std::vector<WPARAM> sysCommands;
    WPARAM lastSysCommand = 0;  // whole, with the sizing edge in its low bits
    int sizes = 0;
    int activateApps = 0;
    bool swallowSysCommand = true;
};
HostLog gHost;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        gHost.sysCommands.push_back(wp & 0xFFF0);
        gHost.lastSysCommand = wp;
        if (gHost.swallowSysCommand) return 0;
        break;
    case WM_SIZE: ++gHost.sizes; break;
    case WM_CLOSE:
        if (gHost.deactivateOnClose) SendMessageA(hwnd, WM_ACTIVATEAPP, 0, 0);
        if (gHost.refuseClose) return 0;
        break;
    case WM_ACTIVATEAPP: ++gHost.activateApps; break;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

const char kHostClass[] = "OrvFrameTestHost";

class GdiPlusEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Skin().gdiplusToken = StartGdiPlus();
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kHostClass;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.style = CS_DBLCLKS;
        RegisterClassA(&wc);
    }
    void TearDown() override { EndGdiPlus(&Skin().gdiplusToken); }
};
const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);

HWND MakeHost(DWORD style, int width = 450, int height = 364, const char* text = "")
{
    return CreateWindowExA(0, kHostClass, text, style, 40, 40, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

struct Pixel {
    int r, g, b;
};

// Pixels of a DC, copied into a DIB of our own.
class PixelGrab {
public:
    PixelGrab(HDC source, int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        BitBlt(dc_, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
    }
    ~PixelGrab()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Pixel At(int x, int y) const
    {
        uint32_t v = bits_[y * width_ + x];
        return Pixel{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

Pixel FromColour(COLORREF c) { return Pixel{GetRValue(c), GetGValue(c), GetBValue(c)}; }

bool Near(Pixel a, Pixel b, int tolerance)
{
    return abs(a.r - b.r) <= tolerance && abs(a.g - b.g) <= tolerance && abs(a.b - b.b) <= tolerance;
}

std::string Describe(Pixel p)
{
    return "(" + std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b) + ")";
}

// Button installer used by the tests to exercise the installer hook.
LRESULT CALLBACK TestButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return CallPreviousProc(hwnd, msg, wp, lp);
}

void TestButtonInstaller(int windowIndex, HWND parent)
{
    WindowSkinRecord* r = RecordAt(windowIndex);
    ForEachChildOfClass(parent, "BUTTON", [&](HWND child) {
        if (r->buttons.Find(child)) return;
        InstallControl(windowIndex, r->buttons, child, TestButtonProc);
    });
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        gHost = HostLog{};
        Skin().controlSkinning = 1;
        Skin().translucentBackground = 0;
        Skin().skinFrameFlag = 1;
        SetControlInstaller(kInstallPushButtons, nullptr);
        // Minimising hands the activation to another process: the real trim
        // would write into the prefix's Windows directory.
        SetTrimStarter([] { return true; });
    }
    void TearDown() override
    {
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        SetControlInstaller(kInstallPushButtons, nullptr);
        test::PumpMessages();
        // Only now: destroying the windows hands the activation around.
        SetTrimStarter(nullptr);
    }
    HWND Host(DWORD style, int width = 450, int height = 364, const char* text = "")
    {
        HWND w = MakeHost(style, width, height, text);
        windows_.push_back(w);
        return w;
    }
    // The program's own way: title bar 1, resizable 0, caption 0, the stored
    // background right-aligned.
    void SkinLikeMainWindow(HWND w)
    {
        skin.SkinWindow(w, {}, Given(1), Given(0), {}, {}, Given(0), {}, {}, {}, Given(StoredBytes(IDR_BACKGROUND)),
                        Given(1));
    }
    WindowSkinRecord* Record(HWND w) { return RecordAt(FindWindowRecord(w)); }

    SkinEngine skin{0x00F0F0F0};
    std::vector<HWND> windows_;
};

constexpr DWORD kPopup = WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN;

// ---- records and subclassing ------------------------------------------------

TEST_F(Frame, SkinWindowTwiceGivesOneRecordAndOneSubclass)
{
    HWND w = Host(kPopup | WS_MINIMIZEBOX);
    const int before = WindowCount();
    skin.SkinWindow(w);
    skin.SkinWindow(w);
    EXPECT_EQ(WindowCount(), before + 1);
    const int index = FindWindowRecord(w);
    EXPECT_EQ(index, before + 1);
    EXPECT_EQ(GetProperty(w, kPropIndex), static_cast<uintptr_t>(index));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), skin.FrameProcAddress());
    // A second subclass would have stored the thunk itself as the previous
    // procedure. (The previous one is not HostProc itself: the title-button
    // tooltip, TTF_SUBCLASS, subclassed the window first.)
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetProperty(w, kPropProc)), skin.FrameProcAddress());
    EXPECT_NE(GetProperty(w, kPropProc), 0u);
    EXPECT_EQ(Record(w)->previousProc, reinterpret_cast<WNDPROC>(GetProperty(w, kPropProc)));
    gHost.sysCommands.clear();
    SendMessageA(w, WM_SYSCOMMAND, SC_KEYMENU, 0);
    EXPECT_EQ(gHost.sysCommands.size(), 1u) << "messages still reach the window's own procedure";
    EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);
}

TEST_F(Frame, ControlSkinningZeroSkinsTheFrameOnly)
{
    SetControlInstaller(kInstallPushButtons, TestButtonInstaller);
    struct Case {
        int controlSkinning;
        bool buttonSkinned;
    };
    for (Case c : {Case{0, false}, Case{1, true}}) {
        Skin().controlSkinning = c.controlSkinning;
        HWND w = Host(kPopup);
        HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 60, 24, w,
                                      nullptr, nullptr, nullptr);
        const LONG_PTR buttonProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
        skin.SkinWindow(w);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)), skin.FrameProcAddress())
            << "ControlSkinning " << c.controlSkinning;
        EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC) != buttonProc, c.buttonSkinned);
        EXPECT_EQ(GetProperty(button, kPropIndex), c.buttonSkinned ? 1u : 0u);
        EXPECT_EQ(GetProperty(button, kPropOwner), c.buttonSkinned ? static_cast<uintptr_t>(FindWindowRecord(w)) : 0u);
    }
}

TEST_F(Frame, InstallerTakesTheInitialEntryThenAppends)
{
    SetControlInstaller(kInstallPushButtons, TestButtonInstaller);
    HWND w = Host(kPopup);
    HWND b1 = CreateWindowExA(0, "BUTTON", "1", WS_CHILD | BS_PUSHBUTTON, 0, 30, 40, 20, w, nullptr, nullptr, nullptr);
    HWND b2 = CreateWindowExA(0, "BUTTON", "2", WS_CHILD | BS_PUSHBUTTON, 50, 30, 40, 20, w, nullptr, nullptr, nullptr);
    skin.SkinWindow(w);
    WindowSkinRecord* r = Record(w);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->buttons.Count(), 2);
    EXPECT_EQ(r->buttons.Find(b1) + r->buttons.Find(b2), 3);
    EXPECT_EQ(GetProperty(b1, kPropIndex), static_cast<uintptr_t>(r->buttons.Find(b1)));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetProperty(b2, kPropProc)), r->buttons.Get(r->buttons.Find(b2))->previousProc);
    // A control created later stays unskinned until an installer runs again.
    HWND late = CreateWindowExA(0, "BUTTON", "3", WS_CHILD | BS_PUSHBUTTON, 90, 30, 40, 20, w, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetProperty(late, kPropIndex), 0u);
    RunControlInstallers(FindWindowRecord(w), w);
    EXPECT_EQ(GetProperty(late, kPropIndex), 3u);
}

TEST_F(Frame, PropertiesReadZeroAfterTheWindowIsDestroyed)
{
    SetControlInstaller(kInstallPushButtons, TestButtonInstaller);
    Skin().translucentBackground = 1;
    HWND w = Host(kPopup | WS_VISIBLE);
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 40, 60, 24, w, nullptr,
                                  nullptr, nullptr);
    HWND edit = CreateWindowExA(0, "Edit", "e", WS_CHILD | WS_VISIBLE, 10, 80, 80, 20, w, nullptr, nullptr, nullptr);
    SkinLikeMainWindow(w);
    UpdateWindow(w);
    const int index = FindWindowRecord(w);
    ASSERT_GT(index, 0);
    ASSERT_EQ(GetProperty(button, kPropOwner), static_cast<uintptr_t>(index));
    // The edit gets its pattern brush from the frame.
    HDC dc = GetDC(edit);
    auto brush = reinterpret_cast<HGDIOBJ>(SendMessageA(w, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(edit)));
    ReleaseDC(edit, dc);
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetProperty(edit, kPropBrush)), brush);
    auto cache = reinterpret_cast<HDC>(GetProperty(w, kPropCacheDc));
    ASSERT_NE(cache, nullptr);

    // Keep the controls alive past their window: move them to a plain window.
    HWND keeper = Host(WS_POPUP);
    SetParent(button, keeper);
    SetParent(edit, keeper);
    DestroyWindow(w);

    EXPECT_EQ(GetProperty(button, kPropOwner), 0u);
    EXPECT_EQ(GetProperty(edit, kPropBrush), 0u);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the pattern brush was deleted with the window";
    EXPECT_EQ(GetObjectType(cache), 0u) << "the frame cache DC was deleted with the window";
    EXPECT_EQ(RecordAt(index), nullptr);
    EXPECT_EQ(FindWindowRecord(w), 0);
    EXPECT_GE(WindowCount(), index) << "a released record keeps its place";
}

// ---- options -----------------------------------------------------------------

TEST_F(Frame, SetControlSkinOptionsWithAndWithoutAlpha)
{
    struct Case {
        int enable, alpha;
        bool alphaGiven;
        int track;
        bool trackGiven;
        int wantAlpha, wantTranslucent, wantTrack;
    } cases[] = {
        {1, 100, true, 0, false, 100, 1, 1},
        {1, 100, false, 0, false, 160, 0, 1},
        {0, 30, true, 2, true, 30, 1, 2},
        {1, 0, false, 0, true, 160, 0, 0},
    };
    for (const Case& c : cases) {
        skin.SetControlSkinOptions(c.enable, c.alpha, c.alphaGiven, c.track, c.trackGiven);
        EXPECT_EQ(Skin().controlSkinning, c.enable);
        EXPECT_EQ(Skin().backgroundAlpha, c.wantAlpha);
        EXPECT_EQ(Skin().translucentBackground, c.wantTranslucent);
        EXPECT_EQ(Skin().trackStyle, c.wantTrack);
    }
    skin.SetControlSkinOptions(1, 0, false);
}

TEST_F(Frame, TextColourGoesToTheControlOrTheInnerEditOfACombo)
{
    HWND w = Host(kPopup);
    HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 50, 20, w, nullptr, nullptr, nullptr);
    HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | CBS_DROPDOWN, 0, 30, 80, 100, w, nullptr, nullptr, nullptr);
    HWND inner = FindWindowExA(combo, nullptr, "Edit", nullptr);
    ASSERT_NE(inner, nullptr);
    skin.SetControlTextColour(edit, 0x0000D8D8);
    skin.SetControlTextColour(combo, 0x00123456);
    EXPECT_EQ(GetProperty(edit, kPropTextColour), 0x0000D8D8u);
    EXPECT_EQ(GetProperty(inner, kPropTextColour), 0x00123456u);
    EXPECT_EQ(GetProperty(combo, kPropTextColour), 0u);
}

// ---- title-button strip, hit-testing, actions -----------------------------------

TEST_F(Frame, StripWithOnlyCloseIs41WideAndEnds5FromTheRightEdge)
{
    struct Case {
        DWORD style;
        int buttons;
        int width;
    } cases[] = {
        {kPopup, 1, 41},
        {kPopup | WS_MINIMIZEBOX, 2, 26 + 38 + 1 + 3},
        {kPopup | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 3, 26 + 26 + 38 + 2 + 3},
    };
    for (const Case& c : cases) {
        HWND w = Host(c.style, 300, 200);
        skin.SkinWindow(w);
        RECT area = skin.GetTitleButtonArea(w);
        RECT client{};
        GetClientRect(w, &client);
        EXPECT_EQ(Record(w)->titleButtons.Count(), c.buttons);
        EXPECT_EQ(area.right - area.left, c.width);
        EXPECT_EQ(client.right - area.right, 5);
        EXPECT_EQ(area.top, 0);
        EXPECT_EQ(area.bottom, 22);
    }
}

std::vector<std::string> gCallbacks;
void CALLBACK HelpCallback(HWND) { gCallbacks.push_back("help"); }
void CALLBACK MenuCallback(HWND) { gCallbacks.push_back("menu"); }
void CALLBACK UserCallback(HWND) { gCallbacks.push_back("user"); }

TEST_F(Frame, HitTestingAndTheActionOfEveryButton)
{
    HWND w = Host(kPopup | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 400, 300);
    skin.SkinWindow(w, {}, {}, {}, Given(1), Given(1));
    skin.SetHelpCallback(w, HelpCallback);
    skin.SetMenuCallback(w, MenuCallback);
    skin.AddTitleButton(w, StoredBytes(IDR_TITLE_HELP), Given<std::string>("mine"), Given<TitleButtonCallback>(UserCallback));
    const int index = FindWindowRecord(w);
    WindowSkinRecord* r = RecordAt(index);
    ASSERT_EQ(r->titleButtons.Count(), 6);

    struct Case {
        const char* name;
        int action;
        int cellWidth;
    } cases[] = {{"帮助", 4, 26}, {"主菜单", 3, 26}, {"最小化", 2, 26}, {"最大化", 1, 26}, {"关闭", 0, 40}, {"mine", 5, 26}};
    for (int i = 1; i <= 6; ++i) {
        const TitleButton* b = r->titleButtons.Get(i);
        EXPECT_EQ(b->name, cases[i - 1].name);
        EXPECT_EQ(b->action, cases[i - 1].action);
        EXPECT_EQ(b->hitRect.left, r->stripX + 2 + 27 * (i - 1));
        EXPECT_EQ(b->hitRect.top, 1);
        EXPECT_EQ(b->hitRect.right - b->hitRect.left, cases[i - 1].cellWidth);
        EXPECT_EQ(b->hitRect.bottom - b->hitRect.top, 18);
        // Probed at the right part of the cell: a user button appended after
        // 关闭 starts inside the 40-pixel close cell, which wins the overlap.
        EXPECT_EQ(skin.HitTestTitleButton(index, b->hitRect.right - 4, 10), i);
    }
    EXPECT_EQ(skin.HitTestTitleButton(index, r->stripX + 2 + 26, 10), 0) << "the gap between cells";
    EXPECT_EQ(skin.HitTestTitleButton(index, 10, 10), 0);
    EXPECT_EQ(skin.HitTestTitleButton(index, r->stripX + 5, 19), 0) << "below the cells";
    EXPECT_EQ(skin.FindMaximizeButton(index), 4);

    gCallbacks.clear();
    gHost.sysCommands.clear();
    for (int i = 1; i <= 6; ++i) skin.RunTitleButtonAction(index, i);
    skin.RunTitleButtonAction(index, 4);  // maximised now: restores
    skin.RunTitleButtonAction(index, 7);  // outside the list: nothing
    skin.RunTitleButtonAction(index, 0);
    EXPECT_EQ(gCallbacks, (std::vector<std::string>{"help", "menu", "user"}));
    EXPECT_EQ(gHost.sysCommands,
              (std::vector<WPARAM>{SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_RESTORE}));
    EXPECT_EQ(r->maximised, 0);
    EXPECT_EQ(r->minimised, 0) << "maximising and restoring clear the minimised flag";
}

TEST_F(Frame, ClickOnCloseRunsTheActionThroughTheActionThunk)
{
    HWND w = Host(kPopup | WS_VISIBLE, 300, 200);
    skin.SkinWindow(w);
    WindowSkinRecord* r = Record(w);
    const RECT cell = r->titleButtons.Get(1)->hitRect;
    const LPARAM at = MAKELPARAM(cell.left + 10, cell.top + 8);
    gHost.sysCommands.clear();
    SendMessageA(w, WM_MOUSEMOVE, 0, at);
    EXPECT_EQ(skin.HoveredTitleButton(), 1);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(r->pressed, 1);
    SendMessageA(w, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(gHost.sysCommands, (std::vector<WPARAM>{SC_CLOSE}));
    // Off the buttons nothing runs.
    SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(gHost.sysCommands.size(), 1u);
}

TEST_F(Frame, CaptionDoubleClickMaximisesOnlyResizableWindowsWithAMaximiseButton)
{
    struct Case {
        DWORD style;
        int resizable;
        size_t commands;
    } cases[] = {{kPopup | WS_MAXIMIZEBOX, 1, 1}, {kPopup | WS_MAXIMIZEBOX, 0, 0}, {kPopup, 1, 0}};
    for (const Case& c : cases) {
        HWND w = Host(c.style, 300, 200);
        skin.SkinWindow(w, {}, {}, Given(c.resizable));
        gHost.sysCommands.clear();
        SendMessageA(w, WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, 10));
        EXPECT_EQ(gHost.sysCommands.size(), c.commands);
    }
}

TEST_F(Frame, MinMaxInfoUsesTheRecordAndLeavesTheTaskbarVisible)
{
    HWND w = Host(kPopup | WS_MAXIMIZEBOX, 300, 200);
    skin.SkinWindow(w);
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{1, 1};
    info.ptMaxSize = POINT{5, 5};
    SendMessageA(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    RECT trayRect{};
    const int taskbar = tray && GetWindowRect(tray, &trayRect) ? trayRect.bottom - trayRect.top : 0;
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMinTrackSize.y, 150);
    EXPECT_EQ(info.ptMaxSize.x, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.ptMaxSize.y, GetSystemMetrics(SM_CYSCREEN) - taskbar);
    EXPECT_EQ(info.ptMaxTrackSize.x, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.ptMaxTrackSize.y, GetSystemMetrics(SM_CYSCREEN) - taskbar);
}

TEST_F(Frame, MinimisingThroughTheButtonReachesTheWindowsOwnSizeHandling)
{
    HWND w = Host(kPopup | WS_MINIMIZEBOX | WS_VISIBLE, 300, 200);
    skin.SkinWindow(w);
    gHost.swallowSysCommand = false;
    const int sizesBefore = gHost.sizes;
    skin.RunTitleButtonAction(FindWindowRecord(w), 1);  // 最小化
    test::PumpMessages();
    EXPECT_TRUE(IsIconic(w));
    EXPECT_GT(gHost.sizes, sizesBefore) << "WM_SIZE must reach the previous procedure (the runtime's Resized)";
    EXPECT_EQ(Skin().skinFrameFlag, 0) << "the first WM_SIZE clears the one-shot flag";
}

TEST_F(Frame, ActivationLossStartsOneTrimAndActivationNone)
{
    static int starts;
    starts = 0;
    SetTrimStarter([] {
        ++starts;
        return true;
    });
    HWND w = Host(kPopup, 300, 200);
    skin.SkinWindow(w);
    SendMessageA(w, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(starts, 0);
    SendMessageA(w, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(gHost.activateApps, 2) << "the message goes on after the trim starts";
}

TEST_F(Frame, ClosingStartsNoTrimButARefusedCloseLeavesTrimmingOn)
{
    static int starts;
    starts = 0;
    SetTrimStarter([] {
        ++starts;
        return true;
    });
    gHost.deactivateOnClose = true;
    HWND w = Host(kPopup, 300, 200);
    skin.SkinWindow(w);
    SendMessageA(w, WM_CLOSE, 0, 0);  // the host destroys the window (DefWindowProc)
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(gHost.activateApps, 1) << "the message itself still went on";

    gHost.deactivateOnClose = false;
    gHost.refuseClose = true;
    HWND kept = Host(kPopup, 300, 200);
    skin.SkinWindow(kept);
    SendMessageA(kept, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(kept));
    SendMessageA(kept, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(starts, 1);
}

// The sizing band is 3 pixels wide at the left as at the right; a press
// further in (below the title band) starts nothing.
TEST_F(Frame, SizingBandsAreThreePixelsWideOnBothSides)
{
    HWND w = Host(kPopup | WS_VISIBLE, 300, 200);
    skin.SkinWindow(w);  // resizable
    struct Case {
        int x;
        WPARAM want;
    } cases[] = {{0, SC_SIZE + WMSZ_LEFT},   {2, SC_SIZE + WMSZ_LEFT},   {3, 0},
                 {296, 0},                   {297, SC_SIZE + WMSZ_RIGHT}, {299, SC_SIZE + WMSZ_RIGHT}};
    for (const Case& c : cases) {
        gHost.lastSysCommand = 0;
        SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, 100));
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(c.x, 100));
        EXPECT_EQ(gHost.lastSysCommand, c.want) << "x " << c.x;
    }
}

// ---- hover animation --------------------------------------------------------------

TEST_F(Frame, HoverAnimationReachesAlpha240InEightStepsAndStopsItsTimer)
{
    HWND w = Host(kPopup | WS_MINIMIZEBOX | WS_VISIBLE, 300, 200);
    skin.SkinWindow(w);
    UpdateWindow(w);
    const int index = FindWindowRecord(w);
    WindowSkinRecord* r = RecordAt(index);
    const RECT cell = r->titleButtons.Get(2)->hitRect;  // 关闭
    SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 3, cell.top + 3));
    EXPECT_EQ(r->highlighted, 2);
    EXPECT_TRUE(r->timerRunning);
    for (int step = 1; step <= 8; ++step) {
        SendMessageA(w, WM_TIMER, reinterpret_cast<WPARAM>(w), 0);
        EXPECT_EQ(r->lastHoverAlpha, 30 * step) << "step " << step;
    }
    EXPECT_FALSE(r->timerRunning);
    EXPECT_EQ(r->hoverStep, 0);
    EXPECT_FALSE(KillTimer(w, reinterpret_cast<UINT_PTR>(w))) << "the timer was already killed";
    // The close face is red at full hover.
    PixelGrab cache(r->frameCache.dc, r->frameCache.width, r->frameCache.height);
    const Pixel face = cache.At(cell.left + 2, cell.top + 2);
    EXPECT_GT(face.r, face.b + 60) << Describe(face);
    // Moving to the other button fades the first one out.
    const RECT other = r->titleButtons.Get(1)->hitRect;
    SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(other.left + 3, other.top + 3));
    EXPECT_EQ(r->highlighted, 1);
    EXPECT_EQ(r->fading, 2);
    for (int step = 1; step <= 8; ++step) SendMessageA(w, WM_TIMER, reinterpret_cast<WPARAM>(w), 0);
    EXPECT_FALSE(r->timerRunning);
    PixelGrab after(r->frameCache.dc, r->frameCache.width, r->frameCache.height);
    EXPECT_FALSE(Near(after.At(cell.left + 2, cell.top + 2), face, 10)) << "the close face faded";
}

// ---- pixels -----------------------------------------------------------------------

TEST_F(Frame, MainWindowLikeFrameHasRoundCornersBordersNoMagentaAndAPictureAtTheRight)
{
    HWND w = Host(WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE, 450, 364);
    SkinLikeMainWindow(w);
    UpdateWindow(w);
    test::PumpMessages();
    WindowSkinRecord* r = Record(w);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->frameCache.dc, nullptr);
    EXPECT_EQ(reinterpret_cast<HDC>(GetProperty(w, kPropCacheDc)), r->frameCache.dc);
    const int width = r->frameCache.width, height = r->frameCache.height;
    ASSERT_EQ(width, 450);
    ASSERT_EQ(height, 364);

    // Rounded corners: the corner pixel is outside the window's region.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(w, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, width - 1, height - 1));
    EXPECT_TRUE(PtInRegion(region, 3, 3));
    EXPECT_TRUE(PtInRegion(region, width / 2, 0));

    PixelGrab cache(r->frameCache.dc, width, height);
    // No magenta wherever the window shows.
    int magenta = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Pixel p = cache.At(x, y);
            if (PtInRegion(region, x, y) && p.r > 240 && p.g < 15 && p.b > 240) {
                ++magenta;
                ADD_FAILURE() << "magenta at " << x << "," << y;
            }
        }
    DeleteObject(region);
    EXPECT_EQ(magenta, 0);

    // Borders: black at alpha 180 outside, white at alpha 180 inside.
    for (Pixel outer : {cache.At(width / 2, height - 1), cache.At(0, height / 2)})
        EXPECT_LE(std::max({outer.r, outer.g, outer.b}), 80) << Describe(outer);
    for (Pixel inner : {cache.At(width / 2, height - 2), cache.At(1, height / 2)})
        EXPECT_GE(std::min({inner.r, inner.g, inner.b}), 170) << Describe(inner);

    // The picture is right-aligned: its unblended right part sits at the
    // window's right edge; below it the average colour.
    gp::Bitmap picture;
    std::string_view jpeg = StoredBytes(IDR_BACKGROUND);
    ASSERT_TRUE(picture.LoadFromBytes(jpeg.data(), jpeg.size()));
    UINT pw = 0, ph = 0;
    picture.GetSize(&pw, &ph);
    ASSERT_EQ(pw, 450u);
    for (int y : {40, 90, 150}) {
        for (int dx : {20, 60}) {
            gp::ARGB source = 0;
            picture.GetPixel(static_cast<int>(pw) - dx, y, &source);
            Pixel want = FromColour(gp::ColourOf(source));
            Pixel got = cache.At(width - dx, y);
            EXPECT_TRUE(Near(got, want, 2)) << "at " << width - dx << "," << y << " " << Describe(got) << " vs "
                                            << Describe(want);
        }
    }
    Pixel below = cache.At(width / 2, height - 20);
    EXPECT_TRUE(Near(below, FromColour(r->averageColour), 2)) << Describe(below);

    // What the window shows is the cache.
    HDC windowDc = GetDC(w);
    PixelGrab screen(windowDc, width, height);
    ReleaseDC(w, windowDc);
    EXPECT_TRUE(Near(screen.At(width - 60, 150), cache.At(width - 60, 150), 0));
    EXPECT_TRUE(Near(screen.At(width / 2, height - 20), cache.At(width / 2, height - 20), 0));
}

TEST_F(Frame, PictureSmallerThanTheWindowShowsItsAverageColourAround)
{
    HWND w = Host(kPopup | WS_VISIBLE, 620, 440);
    skin.SkinWindow(w, {}, {}, {}, {}, {}, Given(0), {}, {}, {}, Given(StoredBytes(IDR_BACKGROUND)), Given(0));
    UpdateWindow(w);
    WindowSkinRecord* r = Record(w);
    ASSERT_NE(r->frameCache.dc, nullptr);
    const COLORREF average = gp::AverageColour(StoredBytes(IDR_BACKGROUND).data(), StoredBytes(IDR_BACKGROUND).size());
    EXPECT_EQ(r->averageColour, average);
    PixelGrab cache(r->frameCache.dc, r->frameCache.width, r->frameCache.height);
    const Pixel want = FromColour(average);
    for (POINT p : {POINT{550, 200}, POINT{200, 400}, POINT{600, 420}})
        EXPECT_TRUE(Near(cache.At(p.x, p.y), want, 1)) << p.x << "," << p.y << " " << Describe(cache.At(p.x, p.y));
    // Mode 0 blends the picture's right and bottom edges into the colour.
    for (POINT p : {POINT{449, 100}, POINT{200, 299}})
        EXPECT_TRUE(Near(cache.At(p.x, p.y), want, 12)) << p.x << "," << p.y << " " << Describe(cache.At(p.x, p.y));
}

TEST_F(Frame, CaptionTextIsOutlined)
{
    HWND w = Host(kPopup | WS_VISIBLE, 400, 200, "WWWW");
    skin.SkinWindow(w);  // caption shown, no picture
    UpdateWindow(w);
    WindowSkinRecord* r = Record(w);
    ASSERT_NE(r->frameCache.dc, nullptr);
    PixelGrab cache(r->frameCache.dc, r->frameCache.width, r->frameCache.height);
    int white = 0, grey = 0;
    for (int y = 8; y < 30; ++y)
        for (int x = 29; x < 120; ++x) {
            Pixel p = cache.At(x, y);
            if (p.r > 245 && p.g > 245 && p.b > 245) ++white;
            if (Near(p, Pixel{128, 128, 128}, 6)) ++grey;
        }
    EXPECT_GT(white, 10) << "caption colour";
    EXPECT_GT(grey, 10) << "shadow colour";
}

// A new caption repaints its whole text rectangle, which reaches below the
// title band: on screen, once the text is gone again, nothing of it is left
// (the lower part of the glyphs and the outline included).
TEST_F(Frame, NewCaptionRepaintsTheWholeTextRectangleOnScreen)
{
    HWND w = Host(kPopup | WS_VISIBLE, 400, 200);
    skin.SkinWindow(w);  // caption shown, empty
    skin.SetCaptionStyle(w, {}, Given(20));  // large enough to reach well below the band
    UpdateWindow(w);
    test::LetTheScreenCatchUp();
    RECT wr{};
    GetWindowRect(w, &wr);
    const RECT text{wr.left + 29, wr.top + 8, wr.left + 220, wr.top + 40};
    const int bandRows = Record(w)->titleHeight - 8;  // rows of text inside the title band
    const test::ScreenPixels empty(text);
    auto changed = [&](const test::ScreenPixels& now, int fromRow) {
        int n = 0;
        for (int y = fromRow; y < now.Height(); ++y)
            for (int x = 0; x < now.Width(); ++x) n += !test::Near(now.At(x, y), empty.At(x, y), 8);
        return n;
    };
    SetWindowTextA(w, "gjpqy gjpqy gjpqy");
    test::LetTheScreenCatchUp();
    const int belowBand = changed(test::ScreenPixels(text), bandRows);
    ASSERT_GT(belowBand, 0) << "the new text shows whole, below the title band too";
    SetWindowTextA(w, "");
    test::LetTheScreenCatchUp();
    EXPECT_EQ(changed(test::ScreenPixels(text), 0), 0);
}

// ---- resource balance ----------------------------------------------------------------

TEST_F(Frame, GdiObjectsStayFlatAcrossHoverAnimationsAndRepaints)
{
    HWND w = Host(kPopup | WS_MINIMIZEBOX | WS_VISIBLE, 450, 364);
    SkinLikeMainWindow(w);
    UpdateWindow(w);
    WindowSkinRecord* r = Record(w);
    const RECT a = r->titleButtons.Get(1)->hitRect;
    const RECT b = r->titleButtons.Get(2)->hitRect;
    auto cycle = [&](int i) {
        const RECT& cell = (i % 2) ? a : b;
        SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 3, cell.top + 3));
        for (int s = 0; s < 8; ++s) SendMessageA(w, WM_TIMER, reinterpret_cast<WPARAM>(w), 0);
        r->repaintNeeded = (i % 10) == 0;
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
    };
    for (int i = 0; i < 20; ++i) cycle(i);  // warm-up
    const long before = test::GdiObjectCount();
    const DWORD start = GetTickCount();
    DWORD renderTicks = 0;
    for (int i = 0; i < 1000; ++i) {
        const DWORD t = GetTickCount();
        cycle(i);
        if (i % 10 == 0) renderTicks += GetTickCount() - t;
    }
    printf("[ bench ] cycles with a full render: %lu ms in all\n", renderTicks);
    const long after = test::GdiObjectCount();
    printf("[ bench ] 1000 hover animations + repaints (100 full renders): %lu ms\n", GetTickCount() - start);
    ASSERT_GE(before, 0);
    EXPECT_EQ(after, before);
}

}  // namespace
