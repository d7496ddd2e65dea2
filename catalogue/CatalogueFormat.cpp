#include "catalogue/CatalogueFormat.h"

#include <cstring>

namespace orv {

std::vector<std::string> SplitCatalogue(std::string_view bytes)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < bytes.size()) {
        // memchr for CR keeps a 50 MB catalogue a single fast pass.
        const char* base = bytes.data();
        size_t pos = start;
        size_t sep = std::string_view::npos;
        while (pos < bytes.size()) {
            const void* cr = std::memchr(base + pos, '\r', bytes.size() - pos);
            if (!cr) break;
            size_t at = static_cast<const char*>(cr) - base;
            if (at + 1 < bytes.size() && base[at + 1] == '\n') { sep = at; break; }
            pos = at + 1;
        }
        if (sep == std::string_view::npos) {
            entries.emplace_back(bytes.substr(start));
            break;
        }
        entries.emplace_back(bytes.substr(start, sep - start));
        start = sep + 2;
    }
    return entries;
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
