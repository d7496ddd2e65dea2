#include "JsonWriter.h"

#include <cstdio>

namespace orv::tools {

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasItems_.empty()) {
    if (hasItems_.back()) text_ += ',';
    hasItems_.back() = true;
  }
}

void JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  hasItems_.push_back(false);
}

void JsonWriter::EndObject() {
  text_ += '}';
  hasItems_.pop_back();
}

void JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  hasItems_.push_back(false);
}

void JsonWriter::EndArray() {
  text_ += ']';
  hasItems_.pop_back();
}

void JsonWriter::Key(std::string_view key) {
  BeforeValue();
  Escaped(key);
  text_ += ':';
  afterKey_ = true;
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  Escaped(utf8);
}

void JsonWriter::Number(int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
}

void JsonWriter::Escaped(std::string_view utf8) {
  text_ += '"';
  for (char c : utf8) {
    switch (c) {
      case '"':
        text_ += "\\\"";
        break;
      case '\\':
        text_ += "\\\\";
        break;
      case '\n':
        text_ += "\\n";
        break;
      case '\r':
        text_ += "\\r";
        break;
      case '\t':
        text_ += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(c));
          text_ += escape;
        } else {
          text_ += c;
        }
    }
  }
  text_ += '"';
}

}  // namespace orv::tools
