// A minimal PE file around given section contents, enough for tools that
// locate sections by name.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orv::image::testing {

inline std::vector<uint8_t> MakePeFile(
    const std::vector<std::pair<std::string, std::vector<uint8_t>>>& sections) {
  constexpr size_t kPeOffset = 0x80;
  constexpr size_t kOptionalHeaderSize = 0xE0;
  constexpr size_t kFileAlignment = 0x200;
  std::vector<uint8_t> file(kFileAlignment, 0);
  auto put16 = [&](size_t at, uint32_t v) { file[at] = v & 0xFF, file[at + 1] = (v >> 8) & 0xFF; };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v), put16(at + 2, v >> 16); };
  file[0] = 'M', file[1] = 'Z';
  put32(0x3C, kPeOffset);
  file[kPeOffset] = 'P', file[kPeOffset + 1] = 'E';
  put16(kPeOffset + 4, 0x14C);
  put16(kPeOffset + 6, static_cast<uint32_t>(sections.size()));
  put16(kPeOffset + 20, kOptionalHeaderSize);
  put16(kPeOffset + 24, 0x10B);                 // PE32
  put32(kPeOffset + 24 + 32, 0x1000);           // section alignment
  put32(kPeOffset + 24 + 36, kFileAlignment);   // file alignment
  size_t entry = kPeOffset + 24 + kOptionalHeaderSize;
  for (const auto& [name, content] : sections) {
    const size_t rawSize = (content.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
    const size_t rawOffset = file.size();
    for (size_t i = 0; i < name.size() && i < 8; ++i) file[entry + i] = name[i];
    put32(entry + 8, static_cast<uint32_t>(content.size()));
    put32(entry + 16, static_cast<uint32_t>(rawSize));
    put32(entry + 20, static_cast<uint32_t>(rawOffset));
    file.insert(file.end(), content.begin(), content.end());
    file.resize(rawOffset + rawSize, 0);
    entry += 40;
  }
  return file;
}

}  // namespace orv::image::testing
