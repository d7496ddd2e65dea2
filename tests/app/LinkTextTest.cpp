#include <gtest/gtest.h>

#include "app/LinkText.h"

namespace orv {
namespace {

TEST(LinkText, ReplaceAllEveryOccurrenceCaseSensitive)
{
    EXPECT_EQ(ReplaceAll("a#qqb#qq", "#qq", "1"), "a1b1");
    EXPECT_EQ(ReplaceAll("#qq#qq", "#qq", "#qq#qq"), "#qq#qq#qq#qq");  // no rescanning of inserted text
    EXPECT_EQ(ReplaceAll("#QQ #Qq", "#qq", "1"), "#QQ #Qq");
    EXPECT_EQ(ReplaceAll("", "#qq", "1"), "");
    EXPECT_EQ(ReplaceAll("abc", "", "1"), "abc");
}

TEST(LinkText, ChatLinkPutsTheNumberIntoEveryPlaceholder)
{
    EXPECT_EQ(BuildChatLink("tencent://message/?uin=#qq&Site=s&Menu=yes", "800812345"),
              "tencent://message/?uin=800812345&Site=s&Menu=yes");
    EXPECT_EQ(BuildChatLink("x=#qq&y=#qq", "7"), "x=7&y=7");
}

TEST(LinkText, ScoreSearchKeepsTheKeywordAsTypedButProtectsTheQuery)
{
    const std::string prefix = "https://image.example.com/s?word=曲谱";
    EXPECT_EQ(BuildScoreSearchAddress(prefix, "晴天"), prefix + "晴天");
    EXPECT_EQ(BuildScoreSearchAddress(prefix, "  a b "), prefix + "  a b ");
    EXPECT_EQ(BuildScoreSearchAddress(prefix, "A&B#C%D+E"), prefix + "A%26B%23C%25D%2BE");
    EXPECT_EQ(BuildScoreSearchAddress(prefix, std::string("x\ty\r\n\x7F", 6)), prefix + "x%09y%0D%0A%7F");
    // GBK bytes pass untouched, including trail bytes in the ASCII range.
    EXPECT_EQ(BuildScoreSearchAddress(prefix, "\xB5\x47\xB8\x7E"), prefix + "\xB5\x47\xB8\x7E");
}

}  // namespace
}  // namespace orv
