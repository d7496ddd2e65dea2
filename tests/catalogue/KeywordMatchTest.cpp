#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "catalogue/KeywordMatch.h"

namespace orv {
namespace {

TEST(KeywordMatch, SubstringCaseSensitive)
{
    struct Case {
        const char* entry;
        const char* keyword;
        bool match;
    };
    const Case cases[] = {
        {"歌曲一 G调", "G", true},
        {"歌曲一 G调", "g", false},
        {"歌曲一 G调", " ", true},
        {"歌曲一G调", " ", false},
        {"歌曲一 G调", "歌曲", true},
        {"歌曲一 G调", "G调", true},
        {"歌曲一 G调", "歌曲一 G调", true},
        {"歌曲一 G调", "歌曲一 G调 ", false},  // longer than the entry
        {"Song 2 Eb", "eb", false},
        {"Song 2 Eb", "Eb", true},
        {"", "a", false},
        {"abc", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ContainsKeyword(c.entry, c.keyword), c.match) << c.entry << " / " << c.keyword;
}

TEST(KeywordMatch, NeverStartsInsideATwoByteCharacter)
{
    // 歌曲 is B8 E8 C7 FA: E8 C7 is the tail of 歌 and the head of 曲.
    EXPECT_FALSE(ContainsKeyword("\xB8\xE8\xC7\xFA", "\xE8\xC7"));
    // Trail byte 0x47 is also ASCII 'G': a trail byte is not a character.
    EXPECT_FALSE(ContainsKeyword("\xB5\x47", "G"));
    EXPECT_TRUE(ContainsKeyword("\xB5\x47G", "G"));
    // After an ASCII byte the boundaries shift by one.
    EXPECT_TRUE(ContainsKeyword("a\xB8\xE8\xC7\xFA", "\xC7\xFA"));
    EXPECT_FALSE(ContainsKeyword("a\xB8\xE8\xC7\xFA", "\xE8\xC7"));
}

TEST(KeywordMatch, BrokenGbkDoesNotReadPastTheEnd)
{
    // A lone lead byte at the end is treated as one character.
    EXPECT_TRUE(ContainsKeyword("ab\x81", "\x81"));
    EXPECT_FALSE(ContainsKeyword("\x81", "\x81\x40"));
    EXPECT_TRUE(ContainsKeyword(std::string("a\0b", 3), std::string("\0b", 2)));
}

// The plain definition: try every character boundary in turn.
bool ContainsKeywordByDefinition(std::string_view entry, std::string_view keyword)
{
    if (keyword.empty()) return true;
    for (size_t i = 0; i + keyword.size() <= entry.size();) {
        if (std::memcmp(entry.data() + i, keyword.data(), keyword.size()) == 0) return true;
        const auto c = static_cast<unsigned char>(entry[i]);
        i += (c >= 0x81 && c <= 0xFE && i + 1 < entry.size()) ? 2 : 1;
    }
    return false;
}

TEST(KeywordMatch, AgreesWithTheDefinitionOnRandomGbkAndBrokenBytes)
{
    // A small alphabet of lead bytes, trail bytes that are also ASCII, and
    // plain ASCII makes misaligned candidates common.
    const char alphabet[] = {'\xB5', '\xB8', 'G', '\x47', 'a', '\xE8', '\xC7', '\x81', '\x40', ' '};
    std::mt19937 rng(936);
    auto draw = [&](size_t maxLength) {
        std::string s(rng() % (maxLength + 1), '\0');
        for (char& c : s) c = alphabet[rng() % sizeof alphabet];
        return s;
    };
    int matches = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string entry = draw(12);
        const std::string keyword = draw(3);
        const bool expected = ContainsKeywordByDefinition(entry, keyword);
        ASSERT_EQ(ContainsKeyword(entry, keyword), expected) << testing::PrintToString(entry) << " / "
                                                              << testing::PrintToString(keyword);
        matches += expected;
    }
    EXPECT_GT(matches, 10000);  // both answers were exercised
    EXPECT_LT(matches, 190000);
}

}  // namespace
}  // namespace orv
