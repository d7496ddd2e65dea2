// The catalogue file's byte layout: entries of GBK text, each followed by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Splits file bytes into entries at every CR LF. A piece between two adjacent
// separators is an empty entry; a non-empty remainder after the last separator
// is one more entry; lone CR or LF bytes stay inside their entry. The entries
// are views into bytes.
std::vector<std::string_view> CatalogueEntries(std::string_view bytes);

// The same entries as copies.
std::vector<std::string> SplitCatalogue(std::string_view bytes);

// The inverse: every entry followed by CR LF, nothing else.
std::string JoinCatalogue(const std::vector<std::string>& entries);

}  // namespace orv
