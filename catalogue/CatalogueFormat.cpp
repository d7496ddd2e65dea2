#include "catalogue/CatalogueFormat.h"

#include <cstring>

namespace orv {

namespace {

// Where the CR LF at or after from starts; npos when there is none.
size_t NextSeparator(std::string_view bytes, size_t from)
{
    // memchr for CR keeps a 50 MB catalogue a single fast pass.
    const char* base = bytes.data();
    while (from < bytes.size()) {
        const void* cr = std::memchr(base + from, '\r', bytes.size() - from);
        if (!cr) break;
        const size_t at = static_cast<size_t>(static_cast<const char*>(cr) - base);
        if (at + 1 < bytes.size() && base[at + 1] == '\n') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::vector<std::string_view> CatalogueEntries(std::string_view bytes)
{
    // Counted first: the list of a 10,000-entry catalogue is then one block
    // of exactly that size, not one grown by doubling.
    size_t count = 0;
    for (size_t sep = NextSeparator(bytes, 0); sep != std::string_view::npos; sep = NextSeparator(bytes, sep + 2))
        ++count;
    std::vector<std::string_view> entries;
    entries.reserve(count + 1);
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t sep = NextSeparator(bytes, start);
        if (sep == std::string_view::npos) {
            entries.push_back(bytes.substr(start));
            break;
        }
        entries.push_back(bytes.substr(start, sep - start));
        start = sep + 2;
    }
    return entries;
}

std::vector<std::string> SplitCatalogue(std::string_view bytes)
{
    const std::vector<std::string_view> views = CatalogueEntries(bytes);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string JoinCatalogue(const std::vector<std::string>& entries)
{
    size_t total = 0;
    for (const auto& e : entries) total += e.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& e : entries) {
        out += e;
        out += "\r\n";
    }
    return out;
}

}  // namespace orv
