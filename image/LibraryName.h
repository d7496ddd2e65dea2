// Library names in the import table are written as their authors declared
// them ("GdiPlus.dll", "gdiplus", "COMCTL32.DLL"); they name the same file
// whatever the letter case and whether ".dll" is given.
#pragma once

#include <string>
#include <string_view>

namespace orv::image {

// Lower-case ASCII form without a trailing ".dll"; double-byte GBK characters
// are left as they are.
std::string NormaliseLibraryName(std::string_view name);

bool LibraryNamesMatch(std::string_view left, std::string_view right);

}  // namespace orv::image
