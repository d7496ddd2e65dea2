// Writes the program image that the test launcher carries: the image tests'
// sample model, through the real image writer, so the launcher is tested with
// a well-formed image rather than arbitrary bytes.
//   make_launcher_test_image <output file>
#include <windows.h>

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
    HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, image.bytes.data(), static_cast<DWORD>(image.bytes.size()), &written, nullptr) &&
                    written == image.bytes.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) {
        std::fprintf(stderr, "make_launcher_test_image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
