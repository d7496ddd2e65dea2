#include <gtest/gtest.h>

#include "Fixup.h"

namespace orv::image {
namespace {

struct EntryCase {
  uint32_t entry;
  FixupKind kind;
  uint32_t offset;
};

TEST(Fixup, EntrySplitsIntoKindAndOffset) {
  const EntryCase cases[] = {
      {0x31, FixupKind::Const, 6},
      {0x00, FixupKind::Service, 0},
      {0x1A, FixupKind::Var, 3},
      {0x0B, FixupKind::Code, 1},
      {0xFFFFFFFB, FixupKind::Code, 0x1FFFFFFF},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.entry);
    const Fixup fixup = DecodeFixup(c.entry);
    EXPECT_EQ(fixup.kind, c.kind);
    EXPECT_EQ(fixup.offset, c.offset);
    EXPECT_TRUE(IsValidFixupEntry(c.entry));
    EXPECT_EQ(EncodeFixup(fixup), c.entry);
  }
}

TEST(Fixup, KindsAboveThreeAndHugeOffsetsAreRefused) {
  std::vector<uint8_t> data(16, 0);
  for (uint32_t kind = 4; kind < 8; ++kind) {
    const uint32_t entry = 0x10 | kind;
    EXPECT_FALSE(IsValidFixupEntry(entry));
    // Decoding must not fold an unknown kind into a known one.
    std::string error;
    EXPECT_FALSE(ApplyFixups(data.data(), data.size(), {DecodeFixup(entry)}, {1, 1, 1, 1}, error));
  }
  EXPECT_EQ(data, std::vector<uint8_t>(16, 0));
  EXPECT_FALSE(IsEncodableFixup({FixupKind::Const, 0x20000000}));
  EXPECT_TRUE(IsEncodableFixup({FixupKind::Const, 0x1FFFFFFF}));
}

TEST(Fixup, ApplyAddsTheBaseOfEachKind) {
  std::vector<uint8_t> data(20, 0);
  data[0] = 0x0C;                                   // service slot 0x0C
  data[5] = 0x10;                                   // const offset 0x10, unaligned
  for (size_t i = 10; i < 14; ++i) data[i] = 0xFF;  // var offset 0xFFFFFFFF: the add wraps
  data[16] = 0x04;                                  // code offset 4
  const std::vector<Fixup> fixups = {
      {FixupKind::Service, 0}, {FixupKind::Const, 5}, {FixupKind::Var, 10}, {FixupKind::Code, 16}};
  const FixupBases bases = {0x1000, 0x20000, 0x2, 0x400000};
  std::string error;
  ASSERT_TRUE(ApplyFixups(data.data(), data.size(), fixups, bases, error)) << error;
  auto at = [&](size_t p) {
    return static_cast<uint32_t>(data[p] | data[p + 1] << 8 | data[p + 2] << 16 |
                                 static_cast<uint32_t>(data[p + 3]) << 24);
  };
  EXPECT_EQ(at(0), 0x100Cu);
  EXPECT_EQ(at(5), 0x20010u);
  EXPECT_EQ(at(10), 0x1u);  // 0xFFFFFFFF + 2 modulo 2^32
  EXPECT_EQ(at(16), 0x400004u);
  // Bytes between the places are not touched.
  EXPECT_EQ(data[4], 0);
  EXPECT_EQ(data[9], 0);
  EXPECT_EQ(data[14], 0);
}

TEST(Fixup, ApplyRefusesPlacesOutsideTheBufferAndChangesNothing) {
  const std::vector<uint8_t> original = {1, 2, 3, 4, 5, 6, 7};
  const FixupBases bases = {1, 1, 1, 1};
  const std::vector<std::vector<Fixup>> cases = {
      {{FixupKind::Const, 0}, {FixupKind::Const, 4}},  // second one straddles the end
      {{FixupKind::Code, 0}, {FixupKind::Var, 0x1FFFFFFF}},
      {{static_cast<FixupKind>(5), 0}},
  };
  for (const std::vector<Fixup>& fixups : cases) {
    std::vector<uint8_t> data = original;
    std::string error;
    EXPECT_FALSE(ApplyFixups(data.data(), data.size(), fixups, bases, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(data, original);
  }
  std::string error;
  EXPECT_FALSE(ApplyFixups(nullptr, 3, {{FixupKind::Const, 0}}, bases, error));
}

}  // namespace
}  // namespace orv::image
