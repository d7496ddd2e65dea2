#include "Fixup.h"

namespace orv::image {

bool IsValidFixupEntry(uint32_t entry) { return (entry & 7u) <= 3u; }

bool IsEncodableFixup(const Fixup& fixup) {
  return static_cast<uint32_t>(fixup.kind) <= 3u && fixup.offset <= (0xFFFFFFFFu >> 3);
}

bool ApplyFixups(uint8_t* data, size_t size, const std::vector<Fixup>& fixups,
                 const FixupBases& bases, std::string& error) {
  for (const Fixup& fixup : fixups) {
    if (static_cast<uint32_t>(fixup.kind) > 3u) {
      error = "fixup at offset " + std::to_string(fixup.offset) + " has unknown kind " +
              std::to_string(static_cast<unsigned>(fixup.kind));
      return false;
    }
    if (size < 4 || fixup.offset > size - 4) {
      error = "fixup at offset " + std::to_string(fixup.offset) + " lies outside the " +
              std::to_string(size) + "-byte segment";
      return false;
    }
  }
  for (const Fixup& fixup : fixups) {
    uint8_t* place = data + fixup.offset;
    uint32_t value = static_cast<uint32_t>(place[0]) | static_cast<uint32_t>(place[1]) << 8 |
                     static_cast<uint32_t>(place[2]) << 16 | static_cast<uint32_t>(place[3]) << 24;
    value += bases[static_cast<size_t>(fixup.kind)];
    for (int i = 0; i < 4; ++i) place[i] = static_cast<uint8_t>(value >> (8 * i));
  }
  return true;
}

}  // namespace orv::image
