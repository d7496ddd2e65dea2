// Skinned message boxes under Wine: the real MessageBoxExA dialog is caught
// by the hook, skinned and driven from inside its own modal loop (a timer of
// its owner), then closed the way a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "gdiplus/Gp.h"
#include "resources/Resources.h"
#include "skin/ButtonSkin.h"
#include "skin/ControlSkins.h"
#include "skin/GlowText.h"
#include "skin/MessageBoxSkin.h"
#include "skin/Registry.h"
#include "skin/SkinEngine.h"
#include "skin/SkinSettings.h"
#include "tests/skin/MessageBoxDriver.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/MessagePump.h"
#include "tests/support/ScreenInput.h"


using namespace orv;
using orv::test::MessageBoxDriver;

namespace {

// The program's two boxes.
const char kEmptyKeyword[] = "请输入关键字再搜索";
constexpr UINT kEmptyKeywordStyle = 0x40;     // MB_OK | MB_ICONINFORMATION
const char kConfirmDelete[] = "是否删除本条记录";
constexpr UINT kConfirmDeleteStyle = 0x1044;  // MB_YESNO | MB_ICONINFORMATION | MB_SYSTEMMODAL

constexpr COLORREF kBackColour = 0x00E0D8D0;

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        SkinSettings& s = Skin();
        s.gdiplusToken = StartGdiPlus();
        s.defaultBackColour = kBackColour;
        s.controlSkinning = 1;
        s.appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON));
        RegisterButtonSkin();
        InstallControlSkinModules();
    }
    void TearDown() override { EndGdiPlus(&Skin().gdiplusToken); }
};
const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

// Fade steps seen by the fade thread: the alpha it set and what the window
// reads back right after.
struct FadeStep {
    HWND box;
    int alpha;
    int readBack;
};
std::mutex gFadeMutex;
std::vector<FadeStep> gFadeSteps;

void RecordFadeStep(HWND box, BYTE alpha)
{
    BYTE readBack = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(box, nullptr, &readBack, &flags);
    {
        std::lock_guard<std::mutex> lock(gFadeMutex);
        gFadeSteps.push_back(FadeStep{box, alpha, (flags & LWA_ALPHA) ? readBack : -1});
    }
}

std::vector<FadeStep> FadeStepsOf(HWND box)
{
    std::lock_guard<std::mutex> lock(gFadeMutex);
    std::vector<FadeStep> out;
    for (const FadeStep& s : gFadeSteps)
        if (s.box == box) out.push_back(s);
    return out;
}

std::string WindowTextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* className)
{
    std::vector<HWND> out;
    ForEachChildOfClass(parent, className, [&](HWND c) { out.push_back(c); });
    return out;
}

HWND VisibleStaticText(HWND box)
{
    for (HWND s : ChildrenOfClass(box, "Static"))
        if (IsWindowVisible(s) && !WindowTextOf(s).empty()) return s;
    return nullptr;
}

BOOL CALLBACK CountWindow(HWND, LPARAM p)
{
    ++*reinterpret_cast<int*>(p);
    return TRUE;
}

int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

int LiveRecordCount()
{
    int live = 0;
    for (int i = 1; i <= WindowCount(); ++i) live += RecordAt(i) != nullptr;
    return live;
}

// Clicks a button of the box the way the keyboard or mouse would end up.
void Press(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

struct Rgb {
    int r, g, b;
};
Rgb CachePixel(const WindowSkinRecord& r, int x, int y)
{
    COLORREF c = GetPixel(r.frameCache.dc, x, y);
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Pixels of the cache in a rectangle darker than a threshold (text strokes
// on the light box).
int DarkPixels(const WindowSkinRecord& r, const RECT& area, int threshold)
{
    int dark = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            Rgb p = CachePixel(r, x, y);
            dark += (p.r + p.g + p.b) / 3 < threshold;
        }
    return dark;
}

class MessageBoxSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        Skin().controlSkinning = 1;
        {
            std::lock_guard<std::mutex> lock(gFadeMutex);
            gFadeSteps.clear();
        }
        SetFadeStepObserver(RecordFadeStep);
    }
    void TearDown() override
    {
        SetFadeStepObserver(nullptr);
        test::PumpMessages();
    }

    int Show(const char* text, UINT style, const char* caption, MessageBoxDriver::Step step)
    {
        return driver.Run([&] { return ShowSkinnedMessageBox(driver.Owner(), text, style, caption); },
                          std::move(step));
    }

    MessageBoxDriver driver;
};

// ---- catching and skinning ----------------------------------------------------

TEST_F(MessageBoxSkin, TheProgramsSearchBoxIsCaughtAndSkinned)
{
    const int windowsBefore = WindowCount();
    int index = 0;
    const int answer = Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        char cls[32] = {};
        GetClassNameA(box, cls, sizeof(cls));
        EXPECT_STREQ(cls, "#32770");
        index = FindWindowRecord(box);
        EXPECT_EQ(index, windowsBefore + 1) << "one new record for the box";
        WindowSkinRecord* r = RecordAt(index);
        if (!r) {
            Press(box, IDOK);
            return true;
        }
        RECT wr{};
        GetWindowRect(box, &wr);
        const int w = wr.right - wr.left, h = wr.bottom - wr.top;

        // The record.
        EXPECT_EQ(r->window, box);
        EXPECT_EQ(r->titleHeight, 25);
        EXPECT_EQ(r->showHelp + r->showMenu + r->showMinimise + r->showMaximise, 0);
        EXPECT_EQ(r->showClose, 1);
        EXPECT_EQ(r->titleBar, 1);
        EXPECT_EQ(r->resizable, 0);
        EXPECT_EQ(r->captionShown, 1);
        EXPECT_EQ(r->titleGloss, 0);
        EXPECT_EQ(r->captionColour, 0x00FFFFFFu);
        EXPECT_EQ(r->shadowColour, 0x00808080u);
        EXPECT_EQ(r->fontName, "宋体");
        EXPECT_EQ(r->fontSize, 13);
        EXPECT_EQ(r->fontStyle, 0);
        EXPECT_EQ(r->titleButtons.Count(), 1);
        const TitleButton* close = r->titleButtons.Get(1);
        if (!close) {
            Press(box, IDOK);
            return true;
        }
        EXPECT_EQ(close->width, 38);
        EXPECT_EQ(close->height, 18);
        EXPECT_EQ(close->action, kActionClose);
        EXPECT_EQ(close->name, "关闭");
        EXPECT_EQ(close->image, std::string(StoredBytes(IDR_MSGBOX_CLOSE)));
        EXPECT_EQ(r->stripX, w - 36);
        EXPECT_EQ(r->stripY, 0);
        EXPECT_EQ(r->stripWidth, 41);
        EXPECT_EQ(r->stripHeight, 22);
        EXPECT_EQ(close->hitRect.left, w - 36);
        EXPECT_EQ(close->hitRect.top, 0);
        EXPECT_EQ(close->hitRect.right - close->hitRect.left, 36);
        EXPECT_EQ(close->hitRect.bottom - close->hitRect.top, 22);

        // Subclassed once, with the properties leading back to the record.
        EXPECT_EQ(GetProperty(box, kPropIndex), static_cast<uintptr_t>(index));
        EXPECT_NE(GetProperty(box, kPropProc), 0u);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC)), &MessageBoxProc);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetProperty(box, kPropProc)), r->previousProc);
        // A second skinning changes nothing.
        SkinMessageBox(box);
        EXPECT_EQ(WindowCount(), windowsBefore + 1);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC)), &MessageBoxProc);

        // Styles and the rounded region (the corner pixel is cut off).
        EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_LAYERED);
        EXPECT_TRUE(GetWindowLongA(box, GWL_STYLE) & WS_SYSMENU);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(GetWindowRgn(box, region), ERROR);
        RECT bounds{};
        GetRgnBox(region, &bounds);
        EXPECT_EQ(bounds.left, 0);
        EXPECT_EQ(bounds.top, 0);
        EXPECT_GE(bounds.right, w - 1);
        EXPECT_GE(bounds.bottom, h - 1);
        EXPECT_FALSE(PtInRegion(region, 0, 0));
        EXPECT_TRUE(PtInRegion(region, w / 2, h / 2));
        EXPECT_TRUE(PtInRegion(region, w / 2, 0));
        DeleteObject(region);

        // The painted cache exists and is the window's size.
        EXPECT_NE(GetProperty(box, kPropCacheDc), 0u);
        EXPECT_EQ(reinterpret_cast<HDC>(GetProperty(box, kPropCacheDc)), r->frameCache.dc);
        EXPECT_EQ(r->frameCache.width, w);
        EXPECT_EQ(r->frameCache.height, h);

        // Buttons: owner-draw, registered in the box's record.
        int buttons = 0;
        for (HWND b : ChildrenOfClass(box, "Button")) {
            if (!IsWindowVisible(b)) continue;
            ++buttons;
            EXPECT_EQ(GetWindowLongA(b, GWL_STYLE) & 0xF, BS_OWNERDRAW) << WindowTextOf(b);
            EXPECT_EQ(GetProperty(b, kPropOwner), static_cast<uintptr_t>(index));
            EXPECT_NE(r->buttons.Find(b), 0);
        }
        EXPECT_EQ(buttons, 1) << "an OK box shows one button";

        // The message text is a "Static" label skinned by the label skin.
        HWND label = VisibleStaticText(box);
        EXPECT_NE(label, nullptr);
        EXPECT_EQ(WindowTextOf(label), kEmptyKeyword);
        EXPECT_EQ(GetProperty(label, kPropOwner), static_cast<uintptr_t>(index));
        EXPECT_NE(r->labels.Find(label), 0);
        // The box's first activation removed the hook.
        EXPECT_EQ(MessageBoxHook(), nullptr);
        Press(box, IDOK);
        return true;
    });
    EXPECT_EQ(answer, IDOK - 1);
    EXPECT_EQ(RecordAt(index), nullptr) << "the record is released with the box";
    EXPECT_FALSE(IsWindow(driver.LastBox()));
}

// At the moment it is caught (HCBT_ACTIVATE) the box is already layered and
// fully transparent; a hook of the test's own, installed first and so
// called after the skin's, looks at it there.
HHOOK gTestHook = nullptr;
struct ActivationLook {
    bool seen = false;
    bool layered = false;
    int alpha = -1;
    bool skinned = false;
};
ActivationLook gActivationLook;

LRESULT CALLBACK LookAtActivation(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_ACTIVATE && !gActivationLook.seen) {
        HWND w = reinterpret_cast<HWND>(wp);
        char cls[32] = {};
        GetClassNameA(w, cls, sizeof(cls));
        if (lstrcmpA(cls, "#32770") == 0) {
            gActivationLook.seen = true;
            gActivationLook.layered = (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
            BYTE alpha = 0;
            DWORD flags = 0;
            if (GetLayeredWindowAttributes(w, nullptr, &alpha, &flags) && (flags & LWA_ALPHA)) gActivationLook.alpha = alpha;
            gActivationLook.skinned = FindWindowRecord(w) != 0;
        }
    }
    return CallNextHookEx(gTestHook, code, wp, lp);
}

TEST_F(MessageBoxSkin, FadesInFromZeroInFiveStepsOfFiftyFortyMillisecondsApart)
{
    gActivationLook = ActivationLook{};
    gTestHook = SetWindowsHookExA(WH_CBT, LookAtActivation, nullptr, GetCurrentThreadId());
    ASSERT_NE(gTestHook, nullptr);
    DWORD firstIdle = 0;
    std::vector<FadeStep> steps;
    const int answer = Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        if (!firstIdle) firstIdle = GetTickCount();
        steps = FadeStepsOf(box);
        if (steps.size() < 5) return false;
        Press(box, IDOK);
        return true;
    });
    UnhookWindowsHookEx(gTestHook);
    EXPECT_EQ(answer, IDOK - 1);
    EXPECT_TRUE(gActivationLook.seen);
    EXPECT_TRUE(gActivationLook.skinned);
    EXPECT_TRUE(gActivationLook.layered);
    EXPECT_EQ(gActivationLook.alpha, 0) << "transparent until the fade starts";
    ASSERT_EQ(steps.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(steps[i].alpha, 50 * (i + 1)) << "step " << i + 1;
        EXPECT_EQ(steps[i].readBack, 50 * (i + 1)) << "step " << i + 1;
    }
    // Later paints of the same box do not start a second fade: only these
    // five steps were ever recorded for it.
    EXPECT_EQ(FadeStepsOf(driver.LastBox()).size(), 5u);
}

TEST_F(MessageBoxSkin, RepaintsDoNotStartASecondFade)
{
    bool repainted = false;
    DWORD repaintTick = 0;
    size_t stepsAfterRepaint = 0;
    Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        const size_t seen = FadeStepsOf(box).size();
        if (seen < 5) return false;
        if (!repainted) {
            repainted = true;
            RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            repaintTick = GetTickCount();
            // Proving that no second fade starts needs time to pass: a second
            // fade would record its first step 40 ms after the repaint.
            return false;
        }
        if (GetTickCount() - repaintTick < 150) return false;
        stepsAfterRepaint = seen;
        Press(box, IDOK);
        return true;
    });
    EXPECT_TRUE(repainted);
    EXPECT_EQ(stepsAfterRepaint, 5u);
}

TEST_F(MessageBoxSkin, HookIsGoneAfterTheFirstActivationAndASecondBoxSkinsAndFadesAgain)
{
    HWND first = nullptr;
    Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        first = box;
        EXPECT_EQ(MessageBoxHook(), nullptr);
        if (FadeStepsOf(box).size() < 5) return false;
        Press(box, IDOK);
        return true;
    });
    EXPECT_EQ(MessageBoxHook(), nullptr);
    int secondIndex = 0;
    HWND second = nullptr;
    Show(kConfirmDelete, kConfirmDeleteStyle, nullptr, [&](HWND box) {
        second = box;
        secondIndex = FindWindowRecord(box);
        if (FadeStepsOf(box).size() < 5) return false;
        Press(box, IDNO);
        return true;
    });
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(secondIndex, 0) << "the second box is skinned";
    EXPECT_EQ(FadeStepsOf(first).size(), 5u);
    EXPECT_EQ(FadeStepsOf(second).size(), 5u) << "the second box fades in again";
}

// The hook itself, outside a message box: while it is in place, windows of
// other classes are activated untouched; the first "#32770" is skinned and
// its activation removes the hook, so a later dialog is left alone.
INT_PTR CALLBACK EmptyDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

HWND MakeDialog(const char* title)
{
    struct alignas(4) {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tmpl{};
    tmpl.t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    tmpl.t.cx = 120;
    tmpl.t.cy = 60;
    HWND d = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tmpl.t, nullptr, EmptyDialogProc, 0);
    SetWindowTextA(d, title);
    return d;
}

TEST_F(MessageBoxSkin, HookSkinsOnlyTheFirstDialogActivated)
{
    ASSERT_TRUE(InstallMessageBoxHook());
    ASSERT_NE(MessageBoxHook(), nullptr);
    HWND plain = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 10, 10, 100, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(plain);
    EXPECT_EQ(GetProperty(plain, kPropProc), 0u) << "another class is left alone";
    EXPECT_EQ(FindWindowRecord(plain), 0);
    EXPECT_NE(MessageBoxHook(), nullptr) << "the hook waits for its dialog";

    HWND dialog = MakeDialog("d1");
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    EXPECT_NE(FindWindowRecord(dialog), 0);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)), &MessageBoxProc);
    EXPECT_EQ(MessageBoxHook(), nullptr) << "removed at the dialog's first activation";

    HWND later = MakeDialog("d2");
    ShowWindow(later, SW_SHOW);
    SetActiveWindow(later);
    EXPECT_EQ(FindWindowRecord(later), 0);
    EXPECT_EQ(GetProperty(later, kPropProc), 0u);

    const int index = FindWindowRecord(dialog);
    DestroyWindow(later);
    DestroyWindow(dialog);
    DestroyWindow(plain);
    EXPECT_EQ(RecordAt(index), nullptr);
    test::PumpMessages();
}

// ---- hit test, hover and the close button ------------------------------------

TEST_F(MessageBoxSkin, HitTestGivesCloseOnlyInsideTheCloseRectangle)
{
    Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        RECT rc{};
        GetWindowRect(box, &rc);
        const int stripX = (rc.right - rc.left) - 36;
        struct Case {
            int x, y;  // relative to the window's top-left corner
            LRESULT want;
        };
        const int w = rc.right - rc.left;
        const Case cases[] = {
            {stripX + 1, 4, HTCLOSE},    {stripX + 1, 20, HTCLOSE},   {w - 6, 10, HTCLOSE},
            {stripX + 18, 12, HTCLOSE},  {stripX, 10, HTCAPTION},     {w - 5, 10, HTCAPTION},
            {stripX + 10, 3, HTCAPTION}, {stripX + 10, 21, HTCAPTION}, {stripX + 10, 25, HTCAPTION},
            {10, 0, HTCAPTION},          {10, 12, HTCAPTION},         {w / 2, 25, HTCAPTION},
            {10, 26, HTCLIENT},          {w / 2, 40, HTCLIENT},       {stripX + 10, 26, HTCLIENT},
        };
        for (const Case& c : cases) {
            const LRESULT got =
                SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(rc.left + c.x, rc.top + c.y));
            EXPECT_EQ(got, c.want) << "at (" << c.x << ", " << c.y << ") of a box " << w << " wide";
        }
        Press(box, IDOK);
        return true;
    });
}

TEST_F(MessageBoxSkin, CloseButtonLightsUpOnceAndGoesBackWhenThePointerLeaves)
{
    Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        WindowSkinRecord* r = RecordAt(FindWindowRecord(box));
        if (!r) {
            ADD_FAILURE() << "box not skinned";
            Press(box, IDOK);
            return true;
        }
        const RECT cell = r->titleButtons.Get(1)->hitRect;
        // A point inside the hot face, below the glyph's strokes.
        const int px = cell.left + 8, py = cell.top + 18;
        const Rgb normal = CachePixel(*r, px, py);
        RECT wr{};
        GetWindowRect(box, &wr);
        const LPARAM over = MAKELPARAM(wr.left + cell.left + 18, wr.top + 10);
        EXPECT_EQ(SendMessageA(box, WM_NCMOUSEMOVE, HTCLOSE, over), 0);
        EXPECT_EQ(r->highlighted, 1);
        const Rgb hot = CachePixel(*r, px, py);
        EXPECT_GT(hot.r - hot.g, 60) << "hot face is red: " << hot.r << "," << hot.g << "," << hot.b;
        EXPECT_LT(std::abs(normal.r - normal.g), 30) << "normal face is not red";
        SendMessageA(box, WM_NCMOUSEMOVE, HTCLOSE, over);
        EXPECT_EQ(r->highlighted, 1);
        SendMessageA(box, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(wr.left + 10, wr.top + 10));
        EXPECT_EQ(r->highlighted, 0);
        const Rgb back = CachePixel(*r, px, py);
        EXPECT_EQ(back.r, normal.r);
        EXPECT_EQ(back.g, normal.g);
        EXPECT_EQ(back.b, normal.b);
        Press(box, IDOK);
        return true;
    });
}

// The close button as a user works it, read back from the screen: the
// pointer lights it, leaving the box straight from it puts it back, a press
// alone keeps the box, and the release ends the box: OK from the OK box and
// the safe No from the Yes/No box. (The system's own close, which the
// button once sent, answers Cancel from every box under Wine and is
// disabled on a Yes/No box on Windows.)
TEST_F(MessageBoxSkin, CloseButtonOnScreenLightsGoesBackAndAnswersOkOrNo)
{
    struct Case {
        const char* text;
        UINT style;
        int answer;
    };
    const Case cases[] = {{kEmptyKeyword, kEmptyKeywordStyle, IDOK - 1},
                          {kConfirmDelete, kConfirmDeleteStyle, IDNO - 1}};
    const POINT away{5, GetSystemMetrics(SM_CYSCREEN) - 5};  // off the box and its owner
    for (const Case& c : cases) {
        enum Phase { kOver, kLit, kAway, kBack, kPressed, kReleased } phase = kOver;
        test::ScreenRgb normal{-1, -1, -1}, lit{}, back{};
        bool openAfterPress = false;
        int waited = 0;
        const int answer = Show(c.text, c.style, nullptr, [&](HWND box) {
            WindowSkinRecord* r = RecordAt(FindWindowRecord(box));
            if (!r || FadeStepsOf(box).size() < 5) return false;  // fully shown first
            RECT wr{};
            GetWindowRect(box, &wr);
            const RECT cell = r->titleButtons.Get(1)->hitRect;
            // Inside the hot face, clear of the glyph's strokes.
            const POINT face{wr.left + cell.left + 10, wr.top + cell.top + 17};
            const POINT over{wr.left + cell.left + 18, wr.top + 10};
            auto faceNow = [&] { return test::ScreenPixels(RECT{face.x, face.y, face.x + 1, face.y + 1}).At(0, 0); };
            // Input reaches the box between ticks; the screen follows within
            // a few of them, or never.
            auto settled = [&](bool done) { return done || ++waited > 60; };
            switch (phase) {
            case kOver:
                normal = faceNow();
                test::MovePointerTo(over.x, over.y);
                phase = kLit;
                return false;
            case kLit:
                lit = faceNow();
                if (!settled(test::IsRedFace(lit))) return false;
                waited = 0;
                test::MovePointerTo(away.x, away.y);
                phase = kAway;
                return false;
            case kAway:
                back = faceNow();
                if (!settled(test::Near(back, normal, 8))) return false;
                waited = 0;
                test::MovePointerTo(over.x, over.y);
                phase = kBack;
                return false;
            case kBack:
                if (!settled(test::IsRedFace(faceNow()))) return false;
                test::LeftButton(true);
                phase = kPressed;
                return false;
            case kPressed:
                openAfterPress = IsWindowVisible(box) != FALSE;
                test::LeftButton(false);
                phase = kReleased;
                return false;
            case kReleased:
                // Still here after the release: the box ignored it.
                if (++waited < 50) return false;
                Press(box, IDCANCEL);
                return true;
            }
            return true;
        });
        test::MovePointerTo(away.x, away.y);
        EXPECT_TRUE(test::IsRedFace(lit)) << c.text << ": lit " << lit;
        EXPECT_TRUE(test::Near(back, normal, 8)) << c.text << ": back " << back << " normal " << normal;
        EXPECT_FALSE(test::IsRedFace(normal)) << normal;
        EXPECT_TRUE(openAfterPress) << c.text;
        EXPECT_EQ(answer, c.answer) << c.text;
    }
}

// What the screen shows of each program box once it has faded in: its
// labels (the message and the icon) sit on the same body colour as the box
// right beside them. Taken from the wrong place, their background shows the
// title band's shade and a ghost of the caption's icon and text instead.
TEST_F(MessageBoxSkin, LabelsSitOnTheBodyColourAroundThemOnScreen)
{
    SkinSettings saved = Skin();
    Skin().translucentBackground = 1;  // as the program sets it
    Skin().backgroundAlpha = 100;
    struct Case {
        const char* text;
        UINT style;
        int button;
    };
    for (const Case& c : {Case{kEmptyKeyword, kEmptyKeywordStyle, IDOK}, Case{kConfirmDelete, kConfirmDeleteStyle, IDNO}}) {
        int labels = 0;
        Show(c.text, c.style, nullptr, [&](HWND box) {
            if (FadeStepsOf(box).size() < 5) return false;
            RECT wr{};
            GetWindowRect(box, &wr);
            const test::ScreenPixels screen(wr);
            for (HWND label : ChildrenOfClass(box, "Static")) {
                if (!IsWindowVisible(label)) continue;
                ++labels;
                RECT lr{};
                GetWindowRect(label, &lr);
                OffsetRect(&lr, -wr.left, -wr.top);
                // Interior pixels of the label's top corners, where neither
                // the text nor the icon reaches, against the box just left of
                // the label on the same rows.
                for (int y : {lr.top + 1, lr.top + 2}) {
                    const test::ScreenRgb beside = screen.At(lr.left - 3, y);
                    for (int x : {lr.left + 1, lr.left + 2, lr.right - 3, lr.right - 2}) {
                        const test::ScreenRgb inside = screen.At(x, y);
                        EXPECT_TRUE(test::Near(inside, beside, 6))
                            << c.text << ": label " << WindowTextOf(label) << " at (" << x << ", " << y << ") "
                            << inside << ", beside it " << beside;
                    }
                }
            }
            Press(box, c.button);
            return true;
        });
        EXPECT_EQ(labels, 2) << c.text << ": the message and the icon";
    }
    Skin() = saved;
}

// Each box fades in on its own: one opened while another shows fades in
// as the first did, rather than staying transparent.
TEST_F(MessageBoxSkin, ABoxOpenedWhileAnotherShowsFadesInToo)
{
    MessageBoxDriver second;
    HWND firstBox = nullptr, secondBox = nullptr;
    Show(kEmptyKeyword, kEmptyKeywordStyle, nullptr, [&](HWND box) {
        firstBox = box;
        if (FadeStepsOf(box).size() < 5) return false;
        second.Run([&] { return ShowSkinnedMessageBox(second.Owner(), kConfirmDelete, kConfirmDeleteStyle, nullptr); },
                   [&](HWND other) {
                       secondBox = other;
                       if (FadeStepsOf(other).size() < 5) return false;
                       Press(other, IDNO);
                       return true;
                   },
                   3000);
        Press(box, IDOK);
        return true;
    });
    ASSERT_NE(secondBox, nullptr);
    EXPECT_NE(secondBox, firstBox);
    const std::vector<FadeStep> steps = FadeStepsOf(secondBox);
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps.back().readBack, 250);
}

// ---- answers -----------------------------------------------------------------

TEST_F(MessageBoxSkin, AnswersAreTheButtonIdentifierMinusOne)
{
    struct Case {
        const char* text;
        UINT style;
        int button;
        int want;
    };
    const Case cases[] = {
        {kEmptyKeyword, kEmptyKeywordStyle, IDOK, 0},
        {kConfirmDelete, kConfirmDeleteStyle, IDYES, 5},
        {kConfirmDelete, kConfirmDeleteStyle, IDNO, 6},
        {"ok or cancel", MB_OKCANCEL, IDCANCEL, 1},
    };
    for (const Case& c : cases) {
        const int answer = Show(c.text, c.style, "", [&](HWND box) {
            HWND button = GetDlgItem(box, c.button);
            EXPECT_NE(button, nullptr) << c.text << " has button " << c.button;
            // A click as the mouse makes it, on the owner-draw button.
            PostMessageA(button, BM_CLICK, 0, 0);
            return true;
        });
        EXPECT_EQ(answer, c.want) << c.text << " answered with " << c.button;
    }
}

// ---- caption -----------------------------------------------------------------

TEST_F(MessageBoxSkin, EmptyCaptionShowsTheSystemsDefaultTitleAsGlowText)
{
    // What the system calls an untitled box here, from a box nobody skins.
    std::string systemTitle;
    driver.Run([&] { return MessageBoxExA(driver.Owner(), "plain", nullptr, MB_OK, 0); },
               [&](HWND box) {
                   systemTitle = WindowTextOf(box);
                   Press(box, IDOK);
                   return true;
               });
    ASSERT_FALSE(systemTitle.empty());

    std::string title;
    int darkWithTitle = -1, darkWithoutTitle = -1, darkBelowTitle = -1;
    Show(kEmptyKeyword, kEmptyKeywordStyle, "", [&](HWND box) {
        title = WindowTextOf(box);
        WindowSkinRecord* r = RecordAt(FindWindowRecord(box));
        if (!r || !r->frameCache.dc) {
            ADD_FAILURE() << "box not skinned or not painted";
            Press(box, IDOK);
            return true;
        }
        const int w = r->frameCache.width;
        // The caption's rectangle, short of the close button.
        const RECT caption{25, 2, w - 40, 26};
        darkWithTitle = DarkPixels(*r, caption, 90);
        darkBelowTitle = DarkPixels(*r, RECT{25, 26, w - 40, 30}, 90);
        SetWindowTextA(box, "");
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        r = RecordAt(FindWindowRecord(box));
        darkWithoutTitle = DarkPixels(*r, caption, 90);
        Press(box, IDOK);
        return true;
    });
    EXPECT_EQ(title, systemTitle);
    EXPECT_GT(darkWithTitle, 20) << "the title's strokes are drawn dark";
    EXPECT_EQ(darkWithoutTitle, 0) << "nothing dark there without a title";
    EXPECT_EQ(darkBelowTitle, 0);
}

// The glow caption's face, 黑体, is missing from a Windows without the
// Chinese fonts; the caption then comes in 宋体 instead of vanishing.
TEST(GlowCaption, FallsBackToSongTiWhereItsFaceIsMissing)
{
    for (const char* face : {"黑体", "NoSuchFaceOnAnyMachine"}) {
        const int w = 120, h = 30;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        bool drawn = false;
        {
            gp::Graphics g;
            ASSERT_TRUE(g.CreateFromHDC(dc));
            g.Clear(0xFFFFFFFF);
            GlowTextStyle style;
            style.fontName = face;
            drawn = DrawGlowText(g, "提示标题", gp::RectF(0, 0, static_cast<float>(w), static_cast<float>(h)), style);
        }
        GdiFlush();
        int dark = 0;
        const auto* p = static_cast<const DWORD*>(bits);
        for (int i = 0; i < w * h; ++i) dark += ((p[i] >> 16) & 0xFF) < 90 && ((p[i] >> 8) & 0xFF) < 90;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
        EXPECT_TRUE(drawn) << face;
        EXPECT_GT(dark, 20) << face;
    }
}

// ---- resources ---------------------------------------------------------------

TEST_F(MessageBoxSkin, HundredBoxesLeaveNoGdiOrUserObjectsBehind)
{
    SetFadeStepObserver(nullptr);
    auto oneBox = [&](UINT style, int button) {
        return Show(kConfirmDelete, style, nullptr, [&](HWND box) {
            WindowSkinRecord* r = RecordAt(FindWindowRecord(box));
            if (!r || !r->frameCache.dc) return false;  // wait for the first paint
            // Hover and leave the close button, so its painting is counted too.
            SendMessageA(box, WM_NCMOUSEMOVE, HTCLOSE, 0);
            SendMessageA(box, WM_NCMOUSEMOVE, HTCAPTION, 0);
            Press(box, button);
            return true;
        });
    };
    for (int i = 0; i < 3; ++i) oneBox(kEmptyKeywordStyle, IDOK);  // warm-up: fonts, caches
    const long gdiBefore = test::GdiObjectCount();
    const int windowsBefore = ThreadWindowCount();
    const int liveBefore = LiveRecordCount();
    int answered = 0;
    for (int i = 0; i < 100; ++i) {
        const bool yesNo = i % 2 == 1;
        answered += oneBox(yesNo ? kConfirmDeleteStyle : kEmptyKeywordStyle, yesNo ? IDNO : IDOK) ==
                    (yesNo ? IDNO - 1 : IDOK - 1);
    }
    test::PumpMessages();
    const long gdiAfter = test::GdiObjectCount();
    std::printf("GDI objects before %ld, after 100 boxes %ld; thread windows %d -> %d\n", gdiBefore, gdiAfter,
                windowsBefore, ThreadWindowCount());
    EXPECT_EQ(answered, 100);
    ASSERT_GT(gdiBefore, 0);
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(LiveRecordCount(), liveBefore);
    EXPECT_EQ(MessageBoxHook(), nullptr);
}

}  // namespace
