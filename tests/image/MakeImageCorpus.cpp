// Writes seed images for the reader's fuzzer: the sample image, variants of
// it, and the sample inside a PE file.
#include <cstdio>
#include <fstream>
#include <string>

#include "PeTestFile.h"
#include "ProgramImageWriter.h"
#include "SampleImage.h"

namespace {

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orv::image;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_image_corpus DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  ImageBuildModel sample = testing::SampleModel();
  ImageBuildModel bare = sample;
  bare.imports.clear();
  bare.libraries.clear();
  bare.reloc = {};
  bare.form.units.resize(1);
  bare.form.units[0].children.clear();
  ImageBuildModel noTypes = sample;
  noTypes.reloc.types.clear();

  const std::pair<const char*, const ImageBuildModel*> models[] = {
      {"sample.img", &sample}, {"bare.img", &bare}, {"no-types.img", &noTypes}};
  for (const auto& [name, model] : models) {
    const ImageWriteResult written = WriteProgramImage(*model);
    if (!written.ok || !Save(dir + "/" + name, written.bytes)) {
      std::fprintf(stderr, "make_image_corpus: %s: %s\n", name, written.error.c_str());
      return 1;
    }
    if (model == &sample &&
        !Save(dir + "/sample.exe", testing::MakePeFile({{".orvimg", written.bytes}}))) {
      return 1;
    }
  }
  return 0;
}
