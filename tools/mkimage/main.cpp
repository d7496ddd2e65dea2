// orv-mkimage RESOURCES-DIR TRIMMER-EXE OUT-FILE
// Writes Orvane's program image: the layout and event bindings from the
// program's own tables, the stored items from the resources folder and the
// trimmer built alongside.
// orv-mkimage --page-align EXE SECTION
// Moves a linked executable's section to a page-aligned file offset (the
// launcher's image section, after each link).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/ProgramImage.h"
#include "image/PeSection.h"
#include "image/ProgramImageWriter.h"
#include "resources/ResourceIds.h"

namespace {

bool ReadFile(const std::string& path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The whole image or none: when a write or the close fails, what was written
// goes, so no cut-off image is left behind to be taken for a good one. False
// with the reason in `error`.
bool WriteImageFile(const char* path, const std::vector<uint8_t>& bytes, std::string* error)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!ok) *error = std::strerror(errno);
    // The close writes what the library still buffers, and can fail too.
    if (std::fclose(file) != 0 && ok) {
        *error = std::strerror(errno);
        ok = false;
    }
    if (!ok) std::remove(path);
    return ok;
}

int PageAlign(const char* path, const char* section)
{
    std::string bytes;
    if (!ReadFile(path, &bytes)) {
        std::fprintf(stderr, "orv-mkimage: cannot read %s\n", path);
        return 1;
    }
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    std::string error;
    if (!orv::image::PageAlignSection(file, section, error)) {
        std::fprintf(stderr, "orv-mkimage: %s: %s\n", path, error.c_str());
        return 1;
    }
    if (file.size() != bytes.size() && !WriteImageFile(path, file, &error)) {
        std::fprintf(stderr, "orv-mkimage: cannot write %s: %s\n", path, error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--page-align") == 0) return PageAlign(argv[2], argv[3]);
    if (argc != 4) {
        std::fprintf(stderr, "usage: orv-mkimage RESOURCES-DIR TRIMMER-EXE OUT-FILE\n");
        return 2;
    }
    const std::string dir = argv[1];
    orv::StoredItems items;
    for (const orv::StoredFile& f : orv::StoredFiles()) {
        if (!ReadFile(dir + "/" + f.file, &items[f.id])) {
            std::fprintf(stderr, "orv-mkimage: cannot read %s/%s\n", dir.c_str(), f.file);
            return 1;
        }
    }
    if (!ReadFile(argv[2], &items[IDR_TRIMMER])) {
        std::fprintf(stderr, "orv-mkimage: cannot read the trimmer %s\n", argv[2]);
        return 1;
    }
    const orv::image::ImageWriteResult written = orv::image::WriteProgramImage(orv::BuildProgramImageModel(items));
    if (!written.ok) {
        std::fprintf(stderr, "orv-mkimage: %s\n", written.error.c_str());
        return 1;
    }
    std::string error;
    if (!WriteImageFile(argv[3], written.bytes, &error)) {
        std::fprintf(stderr, "orv-mkimage: cannot write %s: %s\n", argv[3], error.c_str());
        return 1;
    }
    return 0;
}
