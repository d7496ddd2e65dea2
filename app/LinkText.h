// Building the addresses the link actions open.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Replaces every occurrence of from (case-sensitive, left to right, no
// overlaps) with to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// The chat link: every "#qq" of the template replaced by the contact number.
std::string BuildChatLink(std::string_view linkTemplate, std::string_view contactNumber);

// The image-search address: prefix + keyword as typed (GBK, untrimmed), with
// only the bytes that would change the query's structure percent-encoded:
// '&', '#', '%', '+' and control characters.
std::string BuildScoreSearchAddress(std::string_view prefix, std::string_view keyword);

}  // namespace orv
