#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "document/plugin.h"
#include "framework/core/appl.h"
#include "plugin_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

using Host = CQNPlugin;

constexpr uint32_t kWidth = 3;
constexpr uint32_t kHeight = 2;
// Row 0: red, antialiased green, blue; row 1: white, black, antialiased grey.
constexpr uint32_t kPixels[kHeight][kWidth] = {{0x00FF0000, 0xFF00FF00, 0x000000FF},
                                               {0x00FFFFFF, 0x00000000, 0xFF808080}};

class ImagePluginTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Install(kImage);
    ASSERT_EQ(FindPlugins(folder_.c_str(), ".qni"), 0);
  }

  QNImageParams Block(const std::string& path, uint32_t row) const {
    QNImageParams block{};
    std::snprintf(block.params.outputPath, sizeof block.params.outputPath, "%s", path.c_str());
    block.params.formatIndex = row;
    block.resolution = 72.0f;
    block.bitsPerPixel = 32;
    block.width = kWidth;
    block.height = kHeight;
    block.rowsPerBand = 1;
    return block;
  }

  // Begin, one band per row, end, as render to disk drives the plug-in; the first failing answer.
  static int32_t Write(QNImageParams& block, uint32_t row) {
    if (const int32_t err = Host::EnsureLoaded(QN_SELECTOR_BEGIN_IMAGE, &block, row)) return err;
    int32_t answer = 0;
    for (uint32_t y = 0; y < kHeight && answer == 0; ++y) {
      block.pixels = kPixels[y];
      answer = Host::EnsureLoaded(QN_SELECTOR_WRITE_BAND, &block, row);
      if (answer == 0) ++block.rowsDone;
    }
    const int32_t finished = Host::EnsureLoaded(QN_SELECTOR_END_IMAGE, &block, row);
    return answer ? answer : finished;
  }

  static std::vector<uint8_t> Channels(size_t channels, uint32_t rows) {
    std::vector<uint8_t> bytes;
    for (uint32_t y = 0; y < rows; ++y) {
      for (uint32_t p : kPixels[y]) {
        bytes.insert(bytes.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        if (channels == 4) bytes.push_back(uint8_t(p >> 24));
      }
    }
    return bytes;
  }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

const char kPamHeader[] = "P7\nWIDTH 3\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
const char kPpmHeader[] = "P6\n3 2\n255\n";

TEST_F(ImagePluginTest, TheSaveDialogListsTheFormatsAndItsFirstFilterWritesAPam) {
  ASSERT_EQ(Host::GetFormatCount(), 2u);
  const Host::SIOFormatItem* pam = Host::GetFormat(0);
  EXPECT_STREQ(pam->fDescription, "PAM File");
  EXPECT_STREQ(pam->fExtension, ".pam");
  EXPECT_EQ(pam->fFormatIndex, 1u);
  const Host::SIOFormatItem* ppm = Host::GetFormat(1);
  EXPECT_STREQ(ppm->fDescription, "PPM File");
  EXPECT_STREQ(ppm->fExtension, ".ppm");
  EXPECT_EQ(ppm->fFormatIndex, 0u);
  static const char kFilter[] = "PAM Files (*.pam)\0*.pam\0PPM Files (*.ppm)\0*.ppm\0\0";
  char filter[128];
  ASSERT_EQ(Host::BuildFilterText(filter, sizeof filter, false), 0);
  ASSERT_EQ(std::string(filter, sizeof kFilter - 1), std::string(kFilter, sizeof kFilter - 1));

  const std::string path = dir_ + "/out.pam";
  platform::headless::AnswerFileDialog(path, 1);
  CFileSpec spec;
  bool replacing = true;
  ASSERT_EQ(app->ChooseFileToSave(&spec, &replacing, filter, nullptr, nullptr), 0);
  ASSERT_EQ(platform::headless::AskedDialogs().size(), 1u);
  EXPECT_EQ(platform::headless::AskedDialogs()[0].request.filter, std::string(kFilter, sizeof kFilter - 2));
  EXPECT_FALSE(replacing);
  uint16_t row = 0xFFFF;
  std::memcpy(&row, spec.fHeader, sizeof row);
  EXPECT_EQ(row, 0u);

  QNImageParams block = Block(spec.GetPath(), row);
  ASSERT_EQ(Write(block, row), 0);
  const std::vector<SPluginCall> calls = Calls(kImage);
  ASSERT_GE(calls.size(), 4u);
  const SPluginCall& begin = calls[calls.size() - 4];
  EXPECT_EQ(begin.selector, "9");
  EXPECT_EQ(begin.format, 1u);
  EXPECT_EQ(begin.width, kWidth);
  EXPECT_EQ(begin.height, kHeight);
  EXPECT_EQ(begin.rows, 0u);
  EXPECT_EQ(begin.text, path);
  for (size_t i = calls.size() - 3; i < calls.size(); ++i) EXPECT_EQ(calls[i].format, 1u);
  EXPECT_EQ(calls.back().rows, kHeight);

  const std::vector<uint8_t> pixels = Channels(4, kHeight);
  EXPECT_EQ(ReadFile(path), kPamHeader + std::string(pixels.begin(), pixels.end()));
  EXPECT_NE(RunCommand("pamfile '" + path + "' 2>&1").out.find("3 by 2"), std::string::npos);
}

TEST_F(ImagePluginTest, ItsOtherFormatWritesAPpmWithoutTheTopByte) {
  const std::string path = dir_ + "/out.ppm";
  QNImageParams block = Block(path, 1);
  ASSERT_EQ(Write(block, 1), 0);
  const std::vector<uint8_t> pixels = Channels(3, kHeight);
  EXPECT_EQ(ReadFile(path), kPpmHeader + std::string(pixels.begin(), pixels.end()));
  EXPECT_NE(RunCommand("pnmfile '" + path + "' 2>&1").out.find("3 by 2"), std::string::npos);
}

TEST_F(ImagePluginTest, AFailingBandStopsTheFileAndTheEndStillClosesIt) {
  setenv("QUARN2_TEST_PLUGIN_FAIL", "10:2:-36", 1);
  const std::string path = dir_ + "/out.ppm";
  QNImageParams block = Block(path, 1);
  EXPECT_EQ(Write(block, 1), -36);
  EXPECT_TRUE(Selectors(kImage).ends_with("9 10 10 11")) << Selectors(kImage);
  const std::vector<uint8_t> firstRow = Channels(3, 1);
  EXPECT_EQ(ReadFile(path), kPpmHeader + std::string(firstRow.begin(), firstRow.end()));
  // The end answered 0 because the file was open; a second end finds none.
  EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_END_IMAGE, &block, 1), 15);
}

TEST_F(ImagePluginTest, BlocksItCannotWriteAreRefused) {
  struct SCase {
    const char* name;
    std::function<void(QNImageParams&)> spoil;
    int32_t expected;
  };
  const SCase cases[] = {
      {"no such folder", [&](QNImageParams& b) { b = Block(dir_ + "/missing/x.ppm", 1); }, -36},
      {"16 bits per pixel", [](QNImageParams& b) { b.bitsPerPixel = 16; }, 16},
      {"no width", [](QNImageParams& b) { b.width = 0; }, 16},
      {"no height", [](QNImageParams& b) { b.height = 0; }, 16},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.name);
    QNImageParams block = Block(dir_ + "/bad.ppm", 1);
    c.spoil(block);
    EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_BEGIN_IMAGE, &block, 1), c.expected);
    EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_WRITE_BAND, &block, 1), 15);
  }
  QNImageParams block = Block(dir_ + "/twice.ppm", 1);
  ASSERT_EQ(Host::EnsureLoaded(QN_SELECTOR_BEGIN_IMAGE, &block, 1), 0);
  EXPECT_EQ(Host::EnsureLoaded(QN_SELECTOR_BEGIN_IMAGE, &block, 1), 15);
  // Unloading mid-picture closes the file.
  EXPECT_EQ(Host::UnloadLibraries(), 0);
  EXPECT_EQ(ReadFile(dir_ + "/twice.ppm"), kPpmHeader);
}

}  // namespace
