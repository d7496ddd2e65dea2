#include "ProgramImageReader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "ByteCursor.h"
#include "Fixup.h"
#include "FormLayout.h"
#include "HexText.h"
#include "RelocTable.h"
#include "SupportLibraryList.h"

namespace orv::image {

namespace {

constexpr uint8_t kSignature[4] = {'O', 'V', 0, 0};
const char* const kRelocName = "@reloc1";

// Byte ranges of the file already claimed by some structure. Claiming before
// copying or allocating keeps the total work proportional to the file size,
// and is what rejects overlapping segments.
class ClaimedRanges {
 public:
  bool Claim(uint64_t start, uint64_t end, const std::string& what, std::string& error) {
    if (start == end) return true;
    auto next = ranges_.lower_bound(start);
    if (next != ranges_.end() && next->first < end)
      return Overlap(what, next->second.second, error);
    if (next != ranges_.begin()) {
      auto previous = std::prev(next);
      if (previous->second.first > start) return Overlap(what, previous->second.second, error);
    }
    ranges_.emplace(start, std::make_pair(end, what));
    return true;
  }

 private:
  static bool Overlap(const std::string& what, const std::string& other, std::string& error) {
    error = what + " overlaps " + other;
    return false;
  }

  std::map<uint64_t, std::pair<uint64_t, std::string>> ranges_;
};

struct HeaderFields {
  uint32_t firstSegment = 0;
  uint32_t buildStamp = 0;
  uint32_t importCount = 0;
  uint32_t start = 0;
  uint32_t constHeader = 0;
  uint32_t formHeader = 0;
  uint32_t helpHeader = 0;
  uint32_t codeHeader = 0;
  uint32_t varHeader = 0;
  uint32_t libraryListEnd = 0;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Read(ProgramImage& image) {
    return ReadHeader(image) && ReadChain(image) && FindNamedSegments(image) && CheckStart(image) &&
           CheckFixupTargets(image) && ReadImports(image) && ReadLibraries(image) &&
           ReadForm(image) && ReadReloc(image);
  }

  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string text) {
    error_ = std::move(text);
    return false;
  }

  uint32_t U32At(size_t offset) const {
    ByteCursor cursor(data_, size_);
    uint32_t value = 0;
    cursor.Seek(offset);
    cursor.ReadU32(value);
    return value;
  }

  bool ReadHeader(ProgramImage& image) {
    if (size_ < kHeaderImportTable) {
      return Fail("file of " + std::to_string(size_) + " bytes is too short for an image header");
    }
    if (!std::equal(kSignature, kSignature + 4, data_)) {
      return Fail("signature is not \"OV\" followed by two zero bytes");
    }
    header_.firstSegment = U32At(kHeaderFirstSegment);
    header_.buildStamp = U32At(kHeaderBuildStamp);
    header_.importCount = U32At(kHeaderImportCount);
    header_.start = U32At(kHeaderStart);
    header_.constHeader = U32At(kHeaderConstSegment);
    header_.formHeader = U32At(kHeaderFormSegment);
    header_.helpHeader = U32At(kHeaderHelpSegment);
    header_.codeHeader = U32At(kHeaderCodeSegment);
    header_.varHeader = U32At(kHeaderVarSegment);
    header_.libraryListEnd = U32At(kHeaderLibraryListEnd);
    image.buildStamp = header_.buildStamp;

    if (header_.libraryListEnd > size_ || header_.libraryListEnd < kHeaderImportTable) {
      return Fail("support-library list end " + HexText(header_.libraryListEnd) +
                  " lies outside the file or inside the header");
    }
    const uint64_t tableEnd = kHeaderImportTable + 8ull * header_.importCount;
    if (tableEnd > header_.libraryListEnd) {
      return Fail("import count " + std::to_string(header_.importCount) +
                  " does not fit before the support-library list end " +
                  HexText(header_.libraryListEnd));
    }
    return claimed_.Claim(0, header_.libraryListEnd, "image header and tables", error_);
  }

  bool ReadSegmentHeader(uint32_t offset, Segment& segment) {
    const std::string at = "segment header at " + HexText(offset);
    if (static_cast<uint64_t>(offset) + kSegmentHeaderFixedSize > size_) {
      return Fail(at + " lies outside the file");
    }
    const uint64_t fixupsStart = static_cast<uint64_t>(offset) + kSegmentHeaderFixedSize;
    if (!claimed_.Claim(offset, fixupsStart, at, error_)) return false;
    ByteCursor cursor(data_, size_);
    cursor.Seek(offset);
    uint32_t headerSize = 0;
    uint32_t fixupCount = 0;
    uint32_t next = 0;
    cursor.ReadU32(headerSize);
    cursor.ReadU32(next);
    cursor.ReadU32(segment.type);
    const char* name = reinterpret_cast<const char*>(data_ + cursor.Position());
    segment.name.assign(name, std::find(name, name + kSegmentNameSize, '\0'));
    cursor.Skip(kSegmentNameSize);
    cursor.ReadU32(segment.memorySize);
    cursor.ReadU32(segment.storedSize);
    cursor.ReadU32(segment.dataOffset);
    cursor.ReadU32(fixupCount);
    cursor.Skip(4);
    segment.headerOffset = offset;

    const std::string what = at + " (" + segment.name + ")";
    if (headerSize != kSegmentHeaderFixedSize + 4ull * fixupCount) {
      return Fail(what + ": header size " + std::to_string(headerSize) + " does not match " +
                  std::to_string(fixupCount) + " fixups");
    }
    if (static_cast<uint64_t>(offset) + headerSize > size_) {
      return Fail(what + ": " + std::to_string(fixupCount) +
                  " fixups run past the end of the file");
    }
    if (!claimed_.Claim(fixupsStart, static_cast<uint64_t>(offset) + headerSize, what + " fixups",
                        error_)) {
      return false;
    }
    if (segment.type != kSegmentData && segment.type != kSegmentCode &&
        segment.type != kSegmentUninitialised) {
      return Fail(what + ": unknown segment type " + std::to_string(segment.type));
    }
    if (segment.storedSize > segment.memorySize) {
      return Fail(what + ": stored size " + std::to_string(segment.storedSize) +
                  " exceeds size in memory " + std::to_string(segment.memorySize));
    }
    if (segment.type == kSegmentUninitialised && segment.storedSize != 0) {
      return Fail(what + ": uninitialised segment stores data");
    }
    segment.fixups.reserve(fixupCount);
    for (uint32_t i = 0; i < fixupCount; ++i) {
      uint32_t entry = 0;
      cursor.ReadU32(entry);
      if (!IsValidFixupEntry(entry)) {
        return Fail(what + ": fixup " + std::to_string(i) + " has unknown kind " +
                    std::to_string(entry & 7u));
      }
      Fixup fixup = DecodeFixup(entry);
      if (segment.memorySize < 4 || fixup.offset > segment.memorySize - 4) {
        return Fail(what + ": fixup " + std::to_string(i) + " at offset " +
                    std::to_string(fixup.offset) + " lies outside the segment");
      }
      segment.fixups.push_back(fixup);
    }
    if (!CheckFixupsDisjoint(segment, what)) return false;
    nextHeader_ = next;
    return true;
  }

  // Two fixups patching overlapping bytes would add bases twice.
  bool CheckFixupsDisjoint(const Segment& segment, const std::string& what) {
    std::vector<uint32_t> offsets;
    offsets.reserve(segment.fixups.size());
    for (const Fixup& fixup : segment.fixups) offsets.push_back(fixup.offset);
    std::sort(offsets.begin(), offsets.end());
    for (size_t i = 1; i < offsets.size(); ++i) {
      if (offsets[i] - offsets[i - 1] < 4) {
        return Fail(what + ": fixups at offsets " + std::to_string(offsets[i - 1]) + " and " +
                    std::to_string(offsets[i]) + " overlap");
      }
    }
    return true;
  }

  bool ReadSegmentData(Segment& segment) {
    const std::string what = "data of segment " + segment.name;
    if (segment.storedSize == 0) return true;
    if (segment.dataOffset == kNoOffset) {
      return Fail(what + ": stores " + std::to_string(segment.storedSize) +
                  " bytes but has no data offset");
    }
    const uint64_t end = static_cast<uint64_t>(segment.dataOffset) + segment.storedSize;
    if (end > size_) {
      return Fail(what + " (" + HexText(segment.dataOffset) + ".." + HexText(end) +
                  ") runs past the end of the file at " + HexText(size_));
    }
    if (!claimed_.Claim(segment.dataOffset, end, what, error_)) return false;
    segment.data.assign(data_ + segment.dataOffset, data_ + end);
    return true;
  }

  bool ReadChain(ProgramImage& image) {
    std::map<uint32_t, bool> visited;
    uint32_t offset = header_.firstSegment;
    while (offset != kNoOffset) {
      if (!visited.emplace(offset, true).second) {
        return Fail("segment chain loops back to the header at " + HexText(offset));
      }
      Segment segment;
      if (!ReadSegmentHeader(offset, segment) || !ReadSegmentData(segment)) return false;
      for (const Segment& earlier : image.segments) {
        if (earlier.name == segment.name) {
          return Fail("segment name " + segment.name + " appears twice in the chain");
        }
      }
      image.segments.push_back(std::move(segment));
      offset = nextHeader_;
    }
    return true;
  }

  bool FindByHeader(const ProgramImage& image, uint32_t field, uint32_t headerOffset,
                    const char* name, const Segment*& found) {
    for (const Segment& segment : image.segments) {
      if (segment.headerOffset == headerOffset && segment.name == name) {
        found = &segment;
        return true;
      }
    }
    return Fail(std::string("header field ") + HexText(field) + " names " + HexText(headerOffset) +
                ", which is not the " + name + " segment header in the chain");
  }

  bool FindNamedSegments(const ProgramImage& image) {
    return FindByHeader(image, kHeaderConstSegment, header_.constHeader, "const", const_) &&
           FindByHeader(image, kHeaderFormSegment, header_.formHeader, "form", form_) &&
           FindByHeader(image, kHeaderHelpSegment, header_.helpHeader, "help", help_) &&
           FindByHeader(image, kHeaderCodeSegment, header_.codeHeader, "code", code_) &&
           FindByHeader(image, kHeaderVarSegment, header_.varHeader, "var", var_);
  }

  bool CheckStart(ProgramImage& image) {
    const uint64_t codeStart = code_->dataOffset;
    if (code_->storedSize == 0 || header_.start < codeStart ||
        header_.start >= codeStart + code_->storedSize) {
      return Fail("start routine at " + HexText(header_.start) + " lies outside the code data");
    }
    image.startOffset = header_.start;
    return true;
  }

  // A const, var or code fixup's value is an offset that the loader turns
  // into an address; one beyond the target segment would point elsewhere.
  bool CheckFixupTargets(const ProgramImage& image) {
    for (const Segment& segment : image.segments) {
      for (const Fixup& fixup : segment.fixups) {
        const Segment* target = fixup.kind == FixupKind::Const  ? const_
                                : fixup.kind == FixupKind::Var  ? var_
                                : fixup.kind == FixupKind::Code ? code_
                                                                : nullptr;
        if (target == nullptr || static_cast<uint64_t>(fixup.offset) + 4 > segment.data.size()) {
          continue;
        }
        ByteCursor cursor(segment.data.data(), segment.data.size());
        uint32_t value = 0;
        cursor.Seek(fixup.offset);
        cursor.ReadU32(value);
        if (value > target->memorySize) {
          return Fail("fixup in " + segment.name + " at offset " + std::to_string(fixup.offset) +
                      " holds " + HexText(value) + ", beyond the " + target->name + " segment");
        }
      }
    }
    return true;
  }

  bool ConstText(uint32_t offset, std::string& text, const std::string& what) {
    ByteCursor cursor(const_->data.data(), const_->data.size());
    if (!cursor.Seek(offset) || !cursor.ReadText(text)) {
      return Fail(what + " at const offset " + HexText(offset) +
                  " lies outside the const data or is not NUL-terminated");
    }
    return true;
  }

  bool ReadImports(ProgramImage& image) {
    const uint32_t count = header_.importCount;
    image.imports.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      const std::string what = "imported function " + std::to_string(i);
      const uint32_t libraryOffset = U32At(kHeaderImportTable + 4ull * i);
      const uint32_t functionOffset = U32At(kHeaderImportTable + 4ull * (count + i));
      ImportedFunction& entry = image.imports[i];
      if (libraryOffset != 0) {
        std::string library;
        if (!ConstText(libraryOffset, library, what + ": library name")) return false;
        if (library.empty()) return Fail(what + ": library name is empty");
        entry.library = std::move(library);
      }
      if (!ConstText(functionOffset, entry.function, what + ": name")) return false;
      if (entry.function.empty()) return Fail(what + ": name is empty");
    }
    return true;
  }

  bool ReadLibraries(ProgramImage& image) {
    const size_t listStart = kHeaderImportTable + 8ull * header_.importCount;
    return ParseSupportLibraries(data_ + listStart, header_.libraryListEnd - listStart,
                                 image.libraries, error_);
  }

  bool ReadForm(ProgramImage& image) {
    if (!ParseFormLayout(form_->data.data(), form_->data.size(), image.form, error_)) return false;
    for (const FormUnit& unit : image.form.units) {
      for (const UnitEvent& event : unit.events) {
        if (event.codeOffset >= code_->storedSize) {
          return Fail("form unit " + HexText(unit.id) + ": handler of event " +
                      std::to_string(event.event) + " at code offset " + HexText(event.codeOffset) +
                      " lies outside the code data");
        }
      }
    }
    return true;
  }

  bool ReadReloc(ProgramImage& image) {
    const Segment* reloc = image.FindSegment(kRelocName);
    if (reloc == nullptr) return Fail("the segment chain has no @reloc1 segment");
    if (reloc->dataOffset == kNoOffset || reloc->dataOffset > size_) {
      return Fail("@reloc1 has no data in the file");
    }
    const size_t available = size_ - reloc->dataOffset;
    if (!ParseRelocGroups(data_ + reloc->dataOffset, reloc->storedSize, available, image.reloc,
                          error_)) {
      return false;
    }
    if (!image.reloc.types.empty()) {
      const uint64_t quirkStart = static_cast<uint64_t>(reloc->dataOffset) + reloc->storedSize;
      if (!claimed_.Claim(quirkStart, quirkStart + 4, "final @reloc1 entry", error_)) return false;
    }
    const std::pair<const char*, const std::vector<uint32_t>*> groups[] = {
        {"identifier", &image.reloc.ids},
        {"import", &image.reloc.imports},
        {"library", &image.reloc.libraries},
        {"type", &image.reloc.types}};
    for (const auto& [label, offsets] : groups) {
      for (uint32_t offset : *offsets) {
        if (static_cast<uint64_t>(offset) + 4 > code_->storedSize) {
          return Fail(std::string("@reloc1 ") + label + " place at code offset " + HexText(offset) +
                      " lies outside the code data");
        }
      }
    }
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  std::string error_;
  HeaderFields header_;
  ClaimedRanges claimed_;
  uint32_t nextHeader_ = kNoOffset;
  const Segment* const_ = nullptr;
  const Segment* form_ = nullptr;
  const Segment* help_ = nullptr;
  const Segment* code_ = nullptr;
  const Segment* var_ = nullptr;
};

}  // namespace

ImageReadResult ReadProgramImage(const uint8_t* data, size_t size) {
  ImageReadResult result;
  Reader reader(data, size);
  if (reader.Read(result.image)) {
    result.ok = true;
  } else {
    result.error = reader.Error();
    result.image = ProgramImage{};
  }
  return result;
}

}  // namespace orv::image
