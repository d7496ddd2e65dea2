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
constexpr size_t kPage = 4096;

uint32_t U32At(const std::vector<uint8_t>& f, size_t at) {
  return static_cast<uint32_t>(f[at]) | static_cast<uint32_t>(f[at + 1]) << 8 |
         static_cast<uint32_t>(f[at + 2]) << 16 | static_cast<uint32_t>(f[at + 3]) << 24;
}

void PutU32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

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

bool PageAlignSection(std::vector<uint8_t>& file, const std::string& name, std::string& error) {
  PeSectionSpan span;
  if (!FindPeSection(file.data(), file.size(), name, span, error)) return false;
  const size_t pad = (kPage - span.offset % kPage) % kPage;
  if (pad == 0) return true;
  // FindPeSection has checked the section table against the file's size.
  const size_t pe = U32At(file, kNewHeaderField);
  const size_t optional = pe + 24;
  const size_t optionalSize = static_cast<size_t>(file[pe + 20]) | static_cast<size_t>(file[pe + 21]) << 8;
  const bool pe32Plus = optionalSize >= 2 && file[optional] == 0x0B && file[optional + 1] == 0x02;
  const size_t directories = optional + (pe32Plus ? 112 : 96);
  constexpr size_t kSecurity = 4, kDebug = 6;
  if (optionalSize < 40 || directories + 8 * (kDebug + 1) > optional + optionalSize) {
    error = "PE optional header too short to check its directories";
    return false;
  }
  if (U32At(file, directories + 8 * kSecurity + 4) != 0 || U32At(file, directories + 8 * kDebug + 4) != 0) {
    error = "PE file has a certificate or debug directory, whose file offsets would go stale";
    return false;
  }
  const uint32_t fileAlignment = U32At(file, optional + 36);
  if (fileAlignment == 0 || pad % fileAlignment != 0) {
    error = "PE file alignment " + std::to_string(fileAlignment) + " does not divide the padding";
    return false;
  }
  const size_t sectionCount = static_cast<size_t>(file[pe + 6]) | static_cast<size_t>(file[pe + 7]) << 8;
  const size_t table = optional + optionalSize;
  for (size_t i = 0; i < sectionCount; ++i) {
    const size_t rawOffsetField = table + i * kSectionHeaderSize + 20;
    const uint32_t rawOffset = U32At(file, rawOffsetField);
    if (rawOffset != 0 && rawOffset >= span.offset) PutU32(file, rawOffsetField, static_cast<uint32_t>(rawOffset + pad));
  }
  const uint32_t symbols = U32At(file, pe + 12);
  if (symbols != 0 && symbols >= span.offset) PutU32(file, pe + 12, static_cast<uint32_t>(symbols + pad));
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(span.offset), pad, uint8_t{0});
  return true;
}

}  // namespace orv::image
