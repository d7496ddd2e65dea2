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

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The headers, imports, exports and resources of one PE file; every read is
// bounds-checked, and a malformed file leaves `error` set.
class Pe {
public:
    explicit Pe(std::string bytes) : b_(std::move(bytes))
    {
        if (b_.size() < 0x40 || b_.compare(0, 2, "MZ") != 0) {
            error = "no DOS header";
            return;
        }
        const size_t pe = U32(0x3C);
        if (pe + 24 > b_.size() || b_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
            error = "no PE signature";
            return;
        }
        machine = U16(pe + 4);
        const uint16_t count = U16(pe + 6);
        characteristics = U16(pe + 22);
        const size_t optional = pe + 24;
        magic = U16(optional);
        subsystem = U16(optional + 68);
        // The data directories: at 96 in a PE32 optional header, 112 in PE32+.
        const size_t directories = optional + (magic == 0x20B ? 112 : 96);
        exportRva_ = U32(directories);
        importRva_ = U32(directories + 8);
        resourceRva_ = U32(directories + 16);
        for (size_t i = 0, at = optional + U16(pe + 20); i < count; ++i, at += 40) {
            std::string name = b_.substr(at, 8);
            name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
            sections_.push_back({name, U32(at + 12), std::max(U32(at + 8), U32(at + 16)), U32(at + 20)});
        }
    }

    std::string error;
    uint16_t machine = 0, magic = 0, subsystem = 0, characteristics = 0;

    std::set<std::string> ImportedLibraries() const
    {
        std::set<std::string> out;
        for (size_t at = Offset(importRva_); importRva_ && at + 20 <= b_.size(); at += 20) {
            const uint32_t name = U32(at + 12);
            if (!name) break;
            out.insert(Lower(Text(name)));
        }
        return out;
    }
    std::set<std::string> ExportedNames() const
    {
        std::set<std::string> out;
        if (!exportRva_) return out;
        const size_t dir = Offset(exportRva_);
        const uint32_t count = U32(dir + 24);
        const size_t names = Offset(U32(dir + 32));
        for (uint32_t i = 0; i < count && i < 4096; ++i) out.insert(Text(U32(names + 4 * i)));
        return out;
    }
    // The bytes of resource type/id (first language), or empty.
    std::string Resource(uint32_t type, uint32_t id) const
    {
        if (!resourceRva_) return {};
        const size_t root = Offset(resourceRva_);
        size_t at = Entry(root, root, type);
        if (!at) return {};
        at = Entry(root, at, id);
        if (!at) return {};
        at = Entry(root, at, ~0u);  // any language
        if (!at) return {};
        return b_.substr(Offset(U32(at)), U32(at + 4));
    }
    std::string Section(const std::string& name) const
    {
        for (const auto& s : sections_)
            if (s.name == name) return b_.substr(s.raw, s.size);
        return {};
    }

private:
    struct SectionRow {
        std::string name;
        uint32_t rva, size, raw;
    };
    uint32_t U32(size_t at) const
    {
        if (at + 4 > b_.size()) return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b_[at + i]);
        return v;
    }
    uint16_t U16(size_t at) const
    {
        if (at + 2 > b_.size()) return 0;
        return static_cast<uint16_t>(static_cast<unsigned char>(b_[at]) | static_cast<unsigned char>(b_[at + 1]) << 8);
    }
    size_t Offset(uint32_t rva) const
    {
        for (const auto& s : sections_)
            if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.raw;
        return b_.size();
    }
    std::string Text(uint32_t rva) const
    {
        const size_t at = Offset(rva);
        if (at >= b_.size()) return {};
        return std::string(b_.c_str() + at);
    }
    // In the resource directory at `dir`, the entry with integer id `id`
    // (any entry for ~0u): the subdirectory's or data entry's file offset.
    size_t Entry(size_t root, size_t dir, uint32_t id) const
    {
        const unsigned n = U16(dir + 12) + U16(dir + 14);
        for (unsigned i = 0; i < n && i < 1024; ++i) {
            const size_t e = dir + 16 + 8 * i;
            if (id != ~0u && U32(e) != id) continue;
            const uint32_t target = U32(e + 4);
            return root + (target & 0x7FFFFFFF);
        }
        return 0;
    }

    std::string b_;
    std::vector<SectionRow> sections_;
    uint32_t exportRva_ = 0, importRva_ = 0, resourceRva_ = 0;
};

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
    void ExpectPe32(const Pe& pe, uint16_t subsystem, const char* what) const
    {
        EXPECT_EQ(pe.error, "") << what;
        EXPECT_EQ(pe.machine, kI386) << what << ": i386";
        EXPECT_EQ(pe.magic, kPe32) << what << ": PE32";
        if (subsystem) EXPECT_EQ(pe.subsystem, subsystem) << what << ": subsystem";
    }
    void ExpectPlatformImportsOnly(const Pe& pe, const char* what) const
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
    const Pe exe(File("app/orvane.exe"));
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
    const Pe rtl(File("app/orvcore.rtl"));
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
    const Pe trimmer{std::string(stored)};
    ExpectPe32(trimmer, kConsole, "empty.exe");
    ExpectPlatformImportsOnly(trimmer, "empty.exe");
}

}  // namespace
