// Writes the program image that the test launcher carries: the image tests'
// sample model, through the real image writer, so the launcher is tested with
// a well-formed image rather than arbitrary bytes.
//   make_launcher_test_image <output file>
#include <cstdio>

#include "ProgramImageWriter.h"
#include "SampleImage.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_launcher_test_image <output file>\n");
        return 2;
    }
    const orv::image::ImageWriteResult image = orv::image::WriteProgramImage(orv::image::testing::SampleModel());
    if (!image.ok) {
        std::fprintf(stderr, "make_launcher_test_image: %s\n", image.error.c_str());
        return 1;
    }
    std::FILE* file = std::fopen(argv[1], "wb");
    bool ok = file && std::fwrite(image.bytes.data(), 1, image.bytes.size(), file) == image.bytes.size();
    if (file && std::fclose(file) != 0) ok = false;
    if (!ok) {
        std::remove(argv[1]);
        std::fprintf(stderr, "make_launcher_test_image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
