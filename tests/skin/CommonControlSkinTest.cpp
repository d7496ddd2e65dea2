// Track bar, progress bar, up-down and header skins under Wine, the skin
// gallery's pixels, and GDI object balance over many hover/paint cycles.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/CommonControlSkins.h"
#include "tests/skin/FieldSkinTestSupport.h"
#include "tests/skin/gallery/GalleryWindow.h"
#include "tests/support/GdiObjectCount.h"

using namespace orv;
using namespace orv::fieldtest;

namespace {

const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new FieldSkinEnvironment);

class CommonControlSkinTest : public ::testing::Test {
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

// The progress fill is drawn from white to the accent colour downwards; its
// middle row is strongly accent.
TEST_F(CommonControlSkinTest, ProgressBarAtMinimumShowsNoFillAndAtMaximumTheWholeInnerLength)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND low = MakeChild(host, PROGRESS_CLASSA, 0, 20, 20, 200, 18);
    HWND high = MakeChild(host, PROGRESS_CLASSA, 0, 20, 50, 200, 18);
    HWND half = MakeChild(host, PROGRESS_CLASSA, 0, 20, 80, 200, 18);
    HWND vertical = MakeChild(host, PROGRESS_CLASSA, PBS_VERTICAL, 240, 20, 18, 120);
    for (HWND p : {low, high, half, vertical}) SendMessageA(p, PBM_SETRANGE32, 0, 100);
    SendMessageA(low, PBM_SETPOS, 0, 0);
    SendMessageA(high, PBM_SETPOS, 100, 0);
    SendMessageA(half, PBM_SETPOS, 50, 0);
    SendMessageA(vertical, PBM_SETPOS, 100, 0);
    SkinAndShow(host);

    auto accentColumns = [](HWND bar) {
        WindowPixels p(bar);
        const int y = p.Height() / 2 + 2;
        std::vector<bool> out;
        for (int x = 0; x < p.Width(); ++x) out.push_back(IsAccentLike(p.At(x, y)));
        return out;
    };
    std::vector<bool> lowCols = accentColumns(low);
    std::vector<bool> highCols = accentColumns(high);
    std::vector<bool> halfCols = accentColumns(half);
    int lowCount = 0, halfCount = 0;
    for (bool b : lowCols) lowCount += b;
    for (bool b : halfCols) halfCount += b;
    EXPECT_EQ(lowCount, 0);
    // The inner length runs from x = 1 to x = width - 2; the fill's own
    // outline may sit on its first and last pixel.
    for (int x = 2; x <= 197; ++x) EXPECT_TRUE(highCols[x]) << "x " << x;
    EXPECT_GT(halfCount, 90);
    EXPECT_LT(halfCount, 110);

    WindowPixels v(vertical);
    for (int y = 2; y <= v.Height() - 3; ++y) EXPECT_TRUE(IsAccentLike(v.At(v.Width() / 2, y))) << "y " << y;
}

// Columns of a row band whose pixels stand out from the row's panel colour.
int TickMarks(const WindowPixels& p, int yFrom, int yTo, int xFrom, int xTo)
{
    int marks = 0;
    for (int x = xFrom; x < xTo; ++x) {
        bool dark = false;
        for (int y = yFrom; y < yTo; ++y) {
            Rgb c = p.At(x, y), left = p.At(xFrom - 2, y);
            if (left.r + left.g + left.b - (c.r + c.g + c.b) > 60) dark = true;
        }
        marks += dark;
    }
    return marks;
}

TEST_F(CommonControlSkinTest, TrackBarTicksFollowNoTicksAndBothStyles)
{
    SetTranslucent(true);
    host = MakeHost(420, 320);
    HWND none = MakeChild(host, TRACKBAR_CLASSA, TBS_AUTOTICKS | TBS_NOTICKS, 20, 20, 240, 44);
    HWND both = MakeChild(host, TRACKBAR_CLASSA, TBS_AUTOTICKS | TBS_BOTH, 20, 80, 240, 44);
    HWND bottom = MakeChild(host, TRACKBAR_CLASSA, TBS_AUTOTICKS, 20, 140, 240, 44);
    for (HWND t : {none, both, bottom}) {
        SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
        SendMessageA(t, TBM_SETTICFREQ, 1, 0);
        SendMessageA(t, TBM_SETPOS, TRUE, 0);
    }
    SkinAndShow(host, 320);

    auto marks = [](HWND t) {
        RECT thumb{};
        SendMessageA(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        WindowPixels p(t);
        // Right of the thumb (at the minimum) to the end of the channel.
        const int xFrom = thumb.right + 6, xTo = p.Width() - 14;
        int above = thumb.top >= 6 ? TickMarks(p, thumb.top - 6, thumb.top - 1, xFrom, xTo) : 0;
        int below = thumb.bottom + 5 < p.Height() ? TickMarks(p, thumb.bottom + 1, thumb.bottom + 5, xFrom, xTo) : 0;
        return std::make_pair(above, below);
    };
    auto [noneAbove, noneBelow] = marks(none);
    auto [bothAbove, bothBelow] = marks(both);
    auto [bottomAbove, bottomBelow] = marks(bottom);
    EXPECT_EQ(noneAbove, 0);
    EXPECT_EQ(noneBelow, 0);
    EXPECT_GE(bothAbove, 7);
    EXPECT_GE(bothBelow, 7);
    EXPECT_EQ(bottomAbove, 0);
    EXPECT_GE(bottomBelow, 7);
}

TEST_F(CommonControlSkinTest, UpDownHotFaceFollowsThePointerFromUpperToLowerHalf)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND upDown = MakeChild(host, UPDOWN_CLASSA, 0, 40, 40, 20, 40);
    SkinAndShow(host);
    auto edges = [](HWND c) {
        WindowPixels p(c);
        // The left outline of each half at a quarter and three quarters height.
        return std::make_pair(p.At(0, p.Height() / 4), p.At(0, 3 * p.Height() / 4));
    };
    auto [upperRest, lowerRest] = edges(upDown);
    EXPECT_FALSE(IsAccentLike(upperRest)) << upperRest;
    EXPECT_FALSE(IsAccentLike(lowerRest)) << lowerRest;

    HoverAt(upDown, 10, 8);
    auto [upperA, lowerA] = edges(upDown);
    EXPECT_TRUE(IsAccentLike(upperA)) << upperA;
    EXPECT_FALSE(IsAccentLike(lowerA)) << lowerA;

    HoverAt(upDown, 10, 32);
    auto [upperB, lowerB] = edges(upDown);
    EXPECT_FALSE(IsAccentLike(upperB)) << upperB;
    EXPECT_TRUE(IsAccentLike(lowerB)) << lowerB;

    SendMessageA(upDown, WM_MOUSELEAVE, 0, 0);
    auto [upperC, lowerC] = edges(upDown);
    EXPECT_FALSE(IsAccentLike(upperC));
    EXPECT_FALSE(IsAccentLike(lowerC));
}

TEST_F(CommonControlSkinTest, HeaderKeepsItsImageListUntilItIsDestroyed)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND header = MakeChild(host, WC_HEADERA, HDS_BUTTONS, 10, 10, 300, 24);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    ImageList_AddIcon(images, LoadIconA(nullptr, MAKEINTRESOURCEA(32516)));
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
    item.pszText = const_cast<char*>("名称");
    item.cxy = 100;
    item.fmt = HDF_LEFT | HDF_STRING | HDF_IMAGE;
    SendMessageA(header, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SkinAndShow(host);
    WindowSkinRecord* r = RecordAt(FindWindowRecord(host));
    ASSERT_NE(r, nullptr);
    int e = r->headers.Find(header);
    ASSERT_GT(e, 0);
    EXPECT_EQ(r->headers.Get(e)->imageList, images);
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    // The icon is drawn: the information icon is blue and white, which the
    // accent face is not.
    WindowPixels p(header);
    int blue = 0;
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 24; ++x) {
            Rgb c = p.At(x, y);
            blue += c.b > 150 && c.r < 100 && c.g < 140;
        }
    EXPECT_GT(blue, 5);
    DestroyWindow(header);
    EXPECT_EQ(ImageList_GetImageCount(images), 0);  // destroyed with the header
}

TEST_F(CommonControlSkinTest, HeaderInsideAListViewIsSkinned)
{
    SetTranslucent(true);
    host = MakeHost();
    HWND view = MakeChild(host, WC_LISTVIEWA, LVS_REPORT, 10, 10, 300, 150, WS_EX_CLIENTEDGE);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("歌曲");
    column.cx = 100;
    SendMessageA(view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SkinAndShow(host);
    HWND header = FindWindowExA(view, nullptr, WC_HEADERA, nullptr);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(GetWindowLongA(header, GWL_WNDPROC), reinterpret_cast<LONG>(HeaderSkinProc));
    // Right of the only item the background is the white wash over the
    // picture, as wide as the list view's client area.
    RECT client{};
    GetClientRect(view, &client);
    WindowPixels p(header);
    const int x = client.right - 4, y = p.Height() / 2;
    Rgb expected = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(header, x, y));
    EXPECT_TRUE(Near(p.At(x, y), expected, 3)) << p.At(x, y) << " vs " << expected;
}

TEST_F(CommonControlSkinTest, GalleryNeverShowsMagentaInAnyState)
{
    for (bool translucent : {true, false}) {
        SetTranslucent(translucent);
        gallery::Gallery g = gallery::CreateGallery(*Engine());
        ASSERT_NE(g.window, nullptr);
        SetFocus(g.Get("list"));
        gallery::Settle();
        for (const char* name : {"edit", "combo_dropdown", "listview", "tree", "track", "updown", "header"}) {
            gallery::HoverControl(g.Get(name));
            WindowPixels p(g.window);
            int magenta = 0;
            for (int y = 0; y < p.Height(); ++y)
                for (int x = 0; x < p.Width(); ++x) magenta += p.At(x, y) == (Rgb{255, 0, 255});
            EXPECT_EQ(magenta, 0) << name << " translucent " << translucent;
        }
        DestroyWindow(g.window);
        SetCursorPos(0, 0);
        PumpMessages();
    }
}

TEST_F(CommonControlSkinTest, GdiObjectsStayFlatOverAThousandHoverAndPaintCycles)
{
    SetTranslucent(true);
    gallery::Gallery g = gallery::CreateGallery(*Engine());
    const char* names[] = {"edit",      "edit_multi", "combo_simple", "combo_dropdown", "combo_list",
                           "list",      "list_owner", "listview",     "tree",           "ip",
                           "datetime",  "track",      "track_vertical", "progress_mid", "updown",
                           "updown_horizontal", "header"};
    auto cycle = [&](const char* name) {
        HWND c = g.Get(name);
        gallery::HoverControl(c);
        SendMessageA(c, WM_MOUSELEAVE, 0, 0);
        RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    };
    // Warm up: GDI+ and the controls make their lasting objects once.
    for (int i = 0; i < 3; ++i)
        for (const char* n : names) cycle(n);
    PumpMessages();
    const long gdiBefore = orv::test::GdiObjectCount();
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int i = 0; i < 1000; ++i) {
        cycle(names[i % (sizeof(names) / sizeof(names[0]))]);
        if (i % 50 == 0) PumpMessages();
    }
    // And every kind once more in the same cycle, so each painter ran often.
    for (int i = 0; i < 60; ++i)
        for (const char* n : names) cycle(n);
    PumpMessages();
    const long gdiAfter = orv::test::GdiObjectCount();
    const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    std::printf("GDI objects %ld -> %ld; USER objects %lu -> %lu\n", gdiBefore, gdiAfter,
                static_cast<unsigned long>(userBefore), static_cast<unsigned long>(userAfter));
    ASSERT_GT(gdiBefore, 0);
    EXPECT_LE(gdiAfter - gdiBefore, 2);
    EXPECT_LE(static_cast<long>(userAfter) - static_cast<long>(userBefore), 2);
    DestroyWindow(g.window);
    SetCursorPos(0, 0);
    PumpMessages();
}

}  // namespace
