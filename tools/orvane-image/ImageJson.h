// The JSON form of a program image printed by `orvane-image dump`.
#pragma once

#include <string>

#include "ImageModel.h"

namespace orv::tools {

std::string ImageToJson(const orv::image::ProgramImage& image);

}  // namespace orv::tools
