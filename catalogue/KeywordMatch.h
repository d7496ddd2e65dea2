// Keyword matching over GBK text.
#pragma once

#include <string_view>
#include <vector>

namespace orv {

// The first byte of a two-byte GBK character.
inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// True when keyword occurs in entry as a contiguous, case-sensitive byte run
// that starts on a character boundary. GBK characters are one byte (below
// 0x80) or two (lead 0x81..0xFE, then any trail byte), so a keyword whose
// bytes straddle two characters never matches. An empty keyword matches.
bool ContainsKeyword(std::string_view entry, std::string_view keyword);

// The lines for which ContainsKeyword holds, in their order. Where lines lie
// one after another inside block (the catalogue as read), one byte search
// runs through the block instead of one per line: a search of 100,000
// entries is one long scan rather than 100,000 short ones. Lines outside
// block, or out of order, are tested one by one.
std::vector<std::string_view> LinesWithKeyword(const std::vector<std::string_view>& lines, std::string_view keyword,
                                               std::string_view block);

}  // namespace orv
