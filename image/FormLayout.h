// Encoding of the window layout held in the `form` segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ImageModel.h"

namespace orv::image {

// Parses the form segment's stored bytes. On failure `error` holds one line.
bool ParseFormLayout(const uint8_t* data, size_t size, FormLayout& layout, std::string& error);

// Lays the records out in unit order, the window's own unit first at record
// offset 0.
std::vector<uint8_t> SerialiseFormLayout(const FormLayout& layout);

}  // namespace orv::image
