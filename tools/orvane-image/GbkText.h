#pragma once

#include <string>
#include <string_view>

namespace orv::tools {

// GBK (code page 936) bytes to UTF-8; a byte that starts no valid character
// becomes U+FFFD and decoding goes on after it.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace orv::tools
