#include "catalogue/KeywordMatch.h"

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

}  // namespace orv
