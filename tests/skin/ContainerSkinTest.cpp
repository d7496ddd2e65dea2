// The container, label and colour-key skins and halo text on real windows
// under Wine: group box frames and captions, the tab panel, the label font
// fallbacks, the halo's blur bitmap, and GDI object balance.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "skin/ButtonSkin.h"
#include "skin/ColourKeySkin.h"
#include "skin/ContainerSkin.h"
#include "skin/HaloText.h"
#include "skin/LabelSkin.h"
#include "tests/skin/ControlSkinTestSupport.h"
#include "tests/support/GdiObjectCount.h"

using namespace orv;
using namespace orv::test;

namespace {

const auto* const gEnv = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

// A line of black at alpha 40 darkens each channel by about 16 %.
bool Darker(Pixel line, Pixel back) { return line.r < back.r - 3 || line.g < back.g - 5 || line.b < back.b - 10; }

class Containers : public SkinFixture {
protected:
    Surface PaintOf(HWND container)
    {
        RECT rc{};
        GetClientRect(container, &rc);
        Surface s(rc.right, rc.bottom);
        s.Fill(0x00FF00FF);
        EXPECT_TRUE(PaintContainer(container, s.Dc()));
        return s;
    }
    ContainerEntry* Entry(HWND host, HWND container)
    {
        WindowSkinRecord* r = RecordAt(FindWindowRecord(host));
        return r ? r->containers.Get(r->containers.Find(container)) : nullptr;
    }
};

// ---- group boxes ---------------------------------------------------------------

TEST_F(Containers, GroupBoxFrameLinesStopUnderTheCaption)
{
    HWND host = Host();
    // Underscores: the caption's glyphs stay near its baseline, so the rows
    // of the frame lines (y 5 and 6) under the caption show only background.
    HWND box = Child(host, "BUTTON", "____", BS_GROUPBOX | BS_LEFT, 20, 20, 200, 80);
    HWND empty = Child(host, "BUTTON", "", BS_GROUPBOX | BS_LEFT, 20, 120, 200, 80);
    SkinAndShow(host);
    skin.SkinControl(box);
    skin.SkinControl(empty);
    ASSERT_NE(Entry(host, box), nullptr);
    EXPECT_EQ(Entry(host, box)->groupBox, 1);
    Surface s = PaintOf(box);
    Surface e = PaintOf(empty);
    const Pixel back = s.At(100, 40);
    EXPECT_TRUE(Near(back, FromColour(kHostBack), 2)) << Describe(back);
    // Outside the caption the top line is there; under it, it is not.
    EXPECT_TRUE(Darker(s.At(120, 5), back)) << Describe(s.At(120, 5));
    EXPECT_TRUE(Near(s.At(14, 5), back, 2)) << Describe(s.At(14, 5));
    EXPECT_TRUE(Near(s.At(14, 6), back, 2)) << Describe(s.At(14, 6));
    // Without a caption the same place carries the line.
    EXPECT_TRUE(Darker(e.At(14, 5), back)) << Describe(e.At(14, 5));
    // The caption itself is drawn (black by default) from x 10.
    EXPECT_GT(s.Count([](Pixel p) { return p.r < 60 && p.g < 60 && p.b < 80; }, RECT{9, 8, 40, 17}), 3);
    // The side lines below the caption band are untouched.
    EXPECT_TRUE(Darker(s.At(0, 40), back)) << Describe(s.At(0, 40));
    EXPECT_EQ(s.Count(IsMagenta, s.All()), 0);
}

TEST_F(Containers, GroupBoxCaptionWiderThanTheBoxStillStopsTheLines)
{
    HWND host = Host();
    HWND box = Child(host, "BUTTON", "______________________", BS_GROUPBOX | BS_CENTER, 20, 20, 60, 80);
    SkinAndShow(host);
    skin.SkinControl(box);
    Surface s = PaintOf(box);
    const Pixel back = s.At(30, 40);
    // The caption band (y 1 .. 1 + 12 + 3) covers the whole width: neither
    // the top line nor the upper ends of the side lines show there.
    for (int x = 0; x < 60; ++x) {
        EXPECT_TRUE(Near(s.At(x, 5), back, 2)) << "x " << x << " " << Describe(s.At(x, 5));
        EXPECT_TRUE(Near(s.At(x, 6), back, 2)) << "x " << x << " " << Describe(s.At(x, 6));
    }
    EXPECT_TRUE(Near(s.At(0, 10), back, 2)) << Describe(s.At(0, 10));
    EXPECT_TRUE(Darker(s.At(0, 40), back)) << Describe(s.At(0, 40));
    EXPECT_TRUE(Darker(s.At(30, 79), back)) << Describe(s.At(30, 79));  // bottom line: y 5 + (80 − 6)
}

TEST_F(Containers, GroupBoxCaptionPlacementFollowsTheAlignmentBits)
{
    HWND host = Host();
    HWND right = Child(host, "BUTTON", "__", BS_GROUPBOX | BS_RIGHT, 20, 20, 200, 60);
    HWND none = Child(host, "BUTTON", "__", BS_GROUPBOX, 20, 100, 200, 60);
    SkinAndShow(host);
    skin.SkinControl(right);
    skin.SkinControl(none);
    for (HWND box : {right, none}) {
        Surface s = PaintOf(box);
        const Pixel back = s.At(100, 30);
        // The gap is at the right end (width − text width − 10), the left
        // part of the top line stays.
        EXPECT_TRUE(Darker(s.At(20, 5), back));
        EXPECT_TRUE(Near(s.At(185, 5), back, 2)) << Describe(s.At(185, 5));
        EXPECT_TRUE(Darker(s.At(192, 5), back));
    }
}

// ---- tab control panel -----------------------------------------------------------

TEST_F(Containers, TabControlOfKindOneShowsNoTabStripOnlyThePanel)
{
    InitCommonControls();
    HWND host = Host();
    HWND tab = Child(host, WC_TABCONTROLA, "", 0, 20, 40, 300, 200);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("MMMMMM");
    SendMessageA(tab, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.pszText = const_cast<char*>("WWWWWW");
    SendMessageA(tab, TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
    HWND inside = Child(tab, "BUTTON", "", BS_PUSHBUTTON, 100, 100, 60, 24);
    SkinAndShow(host);
    const RECT strip{4, 3, 200, 22};
    auto varied = [](const Surface& s, RECT area) {
        const Pixel first = s.At(area.left + 10, area.top + 8);
        return s.Count([&](Pixel p) { return !Near(p, first, 6); }, area);
    };
    // Unskinned, the strip shows its tabs (the check below can fail).
    Repaint(tab);
    EXPECT_GT(varied(Surface::FromWindow(tab), strip), 20);

    skin.SkinControl(tab, {}, Given<COLORREF>(0x00FFFFFF), Given(100), Given(1));
    EXPECT_EQ(RecordAt(FindWindowRecord(host))->buttons.Find(inside), 1);  // its children are skinned
    Repaint(host);
    Surface shown = Surface::FromWindow(tab);
    EXPECT_EQ(varied(shown, strip), 0);
    // The panel: the host blue under a white wash at alpha 100, framed by a
    // dark outer and a light inner line.
    const Pixel inner = shown.At(150, 60);
    const Pixel expected{0x20 + (255 - 0x20) * 100 / 255, 0x50 + (255 - 0x50) * 100 / 255,
                         0xA0 + (255 - 0xA0) * 100 / 255};
    EXPECT_TRUE(Near(inner, expected, 3)) << Describe(inner);
    EXPECT_TRUE(Darker(shown.At(150, 0), inner)) << Describe(shown.At(150, 0));
    EXPECT_GT(shown.At(150, 1).r, inner.r) << Describe(shown.At(150, 1));
    EXPECT_EQ(shown.Count(IsMagenta, shown.All()), 0);
    // The child shows its own face, not the panel: it is left out.
    Surface child = Surface::FromWindow(inside);
    EXPECT_EQ(child.Count(IsMagenta, child.All()), 0);
}

TEST_F(Containers, SkinControlTwiceKeepsOneEntryAndSetControlByteNeedsAFill)
{
    HWND host = Host();
    HWND box = Child(host, "BUTTON", "x", BS_GROUPBOX, 20, 20, 100, 60);
    HWND plain = Child(host, "BUTTON", "y", BS_GROUPBOX, 20, 100, 100, 60);
    const int index = SkinAndShow(host);
    skin.SkinControl(box, {}, Given<COLORREF>(0x00F0F0F0), Given(100), Given(1));
    const WNDPROC proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC));
    skin.SkinControl(box, Given(0), Given<COLORREF>(0x00000080), Given(5), Given(0));
    WindowSkinRecord* r = RecordAt(index);
    EXPECT_EQ(r->containers.Count(), 1);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box, GWLP_WNDPROC)), proc);
    EXPECT_EQ(proc, ContainerWindowProc);
    EXPECT_EQ(Entry(host, box)->fillAlpha, 100);
    EXPECT_EQ(Entry(host, box)->kind, 1);
    skin.SetControlByte(box, 200);
    EXPECT_EQ(Entry(host, box)->fillAlpha, 200);
    skin.SkinControl(plain);  // no fill colour
    EXPECT_EQ(Entry(host, plain)->fillAlpha, 255);
    skin.SetControlByte(plain, 7);
    EXPECT_EQ(Entry(host, plain)->fillAlpha, 255);
}

TEST_F(Containers, ColourMessagesOnlyWhileTranslucent)
{
    HWND host = Host();
    HWND box = Child(host, "BUTTON", "", BS_GROUPBOX, 20, 20, 200, 100);
    HWND edit = Child(box, "EDIT", "text", 0, 10, 20, 100, 24);
    SkinAndShow(host);
    skin.SkinControl(box);
    HDC dc = GetDC(edit);
    const LRESULT opaque = SendMessageA(box, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(GetProperty(edit, kPropBrush), 0u);
    Skin().translucentBackground = 1;
    const LRESULT brush = SendMessageA(box, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(edit));
    EXPECT_NE(brush, opaque);
    EXPECT_EQ(GetProperty(edit, kPropBrush), static_cast<uintptr_t>(brush));
    EXPECT_NE(GetProperty(edit, kPropBrushBitmap), 0u);
    BITMAP bm{};
    GetObjectA(reinterpret_cast<HBITMAP>(GetProperty(edit, kPropBrushBitmap)), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 100);
    EXPECT_EQ(bm.bmHeight, 24);
    const LRESULT button = SendMessageA(box, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(button), GetStockObject(NULL_BRUSH));
    ReleaseDC(edit, dc);
}

// ---- labels ----------------------------------------------------------------------

TEST_F(Containers, StaticWithNoFontAnywhereUsesSongTi12)
{
    HWND host = Host();
    HWND label = Child(host, "Static", "text", SS_LEFT, 10, 40, 100, 20);
    const int index = SkinAndShow(host);
    SkinLabels(index, host);
    WindowSkinRecord* r = RecordAt(index);
    const int e = r->labels.Find(label);
    ASSERT_GT(e, 0);
    EXPECT_EQ(r->labels.Get(e)->fontName, "宋体");
    EXPECT_EQ(r->labels.Get(e)->fontSize, 12);
    EXPECT_EQ(r->labels.Get(e)->kind, kLabelText);
}

TEST_F(Containers, StaticKeepsItsOwnFontAndIconKind)
{
    HWND host = Host();
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HWND label = Child(host, "Static", "text", SS_LEFT, 10, 40, 100, 20);
    HWND icon = Child(host, "Static", "", SS_ICON | SS_CENTERIMAGE, 10, 80, 32, 32);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const int index = SkinAndShow(host);
    SkinLabels(index, host);
    WindowSkinRecord* r = RecordAt(index);
    const LabelEntry* e = r->labels.Get(r->labels.Find(label));
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->fontName, "宋体");
    EXPECT_EQ(e->fontSize, 20);
    EXPECT_EQ(e->fontStyle & Gdiplus::FontStyleBold, Gdiplus::FontStyleBold);
    const LabelEntry* i = r->labels.Get(r->labels.Find(icon));
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->kind, kLabelIcon);
    EXPECT_EQ(i->placement, kPlaceCentre);
    DestroyWindow(label);
    DeleteObject(font);
}

TEST_F(Containers, HaloScaleFourOnA100By20LayoutBlursThroughA25By5Bitmap)
{
    Surface s(140, 40);
    s.Fill(0x00808080);
    {
        gp::Graphics g;
        ASSERT_TRUE(g.CreateFromHDC(s.Dc()));
        EXPECT_TRUE(DrawHaloText(g, "MMMMMM", gp::RectF(10, 10, 100, 20), 0x00000000, 0x00FFFFFF, 4));
    }
    EXPECT_EQ(LastHaloBlurSize().cx, 25);
    EXPECT_EQ(LastHaloBlurSize().cy, 5);
    // Black text inside a white glow on the grey.
    EXPECT_GT(s.Count([](Pixel p) { return p.r < 50 && p.g < 50 && p.b < 50; }, s.All()), 20);
    EXPECT_GT(s.Count([](Pixel p) { return p.r > 160 && p.r == p.g && p.g == p.b; }, s.All()), 20);
    {
        gp::Graphics g;
        ASSERT_TRUE(g.CreateFromHDC(s.Dc()));
        DrawHaloText(g, "MMMMMM", gp::RectF(10, 10, 100, 20), 0x00000000, 0x00FFFFFF, 2);
    }
    EXPECT_EQ(LastHaloBlurSize().cx, 50);
    EXPECT_EQ(LastHaloBlurSize().cy, 10);
}

TEST_F(Containers, TextLabelPaintsHaloTextOverTheBackground)
{
    HWND host = Host();
    HWND label = Child(host, "Static", "MMMM", SS_LEFT, 10, 40, 100, 20);
    const int index = SkinAndShow(host);
    SkinLabels(index, host);
    Surface s(100, 20);
    s.Fill(0x00FF00FF);
    ASSERT_TRUE(PaintLabel(label, s.Dc()));
    // The layout is the client width + font size + 10 wide: (100 + 12 + 10) / 4.
    EXPECT_EQ(LastHaloBlurSize().cx, 30);
    EXPECT_EQ(LastHaloBlurSize().cy, 5);
    EXPECT_EQ(s.Count(IsMagenta, s.All()), 0);
    EXPECT_GT(s.Count([](Pixel p) { return p.r < 50 && p.g < 50 && p.b < 50; }, s.All()), 10);
    // Away from the text the label shows the host's blue.
    EXPECT_TRUE(Near(s.At(95, 17), FromColour(kHostBack), 3)) << Describe(s.At(95, 17));
}

// ---- colour key --------------------------------------------------------------------

const char kKeyedClass[] = "OrvKeyedTestControl";

// Paints its background in the key colour and a black square in the middle,
// into the DC it is given (WM_PAINT with a DC in wParam) or its own.
LRESULT CALLBACK KeyedProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wp, lp);
    PAINTSTRUCT ps{};
    HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(hwnd, &ps);
    HBRUSH key = CreateSolidBrush(0x00C0C0C0);
    RECT all{0, 0, 60, 40};
    FillRect(dc, &all, key);
    DeleteObject(key);
    RECT square{20, 10, 40, 30};
    FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (!wp) EndPaint(hwnd, &ps);
    return 0;
}

TEST_F(Containers, ColourKeyShowsTheBackgroundWhereTheControlPaintedItsKeyColour)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = KeyedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kKeyedClass;
    RegisterClassA(&wc);
    HWND host = Host();
    HWND keyed = Child(host, kKeyedClass, "", 0, 30, 40, 60, 40);
    const int index = SkinAndShow(host);
    skin.SubclassControl(keyed, Given<COLORREF>(0x00C0C0C0));
    WindowSkinRecord* r = RecordAt(index);
    ASSERT_EQ(r->subclassed.Find(keyed), 1);
    EXPECT_EQ(GetProperty(keyed, kPropKeyIndex), 1u);
    EXPECT_EQ(GetProperty(keyed, kPropKeyOwner), static_cast<uintptr_t>(index));
    EXPECT_EQ(GetProperty(keyed, kPropIndex), 0u);
    Surface s(60, 40);
    ASSERT_TRUE(PaintColourKeyed(keyed, s.Dc()));
    EXPECT_TRUE(Near(s.At(5, 5), FromColour(kHostBack), 2)) << Describe(s.At(5, 5));
    EXPECT_TRUE(Near(s.At(30, 20), Pixel{0, 0, 0}, 2)) << Describe(s.At(30, 20));
    // Translucent: the background takes the white wash.
    Skin().translucentBackground = 1;
    Skin().backgroundAlpha = 100;
    Surface washed(60, 40);
    ASSERT_TRUE(PaintColourKeyed(keyed, washed.Dc()));
    EXPECT_GT(washed.At(5, 5).r, 0x20 + 50) << Describe(washed.At(5, 5));
    EXPECT_TRUE(Near(washed.At(30, 20), Pixel{0, 0, 0}, 2));
    // And through its window procedure on screen.
    Repaint(keyed);
    Surface shown = Surface::FromWindow(keyed);
    EXPECT_TRUE(Near(shown.At(5, 5), washed.At(5, 5), 2)) << Describe(shown.At(5, 5));
    EXPECT_TRUE(Near(shown.At(30, 20), Pixel{0, 0, 0}, 2));
}

// ---- object balance -----------------------------------------------------------------

TEST_F(Containers, GdiObjectsStayFlatOverAThousandHoverAndPaintCycles)
{
    InitCommonControls();
    HWND host = Host(450, 300, 60, 60);
    HWND tab = Child(host, WC_TABCONTROLA, "", 0, 10, 30, 420, 250);
    HWND group = Child(tab, "BUTTON", "分组", BS_GROUPBOX, 10, 10, 200, 100);
    HWND plain = Child(tab, "BUTTON", "plain", BS_PUSHBUTTON, 230, 20, 80, 30);
    HWND image = Child(tab, "BUTTON", "image", BS_PUSHBUTTON, 230, 60, 100, 32);
    HWND icon = Child(group, "BUTTON", "", BS_PUSHBUTTON, 10, 25, 38, 38);
    HWND check = Child(tab, "BUTTON", "check", BS_AUTOCHECKBOX, 230, 100, 100, 20);
    HWND label = Child(tab, "Static", "标签", SS_LEFT, 10, 150, 100, 20);
    HWND edit = Child(tab, "EDIT", "edit", 0, 10, 180, 100, 24);
    const int index = SkinAndShow(host);
    skin.SkinControl(tab, {}, Given<COLORREF>(kHostBack), Given(100), Given(1));
    skin.SkinControl(group, {}, Given<COLORREF>(kHostBack), Given(100), Given(1));
    skin.SkinImageButton(image, SolidPng(64, 64, 0x000000FF), 1, Given(1));
    skin.SkinIconButton(icon, SolidPng(20, 20, 0x00FF0000));
    SkinLabels(index, tab);
    Skin().translucentBackground = 1;
    Skin().backgroundAlpha = 100;
    Repaint(host);

    auto cycle = [&](int i) {
        HWND a = (i % 2) ? plain : image;
        SendMessageA(a, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(a, WM_MOUSELEAVE, 0, 0);
        SendMessageA(icon, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(check, BM_SETCHECK, (i % 2) ? BST_CHECKED : BST_UNCHECKED, 0);
        HDC dc = GetDC(edit);
        SendMessageA(tab, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
        ReleaseDC(edit, dc);
        RedrawWindow(tab, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RedrawWindow(group, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages();
    };
    for (int i = 0; i < 20; ++i) cycle(i);  // warm-up: caches, stock objects, first brushes
    const long before = GdiObjectCount();
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int i = 0; i < 1000; ++i) cycle(i);
    const long after = GdiObjectCount();
    const DWORD userAfter = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    ASSERT_GT(before, 0);
    EXPECT_EQ(after, before);
    EXPECT_EQ(userAfter, userBefore);  // 0 and 0 under Wine (a stub there)
    printf("GDI objects before %ld, after 1000 cycles %ld; USER objects %lu -> %lu\n", before, after,
           static_cast<unsigned long>(userBefore), static_cast<unsigned long>(userAfter));
    // Nothing on screen is magenta.
    Surface all = Surface::FromWindow(tab);
    EXPECT_EQ(all.Count(IsMagenta, all.All()), 0);
}

}  // namespace
