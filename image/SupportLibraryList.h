// The support-library list: consecutive NUL-terminated records of five
// CR-separated fields (name, 32-hex-digit id, major, minor, description).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ImageModel.h"

namespace orv::image {

// The whole range must consist of complete records.
bool ParseSupportLibraries(const uint8_t* data, size_t size, std::vector<SupportLibrary>& libraries,
                           std::string& error);

std::vector<uint8_t> SerialiseSupportLibraries(const std::vector<SupportLibrary>& libraries);

// Whether the writer can store the record so that it reads back the same: no
// field may hold a CR or a NUL, the id is 32 hexadecimal digits.
bool IsStorableSupportLibrary(const SupportLibrary& library, std::string& error);

}  // namespace orv::image
