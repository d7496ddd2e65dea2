#include "FormLayout.h"

#include <algorithm>
#include <map>
#include <utility>

#include "ByteCursor.h"
#include "HexText.h"

namespace orv::image {

namespace {

constexpr uint32_t kFormMagic = 8;
constexpr size_t kFormHeaderSize = 0x24;
constexpr size_t kReservedRun = 20;
constexpr uint32_t kVisibleFlag = 1;

std::string UnitLabel(size_t index) { return "form unit " + std::to_string(index); }

// Everything of a unit record after its size field; the id comes from the
// unit table, not from the record.
bool ParseUnitRecord(ByteCursor& cursor, FormUnit& unit) {
  uint32_t zero = 0;
  uint32_t flags = 0;
  cursor.ReadU32(unit.type);
  cursor.Skip(kReservedRun);
  cursor.ReadText(unit.name);
  cursor.ReadText(unit.remark);
  cursor.ReadU32(zero);
  cursor.ReadI32(unit.left);
  cursor.ReadI32(unit.top);
  cursor.ReadI32(unit.width);
  cursor.ReadI32(unit.height);
  cursor.ReadU32(zero);
  cursor.ReadU32(unit.parentId);
  cursor.ReadU32Array(unit.children);
  uint32_t cursorSize = 0;
  cursor.ReadU32(cursorSize);
  cursor.ReadBytes(cursorSize, unit.cursor);
  cursor.ReadText(unit.tag);
  cursor.ReadU32(zero);
  cursor.ReadU32(flags);
  cursor.ReadU32(zero);
  uint32_t eventCount = 0;
  cursor.ReadU32(eventCount);
  if (cursor.Failed() || eventCount > cursor.Remaining() / 8) return false;
  unit.events.resize(eventCount);
  for (UnitEvent& event : unit.events) {
    cursor.ReadI32(event.event);
    cursor.ReadU32(event.codeOffset);
  }
  cursor.Skip(kReservedRun);
  cursor.ReadBytes(cursor.Remaining(), unit.properties);
  unit.visible = (flags & kVisibleFlag) != 0;
  unit.otherFlags = flags & ~kVisibleFlag;
  return !cursor.Failed();
}

// The window builder makes a unit's parent before the unit, so a chain of
// parents that comes back to a unit it passed would never end.
bool CheckParentChains(const FormLayout& layout, const std::map<uint32_t, size_t>& indexOf,
                       std::string& error) {
  enum : uint8_t { kUnseen, kOnWalk, kEndsWell };
  std::vector<uint8_t> state(layout.units.size(), kUnseen);
  std::vector<size_t> walk;
  for (size_t i = 0; i < layout.units.size(); ++i) {
    walk.clear();
    size_t at = i;
    while (state[at] == kUnseen) {
      state[at] = kOnWalk;
      walk.push_back(at);
      const uint32_t parent = layout.units[at].parentId;
      if (parent == 0) break;
      at = indexOf.at(parent);
    }
    if (state[at] == kOnWalk && layout.units[at].parentId != 0) {
      const FormUnit& closing = layout.units[at];
      error = closing.parentId == closing.id
                  ? UnitLabel(at) + ": unit " + HexText(closing.id) + " is its own parent"
                  : UnitLabel(i) + ": its chain of parents loops back to unit " + HexText(closing.id);
      return false;
    }
    for (size_t visited : walk) state[visited] = kEndsWell;
  }
  return true;
}

bool CheckReferences(const FormLayout& layout, std::string& error) {
  std::map<uint32_t, size_t> indexOf;
  for (size_t i = 0; i < layout.units.size(); ++i) {
    if (!indexOf.emplace(layout.units[i].id, i).second) {
      error = UnitLabel(i) + ": identifier " + HexText(layout.units[i].id) + " is used twice";
      return false;
    }
  }
  for (size_t i = 0; i < layout.units.size(); ++i) {
    const FormUnit& unit = layout.units[i];
    if (unit.parentId != 0 && indexOf.count(unit.parentId) == 0) {
      error = UnitLabel(i) + ": parent " + HexText(unit.parentId) + " is not a unit";
      return false;
    }
    for (uint32_t child : unit.children) {
      if (indexOf.count(child) == 0) {
        error = UnitLabel(i) + ": child " + HexText(child) + " is not a unit";
        return false;
      }
    }
  }
  return CheckParentChains(layout, indexOf, error);
}

}  // namespace

bool ParseFormLayout(const uint8_t* data, size_t size, FormLayout& layout, std::string& error) {
  ByteCursor cursor(data, size);
  uint32_t magic = 0;
  uint32_t zero = 0;
  uint32_t unitCount = 0;
  uint32_t restSize = 0;
  cursor.ReadU32(magic);
  cursor.ReadU32(layout.windowId);
  for (uint32_t& value : layout.extra) cursor.ReadU32(value);
  cursor.ReadU32(zero);
  cursor.ReadU32(zero);
  cursor.ReadU32(unitCount);
  cursor.ReadU32(restSize);
  if (cursor.Failed()) {
    error = "form segment is shorter than its 36-byte header";
    return false;
  }
  if (magic != kFormMagic) {
    error = "form segment starts with " + std::to_string(magic) + ", expected 8";
    return false;
  }
  if (restSize != size - kFormHeaderSize) {
    error = "form segment states " + std::to_string(restSize) + " bytes after its header but has " +
            std::to_string(size - kFormHeaderSize);
    return false;
  }
  if (unitCount == 0) {
    error = "form segment has no units; the window's own unit is missing";
    return false;
  }
  if (unitCount > cursor.Remaining() / 8) {
    error = "form unit count " + std::to_string(unitCount) + " does not fit in the segment";
    return false;
  }
  layout.units.assign(unitCount, FormUnit{});
  std::vector<uint32_t> recordOffsets(unitCount);
  for (FormUnit& unit : layout.units) cursor.ReadU32(unit.id);
  for (uint32_t& offset : recordOffsets) cursor.ReadU32(offset);
  const size_t recordBase = cursor.Position();

  std::vector<std::pair<size_t, size_t>> extents;  // [start, end) of each record
  extents.reserve(unitCount);
  for (size_t i = 0; i < unitCount; ++i) {
    const size_t start = recordBase + recordOffsets[i];
    ByteCursor sizeCursor(data, size);
    uint32_t recordSize = 0;
    if (recordOffsets[i] > size - recordBase || !sizeCursor.Seek(start) ||
        !sizeCursor.ReadU32(recordSize)) {
      error = UnitLabel(i) + ": record offset " + std::to_string(recordOffsets[i]) +
              " lies outside the form segment";
      return false;
    }
    if (recordSize > sizeCursor.Remaining()) {
      error = UnitLabel(i) + ": record of " + std::to_string(recordSize) +
              " bytes runs past the end of the form segment";
      return false;
    }
    const size_t bodyStart = start + 4;
    ByteCursor record(data + bodyStart, recordSize);
    if (!ParseUnitRecord(record, layout.units[i])) {
      error = UnitLabel(i) + ": record is truncated or a count in it does not fit";
      return false;
    }
    extents.emplace_back(start, bodyStart + recordSize);
  }
  std::sort(extents.begin(), extents.end());
  for (size_t i = 1; i < extents.size(); ++i) {
    if (extents[i].first < extents[i - 1].second) {
      error = "form unit records overlap at form offset " + std::to_string(extents[i].first);
      return false;
    }
  }
  return CheckReferences(layout, error);
}

std::vector<uint8_t> SerialiseFormLayout(const FormLayout& layout) {
  std::vector<std::vector<uint8_t>> records;
  records.reserve(layout.units.size());
  for (const FormUnit& unit : layout.units) {
    ByteSink body;
    body.PutU32(unit.type);
    body.PutZeros(kReservedRun);
    body.PutText(unit.name);
    body.PutText(unit.remark);
    body.PutU32(0);
    body.PutI32(unit.left);
    body.PutI32(unit.top);
    body.PutI32(unit.width);
    body.PutI32(unit.height);
    body.PutU32(0);
    body.PutU32(unit.parentId);
    body.PutU32Array(unit.children);
    body.PutU32(static_cast<uint32_t>(unit.cursor.size()));
    body.PutBytes(unit.cursor);
    body.PutText(unit.tag);
    body.PutU32(0);
    body.PutU32((unit.otherFlags & ~kVisibleFlag) | (unit.visible ? kVisibleFlag : 0));
    body.PutU32(0);
    body.PutU32(static_cast<uint32_t>(unit.events.size()));
    for (const UnitEvent& event : unit.events) {
      body.PutI32(event.event);
      body.PutU32(event.codeOffset);
    }
    body.PutZeros(kReservedRun);
    body.PutBytes(unit.properties);
    ByteSink record;
    record.PutU32(static_cast<uint32_t>(body.Size()));
    record.PutBytes(body.Bytes());
    records.push_back(std::move(record.Bytes()));
  }

  ByteSink out;
  out.PutU32(kFormMagic);
  out.PutU32(layout.windowId);
  for (uint32_t value : layout.extra) out.PutU32(value);
  out.PutU32(0);
  out.PutU32(0);
  out.PutU32(static_cast<uint32_t>(layout.units.size()));
  const size_t restSizeAt = out.Size();
  out.PutU32(0);
  for (const FormUnit& unit : layout.units) out.PutU32(unit.id);
  uint32_t recordOffset = 0;
  for (const std::vector<uint8_t>& record : records) {
    out.PutU32(recordOffset);
    recordOffset += static_cast<uint32_t>(record.size());
  }
  for (const std::vector<uint8_t>& record : records) out.PutBytes(record);
  out.PatchU32(restSizeAt, static_cast<uint32_t>(out.Size() - kFormHeaderSize));
  return std::move(out.Bytes());
}

}  // namespace orv::image
