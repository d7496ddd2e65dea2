// Builds a program image from its parts. The result has the layout that the
// reader accepts, including the short stated size of `@reloc1`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ImageModel.h"

namespace orv::image {

struct SegmentContent {
  std::vector<uint8_t> data;
  std::vector<Fixup> fixups;
};

struct ImageBuildModel {
  uint32_t buildStamp = kDefaultBuildStamp;
  uint32_t startOffset = 0;     // within the code data
  SegmentContent constSegment;  // the imported names are appended to it
  SegmentContent code;
  uint32_t varSize = 0;
  std::vector<ImportedFunction> imports;
  std::vector<SupportLibrary> libraries;
  FormLayout form;
  RelocGroups reloc;
};

struct ImageWriteResult {
  bool ok = false;
  std::string error;  // one line when !ok
  std::vector<uint8_t> bytes;
};

// Refuses a model that would not read back as given (a NUL inside a name, a
// fixup or offset outside its segment, ...).
ImageWriteResult WriteProgramImage(const ImageBuildModel& model);

}  // namespace orv::image
