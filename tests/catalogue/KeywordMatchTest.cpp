#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "catalogue/KeywordMatch.h"
#include "catalogue/PinyinMatch.h"

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

TEST(PinyinMatch, SpellsTitlesTheWaySingersTypeThem)
{
    struct Case {
        std::string keyword;
        std::string entry;
        bool match;
    };
    std::string longTitle, longKeyword;  // past the first 64 letters of the keyword
    for (int i = 0; i < 8; ++i) longTitle += "青花瓷", longKeyword += "qinghuaci";
    const Case cases[] = {
        // Initials, whole syllables, a mix, the last syllable typed partly.
        {"qhc", "青花瓷", true},
        {"dx", "稻香 D调", true},
        {"qinghuaci", "青花瓷", true},
        {"qinghc", "青花瓷", true},
        {"qhuaci", "青花瓷", true},
        {"qinghuac", "青花瓷", true},
        {"huaci", "青花瓷", true},
        {"qinhc", "青花瓷", false},  // only the last may be cut short
        {"qinghuacii", "青花瓷", false},
        {"qhcq", "青花瓷", false},
        {longKeyword, longTitle, true},
        {longKeyword + "q", longTitle, false},
        // Case, spaces and apostrophes.
        {"QHC", "青花瓷", true},
        {"QingHuaCi", "青花瓷", true},
        {"qing hua'ci", "青花瓷", true},
        {"xi'an", "西安", true},
        // Every modern reading of a polyphonic character, and no old one.
        {"chang", "长", true},
        {"zhang", "长", true},
        {"le", "乐", true},
        {"yue", "乐", true},
        {"xing", "行", true},
        {"hang", "行", true},
        {"zhong", "重", true},
        {"chong", "重", true},
        {"ceng", "曾", true},
        {"zeng", "曾", true},
        {"yy", "音乐", true},
        {"yl", "音乐", true},
        {"ru", "女", false},  // kHanyuPinyin's historical rǔ
        // ü typed v.
        {"lv", "绿", true},
        {"nv", "女", true},
        {"nu", "女", false},
        // zh, ch and sh by their first letter, their two, or the syllable.
        {"zg", "中国", true},
        {"zhg", "中国", true},
        {"zhongg", "中国", true},
        {"zog", "中国", false},
        {"cf", "吃饭", true},
        {"chf", "吃饭", true},
        {"sh", "上海", true},
        {"shh", "上海", true},
        {"kah", "开会", false},  // two letters of a syllable only for zh, ch and sh
        // Never from inside a syllable or a character.
        {"engjing", "曾经", false},
        {"gah", "綠a花", false},  // 綠 is BE 47, its trail byte an ASCII G
        {"lvah", "綠a花", true},
        // Spaces, digits and # are passed over, and match no letter.
        {"hlc", "后来 C调", true},
        {"hllry", "后来 1998 刘若英", true},
        {"gfd", "新歌 #F调", true},
        {"gft", "新歌 #F调", true},
        {"hlo", "后来 0", false},
        {"hc", "花，瓷", true},
        // Latin letters match themselves within a run that spells a hanzi.
        {"kgzw", "K歌之王 E调", true},
        {"yesterday", "Yesterday F", false},
        {"hello", "Hello C调", false},
        {"hellocd", "Hello C调", true},
        // A hanzi outside the table (兙 has no modern reading) ends a run.
        {"hc", "花兙瓷", false},
        {"hc", "兙花瓷", true},
        // Not pinyin: one letter, or any other character.
        {"g", "歌曲一 G调", false},
        {"q-hc", "青花瓷", false},
        {"qhc1", "青花瓷", false},
        {"", "青花瓷", false},
    };
    for (const Case& c : cases) {
        PinyinKeyword keyword(c.keyword);
        EXPECT_EQ(keyword.Matches(c.entry), c.match) << c.keyword << " / " << c.entry;
    }
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

    // The search over a whole catalogue gives the same lines as testing each:
    // lines end to end or between separators (a keyword may span one), an
    // empty line, and lines that lie outside the block or out of order.
    const char* const separators[] = {"", "\r\n", "\n", "G"};
    for (int i = 0; i < 20000; ++i) {
        std::string block;
        std::vector<std::pair<size_t, size_t>> places;
        for (int n = static_cast<int>(rng() % 8); n >= 0; --n) {
            const std::string entry = draw(8);
            places.emplace_back(block.size(), entry.size());
            block += entry;
            block += separators[rng() % 4];
        }
        std::vector<std::string_view> lines;
        for (const auto& [at, length] : places) lines.emplace_back(block.data() + at, length);
        const std::string outside = draw(8);
        if (rng() % 4 == 0) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(rng() % (lines.size() + 1)), outside);
        if (lines.size() > 2 && rng() % 4 == 0) std::swap(lines[0], lines[lines.size() - 1]);
        const std::string keyword = draw(3);
        std::vector<std::string_view> expected;
        for (std::string_view line : lines)
            if (ContainsKeywordByDefinition(line, keyword)) expected.push_back(line);
        const std::vector<std::string_view> found = LinesWithKeyword(lines, keyword, block);
        ASSERT_EQ(found.size(), expected.size()) << testing::PrintToString(block) << " / " << testing::PrintToString(keyword);
        for (size_t k = 0; k < found.size(); ++k) ASSERT_EQ(found[k].data(), expected[k].data());
    }
}

}  // namespace
}  // namespace orv
