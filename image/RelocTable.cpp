#include "RelocTable.h"

#include <algorithm>

#include "ByteCursor.h"

namespace orv::image {

bool ParseRelocGroups(const uint8_t* data, size_t statedSize, size_t available, RelocGroups& groups,
                      std::string& error) {
  const size_t quirkEnd = statedSize + 4;
  const size_t limit = std::min(available, quirkEnd);
  ByteCursor cursor(data, limit);
  cursor.ReadU32Array(groups.ids);
  cursor.ReadU32Array(groups.imports);
  cursor.ReadU32Array(groups.libraries);
  cursor.ReadU32Array(groups.types);
  if (cursor.Failed()) {
    error = limit < quirkEnd
                ? "@reloc1 groups run past the end of the file"
                : "@reloc1 groups do not fit in the stated size plus the one entry after it";
    return false;
  }
  const size_t expectedEnd = groups.types.empty() ? statedSize : quirkEnd;
  if (cursor.Position() != expectedEnd) {
    error = "@reloc1 groups end at byte " + std::to_string(cursor.Position()) + ", expected " +
            std::to_string(expectedEnd) + " (stated size " + std::to_string(statedSize) +
            (groups.types.empty() ? ")" : " plus one entry)");
    return false;
  }
  return true;
}

EncodedReloc SerialiseRelocGroups(const RelocGroups& groups) {
  ByteSink sink;
  sink.PutU32Array(groups.ids);
  sink.PutU32Array(groups.imports);
  sink.PutU32Array(groups.libraries);
  sink.PutU32Array(groups.types);
  EncodedReloc encoded;
  encoded.statedSize = static_cast<uint32_t>(sink.Size() - (groups.types.empty() ? 0 : 4));
  encoded.bytes = std::move(sink.Bytes());
  return encoded;
}

}  // namespace orv::image
