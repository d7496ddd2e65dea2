#include <gtest/gtest.h>

#include <string>

#include "catalogue/KeyHint.h"
#include "catalogue/SongKey.h"

namespace orv {
namespace {

constexpr int kNone = -1;

TEST(SongKey, ReadsTheKeyAsCataloguesWriteItAndNoneWhereNoneIsWritten)
{
    struct Case {
        const char* entry;
        int pitch;  // kNone: no key
        bool minor;
    };
    const Case cases[] = {
        // suffixes
        {"歌曲一 G调", 7, false},
        {"小幸运 C大调", 0, false},
        {"夜曲 #C小调", 1, true},
        {"E小调", 4, true},
        {"F調", 5, false},
        {"后来 Em", 4, true},
        {"Song Cmin", 0, true},
        {"Song Dmaj", 2, false},
        {"Song C#m", 1, true},
        {"Song bBm", 10, true},
        // accidentals before and after
        {"青花瓷 降B调", 10, false},
        {"青花瓷 #F调", 6, false},
        {"稻香 F#调", 6, false},
        {"升C调", 1, false},
        {"bE调", 3, false},
        {"Song 2 Eb", 3, false},
        {"Song Bb", 10, false},
        {"Song Cb", 11, false},
        // lower case: a flat before a capital, else a major key with 调
        {"e调", 4, false},
        {"b调", 11, false},
        {"bb调", 10, false},
        {"Song e", kNone, false},
        // numbered notation, anywhere
        {"1=bE", 3, false},
        {"1＝bE", 3, false},
        {"简谱 1 = D 流行", 2, false},
        // full-width
        {"Ｃ调", 0, false},
        {"＃Ｆ调", 6, false},
        {"ｂＢ调", 10, false},
        {"Song Ｇ", 7, false},
        // a bare key only as the last word, or before 转; the first key wins
        {"Yesterday F", 5, false},
        {"C转D", 0, false},
        {"光年之外 D调转E调", 2, false},
        {"C调 D调", 0, false},
        // no key
        {"Yesterday", kNone, false},
        {"A Day in the Life", kNone, false},
        {"Emma", kNone, false},
        {"Ebony", kNone, false},
        {"Song G7", kNone, false},
        {"Beautiful Day", kNone, false},
        {"学猫叫 版本B", kNone, false},
        {"", kNone, false},
        // 0x47 ('G') as the trail byte of a two-byte character, before 调
        {"\xB5\x47\xB5\xF7", kNone, false},
    };
    for (const Case& c : cases) {
        const std::optional<SongKey> key = ReadSongKey(c.entry);
        if (c.pitch == kNone) {
            EXPECT_FALSE(key) << c.entry << " read as " << key->pitch;
            continue;
        }
        ASSERT_TRUE(key) << c.entry;
        EXPECT_EQ(key->pitch, c.pitch) << c.entry;
        EXPECT_EQ(key->minor, c.minor) << c.entry;
    }
}

// The key a backing track was heard in goes into an entry with this name:
// the catalogue must read back the key it was given.
TEST(SongKey, EveryMajorKeyNameReadsBackAsItsOwnKey)
{
    const char* const expected[12] = {"C", "降D", "D", "降E", "E", "F", "#F", "G", "降A", "A", "降B", "B"};
    for (int pitch = 0; pitch < 12; ++pitch) {
        const std::string name = CatalogueKeyName(pitch);
        EXPECT_EQ(name, expected[pitch]);
        const std::optional<SongKey> key = ReadSongKey("晴天 " + name + "调");
        ASSERT_TRUE(key) << name;
        EXPECT_EQ(key->pitch, pitch) << name;
        EXPECT_FALSE(key->minor) << name;
    }
}

TEST(KeyHint, EffectKeyScaleAndNeighboursForEveryMajorKeyAndThreeMinorOnes)
{
    struct Case {
        const char* entry;
        const char* effect;
        const char* scale;
        const char* shifts;
    };
    const Case cases[] = {
        {"C调", "效果器: C", "音阶: C D E F G A B", "升降调: -2 A#  -1 B  +1 C#  +2 D"},
        {"#C调", "效果器: C#", "音阶: #C #D #E #F #G #A #B", "升降调: -2 B  -1 C  +1 D  +2 D#"},
        {"D调", "效果器: D", "音阶: D E #F G A B #C", "升降调: -2 C  -1 C#  +1 D#  +2 E"},
        {"Song Eb", "效果器: D#", "音阶: Eb F G Ab Bb C D", "升降调: -2 C#  -1 D  +1 E  +2 F"},
        {"E调", "效果器: E", "音阶: E #F #G A B #C #D", "升降调: -2 D  -1 D#  +1 F  +2 F#"},
        {"F调", "效果器: F", "音阶: F G A bB C D E", "升降调: -2 D#  -1 E  +1 F#  +2 G"},
        {"F#调", "效果器: F#", "音阶: F# G# A# B C# D# E#", "升降调: -2 E  -1 F  +1 G  +2 G#"},
        {"G调", "效果器: G", "音阶: G A B C D E #F", "升降调: -2 F  -1 F#  +1 G#  +2 A"},
        {"降A调", "效果器: G#", "音阶: bA bB C bD bE F G", "升降调: -2 F#  -1 G  +1 A  +2 A#"},
        {"A调", "效果器: A", "音阶: A B #C D E #F #G", "升降调: -2 G  -1 G#  +1 A#  +2 B"},
        {"青花瓷 降B调", "效果器: A#", "音阶: bB C D bE F G A", "升降调: -2 G#  -1 A  +1 B  +2 C"},
        {"B调", "效果器: B", "音阶: B #C #D E #F #G #A", "升降调: -2 A  -1 A#  +1 C  +2 C#"},
        // G# major would need a double sharp: it is spelled as A-flat major
        {"#G调", "效果器: G#", "音阶: bA bB C bD bE F G", "升降调: -2 F#  -1 G  +1 A  +2 A#"},
        // minor keys are set on their relative major
        {"Em", "效果器: G (Em)", "音阶: G A B C D E #F", "升降调: -2 F  -1 F#  +1 G#  +2 A"},
        {"F#m", "效果器: A (F#m)", "音阶: A B C# D E F# G#", "升降调: -2 G  -1 G#  +1 A#  +2 B"},
        {"C小调", "效果器: D# (Cm)", "音阶: bE F G bA bB C D", "升降调: -2 C#  -1 D  +1 E  +2 F"},
    };
    for (const Case& c : cases) {
        const std::optional<SongKey> key = ReadSongKey(c.entry);
        ASSERT_TRUE(key) << c.entry;
        EXPECT_EQ(KeyHintText(*key), std::string(c.effect) + "\r\n" + c.scale + "\r\n" + c.shifts) << c.entry;
    }
}

}  // namespace
}  // namespace orv
