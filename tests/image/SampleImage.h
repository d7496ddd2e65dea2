// A small but complete image model shared by the image tests, the dump-tool
// test and the fuzzing corpus generator. Every kind of fixup, an import
// without a library, GBK unit names and all four reloc groups are present.
#pragma once

#include "ProgramImageWriter.h"

namespace orv::image::testing {

// GBK bytes, spelled out so they do not depend on the compiler's charset.
inline const std::string kMainWindowGbk = "\xD6\xF7\xB4\xB0\xBF\xDA";  // 主窗口
inline const std::string kButtonGbk =
    "\xB0\xB4\xC5\xA5"
    "1";  // 按钮1
inline const std::string kLabelGbk =
    "\xB1\xEA\xC7\xA9"
    "1";  // 标签1

inline void PutU32At(std::vector<uint8_t>& bytes, size_t position, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[position + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t U32At(const std::vector<uint8_t>& bytes, size_t position) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[position + i]) << (8 * i);
  return value;
}

inline ImageBuildModel SampleModel() {
  ImageBuildModel model;
  model.startOffset = 0x10;

  // A method table of one entry (a code address) followed by a text.
  model.constSegment.data.assign(16, 0);
  PutU32At(model.constSegment.data, 0, 0x20);
  const std::string hello = "hello";
  std::copy(hello.begin(), hello.end(), model.constSegment.data.begin() + 8);
  model.constSegment.fixups = {{FixupKind::Code, 0}};

  model.code.data.assign(96, 0x90);
  PutU32At(model.code.data, 6, 8);      // const "hello"
  PutU32At(model.code.data, 12, 4);     // a global variable
  PutU32At(model.code.data, 20, 0x0C);  // service slot
  PutU32At(model.code.data, 28, 0x40);  // a routine
  model.code.fixups = {
      {FixupKind::Const, 6}, {FixupKind::Var, 12}, {FixupKind::Service, 20}, {FixupKind::Code, 28}};
  model.varSize = 92;

  model.imports = {{std::string("GdiPlus.dll"), "GdipCreateFromHDC"},
                   {std::nullopt, "SendMessageA"},
                   {std::string("user32"), "SendMessageA"},
                   {std::string("COMCTL32.DLL"), "ImageList_Destroy"}};
  model.libraries = {{"core", "d09f2340818511d396f6aaf844c7e325", "5", "0", "system core"},
                     {"uiext", "a512548e76954b6e92c21055517615b0", "2", "0", "extended interface"}};

  FormUnit window;
  window.id = 0x06011C70;
  window.type = kUnitWindow;
  window.name = kMainWindowGbk;
  window.remark = "main";
  window.width = 640;
  window.height = 480;
  window.children = {0x06011C71, 0x06011C72};
  window.events = {{-1, 0x40}, {3, 0x48}};
  window.properties = {4, 0, 0, 0, 'W', 'A', 'V', 'E'};

  FormUnit button;
  button.id = 0x06011C71;
  button.type = kUnitButton;
  button.name = kButtonGbk;
  button.left = -5;
  button.top = 10;
  button.width = 80;
  button.height = 24;
  button.parentId = window.id;
  button.cursor = {0x89, 0x7F, 0, 0};
  button.tag = "t";
  button.events = {{0, 0x50}};

  FormUnit label;
  label.id = 0x06011C72;
  label.type = kUnitTransparentLabel;
  label.name = kLabelGbk;
  label.parentId = window.id;
  label.visible = false;
  label.otherFlags = 0x10;

  model.form.windowId = 0x52011C71;
  model.form.extra = {0x00BEEB90, 0x00C72328, 0x19011C72};
  model.form.units = {window, button, label};

  model.reloc.ids = {32};
  model.reloc.imports = {36, 44};
  model.reloc.libraries = {};
  model.reloc.types = {48, 52};
  return model;
}

}  // namespace orv::image::testing
