// The first frame of a start, read from the screen at the moment the start-up
// benchmark calls the program painted (its window shown, the catalogue in the
// visible list, no window of it with anything left to paint), and again once
// everything has settled. Work moved past that moment to make the start
// faster must not show: the two are the same to the pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FirstFrame.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/ScreenInput.h"

namespace orv {
namespace {

using test::OrvaneProcess;

constexpr int kEntries = 2000;

TEST(FirstFrame, WhatIsPaintedFirstIsWhatStaysToThePixel)
{
    // The pointer away from the window: a hover would change the frame.
    test::MovePointerTo(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    OrvaneProcess app{test::TestFile(ORV_EXE_PATH)};
    std::string catalogue;
    for (int i = 0; i < kEntries; ++i) catalogue += "歌曲" + std::to_string(i) + (i % 2 ? " G调\r\n" : " 降B调\r\n");
    ASSERT_TRUE(test::WriteFileBytes(app.CataloguePath(), catalogue));
    ASSERT_TRUE(app.Launch());

    test::StartState painted;
    ASSERT_TRUE(test::WaitUntilPainted(app.ProcessId(), kEntries, 30000, &painted)) << "never painted";
    const test::Frame first = test::Frame::Of(painted.main);

    Sleep(1500);
    SendMessageTimeoutA(painted.main, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
    const test::Frame settled = test::Frame::Of(painted.main);

    const test::FrameDifference d = test::Compare(first, settled);
    ASSERT_TRUE(d.sameSize);
    EXPECT_EQ(d.differing, 0) << "first at (" << d.first.x << "," << d.first.y << ") of " << first.pixels.Width()
                              << "x" << first.pixels.Height() << ": " << first.pixels.At(d.first.x, d.first.y)
                              << " then " << settled.pixels.At(d.first.x, d.first.y);
    PostMessageA(painted.main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.WaitForExit(20000));
}

}  // namespace
}  // namespace orv
