// The program as a program image: the main window's layout with its event
// bindings in the `form` segment, the stored pictures, sounds and trimmer in
// the `const` segment, the handler table in the `code` segment, the
// operating-system functions the program declares and the support libraries
// it needs. Portable: the build writes the image on the host side, the
// runtime library reads it back at start-up.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/EventTable.h"
#include "image/ImageModel.h"
#include "image/ProgramImageWriter.h"
#include "runtime/Layout.h"

namespace orv {

// Stored items by resource id (resources/ResourceIds.h), as bytes.
using StoredItems = std::map<int, std::string>;

// The file of each stored item in the resources folder.
struct StoredFile {
    int id;
    const char* file;
};
const std::vector<StoredFile>& StoredFiles();

// The six support libraries the runtime provides.
const std::vector<image::SupportLibrary>& ProvidedSupportLibraries();

// The operating-system functions the program declares, with the library
// names spelled as declared.
const std::vector<image::ImportedFunction>& DeclaredFunctions();

image::ImageBuildModel BuildProgramImageModel(const StoredItems& items);

// The program read back from an image. Its texts and fonts are owned here
// (the layout's pointers point into this object); the stored items and the
// window's sound are read in place, as views into the image's bytes.
struct LoadedProgram {
    std::vector<UnitSpec> units;
    std::vector<EventBinding> events;
    std::map<int, std::string_view> items;  // into the image's const data
    std::string_view windowSound;           // into the image, or into ownSound
    std::vector<image::ImportedFunction> imports;
    std::vector<image::SupportLibrary> libraries;

    std::string ownSound;  // only when no stored item holds the same bytes
    std::deque<std::string> texts;
    std::deque<FontSpec> fonts;

    LayoutTable Layout() const { return {units.data(), static_cast<int>(units.size())}; }
    EventTable Events() const { return {events.data(), static_cast<int>(events.size())}; }
};

// Reads and checks everything the program needs from the image; false with
// one line of error text when anything is missing or malformed. The image's
// bytes are not changed and must outlive the program: its stored items are
// views into them.
bool LoadProgramImage(const uint8_t* data, size_t size, LoadedProgram* program, std::string* error);

}  // namespace orv
