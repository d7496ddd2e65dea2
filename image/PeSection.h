// Finds a section's bytes in a PE executable, so that tools can read the
// program image straight out of the built program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// Moves the named section's raw data to the next 4 KiB boundary of the file,
// padding before it with zeros and moving every later section's data with
// it. Under Wine a section whose file offset is page-aligned is mapped from
// the file; any other is read into private memory. Windows loads either. The
// file must have no certificate and no debug directory (their entries hold
// file offsets). False, and the file unchanged, with the reason in `error`.
bool PageAlignSection(std::vector<uint8_t>& file, const std::string& name, std::string& error);

}  // namespace orv::image
