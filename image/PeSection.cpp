#include "PeSection.h"

#include <algorithm>
#include <vector>

#include "ByteCursor.h"
#include "HexText.h"

namespace orv::image {

namespace {

constexpr size_t kNewHeaderField = 0x3C;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSectionNameSize = 8;

}  // namespace

bool LooksLikePe(const uint8_t* data, size_t size) {
  return size >= 2 && data[0] == 'M' && data[1] == 'Z';
}

bool FindPeSection(const uint8_t* data, size_t size, const std::string& name, PeSectionSpan& span,
                   std::string& error) {
  ByteCursor cursor(data, size);
  uint32_t peOffset = 0;
  if (!LooksLikePe(data, size) || !cursor.Seek(kNewHeaderField) || !cursor.ReadU32(peOffset)) {
    error = "not a PE file: DOS header missing or truncated";
    return false;
  }
  std::vector<uint8_t> signature;
  if (!cursor.Seek(peOffset) || !cursor.ReadBytes(4, signature) ||
      !std::equal(signature.begin(), signature.end(), "PE\0\0")) {
    error = "not a PE file: no PE signature at " + HexText(peOffset);
    return false;
  }
  uint16_t sectionCount = 0;
  uint16_t optionalHeaderSize = 0;
  cursor.Skip(2);  // machine
  cursor.ReadU16(sectionCount);
  cursor.Skip(12);  // time stamp, symbol table, symbol count
  cursor.ReadU16(optionalHeaderSize);
  cursor.Skip(2);  // characteristics
  if (cursor.Failed() || !cursor.Skip(optionalHeaderSize)) {
    error = "PE headers are truncated";
    return false;
  }
  if (sectionCount > cursor.Remaining() / kSectionHeaderSize) {
    error = "PE section table of " + std::to_string(sectionCount) + " entries is truncated";
    return false;
  }
  for (uint16_t i = 0; i < sectionCount; ++i) {
    std::vector<uint8_t> rawName;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
    cursor.ReadBytes(kSectionNameSize, rawName);
    cursor.Skip(8);  // virtual size and address
    cursor.ReadU32(rawSize);
    cursor.ReadU32(rawOffset);
    cursor.Skip(16);  // relocations, line numbers, characteristics
    const std::string sectionName(rawName.begin(),
                                  std::find(rawName.begin(), rawName.end(), uint8_t{0}));
    if (sectionName != name) continue;
    if (static_cast<uint64_t>(rawOffset) + rawSize > size) {
      error = "PE section " + name + " (" + HexText(rawOffset) + ", " + std::to_string(rawSize) +
              " bytes) runs past the end of the file";
      return false;
    }
    span.offset = rawOffset;
    span.size = rawSize;
    return true;
  }
  error = "PE file has no section named " + name;
  return false;
}

}  // namespace orv::image
