#include "audio/TrackTitle.h"

namespace orv {

namespace {

using Text = std::u16string;

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000' || c == u'\u00A0'; }

bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19'); }

bool IsLatinLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// What may stand around a title once the words around it have gone.
bool IsEdgeJunk(char16_t c)
{
    return IsSpace(c) || c == u'-' || c == u'_' || c == u'.' || c == u'~' || c == u'\u00B7' || c == u'\u3001' ||
           c == u',' || c == u'\uFF0C' || c == u'\uFF0D' || c == u'\u2013' || c == u'\u2014' || c == u'+';
}

bool StartsWithAt(const Text& s, size_t at, std::u16string_view word)
{
    if (at + word.size() > s.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(s[at + i]) != word[i]) return false;
    return true;
}

bool IsChineseNumeral(char16_t c)
{
    static const std::u16string_view kNumerals = u"一二两三四五六七八九十半";
    return kNumerals.find(c) != std::u16string_view::npos;
}

// "升调", "降2调", "升 3 key", "降半音", "升调版": how much a transposed copy
// was moved. 升 or 降 alone is part of a name.
size_t ShiftMarkerLength(const Text& s, size_t at)
{
    if (s[at] != u'升' && s[at] != u'降') return 0;
    size_t p = at + 1;
    while (p < s.size() && IsSpace(s[p])) ++p;
    while (p < s.size() && (IsDigit(s[p]) || IsChineseNumeral(s[p])) && !StartsWithAt(s, p, u"半音")) ++p;
    if (p < s.size() && s[p] == u'个') ++p;
    while (p < s.size() && IsSpace(s[p])) ++p;
    size_t unit = 0;
    if (p < s.size() && (s[p] == u'调' || s[p] == u'調' || s[p] == u'度')) unit = 1;
    else if (StartsWithAt(s, p, u"半音")) unit = 2;
    else if (StartsWithAt(s, p, u"key")) unit = 3;
    if (unit == 0) return 0;
    p += unit;
    if (p < s.size() && s[p] == u'版') ++p;
    return p - at;
}

// Longest first, so that 纯伴奏 goes whole rather than leaving 纯.
const std::u16string_view kMarkers[] = {
    u"纯伴奏版", u"纯伴奏", u"伴奏版", u"伴奏", u"消音版", u"消音", u"卡拉ok", u"instrumental", u"karaoke",
    u"off vocal", u"off-vocal", u"offvocal", u"inst.", u"(inst)", u"原版伴奏",
};

size_t MarkerLength(const Text& s, size_t at)
{
    if (size_t n = ShiftMarkerLength(s, at)) return n;
    for (std::u16string_view m : kMarkers) {
        if (!StartsWithAt(s, at, m)) continue;
        // A Latin marker is a word of its own, not the start of another.
        if (IsLatinLetter(m[0]) && at > 0 && IsLatinLetter(s[at - 1])) continue;
        const size_t end = at + m.size();
        if (IsLatinLetter(m.back()) && end < s.size() && IsLatinLetter(s[end])) continue;
        return m.size();
    }
    return 0;
}

Text WithoutMarkers(const Text& s)
{
    Text out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (size_t n = MarkerLength(s, i)) {
            i += n;
            out += u' ';
        } else {
            out += s[i++];
        }
    }
    return out;
}

// A bracketed group that says nothing but what kind of copy this is:
// "(伴奏)", "【升调版】", "[Instrumental]", "(+2)".
bool OnlyMarkers(const Text& inner)
{
    for (char16_t c : WithoutMarkers(inner))
        if (!IsEdgeJunk(c) && !IsDigit(c) && c != u'版' && c != u'k' && c != u'K') return false;
    return true;
}

char16_t ClosingBracket(char16_t open)
{
    switch (open) {
    case u'(': return u')';
    case u'[': return u']';
    case u'（': return u'）';
    case u'【': return u'】';
    case u'〔': return u'〕';
    case u'「': return u'」';
    default: return 0;
    }
}

Text WithoutMarkerGroups(const Text& s)
{
    Text out;
    for (size_t i = 0; i < s.size();) {
        const char16_t close = ClosingBracket(s[i]);
        const size_t end = close ? s.find(close, i + 1) : Text::npos;
        if (end != Text::npos && OnlyMarkers(s.substr(i + 1, end - i - 1))) {
            out += u' ';
            i = end + 1;
        } else {
            out += s[i++];
        }
    }
    return out;
}

Text Trimmed(const Text& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsEdgeJunk(s[b])) ++b;
    while (e > b && IsEdgeJunk(s[e - 1])) --e;
    Text out;
    for (size_t i = b; i < e; ++i) {
        const bool space = IsSpace(s[i]);
        if (space && !out.empty() && out.back() == u' ') continue;
        out += space ? u' ' : s[i];
    }
    return out;
}

// "01 ", "01.", "1、", "07-", "Track 03 - ", "01晴天"; but "2002年的第一场雪"
// keeps its digits, which run on into the name.
Text WithoutTrackNumber(const Text& s)
{
    size_t p = 0;
    const bool track = StartsWithAt(s, 0, u"track");
    if (track) {
        p = 5;
        while (p < s.size() && IsSpace(s[p])) ++p;
    }
    const size_t digits = p;
    while (p < s.size() && IsDigit(s[p])) ++p;
    const size_t count = p - digits;
    if (count == 0 || count > 3) return s;
    size_t q = p;
    while (q < s.size() && IsSpace(s[q])) ++q;
    if (q == s.size()) return s;
    const char16_t c = s[q];
    const bool separator = c == u'.' || c == u'\u3001' || c == u'-' || c == u'_' || c == u')' || c == u'\uFF0E';
    const bool leadingZero = count >= 2 && s[digits] == u'0';
    if (separator) return s.substr(q + 1);
    if (q > p || leadingZero || track) return s.substr(q);
    return s;
}

// "周杰伦 - 晴天": the artist comes first.
Text WithoutArtist(const Text& s)
{
    static const std::u16string_view kDashes[] = {u" - ", u" \u2013 ", u" \u2014 ", u"\uFF0D", u" -", u"- "};
    for (std::u16string_view dash : kDashes) {
        const size_t at = s.find(dash.data(), 0, dash.size());
        if (at == Text::npos) continue;
        const Text after = Trimmed(s.substr(at + dash.size()));
        return after.empty() ? s.substr(0, at) : after;
    }
    return s;
}

}  // namespace

std::u16string CleanTrackTitle(std::u16string_view name)
{
    Text s(name);
    for (char16_t& c : s)
        if (c == u'_') c = u' ';
    s = Trimmed(WithoutMarkers(WithoutMarkerGroups(s)));
    s = Trimmed(WithoutArtist(Trimmed(WithoutTrackNumber(s))));
    // Empty brackets left where a group lost its markers.
    for (const std::u16string_view empty : {u"()", u"[]", u"（）", u"【】"}) {
        for (size_t at; (at = s.find(empty.data(), 0, empty.size())) != Text::npos;) s.erase(at, empty.size());
    }
    s = Trimmed(s);
    return s.empty() ? Trimmed(Text(name)) : s;
}

std::u16string FileStem(std::u16string_view path)
{
    const size_t slash = path.find_last_of(u"\\/");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::u16string(name);
}

}  // namespace orv
