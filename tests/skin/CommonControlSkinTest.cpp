// Track bar, progress bar, up-down and header skins under Wine, the skin
// gallery's pixels, and GDI object balance over many hover/paint cycles.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

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

// The image list is the program's: the header uses it and leaves it alone.
TEST_F(CommonControlSkinTest, HeaderDrawsItsImageListAndLeavesItToItsOwner)
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
    EXPECT_EQ(ImageList_GetImageCount(images), 1) << "the header's skin destroyed a list it does not own";
    ImageList_Destroy(images);
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
    EXPECT_EQ(GetWindowLongPtrA(header, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(HeaderSkinProc));
    // Right of the only item the background is the white wash over the
    // picture, as wide as the list view's client area.
    RECT client{};
    GetClientRect(view, &client);
    WindowPixels p(header);
    const int x = client.right - 4, y = p.Height() / 2;
    Rgb expected = Blend(Rgb{255, 255, 255}, 100, BackgroundUnder(header, x, y));
    EXPECT_TRUE(Near(p.At(x, y), expected, 3)) << p.At(x, y) << " vs " << expected;
}

// Skinning a parent again, or SubclassControl over a control that an
// installer skinned, leaves every control with the skin procedure it had:
// a second one would take the first as its previous procedure, and the
// control would call itself until the stack ran out.
TEST_F(CommonControlSkinTest, SkinningTwiceOrSubclassingOverAnInstallerKeepsOneProcedure)
{
    SetTranslucent(true);
    host = MakeHost();
    struct Case {
        const char* className;
        DWORD style;
        RECT at;
    } cases[] = {{"ListBox", WS_BORDER, {10, 10, 110, 70}},         {TRACKBAR_CLASSA, 0, {120, 10, 240, 40}},
                 {PROGRESS_CLASSA, 0, {120, 50, 240, 68}},          {UPDOWN_CLASSA, 0, {250, 10, 270, 50}},
                 {WC_HEADERA, 0, {10, 80, 210, 104}},               {"ComboBox", CBS_DROPDOWN, {10, 110, 130, 210}},
                 {WC_LISTVIEWA, LVS_REPORT, {220, 110, 400, 210}}};
    std::vector<HWND> controls;
    for (const Case& c : cases)
        controls.push_back(MakeChild(host, c.className, c.style, c.at.left, c.at.top, c.at.right - c.at.left,
                                     c.at.bottom - c.at.top));
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>("歌曲");
    column.cx = 100;
    SendMessageA(controls.back(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    SkinAndShow(host);
    controls.push_back(FindWindowExA(controls.back(), nullptr, WC_HEADERA, nullptr));  // the list view's header
    std::vector<uintptr_t> previous;
    for (HWND c : controls) {
        previous.push_back(GetProperty(c, kPropProc));
        ASSERT_NE(previous.back(), 0u) << "skinned by its installer";
    }
    RunControlInstallers(FindWindowRecord(host), host);
    for (HWND c : controls) Engine()->SubclassControl(c);
    for (size_t i = 0; i < controls.size(); ++i) {
        HWND c = controls[i];
        char name[32] = {};
        GetClassNameA(c, name, sizeof(name));
        EXPECT_EQ(GetProperty(c, kPropProc), previous[i]) << name;
        // Through the whole chain and back.
        EXPECT_GE(SendMessageA(c, WM_GETTEXTLENGTH, 0, 0), 0) << name;
        RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    PumpMessages();
}

// How wide the ink in a rectangle of p is: first to last column with ink.
template <typename IsInk>
int InkWidth(const WindowPixels& p, const RECT& area, IsInk isInk)
{
    int first = -1, last = -1;
    for (int x = area.left; x < area.right && x < p.Width(); ++x) {
        bool ink = false;
        for (int y = area.top; y < area.bottom && y < p.Height() && !ink; ++y) ink = isInk(p.At(x, y));
        if (ink && first < 0) first = x;
        if (ink) last = x;
    }
    return first < 0 ? 0 : last - first + 1;
}

// The ink width of text drawn black on white with a font of size pixels,
// in a bitmap of its own.
int ReferenceInkWidth(const char* text, const char* face, float pixels, int style)
{
    constexpr int kWidth = 300, kHeight = 60;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    {
        gp::Graphics g;
        gp::Font font;
        if (g.CreateFromHDC(dc) && font.Create(face, pixels, style, Gdiplus::UnitPixel)) {
            g.Clear(0xFFFFFFFF);
            gp::SolidBrush black(0xFF000000);
            g.DrawString(text, font, gp::RectF(10, 5, 280, 50), nullptr, black);
        }
    }
    GdiFlush();
    const auto* p = static_cast<const DWORD*>(bits);
    int first = -1, last = -1;
    for (int x = 0; x < kWidth; ++x) {
        bool ink = false;
        for (int y = 0; y < kHeight && !ink; ++y) ink = (p[y * kWidth + x] & 0xFF) < 128;
        if (ink && first < 0) first = x;
        if (ink) last = x;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return first < 0 ? 0 : last - first + 1;
}

// The skin's texts keep their pixel size whatever the DPI: the caption and
// title tabs (12 points, drawn as 16 pixels), the combo box text (16 pixels)
// and the header text (its font's own 16 pixels) are as wide as text of
// that many pixels. At 120 DPI a font in points would be a quarter wider.
// The suite runs this once more at 120 DPI (skin_fonts_at_120_dpi).
TEST_F(CommonControlSkinTest, TextsKeepTheirPixelSizeAtAnyDpi)
{
    if (const char* want = std::getenv("ORV_EXPECT_DPI")) {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, std::atoi(want)) << "the run at another DPI did not get it";
    }
    SetTranslucent(true);
    const char kText[] = "国国国国";
    host = CreateWindowExA(0, "OrvFieldSkinHost", kText, WS_POPUP | WS_CLIPCHILDREN, 30, 30, 420, 299, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    HFONT songTi16 = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
    HWND header = MakeChild(host, WC_HEADERA, 0, 10, 60, 300, 28);
    SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(songTi16), FALSE);
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = const_cast<char*>(kText);
    item.cxy = 200;
    item.fmt = HDF_LEFT | HDF_STRING;
    SendMessageA(header, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    HWND combo = MakeChild(host, "ComboBox", CBS_DROPDOWNLIST, 10, 110, 200, 200);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kText));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    const std::vector<std::string> tabs = {"国国"};
    Engine()->SkinWindow(host, {}, Given(1), Given(0), {}, {}, Given(1), {}, Given(1), Given(&tabs));
    SkinAndShow(host);
    WindowSkinRecord* r = RecordAt(FindWindowRecord(host));
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->tabRects.size(), 1u);

    auto white = [](Rgb c) { return c.r > 240 && c.g > 240 && c.b > 240; };
    auto dark = [](Rgb c) { return c.r + c.g + c.b < 3 * 80; };
    const WindowPixels frame(host);
    const RECT tab = r->tabRects[0];
    const int caption = InkWidth(frame, RECT{29, 8, std::min<int>(tab.left, r->stripX), 40}, white);
    const int tabText = InkWidth(frame, tab, white);
    WindowPixels headerPixels(header);
    const int headerText = InkWidth(headerPixels, RECT{0, 0, 200, headerPixels.Height()}, dark);
    WindowPixels comboPixels(combo);
    const int comboText = InkWidth(comboPixels, RECT{0, 0, comboPixels.Width() - 20, comboPixels.Height()}, dark);

    EXPECT_NEAR(caption, ReferenceInkWidth(kText, "宋体", 16, Gdiplus::FontStyleBold), 3) << "caption";
    EXPECT_NEAR(tabText, ReferenceInkWidth("国国", "宋体", 16, 0), 3) << "title tab";
    EXPECT_NEAR(headerText, ReferenceInkWidth(kText, "宋体", 16, 0), 3) << "header";
    EXPECT_NEAR(comboText, ReferenceInkWidth(kText, "宋体", 16, 0), 3) << "combo box";
    DestroyWindow(host);
    host = nullptr;
    DeleteObject(songTi16);
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
