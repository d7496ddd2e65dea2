// The GDI+ session: how often a token really reaches GdiplusShutdown. GDI+
// gives no outward sign of a shutdown under Wine, so the session's shutdown
// observer records the calls. This executable has no session of its own:
// Wine hands every session the same token value, and another open session
// would blur the count.
#include "gdiplus/GdiPlusSession.h"
#include "gdiplus/PictureCache.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<orv::GdiPlusToken> gShutdowns;
void RecordShutdown(orv::GdiPlusToken token) { gShutdowns.push_back(token); }

class GdiPlusSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gShutdowns.clear();
        previous_ = orv::SetShutdownObserver(RecordShutdown);
    }
    void TearDown() override { orv::SetShutdownObserver(previous_); }

private:
    orv::ShutdownObserver previous_ = nullptr;
};

TEST_F(GdiPlusSessionTest, EndingWithoutTokenEndsTheLastSessionOnce)
{
    const orv::GdiPlusToken token = orv::StartGdiPlus();
    ASSERT_NE(token, 0u);
    orv::EndGdiPlus();
    ASSERT_EQ(gShutdowns.size(), 1u);
    EXPECT_EQ(gShutdowns[0], token);
    orv::EndGdiPlus();  // the last token was taken and cleared
    EXPECT_EQ(gShutdowns.size(), 1u);
}

TEST_F(GdiPlusSessionTest, EndingTheSameTokenTwiceShutsDownOnce)
{
    // The skin's release and the frame's WM_QUIT both end the kept token.
    const orv::GdiPlusToken kept = orv::StartGdiPlus();
    ASSERT_NE(kept, 0u);
    orv::EndGdiPlus(&kept);
    orv::EndGdiPlus(&kept);
    ASSERT_EQ(gShutdowns.size(), 1u);
    EXPECT_EQ(gShutdowns[0], kept);
    // Ending it explicitly also cleared the last token.
    orv::EndGdiPlus();
    EXPECT_EQ(gShutdowns.size(), 1u);
}

TEST_F(GdiPlusSessionTest, ZeroTokenAndUnstartedSessionDoNothing)
{
    const orv::GdiPlusToken zero = 0;
    orv::EndGdiPlus(&zero);
    orv::EndGdiPlus();  // no session started by this test; earlier ones were cleared
    EXPECT_TRUE(gShutdowns.empty());
}

TEST_F(GdiPlusSessionTest, TwoSessionsEndIndependently)
{
    const orv::GdiPlusToken first = orv::StartGdiPlus();
    const orv::GdiPlusToken second = orv::StartGdiPlus();
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    orv::EndGdiPlus();  // the last one: second
    orv::EndGdiPlus(&first);
    ASSERT_EQ(gShutdowns.size(), 2u);
    EXPECT_EQ(gShutdowns[0], second);
    EXPECT_EQ(gShutdowns[1], first);
    orv::EndGdiPlus(&first);
    orv::EndGdiPlus(&second);
    EXPECT_EQ(gShutdowns.size(), 2u);
}

}  // namespace

namespace {

TEST_F(GdiPlusSessionTest, EndingTheLastSessionEmptiesThePictureCache)
{
    orv::GdiPlusToken token = orv::StartGdiPlus();
    ASSERT_NE(token, 0u);
    // A 1 × 1 PNG, enough for one cache entry.
    static const unsigned char kPng[] = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4,
        0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
        0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF, 0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
        0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    ASSERT_NE(orv::gp::CachedPicture(kPng, sizeof kPng), nullptr);
    EXPECT_EQ(orv::gp::PictureCacheSize(), 1u);
    orv::EndGdiPlus(&token);
    EXPECT_EQ(orv::gp::PictureCacheSize(), 0u);
}

}  // namespace
