// Finding a song by the pinyin of its title, the way KTV terminals let
// singers type it: initials (qhc for 青花瓷), whole syllables (qinghuaci), or
// a mix with the last syllable cut short (qinghc, qinghuac).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class PinyinKeyword {
public:
    // Spaces and apostrophes are dropped and case is ignored.
    explicit PinyinKeyword(std::string_view typed);

    // Two letters or more, with nothing else but spaces and apostrophes:
    // only such a keyword is taken as pinyin.
    bool Usable() const { return usable_; }

    // True when the letters spell a run of consecutive characters of entry
    // that starts on a character boundary and holds at least one hanzi.
    // In the run a hanzi is matched by any of its readings, whole or by its
    // first letter (zh, ch and sh also by their two), the run's last hanzi
    // also by any beginning of a reading; a Latin letter is matched by
    // itself; spaces, digits and punctuation are passed over; a hanzi the
    // table cannot read ends the run.
    bool Matches(std::string_view entry);

private:
    std::string letters_;  // lower case
    bool usable_ = false;
    size_t words_ = 0;     // 64-bit words for the keyword's positions 0..n
    std::vector<uint64_t> letterAt_;  // per letter a..z, where it stands in letters_
    std::vector<uint64_t> scratch_;
    // Per table cell: whether a reading of its hanzi begins with the
    // keyword's first letter, so that a run can start there.
    std::vector<uint64_t> startsRun_;
};

}  // namespace orv
