#include "catalogue/KeywordMatch.h"

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#define ORV_SSE2_SEARCH 1
#endif

namespace orv {

bool ContainsKeyword(std::string_view entry, std::string_view keyword)
{
    if (keyword.empty()) return true;
    // The byte search finds candidates fast; a candidate counts only where a
    // character starts, so character boundaries are walked up to each one
    // (never past it, and never twice). A lead byte at the very end of the
    // entry (broken GBK) still counts as one character.
    size_t boundary = 0;
    for (size_t at = entry.find(keyword); at != std::string_view::npos; at = entry.find(keyword, at + 1)) {
        while (boundary < at)
            boundary += (IsGbkLeadByte(static_cast<unsigned char>(entry[boundary])) && boundary + 1 < entry.size()) ? 2 : 1;
        if (boundary == at) return true;
    }
    return false;
}

namespace {

uintptr_t Address(const char* p) { return reinterpret_cast<uintptr_t>(p); }

// The first place at or after from where keyword (two bytes or more) occurs
// in text, or npos. The C runtime's memchr that std::string_view::find
// leans on goes a byte at a time under Wine; this compares the keyword's
// first and last bytes sixteen places at once and only then the rest (the
// "SIMD-friendly" substring search described by Wojciech Mula, 2016).
#if ORV_SSE2_SEARCH
__attribute__((target("sse2"))) size_t FindFromSse2(std::string_view text, std::string_view keyword, size_t from)
{
    const size_t k = keyword.size();
    const __m128i first = _mm_set1_epi8(keyword[0]), last = _mm_set1_epi8(keyword[k - 1]);
    const char* p = text.data() + from;
    const char* const end = text.data() + text.size();
    // Both loads of sixteen bytes stay inside the text.
    for (; end - p >= static_cast<std::ptrdiff_t>(16 + k - 1); p += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k - 1));
        unsigned mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            // Keywords are short: a loop here beats a call to the C runtime's memcmp.
            size_t j = 1;
            while (j + 1 < k && p[bit + j] == keyword[j]) ++j;
            if (j + 1 >= k) return static_cast<size_t>(p + bit - text.data());
            mask &= mask - 1;
        }
    }
    return text.find(keyword, static_cast<size_t>(p - text.data()));
}
#endif

size_t FindFrom(std::string_view text, std::string_view keyword, size_t from)
{
    if (from > text.size() || text.size() - from < keyword.size()) return std::string_view::npos;
#if ORV_SSE2_SEARCH && defined(__x86_64__)
    return FindFromSse2(text, keyword, from);
#elif ORV_SSE2_SEARCH
    // 32-bit Windows still runs on processors without SSE2.
    static const bool sse2 = __builtin_cpu_supports("sse2");
    if (sse2) return FindFromSse2(text, keyword, from);
#endif
    return text.find(keyword, from);
}

bool Inside(std::string_view line, std::string_view block)
{
    return !line.empty() && Address(line.data()) >= Address(block.data()) &&
           Address(line.data()) + line.size() <= Address(block.data()) + block.size();
}

}  // namespace

std::vector<std::string_view> LinesWithKeyword(const std::vector<std::string_view>& lines, std::string_view keyword,
                                               std::string_view block)
{
    std::vector<std::string_view> found;
    size_t i = 0;
    while (i < lines.size()) {
        if (keyword.empty() || !Inside(lines[i], block)) {
            if (ContainsKeyword(lines[i], keyword)) found.push_back(lines[i]);
            ++i;
            continue;
        }
        // The run of lines that follow one another inside the block.
        size_t end = i + 1;
        while (end < lines.size() && Inside(lines[end], block) &&
               Address(lines[end].data()) >= Address(lines[end - 1].data()) + lines[end - 1].size())
            ++end;
        const char* base = lines[i].data();
        const std::string_view span(base, static_cast<size_t>(lines[end - 1].data() + lines[end - 1].size() - base));
        size_t line = i;
        size_t from = 0;
        size_t walkedLine = end;  // the line boundary belongs to
        const char* boundary = nullptr;
        while (line < end) {
            const size_t hit = keyword.size() > 1 ? FindFrom(span, keyword, from) : span.find(keyword, from);
            if (hit == std::string_view::npos) break;
            const char* at = base + hit;
            // Lines that end before the hit hold no match.
            while (line < end && lines[line].data() + lines[line].size() <= at) ++line;
            if (line == end) break;
            const std::string_view candidate = lines[line];
            if (at < candidate.data() || at + keyword.size() > candidate.data() + candidate.size()) {
                // Between lines, or across the end of one: the search goes on.
                from = hit + 1;
                continue;
            }
            // A match only where a character starts, walked as ContainsKeyword
            // walks it, never past the hit and never twice in a line.
            const char* const lineEnd = candidate.data() + candidate.size();
            if (line != walkedLine) {
                walkedLine = line;
                boundary = candidate.data();
            }
            while (boundary < at) boundary += (IsGbkLeadByte(static_cast<unsigned char>(*boundary)) && boundary + 1 < lineEnd) ? 2 : 1;
            if (boundary != at) {
                from = hit + 1;
                continue;
            }
            found.push_back(candidate);
            from = static_cast<size_t>(lineEnd - base);
            ++line;
        }
        i = end;
    }
    return found;
}

}  // namespace orv
