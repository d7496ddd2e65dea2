#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orv::image {

// "0x1410" style, for error texts that name image offsets and identifiers.
inline std::string HexText(uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
  return buffer;
}

}  // namespace orv::image
