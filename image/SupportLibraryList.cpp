#include "SupportLibraryList.h"

#include <cctype>

#include "ByteCursor.h"

namespace orv::image {

namespace {

constexpr char kFieldSeparator = '\r';
constexpr size_t kIdDigits = 32;

bool IsHexId(const std::string& id) {
  if (id.size() != kIdDigits) return false;
  for (char c : id) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::vector<std::string> SplitFields(const std::string& record) {
  std::vector<std::string> fields(1);
  for (char c : record) {
    if (c == kFieldSeparator) {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  return fields;
}

}  // namespace

bool ParseSupportLibraries(const uint8_t* data, size_t size, std::vector<SupportLibrary>& libraries,
                           std::string& error) {
  ByteCursor cursor(data, size);
  libraries.clear();
  while (!cursor.AtEnd()) {
    const std::string label = "support library " + std::to_string(libraries.size());
    std::string record;
    if (!cursor.ReadText(record)) {
      error = label + ": record is not NUL-terminated before the list's end";
      return false;
    }
    std::vector<std::string> fields = SplitFields(record);
    if (fields.size() != 5) {
      error = label + ": record has " + std::to_string(fields.size()) + " fields, expected 5";
      return false;
    }
    SupportLibrary library{fields[0], fields[1], fields[2], fields[3], fields[4]};
    if (library.name.empty()) {
      error = label + ": name is empty";
      return false;
    }
    if (!IsHexId(library.id)) {
      error = label + " (" + library.name + "): identifier is not 32 hexadecimal digits";
      return false;
    }
    libraries.push_back(std::move(library));
  }
  return true;
}

std::vector<uint8_t> SerialiseSupportLibraries(const std::vector<SupportLibrary>& libraries) {
  ByteSink sink;
  for (const SupportLibrary& library : libraries) {
    const std::string sep(1, kFieldSeparator);
    sink.PutText(library.name + sep + library.id + sep + library.major + sep + library.minor + sep +
                 library.description);
  }
  return std::move(sink.Bytes());
}

bool IsStorableSupportLibrary(const SupportLibrary& library, std::string& error) {
  for (const std::string* field :
       {&library.name, &library.id, &library.major, &library.minor, &library.description}) {
    if (field->find(kFieldSeparator) != std::string::npos ||
        field->find('\0') != std::string::npos) {
      error = "support library " + library.name + ": a field holds a CR or NUL byte";
      return false;
    }
  }
  if (library.name.empty() || !IsHexId(library.id)) {
    error = "support library " + library.name + ": needs a name and a 32-digit hexadecimal id";
    return false;
  }
  return true;
}

}  // namespace orv::image
