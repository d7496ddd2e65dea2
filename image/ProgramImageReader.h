// Reads and checks a program image held in memory. Every structure is checked
// against the bytes present before it is used; a malformed image gives one
// line of error text and no partial result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ImageModel.h"

namespace orv::image {

struct ImageReadResult {
  bool ok = false;
  std::string error;  // one line when !ok
  ProgramImage image;
};

ImageReadResult ReadProgramImage(const uint8_t* data, size_t size);

}  // namespace orv::image
