// The list-family skin under Wine: installer filters, border detection, the
// hover and focus borders (never over a scroll bar) and translucent content.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/ControlFrame.h"
#include "skin/KeptFace.h"
#include "skin/ListSkin.h"
#include "skin/Registry.h"
#include "tests/skin/FieldSkinTestSupport.h"
#include "tests/support/GdiObjectCount.h"

using namespace orv;
using namespace orv::fieldtest;

namespace {

const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new FieldSkinEnvironment);

class ListSkinTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (host) DestroyWindow(host);
        SetCursorPos(0, 0);
        PumpMessages();
    }
    SettingsGuard guard;
    HWND host = nullptr;
};

HWND MakeList(HWND host)
{
    HWND list = MakeChild(host, "ListBox", LBS_HASSTRINGS | WS_VSCROLL, 20, 20, 160, 120, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 20; ++i) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    return list;
}

RECT ScrollBarInWindow(HWND control)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(control, OBJID_VSCROLL, &info);
    RECT w{};
    GetWindowRect(control, &w);
    RECT r = info.rcScrollBar;
    OffsetRect(&r, -w.left, -w.top);
    return r;
}

// Every pixel of the scroll bar, to compare before and after.
std::vector<int> ScrollBarPixels(HWND control)
{
    WindowPixels p(control);
    RECT r = ScrollBarInWindow(control);
    std::vector<int> out;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            Rgb c = p.At(x, y);
            out.push_back(c.r << 16 | c.g << 8 | c.b);
        }
    return out;
}

TEST_F(ListSkinTest, HoverDrawsTwoPixelAccentBorderAndFocusOneNeitherOverTheScrollBar)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND list = MakeList(host);
    HWND other = MakeChild(host, "Edit", 0, 220, 20, 100, 22, WS_EX_CLIENTEDGE);
    SkinAndShow(host);
    ASSERT_GT(GetProperty(list, kPropIndex), 0u);
    const RECT inner = InnerRect(list);
    ASSERT_EQ(inner.left, 2);  // a client edge: two pixels of frame
    const std::vector<int> barBefore = ScrollBarPixels(list);
    ASSERT_FALSE(barBefore.empty());

    {
        WindowPixels p(list);
        const int y = p.Height() / 2;
        EXPECT_FALSE(IsAccentLike(p.At(0, y))) << p.At(0, y);
        EXPECT_FALSE(IsAccentLike(p.At(1, y))) << p.At(1, y);
    }

    Hover(list);
    {
        WindowPixels p(list);
        const int y = p.Height() / 2, x = p.Width() / 2;
        const int w = p.Width(), h = p.Height();
        for (Rgb c : {p.At(0, y), p.At(1, y), p.At(w - 1, y), p.At(w - 2, y), p.At(x, 0), p.At(x, 1), p.At(x, h - 1),
                      p.At(x, h - 2)})
            EXPECT_TRUE(IsAccentLike(c)) << c;
        EXPECT_FALSE(IsAccentLike(p.At(2, y))) << "the border stays outside the item area";
    }
    EXPECT_EQ(ScrollBarPixels(list), barBefore);

    SendMessageA(list, WM_MOUSELEAVE, 0, 0);
    SetCursorPos(0, 0);
    SetFocus(list);
    PumpMessages();
    {
        WindowPixels p(list);
        const int y = p.Height() / 2, x = p.Width() / 2;
        EXPECT_TRUE(IsAccentLike(p.At(0, y))) << p.At(0, y);
        EXPECT_TRUE(IsAccentLike(p.At(x, 0))) << p.At(x, 0);
        EXPECT_FALSE(IsAccentLike(p.At(1, y))) << p.At(1, y);  // one pixel only
        EXPECT_FALSE(IsAccentLike(p.At(x, 1))) << p.At(x, 1);
    }
    EXPECT_EQ(ScrollBarPixels(list), barBefore);

    SetFocus(other);
    PumpMessages();
    WindowPixels p(list);
    EXPECT_FALSE(IsAccentLike(p.At(0, p.Height() / 2)));
}

// A bordered list with one item on a skinned host, washed at alpha 100.
HWND ShowTranslucentList(HWND& host)
{
    SetTranslucent(true, 100);
    host = MakeHost();
    HWND list = MakeChild(host, "ListBox", LBS_HASSTRINGS, 20, 20, 160, 120, WS_EX_CLIENTEDGE);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
    SkinAndShow(host);
    return list;
}

TEST_F(ListSkinTest, TranslucentListShowsThePictureUnderTheWashBelowItsItems)
{
    HWND list = ShowTranslucentList(host);
    WindowPixels p(list);
    // Wine's list box fills the empty area below its items with ExtTextOut
    // and ETO_OPAQUE in the DC's background colour, ignoring the transparent
    // mode and the null brush it was given, so there the area stays white.
    // Windows leaves it to the brush; the check holds there only.
    if (!test::RunningUnderWine()) {
        for (int y : {80, 100, 110}) {
            Rgb expected = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(list, 60, y));
            EXPECT_TRUE(Near(p.At(60, y), expected, 3)) << p.At(60, y) << " vs " << expected;
        }
    }
    // The frame ring is washed as well, the border darker.
    Rgb ring = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(list, 1, 60));
    EXPECT_TRUE(Near(p.At(1, 60), ring, 3)) << p.At(1, 60) << " vs " << ring;
}

// The washed picture under a translucent list's items is kept from its first
// paint, and so is the surface the items are composed on: a repaint with
// other items (one gone) is what a fresh paint draws, and another wash is
// washed afresh, not copied from the old one.
TEST_F(ListSkinTest, TranslucentListKeepsItsWashedBackgroundUntilTheWashChanges)
{
    HWND list = ShowTranslucentList(host);
    WindowSkinRecord* record = RecordAt(OwningWindow(list));
    ASSERT_NE(record, nullptr);
    int kept = 0;
    for (const KeptFaceEntry& f : record->keptFaces) kept += f.control == list && f.layer == kFaceBackground;
    EXPECT_EQ(kept, 1);
    auto repaint = [&] {
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        PumpMessages();
        WindowPixels p(list);
        std::vector<int> out;
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) out.push_back(p.At(x, y).r << 16 | p.At(x, y).g << 8 | p.At(x, y).b);
        return out;
    };
    for (int alpha : {100, 200}) {
        SCOPED_TRACE(alpha);
        SetTranslucent(true, alpha);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
        repaint();
        SendMessageA(list, LB_DELETESTRING, 0, 0);
        const std::vector<int> fromKept = repaint();
        for (KeptFaceEntry& f : record->keptFaces) DeleteKeptDc(f.image);
        record->keptFaces.clear();
        EXPECT_EQ(fromKept, repaint());
    }
}

TEST_F(ListSkinTest, TreeViewInTranslucentModeNeverShowsMagenta)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND tree = MakeChild(host, WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, 20, 20, 180, 140,
                          WS_EX_CLIENTEDGE);
    TVINSERTSTRUCTA insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>("root");
    SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    SkinAndShow(host);
    // The tree paints on a key near the picture, so its anti-aliased text
    // edges blend into the picture instead of into magenta.
    EXPECT_NE(static_cast<COLORREF>(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0)), kKeyColour);
    WindowPixels p(tree);
    int magenta = 0, pinkish = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const Rgb c = p.At(x, y);
            magenta += c == (Rgb{255, 0, 255});
            pinkish += c.r > c.g + 80 && c.b > c.g + 80;
        }
    EXPECT_EQ(magenta, 0);
    EXPECT_EQ(pinkish, 0);
    // Where the tree has no items the picture under it shows.
    Rgb expected = BackgroundUnder(tree, 120, 110);
    EXPECT_TRUE(Near(p.At(120, 110), expected, 3)) << p.At(120, 110) << " vs " << expected;
}

TEST_F(ListSkinTest, InstallerRegistersTheFamilyWithItsFilters)
{
    SetTranslucent(true);
    host = MakeHost(420, 400);
    HWND list = MakeChild(host, "ListBox", 0, 4, 4, 100, 60, WS_EX_CLIENTEDGE);
    HWND simple = MakeChild(host, "ComboBox", CBS_SIMPLE, 110, 4, 100, 80);
    HWND view = MakeChild(host, WC_LISTVIEWA, LVS_REPORT, 4, 90, 150, 60, WS_EX_CLIENTEDGE);
    HWND sortedView = MakeChild(host, WC_LISTVIEWA, LVS_REPORT | LVS_SORTASCENDING, 160, 90, 150, 60);
    HWND tree = MakeChild(host, WC_TREEVIEWA, 0, 4, 160, 100, 60);
    HWND ip = MakeChild(host, WC_IPADDRESSA, 0, 110, 160, 120, 22);
    HWND picker = MakeChild(host, DATETIMEPICK_CLASSA, 0, 110, 190, 120, 22);
    SkinAndShow(host, 400);
    WindowSkinRecord* r = RecordAt(FindWindowRecord(host));
    ASSERT_NE(r, nullptr);
    HWND comboList = FindWindowExA(simple, nullptr, "ComboLBox", nullptr);
    ASSERT_NE(comboList, nullptr);
    // The order of registration follows the classes.
    EXPECT_EQ(r->lists.Find(list), 1);
    EXPECT_EQ(r->lists.Find(comboList), 2);
    EXPECT_EQ(r->lists.Find(view), 3);
    EXPECT_EQ(r->lists.Find(sortedView), 0);  // style bit 0x10
    EXPECT_EQ(r->lists.Find(tree), 4);
    EXPECT_EQ(r->lists.Find(ip), 5);
    EXPECT_EQ(r->lists.Find(picker), 6);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(view, LVM_GETTEXTBKCOLOR, 0, 0)), CLR_NONE);
    for (HWND c : {list, comboList, view, tree, ip, picker}) {
        EXPECT_EQ(GetProperty(c, kPropOwner), static_cast<uintptr_t>(FindWindowRecord(host)));
        EXPECT_NE(GetProperty(c, kPropProc), 0u);
        EXPECT_EQ(GetWindowLongPtrA(c, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(ListSkinProc));
    }
    // The combo list keeps its system frame: painting it changes nothing.
    WindowPixels before(comboList);
    PaintListFrame(comboList, true, true);
    WindowPixels after(comboList);
    for (int x = 0; x < before.Width(); ++x) EXPECT_EQ(before.At(x, 0), after.At(x, 0));
}

TEST_F(ListSkinTest, BorderDetectionFollowsStyleAndExtendedStyleBits)
{
    host = MakeHost();
    struct Case {
        DWORD style, ex;
        bool border;
    } cases[] = {
        {0, 0, false},
        {WS_BORDER, 0, true},
        {0, WS_EX_CLIENTEDGE, true},          // 0x200
        {0, WS_EX_WINDOWEDGE, true},          // 0x100
        {0, WS_EX_DLGMODALFRAME, true},       // 0x1
        {0, WS_EX_STATICEDGE, false},         // 0x20000 alone
        {0, 0x88, false},                     // part of 0x188 only
        {0, 0x80, false},
    };
    for (const Case& c : cases) {
        HWND w = MakeChild(host, "ListBox", c.style, 0, 0, 50, 50, c.ex);
        // The system adjusts edge bits at creation; put exactly the case's bits.
        SetWindowLongA(w, GWL_EXSTYLE, static_cast<LONG>(c.ex));
        DWORD ex = static_cast<DWORD>(GetWindowLongA(w, GWL_EXSTYLE));
        if (ex != c.ex) {  // the system keeps some edge bits to itself (Wine drops 0x100 on children)
            DestroyWindow(w);
            continue;
        }
        bool expected = c.border;
        EXPECT_EQ(HasListBorder(w), expected) << std::hex << c.style << " " << c.ex << " real ex " << ex;
        DestroyWindow(w);
    }
}

}  // namespace
