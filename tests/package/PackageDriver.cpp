// Run against a freshly unpacked release: starts orvane.exe from the package
// with no catalogue, adds a song, closes, and checks the catalogue file.
#include <cstdio>
#include <string>

#include "app/MainLayout.h"
#include "tests/support/ProcessDriver.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: package-driver UNPACKED-ORVANE-EXE (Linux path)\n");
        return 2;
    }
    orv::test::OrvaneProcess app(argv[1]);
    if (!app.Start()) {
        std::fprintf(stderr, "package: the main window did not appear\n");
        return 1;
    }
    app.SetText(orv::kEdit2, "新歌 C调");
    app.Click(orv::kButton2);
    if (!app.Close()) {
        std::fprintf(stderr, "package: the program did not close\n");
        return 1;
    }
    const std::string saved = orv::test::ReadFileBytes(app.CataloguePath());
    if (saved != "新歌 C调\r\n") {
        std::fprintf(stderr, "package: the catalogue holds %zu unexpected bytes\n", saved.size());
        return 1;
    }
    std::printf("package: started from the unpacked release, added a song, saved it\n");
    return 0;
}
