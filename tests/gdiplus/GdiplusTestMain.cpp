// One GDI+ session around every test of this executable, as in the program.
#include "gdiplus/GdiPlusSession.h"

#include <gtest/gtest.h>

namespace {

class GdiPlusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { token_ = orv::StartGdiPlus(); ASSERT_NE(token_, 0u) << "GdiplusStartup failed"; }
    void TearDown() override { orv::EndGdiPlus(&token_); }

private:
    orv::GdiPlusToken token_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);
    return RUN_ALL_TESTS();
}
