// Fixup entries and their application to a loaded segment.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ImageModel.h"

namespace orv::image {

// An entry is (offset * 8) + kind; the kind takes the low three bits, of
// which only values 0..3 have a meaning.
inline Fixup DecodeFixup(uint32_t entry) {
  return Fixup{static_cast<FixupKind>(entry & 7u), entry >> 3};
}

inline uint32_t EncodeFixup(const Fixup& fixup) {
  return (fixup.offset << 3) | static_cast<uint32_t>(fixup.kind);
}

// Entries that cannot be represented: a kind above 3, or an offset that does
// not fit in 29 bits.
bool IsValidFixupEntry(uint32_t entry);
bool IsEncodableFixup(const Fixup& fixup);

// Base address added for each kind, indexed by FixupKind: the service-slot
// table, the const data, the var data, the code data.
using FixupBases = std::array<uint32_t, 4>;

// Adds the base of each fixup's kind to the 32-bit little-endian value at its
// offset (modulo 2^32, as the 32-bit loader would). Checks every fixup before
// changing anything, so a failure leaves the buffer untouched.
bool ApplyFixups(uint8_t* data, size_t size, const std::vector<Fixup>& fixups,
                 const FixupBases& bases, std::string& error);

}  // namespace orv::image
