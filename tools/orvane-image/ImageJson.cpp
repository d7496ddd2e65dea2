#include "ImageJson.h"

#include "GbkText.h"
#include "JsonWriter.h"

namespace orv::tools {

namespace {

using namespace orv::image;

void Text(JsonWriter& json, const char* key, const std::string& gbk) {
  json.Key(key);
  json.String(GbkToUtf8(gbk));
}

void Numbers(JsonWriter& json, const char* key, const std::vector<uint32_t>& values) {
  json.Key(key);
  json.BeginArray();
  for (uint32_t value : values) json.Number(value);
  json.EndArray();
}

void Imports(JsonWriter& json, const std::vector<ImportedFunction>& imports) {
  json.Key("imports");
  json.BeginArray();
  for (const ImportedFunction& entry : imports) {
    json.BeginObject();
    json.Key("library");
    if (entry.library) {
      json.String(GbkToUtf8(*entry.library));
    } else {
      json.Null();
    }
    Text(json, "function", entry.function);
    json.EndObject();
  }
  json.EndArray();
}

void Libraries(JsonWriter& json, const std::vector<SupportLibrary>& libraries) {
  json.Key("libraries");
  json.BeginArray();
  for (const SupportLibrary& library : libraries) {
    json.BeginObject();
    Text(json, "name", library.name);
    Text(json, "id", library.id);
    Text(json, "major", library.major);
    Text(json, "minor", library.minor);
    Text(json, "description", library.description);
    json.EndObject();
  }
  json.EndArray();
}

void Segments(JsonWriter& json, const std::vector<Segment>& segments) {
  json.Key("segments");
  json.BeginArray();
  for (const Segment& segment : segments) {
    json.BeginObject();
    Text(json, "name", segment.name);
    json.Key("type");
    json.Number(segment.type);
    json.Key("size");
    json.Number(segment.memorySize);
    json.Key("stored");
    json.Number(segment.storedSize);
    json.Key("offset");
    if (segment.dataOffset == kNoOffset) {
      json.Null();
    } else {
      json.Number(segment.dataOffset);
    }
    json.Key("fixups");
    json.BeginArray();
    for (const Fixup& fixup : segment.fixups) {
      json.BeginObject();
      json.Key("kind");
      json.Number(static_cast<int64_t>(fixup.kind));
      json.Key("offset");
      json.Number(fixup.offset);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
}

void Reloc(JsonWriter& json, const RelocGroups& reloc) {
  json.Key("reloc");
  json.BeginObject();
  Numbers(json, "ids", reloc.ids);
  Numbers(json, "imports", reloc.imports);
  Numbers(json, "libraries", reloc.libraries);
  Numbers(json, "types", reloc.types);
  json.EndObject();
}

void Unit(JsonWriter& json, const FormUnit& unit) {
  json.BeginObject();
  json.Key("id");
  json.Number(unit.id);
  json.Key("type");
  json.Number(unit.type);
  Text(json, "name", unit.name);
  Text(json, "remark", unit.remark);
  const std::pair<const char*, int32_t> box[] = {
      {"left", unit.left}, {"top", unit.top}, {"width", unit.width}, {"height", unit.height}};
  for (const auto& [key, value] : box) {
    json.Key(key);
    json.Number(value);
  }
  json.Key("parent");
  json.Number(unit.parentId);
  Numbers(json, "children", unit.children);
  json.Key("visible");
  json.Bool(unit.visible);
  json.Key("events");
  json.BeginArray();
  for (const UnitEvent& event : unit.events) {
    json.BeginObject();
    json.Key("event");
    json.Number(event.event);
    json.Key("code");
    json.Number(event.codeOffset);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

void Form(JsonWriter& json, const FormLayout& form) {
  json.Key("form");
  json.BeginObject();
  json.Key("window");
  json.Number(form.windowId);
  json.Key("units");
  json.BeginArray();
  for (const FormUnit& unit : form.units) Unit(json, unit);
  json.EndArray();
  json.EndObject();
}

}  // namespace

std::string ImageToJson(const ProgramImage& image) {
  JsonWriter json;
  json.BeginObject();
  json.Key("signature");
  json.String("OV");
  json.Key("build_stamp");
  json.Number(image.buildStamp);
  json.Key("start");
  json.Number(image.startOffset);
  Imports(json, image.imports);
  Libraries(json, image.libraries);
  Segments(json, image.segments);
  Reloc(json, image.reloc);
  Form(json, image.form);
  json.EndObject();
  return json.Text();
}

}  // namespace orv::tools
