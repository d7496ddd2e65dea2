// Finds a section's bytes in a PE executable, so that tools can read the
// program image straight out of the built program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv::image {

// The section that holds the program image in the executable.
inline constexpr char kImageSectionName[] = ".orvimg";

struct PeSectionSpan {
  size_t offset = 0;  // file offset of the section's raw data
  size_t size = 0;    // raw size, file alignment padding included
};

bool LooksLikePe(const uint8_t* data, size_t size);

// Fails with one line of text when the headers are malformed, the section is
// missing, or its raw data lies outside the file.
bool FindPeSection(const uint8_t* data, size_t size, const std::string& name, PeSectionSpan& span,
                   std::string& error);

}  // namespace orv::image
