#include <gtest/gtest.h>

#include "LibraryName.h"

namespace orv::image {
namespace {

struct NameCase {
  const char* left;
  const char* right;
  bool match;
};

TEST(LibraryName, CaseAndDllExtensionDoNotMatter) {
  const NameCase cases[] = {
      {"GdiPlus.dll", "gdiplus", true},
      {"GDIPLUS", "gdiplus", true},
      {"GdiPlus.dll", "GDIPLUS", true},
      {"COMCTL32.DLL", "comctl32.dll", true},
      {"User32.dll", "user32", true},
      {"kernel32", "KERNEL32.Dll", true},
      {"gdi32", "gdiplus", false},
      {"kernel32", "kernel", false},
      {"gdi32.dll.dll", "gdi32", false},
      {"msimg32.dl", "msimg32", false},
      {"shlwapi.exe", "shlwapi", false},
      {".dll", "", false},
      {".DLL", ".dll", true},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " / " + c.right);
    EXPECT_EQ(LibraryNamesMatch(c.left, c.right), c.match);
    EXPECT_EQ(LibraryNamesMatch(c.right, c.left), c.match);
  }
}

TEST(LibraryName, DoubleByteCharactersKeepTheirTrailByte) {
  // 0xB0 0x41 and 0xB0 0x61 are two different GBK characters.
  EXPECT_FALSE(LibraryNamesMatch("\xB0\x41.dll", "\xB0\x61"));
  EXPECT_TRUE(LibraryNamesMatch("\xB0\x41X.DLL", "\xB0\x41x"));
}

}  // namespace
}  // namespace orv::image
