// Encoding of the `@reloc1` segment: four groups, each a count and that many
// code offsets. The segment's stated size stops one entry short: the last
// offset of the last group lies directly after the stated end. Images made by
// the original tool chain look like that, so ours do too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ImageModel.h"

namespace orv::image {

// `statedSize` is the size the segment header gives; `available` is how many
// bytes from the data start lie inside the file. The groups must end exactly
// 4 bytes past the stated size (or at it when the last group is empty).
bool ParseRelocGroups(const uint8_t* data, size_t statedSize, size_t available, RelocGroups& groups,
                      std::string& error);

struct EncodedReloc {
  std::vector<uint8_t> bytes;  // everything, including the entry past the stated end
  uint32_t statedSize = 0;
};

EncodedReloc SerialiseRelocGroups(const RelocGroups& groups);

}  // namespace orv::image
