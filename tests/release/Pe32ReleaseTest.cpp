// The PE32 release as built, read without running it: on a machine that runs
// no 32-bit code these are the checks that still hold the release to what it
// ships as. The build folder comes from ORV_PE32_BUILD (tools/test.sh).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/ProgramImage.h"
#include "image/PeSection.h"
#include "resources/ResourceIds.h"
#include "tests/support/PeFile.h"

namespace {

using orv::test::PeFile;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr uint16_t kI386 = 0x014C;
constexpr uint16_t kPe32 = 0x010B;
constexpr uint16_t kGui = 2, kConsole = 3;
constexpr uint16_t kDll = 0x2000;

// The platform's own libraries, and nothing a program would have to ship.
const std::set<std::string> kPlatform = {"kernel32.dll", "user32.dll",   "gdi32.dll",  "gdiplus.dll",
                                         "msimg32.dll",  "ole32.dll",    "comctl32.dll", "shlwapi.dll",
                                         "shell32.dll",  "winmm.dll",    "advapi32.dll", "msvcrt.dll",
                                         "psapi.dll"};

class Pe32Release : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("ORV_PE32_BUILD");
        ASSERT_TRUE(dir && *dir) << "ORV_PE32_BUILD names the PE32 build folder";
        build_ = dir;
    }
    std::string File(const std::string& relative) const
    {
        const std::string bytes = ReadAll(build_ + "/" + relative);
        EXPECT_FALSE(bytes.empty()) << relative << " is missing";
        return bytes;
    }
    void ExpectPe32(const PeFile& pe, uint16_t subsystem, const char* what) const
    {
        EXPECT_EQ(pe.error, "") << what;
        EXPECT_EQ(pe.machine, kI386) << what << ": i386";
        EXPECT_EQ(pe.magic, kPe32) << what << ": PE32";
        if (subsystem) {
            EXPECT_EQ(pe.subsystem, subsystem) << what << ": subsystem";
        }
    }
    void ExpectPlatformImportsOnly(const PeFile& pe, const char* what) const
    {
        const std::set<std::string> imported = pe.ImportedLibraries();
        EXPECT_FALSE(imported.empty()) << what;
        for (const std::string& library : imported)
            EXPECT_EQ(kPlatform.count(library), 1u) << what << " imports " << library;
    }
    std::string build_;
};

TEST_F(Pe32Release, LauncherIsAnI386GuiProgramCarryingTheImageAndTheManifest)
{
    const PeFile exe(File("app/orvane.exe"));
    ExpectPe32(exe, kGui, "orvane.exe");
    EXPECT_EQ(exe.characteristics & kDll, 0);
    // No C runtime in the launcher.
    EXPECT_EQ(exe.ImportedLibraries(), (std::set<std::string>{"advapi32.dll", "kernel32.dll", "user32.dll"}));

    const std::string image = File("app/orvane.orvimage");
    const std::string section = exe.Section(orv::image::kImageSectionName);
    ASSERT_GE(section.size(), image.size());
    EXPECT_TRUE(section.compare(0, image.size(), image) == 0) << "the image section is not the image";
    EXPECT_EQ(section.find_first_not_of('\0', image.size()), std::string::npos) << "more than padding after it";

    const std::string manifest = exe.Resource(24, 1);
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
    EXPECT_FALSE(exe.Resource(14, 129).empty()) << "the icon group";
}

TEST_F(Pe32Release, RuntimeLibraryIsAnI386DllOfPlatformImportsWithItsEntry)
{
    const PeFile rtl(File("app/orvcore.rtl"));
    ExpectPe32(rtl, 0, "orvcore.rtl");  // a DLL's subsystem is its loader's
    EXPECT_NE(rtl.characteristics & kDll, 0) << "a DLL";
    ExpectPlatformImportsOnly(rtl, "orvcore.rtl");
    EXPECT_EQ(rtl.ExportedNames().count("GetRuntimeEntry"), 1u);
}

TEST_F(Pe32Release, ImageLoadsAndItsTrimmerIsAnI386ConsoleProgram)
{
    const std::string image = File("app/orvane.orvimage");
    orv::LoadedProgram program;
    std::string error;
    ASSERT_TRUE(orv::LoadProgramImage(reinterpret_cast<const uint8_t*>(image.data()), image.size(), &program, &error))
        << error;
    ASSERT_EQ(program.items.count(IDR_TRIMMER), 1u);
    const std::string_view stored = program.items.at(IDR_TRIMMER);
    EXPECT_EQ(stored, File("tools/trimmer/empty.exe")) << "the image carries the trimmer as built";
    const PeFile trimmer{std::string(stored)};
    ExpectPe32(trimmer, kConsole, "empty.exe");
    ExpectPlatformImportsOnly(trimmer, "empty.exe");
}

}  // namespace
