#include <gtest/gtest.h>

#include <utility>

#include "PeSection.h"
#include "PeTestFile.h"
#include "SampleImage.h"

namespace orv::image {
namespace {

TEST(PeSection, FindsTheNamedSectionsRawData) {
  const std::vector<uint8_t> text(0x300, 0xCC);
  const std::vector<uint8_t> image = {'O', 'V', 0, 0, 1, 2, 3};
  const std::vector<uint8_t> file = testing::MakePeFile({{".text", text}, {".orvimg", image}});
  PeSectionSpan span;
  std::string error;
  ASSERT_TRUE(FindPeSection(file.data(), file.size(), kImageSectionName, span, error)) << error;
  EXPECT_EQ(span.size, 0x200u);  // raw size, padding included
  ASSERT_LE(span.offset + span.size, file.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin() + span.offset));
}

// Under Wine a section is mapped from the file only at a page-aligned offset.
TEST(PeSection, PageAlignsASectionAndMovesWhatFollowsWithIt) {
  const std::vector<uint8_t> text(0x300, 0xCC), image = {'O', 'V', 1, 2, 3}, after(0x20, 0xAB);
  std::vector<uint8_t> file = testing::MakePeFile({{".text", text}, {".orvimg", image}, {".rsrc", after}});
  const size_t before = file.size();
  std::string error;
  ASSERT_TRUE(PageAlignSection(file, kImageSectionName, error)) << error;
  for (const auto& [name, bytes] : {std::pair{".text", text}, {".orvimg", image}, {".rsrc", after}}) {
    PeSectionSpan span;
    ASSERT_TRUE(FindPeSection(file.data(), file.size(), name, span, error)) << error;
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin() + span.offset)) << name;
    if (std::string(name) == ".orvimg") {
      EXPECT_EQ(span.offset, 0x1000u);
    }
  }
  EXPECT_EQ(file.size(), before + 0x1000 - 0x600);
  const std::vector<uint8_t> aligned = file;
  ASSERT_TRUE(PageAlignSection(file, kImageSectionName, error)) << error;
  EXPECT_EQ(file, aligned) << "an aligned section stays where it is";

  // Refused, the file unchanged: a padding the file alignment cannot take,
  // and a debug directory whose entries hold file offsets.
  std::vector<uint8_t> odd = testing::MakePeFile({{".text", text}, {".orvimg", image}});
  odd[0x80 + 24 + 36 + 1] = 0x03;  // file alignment 0x300
  const std::vector<uint8_t> oddBefore = odd;
  EXPECT_FALSE(PageAlignSection(odd, kImageSectionName, error));
  EXPECT_NE(error.find("file alignment"), std::string::npos) << error;
  EXPECT_EQ(odd, oddBefore);
  std::vector<uint8_t> debug = testing::MakePeFile({{".text", text}, {".orvimg", image}});
  debug[0x80 + 24 + 96 + 8 * 6 + 4] = 0x1C;  // a debug directory of 28 bytes
  EXPECT_FALSE(PageAlignSection(debug, kImageSectionName, error));
  EXPECT_NE(error.find("debug"), std::string::npos) << error;
}

struct PeDamage {
  const char* what;
  size_t keepBytes;  // 0: keep all
  size_t patchAt;
  uint32_t patchValue;
  const char* expected;
};

TEST(PeSection, MalformedOrMissingSectionsAreReported) {
  const std::vector<uint8_t> valid =
      testing::MakePeFile({{".text", std::vector<uint8_t>(16, 1)}, {".orvimg", {1, 2, 3}}});
  const size_t table = 0x80 + 24 + 0xE0;
  const PeDamage cases[] = {
      {"truncated DOS header", 0x30, 0, 0, "DOS header"},
      {"PE offset past the end", 0, 0x3C, 0x7FFFFFF0, "no PE signature"},
      {"truncated section table", table + 50, 0, 0, "truncated"},
      {"huge section count", 0, 0x86, 0xFFFF, "truncated"},
      {"raw data past the end", 0, table + 40 + 20, 0xFFFFF000, "past the end"},
      {"section renamed", 0, table + 40 + 1, 0x58585858, "no section named .orvimg"},
  };
  for (const PeDamage& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> file = valid;
    if (c.patchAt != 0) {
      const size_t width = c.what == std::string("huge section count") ? 2 : 4;
      for (size_t i = 0; i < width; ++i)
        file[c.patchAt + i] = static_cast<uint8_t>(c.patchValue >> (8 * i));
    }
    if (c.keepBytes != 0) file.resize(c.keepBytes);
    PeSectionSpan span;
    std::string error;
    EXPECT_FALSE(FindPeSection(file.data(), file.size(), kImageSectionName, span, error));
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace orv::image
