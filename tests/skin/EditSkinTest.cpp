// The edit and combo-box skins on real windows under Wine: installers,
// hover hand-over between edits, the translucent wash, non-client painting,
// combo-box text and colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "skin/ComboSkin.h"
#include "skin/EditSkin.h"
#include "tests/skin/FieldSkinTestSupport.h"

using namespace orv;
using namespace orv::fieldtest;

namespace {

const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new FieldSkinEnvironment);

bool IsRegisteredEdit(HWND edit)
{
    WindowSkinRecord* r = RecordAt(OwningWindow(edit));
    return r && r->edits.Find(edit) > 0;
}

// Mid-height pixels of the left border: x = 0 and x = 1.
struct LeftEdge {
    Rgb outer, inner;
};
LeftEdge LeftEdgeOf(HWND edit)
{
    WindowPixels p(edit);
    return LeftEdge{p.At(0, p.Height() / 2), p.At(1, p.Height() / 2)};
}

class EditSkinTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (host) DestroyWindow(host);
        PumpMessages();
    }
    SettingsGuard guard;
    HWND host = nullptr;
};

TEST_F(EditSkinTest, HoverMovesFromOneEditToTheNextLeavingExactlyOneHot)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND a = MakeChild(host, "Edit", ES_AUTOHSCROLL, 20, 20, 140, 24, WS_EX_CLIENTEDGE, "a");
    HWND b = MakeChild(host, "Edit", ES_AUTOHSCROLL, 20, 60, 140, 24, WS_EX_CLIENTEDGE, "b");
    SkinAndShow(host);
    ASSERT_TRUE(IsRegisteredEdit(a));
    ASSERT_TRUE(IsRegisteredEdit(b));

    LeftEdge restA = LeftEdgeOf(a);
    EXPECT_FALSE(IsAccentLike(restA.outer)) << restA.outer;
    EXPECT_FALSE(IsAccentLike(restA.inner)) << restA.inner;

    Hover(a);
    LeftEdge hotA = LeftEdgeOf(a);
    EXPECT_TRUE(IsAccentLike(hotA.outer)) << hotA.outer;
    EXPECT_TRUE(IsAccentLike(hotA.inner)) << hotA.inner;  // two pixels wide

    // The pointer goes to b: b's move arrives before a's leave.
    Hover(b);
    SendMessageA(a, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(IsAccentLike(LeftEdgeOf(a).inner));
    EXPECT_TRUE(IsAccentLike(LeftEdgeOf(b).inner));

    // And back, with the leave first this time.
    SendMessageA(b, WM_MOUSELEAVE, 0, 0);
    Hover(a);
    EXPECT_TRUE(IsAccentLike(LeftEdgeOf(a).inner));
    EXPECT_FALSE(IsAccentLike(LeftEdgeOf(b).inner));
    EXPECT_FALSE(IsAccentLike(LeftEdgeOf(b).outer));

    // A second move inside the same edit does not repaint it as new hover
    // (the record already names it), and it stays hot.
    Hover(a);
    EXPECT_TRUE(IsAccentLike(LeftEdgeOf(a).inner));
    SetCursorPos(0, 0);
    PumpMessages();
}

TEST_F(EditSkinTest, TranslucentFrameRingIsTheWhiteWashOverThePicture)
{
    SetTranslucent(true, 100);
    host = MakeHost();
    HWND edit = MakeChild(host, "Edit", ES_AUTOHSCROLL, 20, 20, 160, 24, WS_EX_CLIENTEDGE, "x");
    SkinAndShow(host);
    SendMessageA(edit, WM_NCPAINT, 1, 0);
    WindowPixels p(edit);
    // x = 1 is ring but not border (the normal border is one pixel at x = 0).
    const int y = p.Height() / 2;
    Rgb expected = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(edit, 1, y));
    EXPECT_TRUE(Near(p.At(1, y), expected, 3)) << p.At(1, y) << " vs " << expected;
    // The normal border: black at alpha 80 over the wash.
    Rgb border = Blend(Rgb{0, 0, 0}, 80, Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(edit, 0, y)));
    EXPECT_TRUE(Near(p.At(0, y), border, 3)) << p.At(0, y) << " vs " << border;
}

TEST_F(EditSkinTest, OpaqueFrameRingIsWhite)
{
    SetTranslucent(false);
    host = MakeHost();
    HWND edit = MakeChild(host, "Edit", ES_AUTOHSCROLL, 20, 20, 160, 24, WS_EX_CLIENTEDGE, "x");
    SkinAndShow(host);
    SendMessageA(edit, WM_NCPAINT, 1, 0);
    WindowPixels p(edit);
    EXPECT_EQ(p.At(1, p.Height() / 2), (Rgb{255, 255, 255}));
    EXPECT_EQ(p.At(p.Width() / 2, 1), (Rgb{255, 255, 255}));
}

// Counts the messages that reach the edit's own procedure behind the skin.
WNDPROC gSystemEditProc = nullptr;
int gNcPaintsSeen = 0;
LRESULT CALLBACK EditSpy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCPAINT) ++gNcPaintsSeen;
    return CallWindowProcA(gSystemEditProc, hwnd, message, wParam, lParam);
}

TEST_F(EditSkinTest, NonClientPaintNeverReachesThePreviousProcedure)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND plain = MakeChild(host, "Edit", ES_AUTOHSCROLL, 20, 20, 160, 24, WS_EX_CLIENTEDGE, "x");
    HWND scrolled = MakeChild(host, "Edit", ES_MULTILINE | WS_VSCROLL, 20, 60, 160, 60, WS_EX_CLIENTEDGE, "a\r\nb");
    gSystemEditProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(plain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSpy)));
    SetWindowLongPtrA(scrolled, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditSpy));
    SkinAndShow(host);
    gNcPaintsSeen = 0;
    SendMessageA(plain, WM_NCPAINT, 1, 0);
    SendMessageA(scrolled, WM_NCPAINT, 1, 0);
    EXPECT_EQ(gNcPaintsSeen, 0);
    // The system still draws the scroll bar: its area is not the skin's ring
    // colour and not the picture.
    WindowPixels p(scrolled);
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetScrollBarInfo(scrolled, OBJID_VSCROLL, &info));
    RECT w{};
    GetWindowRect(scrolled, &w);
    int sx = (info.rcScrollBar.left + info.rcScrollBar.right) / 2 - w.left;
    int sy = (info.rcScrollBar.top + info.rcScrollBar.bottom) / 2 - w.top;
    Rgb wash = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(scrolled, sx, sy));
    EXPECT_FALSE(Near(p.At(sx, sy), wash, 2)) << p.At(sx, sy);
}

TEST_F(EditSkinTest, InstallerSkipsEditsAlreadyRegisteredAndSetsTextColourZero)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND edit = MakeChild(host, "Edit", 0, 20, 20, 160, 24, WS_EX_CLIENTEDGE);
    SetPropA(edit, kPropTextColour, reinterpret_cast<HANDLE>(0x123456));
    SkinAndShow(host);
    int index = OwningWindow(edit);
    WindowSkinRecord* r = RecordAt(index);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(GetProperty(edit, kPropTextColour), 0u);
    const int count = r->edits.Count();
    const LONG_PTR proc = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    SkinEditsAndCombos(index, host);
    EXPECT_EQ(r->edits.Count(), count);
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_WNDPROC), proc);
    EXPECT_EQ(GetProperty(edit, kPropProc), reinterpret_cast<uintptr_t>(r->edits.Get(r->edits.Find(edit))->previousProc));
}

TEST_F(EditSkinTest, EditInsideComboIsSkinnedOnlyInTranslucentMode)
{
    for (bool translucent : {false, true}) {
        SetTranslucent(translucent);
        HWND h = MakeHost();
        HWND combo = MakeChild(h, "ComboBox", CBS_DROPDOWN, 20, 20, 150, 120);
        HWND inner = FindWindowExA(combo, nullptr, "Edit", nullptr);
        ASSERT_NE(inner, nullptr);
        SkinAndShow(h);
        WindowSkinRecord* r = RecordAt(OwningWindow(combo));
        ASSERT_NE(r, nullptr);
        EXPECT_GT(r->combos.Find(combo), 0);
        EXPECT_EQ(r->edits.Find(inner) > 0, translucent) << "translucent " << translucent;
        EXPECT_EQ(GetProperty(inner, kPropIndex) != 0, translucent);
        DestroyWindow(h);
        PumpMessages();
    }
}

TEST_F(EditSkinTest, ComboWithSelectionShowsItsTextRightAfterSkinning)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND combo = MakeChild(host, "ComboBox", CBS_DROPDOWN, 20, 20, 150, 120);
    for (const char* item : {"C调", "D调", "E调"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    // The text the user last typed differs from the selection.
    SetWindowTextA(FindWindowExA(combo, nullptr, "Edit", nullptr), "typed");
    HWND listOnly = MakeChild(host, "ComboBox", CBS_DROPDOWNLIST, 20, 60, 150, 120);
    HWND empty = MakeChild(host, "ComboBox", CBS_DROPDOWNLIST, 20, 100, 150, 120);
    for (HWND c : {listOnly, empty})
        for (const char* item : {"WWWW", "MMMM"}) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(listOnly, CB_SETCURSEL, 1, 0);
    SkinAndShow(host);

    char text[32] = {};
    GetWindowTextA(combo, text, sizeof(text));
    EXPECT_STREQ(text, "E调");

    // The skin draws a list-only combo's text itself: dark text pixels left
    // of the button in the one with a selection, none in the empty one.
    auto darkPixels = [](HWND c) {
        WindowPixels p(c);
        int dark = 0;
        for (int y = 3; y < p.Height() - 3; ++y)
            for (int x = 3; x < p.Width() - 24; ++x) {
                Rgb px = p.At(x, y);
                dark += px.r + px.g + px.b < 300;
            }
        return dark;
    };
    EXPECT_GT(darkPixels(listOnly), 10);
    EXPECT_EQ(darkPixels(empty), 0);
}

TEST_F(EditSkinTest, TextColourOnAComboColoursItsInnerEdit)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND combo = MakeChild(host, "ComboBox", CBS_DROPDOWN, 20, 20, 180, 120);
    HWND inner = FindWindowExA(combo, nullptr, "Edit", nullptr);
    SetWindowTextA(combo, "WWWWWWWW");
    SkinAndShow(host);
    Engine()->SetControlTextColour(combo, RGB(255, 0, 0));
    EXPECT_EQ(GetProperty(inner, kPropTextColour), static_cast<uintptr_t>(RGB(255, 0, 0)));
    EXPECT_EQ(GetProperty(combo, kPropTextColour), 0u);
    RedrawWindow(inner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpMessages();
    WindowPixels p(inner);
    int red = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            Rgb px = p.At(x, y);
            red += px.r > 150 && px.g < 90 && px.b < 90;
        }
    EXPECT_GT(red, 10);
    // The brush made for the edit belongs to the record and is kept in Kj_dxjb.
    EXPECT_NE(GetProperty(inner, kPropBrush), 0u);
}

TEST_F(EditSkinTest, WithControlSkinningOffTheInstallersChangeNothing)
{
    SetTranslucent(true);
    Skin().controlSkinning = 0;
    host = MakeHost();
    struct Kind {
        const char* className;
        DWORD style;
    } kinds[] = {{"Edit", 0},          {"ComboBox", CBS_DROPDOWN}, {"ListBox", WS_BORDER},
                 {WC_LISTVIEWA, LVS_REPORT}, {WC_TREEVIEWA, 0},  {TRACKBAR_CLASSA, 0},
                 {PROGRESS_CLASSA, 0}, {UPDOWN_CLASSA, 0},     {WC_HEADERA, 0},
                 {WC_IPADDRESSA, 0},   {DATETIMEPICK_CLASSA, 0}};
    std::vector<std::pair<HWND, LONG_PTR>> before;
    int y = 4;
    for (const Kind& k : kinds) {
        HWND c = MakeChild(host, k.className, k.style, 10, y, 150, 22);
        before.emplace_back(c, GetWindowLongPtrA(c, GWLP_WNDPROC));
        y += 24;
    }
    SkinAndShow(host);
    int index = FindWindowRecord(host);
    ASSERT_GT(index, 0);  // the frame is still skinned
    for (ControlInstaller installer :
         {SkinEditsAndCombos, GetControlInstaller(kInstallListFamily), GetControlInstaller(kInstallTrackBars),
          GetControlInstaller(kInstallProgressBars), GetControlInstaller(kInstallUpDown),
          GetControlInstaller(kInstallHeaders)}) {
        ASSERT_NE(installer, nullptr);
        installer(index, host);
    }
    for (auto& [control, proc] : before) {
        EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), proc);
        EXPECT_EQ(GetProperty(control, kPropIndex), 0u);
        EXPECT_EQ(GetProperty(control, kPropProc), 0u);
    }
    WindowSkinRecord* r = RecordAt(index);
    EXPECT_EQ(r->edits.Find(before[0].first), 0);
    EXPECT_EQ(r->lists.Count(), 1);
    EXPECT_EQ(r->lists.Get(1)->hwnd, nullptr);
}

}  // namespace
