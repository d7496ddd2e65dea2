// Builds one JSON text; commas and nesting are tracked here so that callers
// only state structure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv::tools {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(std::string_view key);
  void String(std::string_view utf8);
  void Number(int64_t value);
  void Bool(bool value);
  void Null();

  const std::string& Text() const { return text_; }

 private:
  void BeforeValue();
  void Escaped(std::string_view utf8);

  std::string text_;
  std::vector<bool> hasItems_;  // per open container
  bool afterKey_ = false;
};

}  // namespace orv::tools
