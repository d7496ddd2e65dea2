#include <gtest/gtest.h>

#include <functional>

#include "ProgramImageReader.h"
#include "ProgramImageWriter.h"
#include "SampleImage.h"

namespace orv::image {
namespace {

using testing::PutU32At;
using testing::SampleModel;
using testing::U32At;

// Segment header fields, relative to the header.
constexpr size_t kNextField = 0x04;
constexpr size_t kStoredField = 0x28;
constexpr size_t kDataOffsetField = 0x2C;
constexpr size_t kFixupsField = 0x38;

std::vector<uint8_t> WriteOrDie(const ImageBuildModel& model) {
  ImageWriteResult written = WriteProgramImage(model);
  EXPECT_TRUE(written.ok) << written.error;
  return written.bytes;
}

ImageReadResult Read(const std::vector<uint8_t>& bytes) {
  return ReadProgramImage(bytes.data(), bytes.size());
}

const Segment& SegmentOf(const ProgramImage& image, const char* name) {
  const Segment* segment = image.FindSegment(name);
  EXPECT_NE(segment, nullptr) << name;
  static const Segment kMissing;
  return segment ? *segment : kMissing;
}

TEST(ProgramImage, WriterOutputReadsBackAsTheModel) {
  const ImageBuildModel model = SampleModel();
  const std::vector<uint8_t> bytes = WriteOrDie(model);
  const ImageReadResult read = Read(bytes);
  ASSERT_TRUE(read.ok) << read.error;
  const ProgramImage& image = read.image;

  EXPECT_EQ(image.buildStamp, kDefaultBuildStamp);
  EXPECT_EQ(image.imports, model.imports);
  EXPECT_EQ(image.libraries, model.libraries);
  EXPECT_EQ(image.form, model.form);
  EXPECT_EQ(image.form.units[1].name, testing::kButtonGbk);
  EXPECT_EQ(image.reloc, model.reloc);

  std::vector<std::string> names;
  for (const Segment& segment : image.segments) names.push_back(segment.name);
  EXPECT_EQ(names, (std::vector<std::string>{"const", "form", "help", "code", "var", "@reloc1"}));

  const Segment& code = SegmentOf(image, "code");
  EXPECT_EQ(code.type, static_cast<uint32_t>(kSegmentCode));
  EXPECT_EQ(code.data, model.code.data);
  EXPECT_EQ(code.fixups, model.code.fixups);
  EXPECT_EQ(image.startOffset, code.dataOffset + model.startOffset);

  const Segment& constant = SegmentOf(image, "const");
  ASSERT_GE(constant.data.size(), model.constSegment.data.size());
  EXPECT_TRUE(std::equal(model.constSegment.data.begin(), model.constSegment.data.end(),
                         constant.data.begin()));
  EXPECT_EQ(constant.fixups, model.constSegment.fixups);

  const Segment& help = SegmentOf(image, "help");
  EXPECT_EQ(help.data, std::vector<uint8_t>(52, 0));

  const Segment& var = SegmentOf(image, "var");
  EXPECT_EQ(var.type, static_cast<uint32_t>(kSegmentUninitialised));
  EXPECT_EQ(var.memorySize, model.varSize);
  EXPECT_EQ(var.storedSize, 0u);
  EXPECT_EQ(var.dataOffset, kNoOffset);

  // The header names the first segment, and the support-library list ends there.
  EXPECT_EQ(U32At(bytes, kHeaderFirstSegment), constant.headerOffset);
  EXPECT_EQ(U32At(bytes, kHeaderLibraryListEnd), constant.headerOffset);
}

TEST(ProgramImage, FixupEntriesAreStoredAsOffsetTimesEightPlusKind) {
  const std::vector<uint8_t> bytes = WriteOrDie(SampleModel());
  const ImageReadResult read = Read(bytes);
  ASSERT_TRUE(read.ok) << read.error;
  const Segment& code = SegmentOf(read.image, "code");
  // The sample's first code fixup is a const fixup at offset 6.
  EXPECT_EQ(U32At(bytes, code.headerOffset + kFixupsField), 0x31u);
  EXPECT_EQ(U32At(bytes, code.headerOffset), kSegmentHeaderFixedSize + 4 * 4);
}

TEST(ProgramImage, LibraryOffsetZeroMeansNoLibrary) {
  ImageBuildModel model = SampleModel();
  // Even with const data that starts with text, offset 0 names no library.
  model.constSegment.data.insert(model.constSegment.data.begin(), {'x', 0});
  for (Fixup& fixup : model.constSegment.fixups) fixup.offset += 2;
  PutU32At(model.code.data, 6, 10);
  const std::vector<uint8_t> bytes = WriteOrDie(model);
  const ImageReadResult read = Read(bytes);
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.image.imports.size(), model.imports.size());
  EXPECT_EQ(U32At(bytes, kHeaderImportTable + 4), 0u);  // entry 1 of the library array
  EXPECT_FALSE(read.image.imports[1].library.has_value());
  EXPECT_EQ(read.image.imports[1].function, "SendMessageA");
  // Two declarations of one function share its stored name.
  const size_t functions = kHeaderImportTable + 4 * model.imports.size();
  EXPECT_EQ(U32At(bytes, functions + 4), U32At(bytes, functions + 8));
}

TEST(ProgramImage, LibraryOffsetZeroStaysClearWithEmptyConstData) {
  ImageBuildModel model = SampleModel();
  model.constSegment = {};
  PutU32At(model.code.data, 6, 0);
  const ImageReadResult read = Read(WriteOrDie(model));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.image.imports, model.imports);
}

TEST(ProgramImage, RelocStatedSizeStopsOneEntryShort) {
  const ImageBuildModel model = SampleModel();
  const std::vector<uint8_t> bytes = WriteOrDie(model);
  const ImageReadResult read = Read(bytes);
  ASSERT_TRUE(read.ok) << read.error;
  const Segment& reloc = SegmentOf(read.image, "@reloc1");
  const size_t groupsSize = 4 * (4 + 1 + 2 + 0 + 2);
  EXPECT_EQ(reloc.storedSize, groupsSize - 4);
  EXPECT_EQ(reloc.dataOffset + groupsSize, bytes.size());
  // The entry after the stated end is the last type place.
  EXPECT_EQ(U32At(bytes, reloc.dataOffset + reloc.storedSize), model.reloc.types.back());
  EXPECT_EQ(read.image.reloc.types, model.reloc.types);
}

TEST(ProgramImage, RelocWithEmptyLastGroupStatesItsFullSize) {
  ImageBuildModel model = SampleModel();
  model.reloc.types.clear();
  const std::vector<uint8_t> bytes = WriteOrDie(model);
  const ImageReadResult read = Read(bytes);
  ASSERT_TRUE(read.ok) << read.error;
  const Segment& reloc = SegmentOf(read.image, "@reloc1");
  EXPECT_EQ(reloc.dataOffset + reloc.storedSize, bytes.size());
  EXPECT_EQ(read.image.reloc, model.reloc);
}

// Byte-level damage to a valid image; each must be refused with one line
// that names the problem.
struct Damage {
  const char* what;
  std::function<void(std::vector<uint8_t>&, const ProgramImage&)> apply;
  const char* expected;
};

TEST(ProgramImage, DamagedImagesAreRefused) {
  const std::vector<uint8_t> valid = WriteOrDie(SampleModel());
  const ImageReadResult parsed = Read(valid);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  auto header = [&](const char* name) { return SegmentOf(parsed.image, name).headerOffset; };
  auto data = [&](const char* name) { return SegmentOf(parsed.image, name).dataOffset; };

  const Damage cases[] = {
      {"signature", [](auto& b, auto&) { b[2] = 'X'; }, "signature"},
      {"reloc one byte short",
       [&](auto& b, auto&) {
         PutU32At(b, header("@reloc1") + kStoredField,
                  U32At(b, header("@reloc1") + kStoredField) - 1);
       },
       "@reloc1 groups do not fit"},
      {"reloc one byte long",
       [&](auto& b, auto&) {
         const size_t at = header("@reloc1");
         PutU32At(b, at + kStoredField, U32At(b, at + kStoredField) + 1);
         PutU32At(b, at + 0x24, U32At(b, at + kStoredField));
       },
       "@reloc1 groups end at byte"},
      {"reloc last entry past the file end", [](auto& b, auto&) { b.resize(b.size() - 4); },
       "past the end of the file"},
      {"reloc group count too large",
       [&](auto& b, auto&) { PutU32At(b, data("@reloc1"), 0x40000000); }, "@reloc1 groups"},
      {"reloc place outside code", [&](auto& b, auto&) { PutU32At(b, data("@reloc1") + 4, 0x5D); },
       "outside the code data"},
      {"chain loops to itself",
       [&](auto& b, auto&) { PutU32At(b, header("const") + kNextField, header("const")); },
       "loops back"},
      {"chain loops to the start",
       [&](auto& b, auto&) { PutU32At(b, header("@reloc1") + kNextField, header("const")); },
       "loops back"},
      {"overlapping segment data",
       [&](auto& b, auto&) { PutU32At(b, header("help") + kDataOffsetField, data("form") + 8); },
       "overlaps"},
      {"segment data over a header",
       [&](auto& b, auto&) { PutU32At(b, header("help") + kDataOffsetField, header("code")); },
       "overlaps"},
      {"segment header inside the import table",
       [&](auto& b, auto&) { PutU32At(b, kHeaderFirstSegment, kHeaderImportTable); }, "overlaps"},
      {"data past the file end",
       [&](auto& b, auto&) { PutU32At(b, header("code") + kDataOffsetField, 0xFFFFFF00); },
       "past the end of the file"},
      {"fixup count not matching the header size",
       [&](auto& b, auto&) { PutU32At(b, header("code") + 0x30, 5); }, "does not match"},
      {"fixup outside its segment",
       [&](auto& b, auto&) { PutU32At(b, header("code") + kFixupsField, (96 - 3) * 8 + 1); },
       "lies outside the segment"},
      {"fixup of unknown kind",
       [&](auto& b, auto&) { PutU32At(b, header("code") + kFixupsField, 6 * 8 + 4); },
       "unknown kind"},
      {"header field naming the wrong segment",
       [&](auto& b, auto&) { PutU32At(b, kHeaderCodeSegment, header("form")); },
       "not the code segment header"},
      {"start outside code", [&](auto& b, auto&) { PutU32At(b, kHeaderStart, data("code") + 96); },
       "start routine"},
      {"import count too large",
       [](auto& b, auto&) { PutU32At(b, kHeaderImportCount, 0x10000000); }, "import count"},
      {"function name offset outside const",
       [](auto& b, auto&) { PutU32At(b, kHeaderImportTable + 4 * 4, 0x7FFFFFFF); },
       "imported function 0: name"},
      {"library name offset outside const",
       [](auto& b, auto&) { PutU32At(b, kHeaderImportTable, 0x10000); },
       "imported function 0: library name"},
      {"support-library list end inside a record",
       [&](auto& b, auto&) { PutU32At(b, kHeaderLibraryListEnd, header("const") - 3); },
       "support library 1"},
      {"form unit count too large",
       [&](auto& b, auto&) { PutU32At(b, data("form") + 0x1C, 0x20000000); }, "form unit count"},
      {"form record offset outside the form",
       [&](auto& b, auto&) { PutU32At(b, data("form") + 0x24 + 3 * 4 + 4, 0x100000); },
       "form unit 1: record offset"},
      {"form records overlap",
       [&](auto& b, auto&) {
         const size_t offsets = data("form") + 0x24 + 3 * 4;
         PutU32At(b, offsets + 8, U32At(b, offsets + 4) + 4);
       },
       "form unit 2"},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = valid;
    c.apply(bytes, parsed.image);
    const ImageReadResult read = Read(bytes);
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find(c.expected), std::string::npos) << read.error;
    EXPECT_EQ(read.error.find('\n'), std::string::npos);
    EXPECT_TRUE(read.image.segments.empty());
  }
}

TEST(ProgramImage, EveryTruncationIsRefused) {
  const std::vector<uint8_t> valid = WriteOrDie(SampleModel());
  for (size_t size = 0; size < valid.size(); ++size) {
    const ImageReadResult read = ReadProgramImage(valid.data(), size);
    ASSERT_FALSE(read.ok) << "accepted a prefix of " << size << " bytes";
    ASSERT_FALSE(read.error.empty());
  }
}

// Models whose parts do not fit together: the writer refuses them with the
// reader's reason.
struct BadModel {
  const char* what;
  std::function<void(ImageBuildModel&)> apply;
  const char* expected;
};

TEST(ProgramImage, InconsistentModelsAreRefusedByTheWriter) {
  const BadModel cases[] = {
      {"event handler outside code", [](auto& m) { m.form.units[1].events[0].codeOffset = 96; },
       "handler of event"},
      {"reloc place outside code", [](auto& m) { m.reloc.ids = {93}; }, "outside the code data"},
      {"start outside code", [](auto& m) { m.startOffset = 96; }, "start routine"},
      {"fixup past the data",
       [](auto& m) {
         m.code.fixups.push_back({FixupKind::Code, 93});
       },
       "outside the segment"},
      {"fixups overlapping",
       [](auto& m) {
         m.code.fixups.push_back({FixupKind::Code, 8});
       },
       "overlap"},
      {"fixup value beyond its target", [](auto& m) { PutU32At(m.code.data, 12, 93); },
       "beyond the var segment"},
      {"unknown parent", [](auto& m) { m.form.units[2].parentId = 0x1234; }, "parent"},
      {"unknown child", [](auto& m) { m.form.units[0].children.push_back(0x99); }, "child"},
      // The window builder makes parents first: a loop would recurse without end.
      {"unit is its own parent", [](auto& m) { m.form.units[2].parentId = m.form.units[2].id; },
       "form unit 2: unit 0x6011C72 is its own parent"},
      {"two units each other's parent",
       [](auto& m) {
         m.form.units[1].parentId = m.form.units[2].id;
         m.form.units[2].parentId = m.form.units[1].id;
       },
       "form unit 1: its chain of parents loops back to unit 0x6011C71"},
      {"chain through the window back to a control",
       [](auto& m) { m.form.units[0].parentId = m.form.units[2].id; },
       "form unit 0: its chain of parents loops back to unit 0x6011C70"},
      {"duplicate unit id", [](auto& m) { m.form.units[2].id = m.form.units[1].id; }, "used twice"},
      {"no units", [](auto& m) { m.form.units.clear(); }, "no units"},
      {"NUL inside a function name",
       [](auto& m) { m.imports[0].function = std::string("a\0b", 3); }, "imported function 0"},
      {"empty library name", [](auto& m) { m.imports[0].library = ""; }, "imported function 0"},
      {"CR inside a library field", [](auto& m) { m.libraries[0].description = "a\rb"; },
       "CR or NUL"},
      {"short library id", [](auto& m) { m.libraries[1].id = "abc"; }, "hexadecimal"},
  };
  for (const BadModel& c : cases) {
    SCOPED_TRACE(c.what);
    ImageBuildModel model = SampleModel();
    c.apply(model);
    const ImageWriteResult written = WriteProgramImage(model);
    EXPECT_FALSE(written.ok);
    EXPECT_TRUE(written.bytes.empty());
    EXPECT_NE(written.error.find(c.expected), std::string::npos) << written.error;
  }
}

}  // namespace
}  // namespace orv::image
