#include <gtest/gtest.h>

#include <random>

#include "catalogue/CatalogueFormat.h"

namespace orv {
namespace {

using Entries = std::vector<std::string>;

TEST(CatalogueFormat, WorkedExampleIsTwentyThreeBytes)
{
    const std::string bytes = JoinCatalogue({"歌曲一 G调", "Song 2 Eb"});
    const std::string expected("\xB8\xE8\xC7\xFA\xD2\xBB\x20\x47\xB5\xF7\r\nSong 2 Eb\r\n", 23);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(SplitCatalogue(bytes), (Entries{"歌曲一 G调", "Song 2 Eb"}));
}

TEST(CatalogueFormat, SplitsAtCrLfOnly)
{
    struct Case {
        std::string bytes;
        Entries entries;
    };
    const Case cases[] = {
        {"", {}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\r\nB", {"A", "B"}},                 // missing final CR LF
        {"A\r\n\r\nB\r\n", {"A", "", "B"}},    // empty middle entry
        {"A\nB\r\n", {"A\nB"}},                 // lone LF stays inside
        {"A\rB\r\n", {"A\rB"}},                 // lone CR stays inside
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"A\r\r\n", {"A\r"}},                   // CR right before the separator
        {"A\r\n\nB", {"A", "\nB"}},
        {"A\r", {"A\r"}},
        {std::string("A\0B\r\n", 5), {std::string("A\0B", 3)}},  // NUL is just a byte
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCatalogue(c.bytes), c.entries) << "input size " << c.bytes.size();
}

TEST(CatalogueFormat, EmptyListIsEmptyFile)
{
    EXPECT_EQ(JoinCatalogue({}), "");
    EXPECT_EQ(JoinCatalogue({""}), "\r\n");
}

TEST(CatalogueFormat, RoundTripKeepsSpacesDuplicatesAndOrder)
{
    const Entries entries = {" 前导空格", "尾随空格 ", "  ", "", "dup", "dup", "Dup", "晴天 G调", "\t tab"};
    EXPECT_EQ(SplitCatalogue(JoinCatalogue(entries)), entries);
}

TEST(CatalogueFormat, RoundTripOfEveryTwoByteGbkCodePoint)
{
    Entries entries;
    std::string line;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        line.clear();
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            line += static_cast<char>(lead);
            line += static_cast<char>(trail);
        }
        entries.push_back(line);
    }
    const std::string bytes = JoinCatalogue(entries);
    EXPECT_EQ(SplitCatalogue(bytes), entries);
    EXPECT_EQ(JoinCatalogue(SplitCatalogue(bytes)), bytes);
}

TEST(CatalogueFormat, RandomFilesEndingInCrLfComeBackByteExact)
{
    std::mt19937 rng(20261208);
    const char alphabet[] = {'\r', '\n', '\0', 'a', ' ', '\x81', '\xFE', '\x40', '\xB8', '\xE8'};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const int n = static_cast<int>(rng() % 64);
        for (int i = 0; i < n; ++i) bytes += alphabet[rng() % sizeof(alphabet)];
        bytes += "\r\n";
        ASSERT_EQ(JoinCatalogue(SplitCatalogue(bytes)), bytes) << "round " << round;
    }
}

TEST(CatalogueFormat, EntriesWithoutCrLfSurviveSaveAndLoad)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        Entries entries;
        const int count = static_cast<int>(rng() % 10);
        for (int i = 0; i < count; ++i) {
            std::string e;
            const int len = static_cast<int>(rng() % 8);
            for (int k = 0; k < len; ++k) {
                char c = "\r\nab \x90"[rng() % 6];
                // An entry never holds CR LF; a lone CR at its end is fine.
                if (c == '\n' && !e.empty() && e.back() == '\r') c = 'x';
                e += c;
            }
            entries.push_back(e);
        }
        ASSERT_EQ(SplitCatalogue(JoinCatalogue(entries)), entries) << "round " << round;
    }
}

TEST(CatalogueFormat, LargeCatalogueSplitsInOnePass)
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += "歌曲 " + std::to_string(i) + " C调\r\n";
    Entries entries = SplitCatalogue(bytes);
    ASSERT_EQ(entries.size(), 200000u);
    EXPECT_EQ(entries[123456], "歌曲 123456 C调");
    EXPECT_EQ(JoinCatalogue(entries), bytes);
}

}  // namespace
}  // namespace orv
