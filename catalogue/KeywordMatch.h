// Keyword matching over GBK text.
#pragma once

#include <string_view>

namespace orv {

// The first byte of a two-byte GBK character.
inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// True when keyword occurs in entry as a contiguous, case-sensitive byte run
// that starts on a character boundary. GBK characters are one byte (below
// 0x80) or two (lead 0x81..0xFE, then any trail byte), so a keyword whose
// bytes straddle two characters never matches. An empty keyword matches.
bool ContainsKeyword(std::string_view entry, std::string_view keyword);

}  // namespace orv
