// The first frame of a start, read from the screen at the moment the start-up
// benchmark calls the program painted (its window shown, the catalogue in the
// visible list, no window of it with anything left to paint), and again once
// everything has settled. Work moved past that moment to make the start
// faster must not show: the two are the same to the pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ProcessDriver.h"
#include "tests/support/ScreenInput.h"

namespace orv {
namespace {

using test::OrvaneProcess;
using test::ScreenPixels;

constexpr int kEntries = 2000;

struct Painted {
    HWND main = nullptr;
    DWORD pid = 0;
    int listed = 0;  // items of the fullest visible list box
    bool pending = false;
};

BOOL CALLBACK LookAtChild(HWND h, LPARAM p)
{
    auto* s = reinterpret_cast<Painted*>(p);
    if (!IsWindowVisible(h)) return TRUE;
    if (GetUpdateRect(h, nullptr, FALSE)) s->pending = true;
    char cls[16] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpiA(cls, "ListBox") == 0)
        s->listed = std::max(s->listed, static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0)));
    return TRUE;
}

// The benchmark's own test of "painted", on the program's window now.
Painted LookAt(DWORD pid)
{
    Painted s;
    s.pid = pid;
    for (HWND h = nullptr; (h = FindWindowExA(nullptr, h, "OrvaneMainWindow", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h)) s.main = h;
    }
    if (!s.main) return s;
    s.pending = GetUpdateRect(s.main, nullptr, FALSE) != FALSE;
    EnumChildWindows(s.main, LookAtChild, reinterpret_cast<LPARAM>(&s));
    return s;
}

// The caret, in the window's coordinates: it blinks, and is the one thing
// allowed to differ.
RECT CaretIn(HWND main)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    RECT caret{};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) || !info.hwndCaret) return caret;
    caret = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
    RECT window{};
    GetWindowRect(main, &window);
    OffsetRect(&caret, -window.left, -window.top);
    InflateRect(&caret, 1, 1);
    return caret;
}

TEST(FirstFrame, WhatIsPaintedFirstIsWhatStaysToThePixel)
{
    // The pointer away from the window: a hover would change the frame.
    test::MovePointerTo(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    OrvaneProcess app{test::TestFile(ORV_EXE_PATH)};
    std::string catalogue;
    for (int i = 0; i < kEntries; ++i) catalogue += "歌曲" + std::to_string(i) + (i % 2 ? " G调\r\n" : " 降B调\r\n");
    ASSERT_TRUE(test::WriteFileBytes(app.CataloguePath(), catalogue));
    ASSERT_TRUE(app.Launch());

    Painted painted;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(1)) {
        painted = LookAt(app.ProcessId());
        if (painted.main && painted.listed == kEntries && !painted.pending) break;
    }
    ASSERT_TRUE(painted.main && painted.listed == kEntries && !painted.pending) << "never painted";
    const ScreenPixels first = ScreenPixels::OfWindow(painted.main);
    const RECT caretThen = CaretIn(painted.main);

    Sleep(1500);
    SendMessageTimeoutA(painted.main, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
    const ScreenPixels settled = ScreenPixels::OfWindow(painted.main);
    const RECT caretNow = CaretIn(painted.main);

    ASSERT_EQ(first.Width(), settled.Width());
    ASSERT_EQ(first.Height(), settled.Height());
    int differing = 0;
    POINT firstDifference{-1, -1};
    for (int y = 0; y < first.Height(); ++y)
        for (int x = 0; x < first.Width(); ++x) {
            const POINT p{x, y};
            if (PtInRect(&caretThen, p) || PtInRect(&caretNow, p)) continue;
            const test::ScreenRgb a = first.At(x, y), b = settled.At(x, y);
            if (a.r == b.r && a.g == b.g && a.b == b.b) continue;
            if (differing++ == 0) firstDifference = p;
        }
    EXPECT_EQ(differing, 0) << "first at (" << firstDifference.x << "," << firstDifference.y << ") of "
                            << first.Width() << "x" << first.Height() << ": " << first.At(firstDifference.x, firstDifference.y)
                            << " then " << settled.At(firstDifference.x, firstDifference.y);
    PostMessageA(painted.main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.WaitForExit(20000));
}

}  // namespace
}  // namespace orv
