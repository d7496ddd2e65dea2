#include "catalogue/KeywordMatch.h"

#include <cstring>

namespace orv {

namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

bool ContainsKeyword(std::string_view entry, std::string_view keyword)
{
    if (keyword.empty()) return true;
    if (keyword.size() > entry.size()) return false;
    const size_t last = entry.size() - keyword.size();
    size_t i = 0;
    // Walk character boundaries only; a lead byte at the very end of the
    // entry (broken GBK) still counts as one character.
    while (i <= last) {
        if (entry[i] == keyword[0] &&
            std::memcmp(entry.data() + i, keyword.data(), keyword.size()) == 0)
            return true;
        i += (IsLeadByte(static_cast<unsigned char>(entry[i])) && i + 1 < entry.size()) ? 2 : 1;
    }
    return false;
}

}  // namespace orv
