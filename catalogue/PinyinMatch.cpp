#include "catalogue/PinyinMatch.h"

#include <algorithm>

#include "catalogue/KeywordMatch.h"
#include "catalogue/PinyinTable.h"

namespace orv {

namespace {

bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// bits = (bits & mask) << 1, over words: every position whose letter
// matched moves one on.
void AdvanceOver(uint64_t* bits, const uint64_t* mask, size_t words)
{
    for (size_t w = words; w-- > 0;) {
        const uint64_t carry = w ? (bits[w - 1] & mask[w - 1]) >> 63 : 0;
        bits[w] = ((bits[w] & mask[w]) << 1) | carry;
    }
}

void Set(uint64_t* bits, size_t at) { bits[at / 64] |= uint64_t(1) << (at % 64); }

bool None(const uint64_t* bits, size_t words)
{
    for (size_t w = 0; w < words; ++w)
        if (bits[w]) return false;
    return true;
}

}  // namespace

PinyinKeyword::PinyinKeyword(std::string_view typed)
{
    bool onlyPinyin = true;
    for (char ch : typed) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsLetter(c)) letters_ += static_cast<char>(c | 0x20);
        else if (c != ' ' && c != '\'') onlyPinyin = false;
    }
    usable_ = onlyPinyin && letters_.size() >= 2;
    if (!usable_) return;
    // Positions 0..n, n being reached when the whole keyword is spelled.
    words_ = letters_.size() / 64 + 1;
    letterAt_.assign(26 * words_, 0);
    for (size_t i = 0; i < letters_.size(); ++i) Set(&letterAt_[(letters_[i] - 'a') * words_], i);
    scratch_.assign(3 * words_, 0);
    const char first = letters_[0];
    startsRun_.assign(kPinyinCells / 64 + 1, 0);
    uint16_t ids[kMaxPinyinReadings];
    for (int cell = 0; cell < kPinyinCells; ++cell) {
        const int count = PinyinReadingsOfCell(cell, ids);
        for (int r = 0; r < count; ++r)
            if (PinyinSyllable(ids[r])[0] == first) Set(startsRun_.data(), static_cast<size_t>(cell));
    }
}

bool PinyinKeyword::Matches(std::string_view entry)
{
    if (!usable_) return false;
    const size_t n = letters_.size();
    // Two bytes of hanzi spell at most six letters, any other byte one: a
    // keyword longer than that (a pasted page, say) costs nothing per entry.
    if (n > 3 * entry.size()) return false;
    const size_t words = words_;
    // The keyword positions that runs ending here have reached: over Latin
    // letters alone (a run that must still spell a hanzi), and with a hanzi
    // spelled. A run may start at every character.
    uint64_t* latinOnly = scratch_.data();
    uint64_t* spelled = latinOnly + words;
    uint64_t* next = spelled + words;
    std::fill(latinOnly, latinOnly + 2 * words, 0);
    uint16_t ids[kMaxPinyinReadings];
    auto done = [&] { return (spelled[n / 64] >> (n % 64)) & 1; };
    // No run under way but the one that may start at each character: most
    // characters of most entries are passed over by a look at startsRun_.
    bool idle = true;
    const char first = letters_[0];
    for (size_t i = 0; i < entry.size();) {
        const auto c = static_cast<unsigned char>(entry[i]);
        latinOnly[0] |= 1;
        if (!IsGbkLeadByte(c) || i + 1 == entry.size()) {
            // One byte: a Latin letter matches itself; anything else, and a
            // lead byte cut off at the end, is passed over.
            ++i;
            if (!IsLetter(c) || (idle && (c | 0x20) != first)) continue;
            idle = false;
            const uint64_t* at = &letterAt_[((c | 0x20) - 'a') * words];
            AdvanceOver(latinOnly, at, words);
            AdvanceOver(spelled, at, words);
            if (done()) return true;
            idle = None(latinOnly, words) && None(spelled, words);
            continue;
        }
        // Two bytes: the trail byte is never a start, whatever it looks like.
        const int cell = PinyinCell(c, static_cast<unsigned char>(entry[i + 1]));
        i += 2;
        if (idle && (cell < 0 || !((startsRun_[cell / 64] >> (cell % 64)) & 1))) continue;
        const int count = PinyinReadingsOfCell(cell, ids);
        if (count == 0) continue;  // a symbol or punctuation
        if (count == kHanziWithoutReading) {
            std::fill(latinOnly, latinOnly + 2 * words, 0);
            idle = true;
            continue;
        }
        idle = false;
        std::fill(next, next + words, 0);
        for (size_t w = 0; w < words; ++w) {
            for (uint64_t reached = latinOnly[w] | spelled[w]; reached; reached &= reached - 1) {
                const size_t from = 64 * w + static_cast<size_t>(__builtin_ctzll(reached));
                const char* rest = letters_.data() + from;
                const size_t left = n - from;
                for (int r = 0; r < count; ++r) {
                    const std::string_view s = PinyinSyllable(ids[r]);
                    size_t same = 0;
                    while (same < s.size() && same < left && s[same] == rest[same]) ++same;
                    if (same == 0) continue;
                    Set(next, from + 1);  // its first letter
                    if (same >= 2 && s[1] == 'h' && (s[0] == 'z' || s[0] == 'c' || s[0] == 's'))
                        Set(next, from + 2);  // zh, ch, sh
                    if (same == s.size()) Set(next, from + same);
                    // Typed partly: only where the keyword ends, so only the
                    // run's last character.
                    if (same == left) Set(next, n);
                }
            }
        }
        std::fill(latinOnly, latinOnly + words, 0);
        std::copy(next, next + words, spelled);
        if (done()) return true;
        idle = None(spelled, words);
    }
    return false;
}

}  // namespace orv
