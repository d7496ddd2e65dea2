// Plain data types of a program image: what the reader produces and what the
// writer consumes. Texts are kept as the raw GBK bytes found in the image.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv::image {

inline constexpr uint32_t kNoOffset = 0xFFFFFFFFu;
inline constexpr uint32_t kDefaultBuildStamp = 0x000D47AFu;

// Fixed positions in the image header.
inline constexpr uint32_t kHeaderFirstSegment = 0x24;
inline constexpr uint32_t kHeaderBuildStamp = 0x34;
inline constexpr uint32_t kHeaderImportCount = 0x38;
inline constexpr uint32_t kHeaderStart = 0x3C;
inline constexpr uint32_t kHeaderConstSegment = 0x40;
inline constexpr uint32_t kHeaderFormSegment = 0x44;
inline constexpr uint32_t kHeaderHelpSegment = 0x48;
inline constexpr uint32_t kHeaderCodeSegment = 0x4C;
inline constexpr uint32_t kHeaderVarSegment = 0x50;
inline constexpr uint32_t kHeaderLibraryListEnd = 0x54;
inline constexpr uint32_t kHeaderImportTable = 0x58;

inline constexpr uint32_t kSegmentHeaderFixedSize = 0x38;
inline constexpr uint32_t kSegmentNameSize = 24;
inline constexpr uint32_t kHelpSegmentSize = 52;

enum SegmentType : uint32_t {
  kSegmentData = 1,
  kSegmentCode = 5,
  kSegmentUninitialised = 19,
};

// Unit types: high 16 bits the support library (counted from 1), low 16 bits
// the type's number inside it.
enum UnitType : uint32_t {
  kUnitWindow = 0x10001,
  kUnitEdit = 0x10005,
  kUnitGroupBox = 0x10009,
  kUnitButton = 0x1000B,
  kUnitListBox = 0x1000F,
  kUnitTabControl = 0x10015,
  kUnitTransparentLabel = 0x20005,
};

enum class FixupKind : uint8_t {
  Service = 0,  // value is a service-slot index
  Const = 1,    // value is an offset into the const data
  Var = 2,      // value is an offset into the var data
  Code = 3,     // value is an offset into the code data
};

struct Fixup {
  FixupKind kind = FixupKind::Service;
  uint32_t offset = 0;  // within the owning segment's data
  bool operator==(const Fixup& other) const { return kind == other.kind && offset == other.offset; }
};

struct Segment {
  std::string name;
  uint32_t type = kSegmentData;
  uint32_t memorySize = 0;
  uint32_t storedSize = 0;  // as stated in the header
  uint32_t headerOffset = 0;
  uint32_t dataOffset = kNoOffset;
  std::vector<Fixup> fixups;
  std::vector<uint8_t> data;  // the stated stored bytes
};

struct ImportedFunction {
  std::optional<std::string> library;  // none: looked up in the default system libraries
  std::string function;
  bool operator==(const ImportedFunction& other) const {
    return library == other.library && function == other.function;
  }
};

struct SupportLibrary {
  std::string name;
  std::string id;  // 32 hexadecimal digits
  std::string major;
  std::string minor;
  std::string description;
  bool operator==(const SupportLibrary& other) const {
    return name == other.name && id == other.id && major == other.major && minor == other.minor &&
           description == other.description;
  }
};

struct UnitEvent {
  int32_t event = 0;
  uint32_t codeOffset = 0;
  bool operator==(const UnitEvent& other) const {
    return event == other.event && codeOffset == other.codeOffset;
  }
};

struct FormUnit {
  uint32_t id = 0;
  uint32_t type = kUnitWindow;
  std::string name;  // GBK
  std::string remark;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t parentId = 0;  // 0 for the window
  std::vector<uint32_t> children;
  std::vector<uint8_t> cursor;
  std::string tag;
  bool visible = true;
  uint32_t otherFlags = 0;  // flag bits other than bit 0, kept as found
  std::vector<UnitEvent> events;
  std::vector<uint8_t> properties;  // the type's own data, opaque here

  bool operator==(const FormUnit& other) const {
    return id == other.id && type == other.type && name == other.name && remark == other.remark &&
           left == other.left && top == other.top && width == other.width &&
           height == other.height && parentId == other.parentId && children == other.children &&
           cursor == other.cursor && tag == other.tag && visible == other.visible &&
           otherFlags == other.otherFlags && events == other.events &&
           properties == other.properties;
  }
};

struct FormLayout {
  uint32_t windowId = 0;
  std::array<uint32_t, 3> extra{};  // three header values kept as found
  std::vector<FormUnit> units;      // the window's own unit first
  bool operator==(const FormLayout& other) const {
    return windowId == other.windowId && extra == other.extra && units == other.units;
  }
};

// Places in the code data whose 32-bit immediate holds an identifier of the
// given sort, so that a runtime can renumber them.
struct RelocGroups {
  std::vector<uint32_t> ids;
  std::vector<uint32_t> imports;
  std::vector<uint32_t> libraries;
  std::vector<uint32_t> types;
  bool operator==(const RelocGroups& other) const {
    return ids == other.ids && imports == other.imports && libraries == other.libraries &&
           types == other.types;
  }
};

struct ProgramImage {
  uint32_t buildStamp = 0;
  uint32_t startOffset = 0;  // image offset of the start routine
  std::vector<ImportedFunction> imports;
  std::vector<SupportLibrary> libraries;
  std::vector<Segment> segments;  // chain order
  FormLayout form;
  RelocGroups reloc;

  const Segment* FindSegment(const std::string& name) const {
    for (const Segment& segment : segments) {
      if (segment.name == name) return &segment;
    }
    return nullptr;
  }
};

}  // namespace orv::image
