#include "LibraryName.h"

namespace orv::image {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string NormaliseLibraryName(std::string_view name) {
  std::string lower;
  lower.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    // A GBK trail byte can fall in 'A'..'Z'; it must stay with its lead byte.
    if (static_cast<unsigned char>(name[i]) >= 0x81 && i + 1 < name.size()) {
      lower.push_back(name[i]);
      lower.push_back(name[++i]);
      continue;
    }
    lower.push_back(LowerAscii(name[i]));
  }
  constexpr std::string_view kExtension = ".dll";
  // A bare ".dll" would become an empty name that matches every other bare
  // ".dll"; keep it whole instead.
  if (lower.size() > kExtension.size() &&
      lower.compare(lower.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
    lower.resize(lower.size() - kExtension.size());
  }
  return lower;
}

bool LibraryNamesMatch(std::string_view left, std::string_view right) {
  return NormaliseLibraryName(left) == NormaliseLibraryName(right);
}

}  // namespace orv::image
