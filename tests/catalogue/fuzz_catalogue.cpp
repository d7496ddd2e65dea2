// libFuzzer target: any bytes as a catalogue file. Reading never fails; the
// entries written back and read again are the same entries; a file that
// ends in CR LF (or is empty) comes back byte for byte; keyword matching
// over the entries never reads outside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalogue/CatalogueFormat.h"
#include "catalogue/KeywordMatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = orv::SplitCatalogue(bytes);
    const std::string written = orv::JoinCatalogue(entries);
    if (orv::SplitCatalogue(written) != entries) std::abort();
    const bool endsInSeparator = size >= 2 && bytes.substr(size - 2) == "\r\n";
    if ((size == 0 || endsInSeparator) && written != bytes) std::abort();
    // The first entry doubles as a keyword for every other entry.
    if (!entries.empty())
        for (const auto& e : entries) (void)orv::ContainsKeyword(e, entries.front());
    return 0;
}
