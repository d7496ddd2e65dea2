// orv-mkimage RESOURCES-DIR TRIMMER-EXE OUT-FILE
// Writes Orvane's program image: the layout and event bindings from the
// program's own tables, the stored items from the resources folder and the
// trimmer built alongside.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/ProgramImage.h"
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

}  // namespace

int main(int argc, char** argv)
{
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
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(written.bytes.data()), static_cast<std::streamsize>(written.bytes.size()));
    if (!out) {
        std::fprintf(stderr, "orv-mkimage: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
