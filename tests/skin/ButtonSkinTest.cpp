// The button skin on real windows under Wine: which buttons the installers
// take, where the painters put pictures and captions, the state looks, the
// caption colour, and hover moving between buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "skin/ButtonSkin.h"
#include "tests/skin/ControlSkinTestSupport.h"

using namespace orv;
using namespace orv::test;

namespace {

const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

constexpr Pixel kAccent{0x22, 0xCA, 0xDD};

bool IsRed(Pixel p) { return p.r > 180 && p.g < 90 && p.b < 90; }
bool IsGreen(Pixel p) { return p.g > 150 && p.r < 90 && p.b < 90; }
bool IsPureBlue(Pixel p) { return p.b > 200 && p.r < 40 && p.g < 40; }

class Buttons : public SkinFixture {
protected:
    void SetUp() override
    {
        SkinFixture::SetUp();
        RegisterButtonSkin();
    }
    void TearDown() override
    {
        RegisterButtonSkin();
        SkinFixture::TearDown();
    }
    WNDPROC ProcOf(HWND w) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)); }
    LONG TypeOf(HWND w) { return GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK; }

    // The button painted by the skin in state into a surface of its size.
    Surface Paint(HWND button, UINT state)
    {
        RECT rc{};
        GetClientRect(button, &rc);
        Surface s(rc.right, rc.bottom);
        s.Fill(0x00FF00FF);  // anything the painter leaves out stays magenta
        EXPECT_TRUE(PaintButton(button, s.Dc(), state, rc));
        return s;
    }

    // First and last x in row y where pred holds (-1, -1 when nowhere).
    template <typename Pred>
    std::pair<int, int> Run(const Surface& s, int y, Pred pred)
    {
        int first = -1, last = -1;
        for (int x = 0; x < s.Width(); ++x)
            if (pred(s.At(x, y))) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last};
    }
    template <typename Pred>
    std::pair<int, int> Column(const Surface& s, int x, Pred pred)
    {
        int first = -1, last = -1;
        for (int y = 0; y < s.Height(); ++y)
            if (pred(s.At(x, y))) {
                if (first < 0) first = y;
                last = y;
            }
        return {first, last};
    }
};

// ---- installers ---------------------------------------------------------------

TEST_F(Buttons, PushInstallerTakesPushTypesAndLeavesTheRestAlone)
{
    SetControlInstaller(kInstallCheckButtons, nullptr);  // the push installer alone
    HWND host = Host();
    HWND push = Child(host, "BUTTON", "push", BS_PUSHBUTTON, 10, 10, 80, 24);
    HWND def = Child(host, "BUTTON", "OK", BS_DEFPUSHBUTTON, 100, 10, 80, 24);
    HWND user = Child(host, "BUTTON", "user", BS_USERBUTTON, 190, 10, 80, 24);
    HWND owner = Child(host, "BUTTON", "own", BS_OWNERDRAW, 10, 40, 80, 24);
    HWND check = Child(host, "BUTTON", "check", BS_AUTOCHECKBOX, 100, 40, 80, 24);
    HWND radio = Child(host, "BUTTON", "radio", BS_AUTORADIOBUTTON, 190, 40, 80, 24);
    HWND group = Child(host, "BUTTON", "group", BS_GROUPBOX, 10, 70, 200, 60);
    const WNDPROC ownerProc = ProcOf(owner), checkProc = ProcOf(check), radioProc = ProcOf(radio),
                  groupProc = ProcOf(group);
    const int index = SkinAndShow(host);
    ASSERT_GT(index, 0);
    WindowSkinRecord* r = RecordAt(index);

    for (HWND b : {push, def, user}) {
        EXPECT_EQ(ProcOf(b), ButtonWindowProc);
        EXPECT_EQ(TypeOf(b), BS_OWNERDRAW);
        const int e = r->buttons.Find(b);
        ASSERT_GT(e, 0);
        EXPECT_EQ(GetProperty(b, kPropIndex), static_cast<uintptr_t>(e));
        EXPECT_EQ(GetProperty(b, kPropOwner), static_cast<uintptr_t>(index));
        EXPECT_EQ(r->buttons.Get(e)->kind, kButtonPlain);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetProperty(b, kPropProc)), r->buttons.Get(e)->previousProc);
        EXPECT_NE(r->buttons.Get(e)->previousProc, nullptr);
    }
    EXPECT_EQ(r->buttons.Get(r->buttons.Find(def))->caption, "OK");
    EXPECT_EQ(r->buttons.Find(push), 1);  // the first button takes the initial entry
    EXPECT_EQ(r->buttons.Count(), 3);

    EXPECT_EQ(r->buttons.Find(owner), 0);
    EXPECT_EQ(ProcOf(owner), ownerProc);
    EXPECT_EQ(r->buttons.Find(check), 0);
    EXPECT_EQ(ProcOf(check), checkProc);
    EXPECT_EQ(TypeOf(check), BS_AUTOCHECKBOX);
    EXPECT_EQ(r->buttons.Find(radio), 0);
    EXPECT_EQ(ProcOf(radio), radioProc);
    EXPECT_EQ(r->buttons.Find(group), 0);
    EXPECT_EQ(ProcOf(group), groupProc);
    EXPECT_EQ(TypeOf(group), BS_GROUPBOX);

    // Running the installer again takes nothing twice.
    InstallPushButtons(index, host);
    EXPECT_EQ(r->buttons.Count(), 3);
}

TEST_F(Buttons, CheckInstallerRegistersCheckBoxesAndRadiosWithTheirState)
{
    HWND host = Host();
    HWND check = Child(host, "BUTTON", "check", BS_AUTOCHECKBOX, 10, 10, 100, 20);
    HWND radio = Child(host, "BUTTON", "radio", BS_AUTORADIOBUTTON, 10, 40, 100, 20);
    HWND group = Child(host, "BUTTON", "group", BS_GROUPBOX, 10, 70, 200, 60);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    const int index = SkinAndShow(host);
    WindowSkinRecord* r = RecordAt(index);
    ASSERT_GT(r->buttons.Find(check), 0);
    ASSERT_GT(r->buttons.Find(radio), 0);
    EXPECT_EQ(r->buttons.Find(group), 0);
    EXPECT_EQ(r->buttons.Get(r->buttons.Find(check))->kind, kButtonCheck);
    EXPECT_EQ(r->buttons.Get(r->buttons.Find(check))->checkState, BST_CHECKED);
    EXPECT_EQ(r->buttons.Get(r->buttons.Find(radio))->kind, kButtonRadio);
    EXPECT_EQ(r->buttons.Get(r->buttons.Find(radio))->checkState, BST_UNCHECKED);
    // They keep their type, so the system keeps their check state.
    EXPECT_EQ(TypeOf(check), BS_AUTOCHECKBOX);
    SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // The painter's tick: accent pixels in the box only while checked.
    auto accentish = [](Pixel p) { return Near(p, kAccent, 40); };
    const RECT box{0, 0, 18, 20};
    Surface unchecked = Paint(check, 0);
    EXPECT_EQ(unchecked.Count(accentish, box), 0);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    Surface checked = Paint(check, 0);
    EXPECT_GT(checked.Count(accentish, box), 5);
}

TEST_F(Buttons, WithControlSkinningOffNothingIsTaken)
{
    Skin().controlSkinning = 0;
    HWND host = Host();
    HWND push = Child(host, "BUTTON", "push", BS_PUSHBUTTON, 10, 10, 80, 24);
    const WNDPROC before = ProcOf(push);
    const int index = SkinAndShow(host);
    InstallPushButtons(index, host);
    EXPECT_EQ(ProcOf(push), before);
    EXPECT_EQ(RecordAt(index)->buttons.Find(push), 0);
}

// ---- painters -----------------------------------------------------------------

TEST_F(Buttons, ImageButtonWithCaptionDrawsItsPictureAtXThreeScaledToEightTenthsOfTheHeight)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "Go", BS_PUSHBUTTON, 20, 20, 100, 30);
    SkinAndShow(host);
    skin.SkinImageButton(button, SolidPng(64, 64, 0x000000FF), 1, Given(1));
    Surface s = Paint(button, 0);
    // s = round(0.8 × 30) = 24: columns 3..26, rows 3..26.
    auto row = Run(s, 15, IsRed);
    EXPECT_NEAR(row.first, 3, 1);
    EXPECT_NEAR(row.second, 26, 1);
    auto column = Column(s, 14, IsRed);
    EXPECT_NEAR(column.first, 3, 1);
    EXPECT_NEAR(column.second, 26, 1);
    // Nothing of the picture right of it, where the caption goes.
    EXPECT_EQ(s.Count(IsRed, RECT{29, 0, 100, 30}), 0);
    // The caption (black by default) is drawn from x 32 on, left-aligned.
    auto dark = [](Pixel p) { return p.r < 60 && p.g < 60 && p.b < 90; };
    EXPECT_GT(s.Count(dark, RECT{32, 0, 60, 30}), 5);
    EXPECT_EQ(s.Count(dark, RECT{60, 0, 100, 30}), 0);

    // Taller button, larger picture: round(0.8 × 45) = 36.
    SetWindowPos(button, nullptr, 0, 0, 100, 45, SWP_NOMOVE | SWP_NOZORDER);
    Surface tall = Paint(button, 0);
    auto tallRow = Run(tall, 22, IsRed);
    EXPECT_NEAR(tallRow.first, 3, 1);
    EXPECT_NEAR(tallRow.second - tallRow.first + 1, 36, 1);
}

TEST_F(Buttons, ImageButtonWithoutCaptionCentresItsPicture)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 20, 100, 30);
    SkinAndShow(host);
    skin.SkinImageButton(button, SolidPng(64, 64, 0x000000FF), 1, Given(1));
    Surface s = Paint(button, 0);
    auto row = Run(s, 15, IsRed);
    EXPECT_NEAR(row.first, 38, 1);   // (100 − 24) / 2
    EXPECT_NEAR(row.second, 61, 1);
}

TEST_F(Buttons, IconButtonDrawsItsPictureAtTwoTwoAtNaturalSize)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "caption ignored", BS_PUSHBUTTON, 20, 20, 38, 38);
    SkinAndShow(host);
    skin.SkinIconButton(button, SolidPng(20, 20, 0x00FF0000));
    Surface s = Paint(button, 0);
    auto row = Run(s, 10, IsPureBlue);
    EXPECT_EQ(row.first, 2);
    EXPECT_EQ(row.second, 21);
    auto column = Column(s, 10, IsPureBlue);
    EXPECT_EQ(column.first, 2);
    EXPECT_EQ(column.second, 21);
    // Icon buttons draw no caption: below and right of the picture only the
    // background remains.
    const Pixel back = s.At(30, 30);
    EXPECT_TRUE(Near(back, FromColour(kHostBack), 2)) << Describe(back);
    EXPECT_EQ(s.Count([&](Pixel p) { return !Near(p, back, 2); }, RECT{23, 23, 38, 38}), 0);
}

TEST_F(Buttons, DisabledLooks)
{
    HWND host = Host();
    HWND plain = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 20, 80, 30);
    HWND icon = Child(host, "BUTTON", "", BS_PUSHBUTTON, 120, 20, 38, 38);
    HWND iconWithOwn = Child(host, "BUTTON", "", BS_PUSHBUTTON, 170, 20, 38, 38);
    SkinAndShow(host);
    skin.SkinIconButton(icon, SolidPng(20, 20, 0x00FF0000));
    skin.SkinIconButton(iconWithOwn, SolidPng(20, 20, 0x00FF0000), {}, {}, {},
                        Given<std::string_view>(std::string_view()));
    const std::string disabledPicture = SolidPng(20, 20, 0x0000FF00);
    skin.SkinIconButton(iconWithOwn, SolidPng(20, 20, 0x00FF0000), {}, {}, {}, Given<std::string_view>(disabledPicture));

    // Plain: enabled the face is a white veil over the blue background;
    // disabled it is an opaque neutral grey whatever lies beneath.
    const Pixel enabled = Paint(plain, 0).At(40, 20);
    const Pixel disabled = Paint(plain, kStateDisabled).At(40, 20);
    EXPECT_GT(enabled.b - enabled.r, 20) << Describe(enabled);
    EXPECT_LE(std::abs(disabled.r - disabled.b), 6) << Describe(disabled);
    EXPECT_LE(std::abs(disabled.r - disabled.g), 6) << Describe(disabled);
    EXPECT_GT(disabled.r, 140) << Describe(disabled);

    // Icon without a disabled picture: a fill over the whole face, then the
    // normal picture.
    Surface normal = Paint(icon, 0);
    Surface grey = Paint(icon, kStateDisabled);
    EXPECT_TRUE(Near(normal.At(30, 30), FromColour(kHostBack), 2));
    EXPECT_FALSE(Near(grey.At(30, 30), FromColour(kHostBack), 10)) << Describe(grey.At(30, 30));
    EXPECT_TRUE(IsPureBlue(grey.At(10, 10)));

    // With its own disabled picture that picture replaces the normal one.
    Surface own = Paint(iconWithOwn, kStateDisabled);
    EXPECT_TRUE(IsGreen(own.At(10, 10))) << Describe(own.At(10, 10));
    EXPECT_TRUE(Near(own.At(30, 30), FromColour(kHostBack), 2));
    Surface ownNormal = Paint(iconWithOwn, 0);
    EXPECT_TRUE(IsPureBlue(ownNormal.At(10, 10)));
}

TEST_F(Buttons, IconButtonHotAndPressedFallbacks)
{
    HWND host = Host();
    HWND icon = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 20, 38, 38);
    SkinAndShow(host);
    skin.SkinIconButton(icon, SolidPng(20, 20, 0x00FF0000));
    // Hot: an accent outline along the top; pressed: the same outline over a
    // darker fill; the picture stays on top of both.
    Surface hot = Paint(icon, kStateHot);
    Surface pressed = Paint(icon, kStatePressed);
    EXPECT_TRUE(Near(hot.At(18, 0), kAccent, 12)) << Describe(hot.At(18, 0));
    EXPECT_TRUE(Near(pressed.At(18, 0), kAccent, 12)) << Describe(pressed.At(18, 0));
    EXPECT_TRUE(IsPureBlue(hot.At(10, 10)));
    EXPECT_TRUE(IsPureBlue(pressed.At(10, 10)));
    EXPECT_FALSE(Near(hot.At(30, 30), pressed.At(30, 30), 10));
}

// Every push kind shows the keyboard focus, and none while the keyboard cues
// are hidden (a mouse user), whether the state or the window says so.
TEST_F(Buttons, FocusShowsOnEveryKindOnlyWithKeyboardCues)
{
    HWND host = Host();
    HWND plain = Child(host, "BUTTON", "OK", BS_PUSHBUTTON, 20, 20, 80, 30);
    HWND image = Child(host, "BUTTON", "Go", BS_PUSHBUTTON, 20, 60, 100, 30);
    HWND icon = Child(host, "BUTTON", "", BS_PUSHBUTTON, 140, 20, 38, 38);
    SkinAndShow(host);
    skin.SkinImageButton(image, SolidPng(64, 64, 0x000000FF), 1, Given(1));
    skin.SkinIconButton(icon, SolidPng(32, 32, 0x00FF0000));
    auto differing = [](const Surface& a, const Surface& b) {
        int n = 0;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x) n += Near(a.At(x, y), b.At(x, y), 2) ? 0 : 1;
        return n;
    };
    for (HWND button : {plain, image, icon}) {
        SCOPED_TRACE(GetWindowLongA(button, GWL_STYLE));
        const Surface rest = Paint(button, 0);
        EXPECT_GT(differing(Paint(button, kStateFocused), rest), 20);
        EXPECT_EQ(differing(Paint(button, kStateFocused | kStateNoFocusCue), rest), 0);
    }
    // What a window tells its children when the cues change (Wine itself
    // keeps no cue state and sends none).
    auto cues = [&](WORD action) {
        for (HWND button : {plain, image, icon})
            SendMessageA(button, WM_UPDATEUISTATE, MAKEWPARAM(action, UISF_HIDEFOCUS), 0);
    };
    cues(UIS_SET);
    for (HWND button : {plain, image, icon}) EXPECT_EQ(differing(Paint(button, kStateFocused), Paint(button, 0)), 0);
    cues(UIS_CLEAR);
    EXPECT_GT(differing(Paint(icon, kStateFocused), Paint(icon, 0)), 20);
}

TEST_F(Buttons, TextColourChangesTheCaptionAtTheNextPaint)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "WWWWWW", BS_PUSHBUTTON, 20, 20, 100, 30);
    SkinAndShow(host);
    auto strongRed = [](Pixel p) { return p.r > 170 && p.g < 80 && p.b < 80; };
    auto strongGreen = [](Pixel p) { return p.g > 170 && p.r < 80 && p.b < 80; };
    skin.SetControlTextColour(button, 0x000000FF);
    Surface red = Paint(button, 0);
    EXPECT_GT(red.Count(strongRed, red.All()), 10);
    EXPECT_EQ(red.Count(strongGreen, red.All()), 0);
    skin.SetControlTextColour(button, 0x0000FF00);
    Surface green = Paint(button, 0);
    EXPECT_EQ(green.Count(strongRed, green.All()), 0);
    EXPECT_GT(green.Count(strongGreen, green.All()), 10);
}

// A face kept from an earlier paint is exactly what a fresh paint draws, and
// is drawn afresh when anything it shows changes.
TEST_F(Buttons, KeptFacesAreWhatAFreshPaintDraws)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 40, 38, 38);
    const int index = SkinAndShow(host);
    skin.SkinIconButton(button, SolidPng(20, 20, 0x00FF0000));
    auto fresh = [&] {
        for (KeptFaceEntry& f : RecordAt(index)->keptFaces) DeleteKeptDc(f.image);
        RecordAt(index)->keptFaces.clear();
        return Paint(button, 0);
    };
    auto same = [](const Surface& a, const Surface& b) {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (!Near(a.At(x, y), b.At(x, y), 0)) return false;
        return true;
    };
    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"nothing", [] {}},
        {"another picture", [&] { skin.SkinIconButton(button, SolidPng(20, 20, 0x000000FF)); }},
        {"the hot state", [&] { SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }},
        {"another background",
         [&] {
             skin.SetBackgroundImage(host, SolidPng(450, 300, 0x0000FF00), Given(3));
             Repaint(host);
         }},
        // Against the window's left edge, over the frame's border.
        {"another place", [&] { MoveWindow(button, 0, 120, 38, 38, TRUE); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        SendMessageA(button, WM_MOUSELEAVE, 0, 0);
        const Surface before = Paint(button, 0);
        c.change();
        PumpMessages();
        const UINT state = std::string(c.name) == "the hot state" ? kStateHot : 0;
        const Surface kept = Paint(button, state);
        if (state) {
            // What the hover painted is kept under its own state.
            EXPECT_FALSE(same(before, kept));
            continue;
        }
        EXPECT_TRUE(same(kept, fresh()));
        if (std::string(c.name) != "nothing") {
            EXPECT_FALSE(same(before, kept));
        }
    }
}

TEST_F(Buttons, CaptionFollowsSetText)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 20, 100, 30);
    const int index = SkinAndShow(host);
    auto dark = [](Pixel p) { return p.r < 60 && p.g < 60 && p.b < 90; };
    EXPECT_EQ(Paint(button, 0).Count(dark, RECT{4, 4, 96, 26}), 0);
    SetWindowTextA(button, "MMMM");
    EXPECT_EQ(RecordAt(index)->buttons.Get(RecordAt(index)->buttons.Find(button))->caption, "MMMM");
    EXPECT_GT(Paint(button, 0).Count(dark, RECT{4, 4, 96, 26}), 10);
}

TEST_F(Buttons, OwnerDrawItemOfTheFramePaintsThroughTheSkin)
{
    HWND host = Host();
    HWND button = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 20, 60, 30);
    SkinAndShow(host);
    ASSERT_EQ(GetOwnerDrawPainter(), PaintOwnerDrawButton);
    Surface s(60, 30);
    s.Fill(0x00FF00FF);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = button;
    item.hDC = s.Dc();
    item.rcItem = RECT{0, 0, 60, 30};
    item.itemState = ODS_SELECTED;
    EXPECT_EQ(SendMessageA(host, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_EQ(s.Count(IsMagenta, s.All()), 0);
    // Pressed: the inner face takes the accent tint.
    const Pixel inner = s.At(30, 8);
    EXPECT_GT(inner.g, inner.r + 20) << Describe(inner);
    // An unskinned item is left to the window's own procedure.
    HWND other = Child(host, "BUTTON", "", BS_OWNERDRAW, 100, 20, 60, 30);
    item.hwndItem = other;
    EXPECT_FALSE(PaintOwnerDrawButton(FindWindowRecord(host), item));
}

// ---- hover ----------------------------------------------------------------------

TEST_F(Buttons, OnlyOneButtonShowsHoverWhenThePointerMovesBetweenTwo)
{
    HWND host = Host(450, 300, 100, 100);
    HWND a = Child(host, "BUTTON", "", BS_PUSHBUTTON, 20, 40, 80, 30);
    HWND b = Child(host, "BUTTON", "", BS_PUSHBUTTON, 120, 40, 80, 30);
    const int index = SkinAndShow(host);
    auto showsHover = [](HWND w) {
        Surface s = Surface::FromWindow(w);
        return Near(s.At(40, 0), kAccent, 12);
    };
    auto pointTo = [](HWND w) {
        RECT rc{};
        GetWindowRect(w, &rc);
        SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(40, 15));
    };
    EXPECT_FALSE(showsHover(a));
    EXPECT_FALSE(showsHover(b));
    for (int round = 0; round < 3; ++round) {
        pointTo(a);
        PumpMessages();
        EXPECT_TRUE(showsHover(a));
        EXPECT_FALSE(showsHover(b));
        pointTo(b);
        // At once, before a's WM_MOUSELEAVE is even looked at.
        EXPECT_FALSE(showsHover(a));
        EXPECT_TRUE(showsHover(b));
        PumpMessages();
        EXPECT_FALSE(showsHover(a));
        EXPECT_TRUE(showsHover(b));
        WindowSkinRecord* r = RecordAt(index);
        EXPECT_EQ(r->hotKind, kHotButton);
        EXPECT_EQ(r->hotEntry, r->buttons.Find(b));
    }
    // Leaving b: no button is hot.
    SetCursorPos(5, 5);
    SendMessageA(b, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(showsHover(b));
    EXPECT_EQ(RecordAt(index)->hotEntry, 0);
}

}  // namespace
