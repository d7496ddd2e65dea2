// A block of bytes with several holders: the catalogue as read is held by
// the program and by every list whose items refer to it.
#pragma once

#include <memory>
#include <string>

namespace orv {

using SharedBytes = std::shared_ptr<const std::string>;

}  // namespace orv
