#include <gtest/gtest.h>

#include <string>

#include "audio/TrackTitle.h"

namespace orv {
namespace {

std::string Utf8(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

TEST(TrackTitle, TheSongsNameWithoutArtistNumberAndAccompanimentMarkers)
{
    const struct {
        const char16_t* name;
        const char16_t* title;
    } cases[] = {
        {u"晴天", u"晴天"},
        {u"周杰伦 - 晴天", u"晴天"},
        {u"周杰伦 - 晴天 - 伴奏", u"晴天"},
        {u"晴天(伴奏)", u"晴天"},
        {u"晴天 [伴奏]", u"晴天"},
        {u"晴天【纯伴奏】", u"晴天"},
        {u"晴天（消音版）", u"晴天"},
        {u"晴天 纯伴奏", u"晴天"},
        {u"Yesterday (Instrumental)", u"Yesterday"},
        {u"Yesterday - KARAOKE", u"Yesterday"},
        {u"Yesterday Inst.", u"Yesterday"},
        {u"Yesterday off vocal", u"Yesterday"},
        {u"晴天 卡拉OK", u"晴天"},
        {u"晴天 升调版", u"晴天"},
        {u"晴天(降2调)", u"晴天"},
        {u"晴天 降半音 伴奏", u"晴天"},
        {u"晴天 (升3key)", u"晴天"},
        {u"01 晴天", u"晴天"},
        {u"01.晴天", u"晴天"},
        {u"07 - 周杰伦 - 晴天(伴奏)", u"晴天"},
        {u"Track 03 - Yesterday", u"Yesterday"},
        {u"01晴天", u"晴天"},
        {u"周杰伦_晴天_伴奏", u"周杰伦 晴天"},
        // what belongs to the name stays
        {u"2002年的第一场雪", u"2002年的第一场雪"},
        {u"东方升起", u"东方升起"},
        {u"晴天 (Live)", u"晴天 (Live)"},
        {u"Institute", u"Institute"},
        {u"Instrumentalist", u"Instrumentalist"},
        // nothing left: the name as given
        {u"伴奏", u"伴奏"},
        {u"  ", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(CleanTrackTitle(c.name)), Utf8(c.title)) << Utf8(c.name);
}

TEST(TrackTitle, FileStemOfEitherSlashWithoutTheLastExtension)
{
    EXPECT_EQ(FileStem(u"C:\\歌\\晴天.伴奏.mp3"), u"晴天.伴奏");
    EXPECT_EQ(FileStem(u"/tmp/a/Yesterday.WAV"), u"Yesterday");
    EXPECT_EQ(FileStem(u".mp3"), u".mp3");
    EXPECT_EQ(FileStem(u"noext"), u"noext");
}

}  // namespace
}  // namespace orv
