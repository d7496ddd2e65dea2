// libFuzzer target: the reader must refuse or accept any bytes without a
// crash, a sanitizer report or an allocation out of proportion to the input.
#include <cstddef>
#include <cstdint>

#include "Fixup.h"
#include "FormLayout.h"
#include "PeSection.h"
#include "ProgramImageReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv::image;
  const ImageReadResult read = ReadProgramImage(data, size);
  if (read.ok) {
    // What the reader accepted must be loadable: every fixup lands inside the
    // segment's memory image.
    for (const Segment& segment : read.image.segments) {
      std::vector<uint8_t> memory(segment.data);
      memory.resize(segment.memorySize < (1u << 24) ? segment.memorySize : 0);
      std::string error;
      if (!memory.empty() && !ApplyFixups(memory.data(), memory.size(), segment.fixups,
                                          FixupBases{1, 2, 3, 4}, error)) {
        __builtin_trap();
      }
    }
    // And what was read serialises back to the same form data.
    const Segment* form = read.image.FindSegment("form");
    if (form == nullptr || SerialiseFormLayout(read.image.form).size() > form->data.size()) {
      __builtin_trap();
    }
  }
  PeSectionSpan span;
  std::string error;
  FindPeSection(data, size, kImageSectionName, span, error);
  return 0;
}
