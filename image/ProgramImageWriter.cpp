#include "ProgramImageWriter.h"

#include <map>
#include <utility>

#include "ByteCursor.h"
#include "Fixup.h"
#include "FormLayout.h"
#include "ProgramImageReader.h"
#include "RelocTable.h"
#include "SupportLibraryList.h"

namespace orv::image {

namespace {

struct PlannedSegment {
  const char* name;
  uint32_t type;
  uint32_t memorySize;
  const std::vector<uint8_t>* data;  // nullptr: nothing stored
  uint32_t statedSize;
  const std::vector<Fixup>* fixups;
  uint32_t headerField;  // 0: not named in the image header
};

// Appends each distinct name once to the const data.
class NamePool {
 public:
  explicit NamePool(std::vector<uint8_t>& constData) : data_(constData) {
    // Library offset 0 means "no library", so no name may start there.
    if (data_.empty()) data_.push_back(0);
  }

  uint32_t Offset(const std::string& name) {
    auto found = offsets_.find(name);
    if (found != offsets_.end()) return found->second;
    const uint32_t offset = static_cast<uint32_t>(data_.size());
    data_.insert(data_.end(), name.begin(), name.end());
    data_.push_back(0);
    offsets_.emplace(name, offset);
    return offset;
  }

 private:
  std::vector<uint8_t>& data_;
  std::map<std::string, uint32_t> offsets_;
};

bool CheckStorable(const ImageBuildModel& model, std::string& error) {
  for (size_t i = 0; i < model.imports.size(); ++i) {
    const ImportedFunction& entry = model.imports[i];
    const bool badLibrary =
        entry.library && (entry.library->empty() || entry.library->find('\0') != std::string::npos);
    if (badLibrary || entry.function.empty() || entry.function.find('\0') != std::string::npos) {
      error = "imported function " + std::to_string(i) + ": names must be non-empty, without NUL";
      return false;
    }
  }
  for (const SupportLibrary& library : model.libraries) {
    if (!IsStorableSupportLibrary(library, error)) return false;
  }
  for (const FormUnit& unit : model.form.units) {
    for (const std::string* text : {&unit.name, &unit.remark, &unit.tag}) {
      if (text->find('\0') != std::string::npos) {
        error = "form unit " + std::to_string(unit.id) + ": a text holds a NUL byte";
        return false;
      }
    }
  }
  for (const SegmentContent* segment : {&model.constSegment, &model.code}) {
    for (const Fixup& fixup : segment->fixups) {
      if (!IsEncodableFixup(fixup)) {
        error = "fixup at offset " + std::to_string(fixup.offset) + " cannot be encoded";
        return false;
      }
    }
  }
  return true;
}

void PutSegmentHeader(ByteSink& out, const PlannedSegment& segment, uint32_t next,
                      uint32_t dataOffset) {
  const size_t fixupCount = segment.fixups ? segment.fixups->size() : 0;
  out.PutU32(static_cast<uint32_t>(kSegmentHeaderFixedSize + 4 * fixupCount));
  out.PutU32(next);
  out.PutU32(segment.type);
  std::vector<uint8_t> name(kSegmentNameSize, 0);
  for (size_t i = 0; segment.name[i] != '\0' && i < kSegmentNameSize; ++i) {
    name[i] = static_cast<uint8_t>(segment.name[i]);
  }
  out.PutBytes(name);
  out.PutU32(segment.memorySize);
  out.PutU32(segment.data ? segment.statedSize : 0);
  out.PutU32(segment.data ? dataOffset : kNoOffset);
  out.PutU32(static_cast<uint32_t>(fixupCount));
  out.PutU32(0);
  if (segment.fixups) {
    for (const Fixup& fixup : *segment.fixups) out.PutU32(EncodeFixup(fixup));
  }
}

}  // namespace

ImageWriteResult WriteProgramImage(const ImageBuildModel& model) {
  ImageWriteResult result;
  if (!CheckStorable(model, result.error)) return result;

  std::vector<uint8_t> constData = model.constSegment.data;
  NamePool names(constData);
  std::vector<uint32_t> libraryOffsets;
  std::vector<uint32_t> functionOffsets;
  for (const ImportedFunction& entry : model.imports) {
    libraryOffsets.push_back(entry.library ? names.Offset(*entry.library) : 0);
    functionOffsets.push_back(names.Offset(entry.function));
  }
  const std::vector<uint8_t> formData = SerialiseFormLayout(model.form);
  const std::vector<uint8_t> helpData(kHelpSegmentSize, 0);
  const EncodedReloc reloc = SerialiseRelocGroups(model.reloc);
  const auto size32 = [](const std::vector<uint8_t>& data) {
    return static_cast<uint32_t>(data.size());
  };

  const PlannedSegment plan[] = {
      {"const", kSegmentData, size32(constData), &constData, size32(constData),
       &model.constSegment.fixups, kHeaderConstSegment},
      {"form", kSegmentData, size32(formData), &formData, size32(formData), nullptr,
       kHeaderFormSegment},
      {"help", kSegmentData, size32(helpData), &helpData, size32(helpData), nullptr,
       kHeaderHelpSegment},
      {"code", kSegmentCode, size32(model.code.data), &model.code.data, size32(model.code.data),
       &model.code.fixups, kHeaderCodeSegment},
      {"var", kSegmentUninitialised, model.varSize, nullptr, 0, nullptr, kHeaderVarSegment},
      // The full bytes go into the file; the header states one entry less.
      {"@reloc1", kSegmentData, reloc.statedSize, &reloc.bytes, reloc.statedSize, nullptr, 0},
  };

  ByteSink out;
  out.PutBytes({'O', 'V', 0, 0});
  out.PutZeros(kHeaderImportTable - 4);
  for (uint32_t offset : libraryOffsets) out.PutU32(offset);
  for (uint32_t offset : functionOffsets) out.PutU32(offset);
  out.PutBytes(SerialiseSupportLibraries(model.libraries));
  const uint32_t firstHeader = static_cast<uint32_t>(out.Size());

  uint32_t codeDataOffset = 0;
  size_t previousNextField = 0;
  bool first = true;
  for (const PlannedSegment& segment : plan) {
    const uint32_t headerOffset = static_cast<uint32_t>(out.Size());
    if (!first) out.PatchU32(previousNextField, headerOffset);
    first = false;
    const size_t fixupCount = segment.fixups ? segment.fixups->size() : 0;
    const uint32_t dataOffset =
        static_cast<uint32_t>(headerOffset + kSegmentHeaderFixedSize + 4 * fixupCount);
    PutSegmentHeader(out, segment, kNoOffset, dataOffset);
    previousNextField = headerOffset + 4;
    if (segment.data) out.PutBytes(*segment.data);
    if (segment.headerField != 0) out.PatchU32(segment.headerField, headerOffset);
    if (segment.headerField == kHeaderCodeSegment) codeDataOffset = dataOffset;
  }

  out.PatchU32(kHeaderFirstSegment, firstHeader);
  // Fixed values every image carries; what they mean is the runtime's business.
  out.PatchU32(0x28, 1);
  out.PatchU32(0x2C, 3);
  out.PatchU32(kHeaderBuildStamp, model.buildStamp);
  out.PatchU32(kHeaderImportCount, static_cast<uint32_t>(model.imports.size()));
  out.PatchU32(kHeaderStart, codeDataOffset + model.startOffset);
  out.PatchU32(kHeaderLibraryListEnd, firstHeader);

  // Reading the result back is the one complete check that every offset,
  // fixup and reference in the model is consistent.
  const ImageReadResult check = ReadProgramImage(out.Bytes().data(), out.Size());
  if (!check.ok) {
    result.error = "model does not give a valid image: " + check.error;
    return result;
  }
  result.ok = true;
  result.bytes = std::move(out.Bytes());
  return result;
}

}  // namespace orv::image
