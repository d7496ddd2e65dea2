// Bytes of the pictures and sounds stored in the program. The views point
// into the loaded module and stay valid for the whole run.
#pragma once

#include <map>
#include <string_view>

#include "resources/ResourceIds.h"

namespace orv {

// Empty when the program holds no such item.
std::string_view StoredBytes(int resourceId);

// Where the items come from: by default the executable's own resources; a
// program started from a program image hands over the image's items (which
// must outlive every use).
void UseStoredItems(const std::map<int, std::string_view>* items);

}  // namespace orv
