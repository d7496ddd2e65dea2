#include "catalogue/SongKey.h"

#include <vector>

#include "catalogue/KeywordMatch.h"

namespace orv {

namespace {

// The entry folded to one code per character: ASCII as itself, full-width
// ASCII forms as their ASCII twins, the few Chinese characters a key is
// written with as codes of their own. Walking characters rather than bytes
// matters: a GBK trail byte may be 'B' or 'G'.
enum : int {
    kEnd = -1,
    kTiao = 0x100,  // 调 調
    kDa,            // 大
    kXiao,          // 小
    kSheng,         // 升
    kJiang,         // 降
    kZhuan,         // 转 轉
    kOtherWide,
};

constexpr int kNaturalPitch[7] = {0, 2, 4, 5, 7, 9, 11};

int FoldWide(unsigned char lead, unsigned char trail)
{
    // Row A3 holds the full-width forms of ASCII 0x21..0x7E in order.
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0x80;
    if (lead == 0xA1 && trail == 0xA1) return ' ';  // ideographic space
    switch ((lead << 8) | trail) {
    case 0xB5F7:
    case 0xD57B: return kTiao;
    case 0xB4F3: return kDa;
    case 0xD0A1: return kXiao;
    case 0xC9FD: return kSheng;
    case 0xBDB5: return kJiang;
    case 0xD7AA:
    case 0xDE44: return kZhuan;
    default: return kOtherWide;
    }
}

std::vector<int> Fold(std::string_view entry)
{
    std::vector<int> folded;
    folded.reserve(entry.size());
    for (size_t i = 0; i < entry.size(); ++i) {
        const auto c = static_cast<unsigned char>(entry[i]);
        if (IsGbkLeadByte(c) && i + 1 < entry.size()) {
            folded.push_back(FoldWide(c, static_cast<unsigned char>(entry[++i])));
        } else {
            folded.push_back(c < 0x80 ? static_cast<int>(c) : static_cast<int>(kOtherWide));
        }
    }
    return folded;
}

bool IsWordCode(int c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int LetterIndex(int c)
{
    static const char kLetters[] = "CDEFGAB";
    for (int i = 0; i < 7; ++i)
        if (c == kLetters[i] || c == kLetters[i] + ('a' - 'A')) return i;
    return -1;
}

bool IsCapitalKeyLetter(int c) { return c >= 'A' && c <= 'G'; }

struct Suffix {
    size_t end;
    bool minor;
    bool tiao;
};

class KeyScanner {
public:
    explicit KeyScanner(std::string_view entry) : text_(Fold(entry)) {}

    std::optional<SongKey> First() const
    {
        for (size_t i = 0; i < text_.size(); ++i) {
            if (auto key = NumberedAt(i)) return key;
            if (auto key = KeyAt(i, false)) return key;
        }
        return std::nullopt;
    }

private:
    int At(size_t i) const { return i < text_.size() ? text_[i] : kEnd; }
    int Before(size_t i) const { return i == 0 ? kEnd : text_[i - 1]; }

    // "1=bE": the numbered notation names the key of its do.
    std::optional<SongKey> NumberedAt(size_t i) const
    {
        if (At(i) != '1' || IsWordCode(Before(i))) return std::nullopt;
        size_t p = i + 1;
        while (At(p) == ' ') ++p;
        if (At(p) != '=') return std::nullopt;
        ++p;
        while (At(p) == ' ') ++p;
        return KeyAt(p, true);
    }

    std::optional<SongKey> KeyAt(size_t i, bool numbered) const
    {
        if (IsWordCode(Before(i))) return std::nullopt;
        size_t p = i;
        int pre = 0;
        bool marked = numbered;
        switch (At(p)) {
        case '#': pre = 1; break;
        case kSheng: pre = 1, marked = true; break;
        case kJiang: pre = -1, marked = true; break;
        // Lower-case b before a capital is a flat: "bB", "bE".
        case 'b': pre = IsCapitalKeyLetter(At(p + 1)) ? -1 : 0; break;
        default: break;
        }
        if (pre != 0) ++p;
        const int letter = LetterIndex(At(p));
        if (letter < 0) return std::nullopt;
        const bool lower = At(p) >= 'a';
        ++p;
        int postSigns[2] = {0, 0};
        if (pre == 0 && At(p) == '#') postSigns[0] = 1;
        if (pre == 0 && At(p) == 'b') postSigns[0] = -1;
        for (int post : postSigns) {
            const size_t q = p + (post != 0 ? 1 : 0);
            for (const Suffix& s : SuffixesAt(q)) {
                if (IsWordCode(At(s.end))) continue;
                // Catalogues write "e调" for E: lower case says nothing of the
                // mode, and without 调 it is too often part of a word.
                if (lower && !s.tiao && !numbered) continue;
                if (!marked && !s.tiao && !StandsAlone(i, s.end)) continue;
                SongKey key;
                key.letter = letter;
                key.accidental = pre != 0 ? pre : post;
                key.accidentalAfter = post != 0;
                key.pitch = ((kNaturalPitch[letter] + key.accidental) % 12 + 12) % 12;
                key.minor = s.minor;
                return key;
            }
            if (post == 0) break;
        }
        return std::nullopt;
    }

    // Longest first, so that "min" is not taken for "m" followed by a word.
    std::vector<Suffix> SuffixesAt(size_t q) const
    {
        std::vector<Suffix> found;
        if ((At(q) == kDa || At(q) == kXiao) && At(q + 1) == kTiao) found.push_back({q + 2, At(q) == kXiao, true});
        if (At(q) == kTiao) found.push_back({q + 1, false, true});
        auto letters = [&](const char* word, bool minor) {
            size_t p = q;
            for (const char* w = word; *w; ++w, ++p)
                if (At(p) != *w) return;
            if (At(p) == kTiao) found.push_back({p + 1, minor, true});
            found.push_back({p, minor, false});
        };
        letters("maj", false);
        letters("min", true);
        letters("m", true);
        found.push_back({q, false, false});
        return found;
    }

    // A key of letters and signs alone ("Eb", "Em", "F") is read only where
    // nothing else could be meant: the entry's last word, or a key followed
    // by 转. "A Day in the Life" names no key.
    bool StandsAlone(size_t start, size_t end) const
    {
        const int before = Before(start);
        if (before >= 0x80 && before != kZhuan) return false;
        size_t p = end;
        while (At(p) == ' ' || At(p) == ')' || At(p) == ']') ++p;
        return At(p) == kEnd || At(p) == kZhuan;
    }

    std::vector<int> text_;
};

}  // namespace

std::optional<SongKey> ReadSongKey(std::string_view entry) { return KeyScanner(entry).First(); }

std::string CatalogueKeyName(int majorPitch)
{
    // Db rather than C# (five flats, not seven sharps); F# rather than Gb.
    static const char* const kNames[12] = {"C", "\xBD\xB5" "D", "D", "\xBD\xB5" "E", "E", "F",
                                           "#F", "G", "\xBD\xB5" "A", "A", "\xBD\xB5" "B", "B"};
    return kNames[(majorPitch % 12 + 12) % 12];
}

}  // namespace orv
