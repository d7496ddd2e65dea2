// libFuzzer target: any bytes as a catalogue file. Reading never fails; the
// entries written back and read again are the same entries; a file that
// ends in CR LF (or is empty) comes back byte for byte; keyword matching
// over the entries never reads outside them and agrees with the plain
// definition (try every character boundary); pinyin matching never reads
// outside them either, and a space before an entry changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "catalogue/CatalogueFormat.h"
#include "catalogue/KeywordMatch.h"
#include "catalogue/PinyinMatch.h"

static bool ContainsKeywordByDefinition(std::string_view entry, std::string_view keyword)
{
    if (keyword.empty()) return true;
    for (size_t i = 0; i + keyword.size() <= entry.size();) {
        if (std::memcmp(entry.data() + i, keyword.data(), keyword.size()) == 0) return true;
        const auto c = static_cast<unsigned char>(entry[i]);
        i += (c >= 0x81 && c <= 0xFE && i + 1 < entry.size()) ? 2 : 1;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = orv::SplitCatalogue(bytes);
    const std::string written = orv::JoinCatalogue(entries);
    if (orv::SplitCatalogue(written) != entries) std::abort();
    const bool endsInSeparator = size >= 2 && bytes.substr(size - 2) == "\r\n";
    if ((size == 0 || endsInSeparator) && written != bytes) std::abort();
    // The first entry doubles as a keyword for every other entry.
    if (!entries.empty()) {
        orv::PinyinKeyword pinyin(entries.front());
        for (const auto& e : entries) {
            if (orv::ContainsKeyword(e, entries.front()) != ContainsKeywordByDefinition(e, entries.front())) std::abort();
            if (pinyin.Matches(e) != pinyin.Matches(" " + e)) std::abort();
        }
    }
    return 0;
}
