// orvane-image: inspects a program image, alone or inside the built program.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ImageJson.h"
#include "PeSection.h"
#include "ProgramImageReader.h"

namespace {

constexpr char kUsage[] =
    "usage: orvane-image dump FILE\n"
    "  Prints the program image in FILE as one JSON object. FILE is either an\n"
    "  image or a PE executable holding the image in its .orvimg section.\n";

int Fail(const std::string& file, const std::string& message) {
  std::fprintf(stderr, "orvane-image: %s: %s\n", file.c_str(), message.c_str());
  return 1;
}

int Dump(const std::string& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return Fail(file, "cannot open the file");
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                                   std::istreambuf_iterator<char>());
  if (stream.bad()) return Fail(file, "cannot read the file");

  const uint8_t* image = bytes.data();
  size_t imageSize = bytes.size();
  if (orv::image::LooksLikePe(image, imageSize)) {
    orv::image::PeSectionSpan span;
    std::string error;
    if (!orv::image::FindPeSection(image, imageSize, orv::image::kImageSectionName, span, error)) {
      return Fail(file, error);
    }
    image += span.offset;
    imageSize = span.size;
  }
  const orv::image::ImageReadResult result = orv::image::ReadProgramImage(image, imageSize);
  if (!result.ok) return Fail(file, result.error);
  std::printf("%s\n", orv::tools::ImageToJson(result.image).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "dump") == 0) return Dump(argv[2]);
  std::fputs(kUsage, stderr);
  return 2;
}
