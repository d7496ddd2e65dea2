// Runs the built image tools (orvane-image, orv-mkimage) and checks what they
// write and print.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "PeTestFile.h"
#include "ProgramImageReader.h"
#include "ProgramImageWriter.h"
#include "SampleImage.h"

namespace orv::image {
namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class DumpTool : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = std::string(ORV_TEST_TEMP_DIR) + "/dump-" + info->name();
  }

  std::string WriteFile(const std::string& suffix, const std::vector<uint8_t>& bytes) {
    const std::string path = base_ + suffix;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // `shell` runs first in the same shell, to set limits for the tool.
  ToolRun Run(const std::string& arguments, const char* tool = ORV_IMAGE_TOOL,
              const std::string& shell = "") {
    const std::string errPath = base_ + ".stderr";
    const std::string command =
        shell + "'" + tool + "' " + arguments + " 2>'" + errPath + "'";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream errFile(errPath);
    run.err.assign(std::istreambuf_iterator<char>(errFile), std::istreambuf_iterator<char>());
    return run;
  }

  std::string base_;
};

std::vector<uint8_t> SampleBytes() {
  const ImageWriteResult written = WriteProgramImage(testing::SampleModel());
  EXPECT_TRUE(written.ok) << written.error;
  return written.bytes;
}

void ExpectSampleJson(const std::string& json) {
  const ImageBuildModel model = testing::SampleModel();
  ASSERT_FALSE(json.empty());
  EXPECT_EQ(json.front(), '{');
  EXPECT_EQ(json.substr(json.size() - 2), "}\n");
  EXPECT_EQ(std::count(json.begin(), json.end(), '\n'), 1);
  const std::string expected[] = {
      "\"signature\":\"OV\"",
      "\"build_stamp\":" + std::to_string(model.buildStamp),
      "\"imports\":[{\"library\":\"GdiPlus.dll\",\"function\":\"GdipCreateFromHDC\"},"
      "{\"library\":null,\"function\":\"SendMessageA\"}",
      "{\"name\":\"core\",\"id\":\"" + model.libraries[0].id +
          "\",\"major\":\"5\",\"minor\":\"0\",\"description\":\"system core\"}",
      "{\"name\":\"var\",\"type\":19,\"size\":92,\"stored\":0,\"offset\":null,\"fixups\":[]}",
      "\"fixups\":[{\"kind\":1,\"offset\":6},{\"kind\":2,\"offset\":12}",
      "\"reloc\":{\"ids\":[32],\"imports\":[36,44],\"libraries\":[],\"types\":[48,52]}",
      "\"form\":{\"window\":" + std::to_string(model.form.windowId),
      // Unit names leave the tool as UTF-8.
      "\"name\":\"" + std::string(u8"按钮1") + "\",\"remark\":\"\",\"left\":-5,\"top\":10",
      "\"name\":\"" + std::string(u8"主窗口") + "\"",
      "\"parent\":" + std::to_string(model.form.units[0].id) + ",\"children\":[],\"visible\":false",
      "\"events\":[{\"event\":-1,\"code\":64},{\"event\":3,\"code\":72}]",
  };
  for (const std::string& piece : expected) {
    EXPECT_NE(json.find(piece), std::string::npos) << "missing: " << piece;
  }
}

TEST_F(DumpTool, PrintsTheImageAsOneJsonObject) {
  const ToolRun run = Run("dump '" + WriteFile(".img", SampleBytes()) + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  ExpectSampleJson(run.out);
}

TEST_F(DumpTool, ReadsTheImageSectionOfAnExecutable) {
  const std::vector<uint8_t> pe =
      testing::MakePeFile({{".text", std::vector<uint8_t>(64, 0xC3)}, {".orvimg", SampleBytes()}});
  const ToolRun run = Run("dump '" + WriteFile(".exe", pe) + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectSampleJson(run.out);
}

TEST_F(DumpTool, TextsAreEscapedAndBadGbkBecomesReplacementCharacters) {
  ImageBuildModel model = testing::SampleModel();
  model.form.units[2].remark = "q\"b\\s\x01\n\xB0";  // lead byte without trail byte at the end
  model.form.units[1].remark =
      "\xFF"
      "A";
  const ImageWriteResult written = WriteProgramImage(model);
  ASSERT_TRUE(written.ok) << written.error;
  const ToolRun run = Run("dump '" + WriteFile(".img", written.bytes) + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\"remark\":\"q\\\"b\\\\s\\u0001\\n\xEF\xBF\xBD\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"remark\":\"\xEF\xBF\xBD"
                         "A\""),
            std::string::npos)
      << run.out;
}

TEST_F(DumpTool, MalformedFilesGiveOneErrorLineAndFailure) {
  std::vector<uint8_t> truncated = SampleBytes();
  truncated.resize(truncated.size() - 1);
  const std::vector<uint8_t> noSection = testing::MakePeFile({{".text", {1, 2, 3}}});
  const struct {
    std::string arguments;
    const char* expected;
    int exitCode;
  } cases[] = {
      {"dump '" + WriteFile(".short", truncated) + "'", "@reloc1", 1},
      {"dump '" + WriteFile(".exe", noSection) + "'", "no section named .orvimg", 1},
      {"dump '" + base_ + ".missing'", "cannot open", 1},
      {"dump", "usage", 2},
      {"frobnicate x", "usage", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
    if (c.exitCode == 1) {
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    }
  }
}

// orv-mkimage writes the whole image or says it could not: a write that fails
// (a file-size limit stands in for a full disk) or a folder that does not
// exist ends with one line on stderr and exit code 1, and no cut-off image
// is left behind.
TEST_F(DumpTool, MakeImageReportsAFailedWriteAndLeavesNoPartOfTheImage) {
  const std::string arguments = std::string("'") + ORV_RESOURCES_DIR + "' '" +
                                WriteFile(".trimmer", std::vector<uint8_t>(1024, 0x90)) + "' ";
  const struct {
    const char* what;
    std::string shell;
    std::string target;
  } cases[] = {
      {"write cut short", "trap '' XFSZ; ulimit -f 64; ", base_ + ".image"},
      {"folder missing", "", base_ + ".missing/orvane.orvimage"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(c.target.c_str());
    const ToolRun run = Run(arguments + "'" + c.target + "'", ORV_MKIMAGE_TOOL, c.shell);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("orv-mkimage: cannot write " + c.target + ": "), std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(std::ifstream(c.target).good()) << "a part of the image is left";
  }
  // Without the limit the same run writes an image that reads back whole.
  const std::string target = base_ + ".image";
  const ToolRun run = Run(arguments + "'" + target + "'", ORV_MKIMAGE_TOOL);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::ifstream in(target, std::ios::binary);
  const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_GT(image.size(), 64u * 512u) << "larger than the limit above";
  const ImageReadResult read = ReadProgramImage(image.data(), image.size());
  EXPECT_TRUE(read.ok) << read.error;
}

TEST_F(DumpTool, HelpGoesToStandardOutput) {
  const ToolRun run = Run("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("orvane-image dump FILE"), std::string::npos);
}

}  // namespace
}  // namespace orv::image
