// Bytes of the pictures and sounds stored in the program. The views point
// into the loaded module and stay valid for the whole run.
#pragma once

#include <string_view>

#include "resources/ResourceIds.h"

namespace orv {

// Empty when the program holds no such item.
std::string_view StoredBytes(int resourceId);

}  // namespace orv
