// Imager, the image plug-in: its formats, the BMP and PNG files it writes row by row with their
// resolution, and the calls it refuses.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "plugins/image/imager.h"

namespace {

namespace fs = std::filesystem;

enum EFormat : uint32_t { kBmp = 0, kPng = 1 };

class ImagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quarn2-imager-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    ImagerEntry(QN_SELECTOR_RELEASE, nullptr, nullptr);
    fs::remove_all(folder_);
  }

  QNImageParams Block(uint32_t format, const std::string& path, uint32_t width, uint32_t height, float dpi = 72) {
    QNImageParams block;
    std::memset(&block, 0, sizeof block);
    block.params.formatIndex = format;
    std::snprintf(block.params.outputPath, sizeof block.params.outputPath, "%s", path.c_str());
    block.resolution = dpi;
    block.bitsPerPixel = 32;
    block.width = width;
    block.height = height;
    block.rowsPerBand = 1;
    return block;
  }
  static int32_t Call(uint32_t selector, QNImageParams& block) { return ImagerEntry(selector, nullptr, &block); }

  // The whole picture, row by row as render to disk hands it over: 0 or the first failing answer.
  static int32_t Write(QNImageParams& block, const std::vector<uint32_t>& pixels) {
    if (const int32_t answer = Call(QN_SELECTOR_BEGIN_IMAGE, block)) return answer;
    for (uint32_t row = 0; row < block.height; ++row) {
      block.pixels = pixels.data() + size_t(row) * block.width;
      if (const int32_t answer = Call(QN_SELECTOR_WRITE_BAND, block)) return answer;
      ++block.rowsDone;
    }
    return Call(QN_SELECTOR_END_IMAGE, block);
  }

  static std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
  }
  // The picture's pixels as ImageMagick reads them, 0x00RRGGBB.
  static std::vector<uint32_t> ReadBack(const std::string& path) {
    const std::string bytes = Output("convert '" + path + "' -depth 8 rgb:- 2>/dev/null");
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
      pixels.push_back(uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]));
    return pixels;
  }
  static bool OpenInThisProcess(const std::string& path) {
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      if (fs::read_symlink(fd.path(), error) == path) return true;
    }
    return false;
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

TEST_F(ImagerTest, TwoFormatsAreOffered) {
  QNPluginParams params{};
  EXPECT_EQ(ImagerEntry(QN_SELECTOR_COUNT_FORMATS, nullptr, &params), 0);
  EXPECT_EQ(params.formatIndex, 2u);
  const struct {
    const char* filter;
    const char* description;
    const char* extension;
  } formats[] = {{"BMP Files (*.bmp)", "BMP File", ".bmp"}, {"PNG Files (*.png)", "PNG File", ".png"}};
  for (uint32_t i = 0; i < 2; ++i) {
    params = QNPluginParams{};
    params.formatIndex = i;
    EXPECT_EQ(ImagerEntry(QN_SELECTOR_DESCRIBE_FORMAT, nullptr, &params), 0);
    EXPECT_STREQ(params.text, formats[i].filter);
    EXPECT_STREQ(params.description, formats[i].description);
    EXPECT_STREQ(params.extension, formats[i].extension);
  }
  params = QNPluginParams{};
  params.formatIndex = 2;
  EXPECT_EQ(ImagerEntry(QN_SELECTOR_DESCRIBE_FORMAT, nullptr, &params), 0);
  EXPECT_EQ(params.text[0], 0) << "a format the plug-in does not have is not described";
  for (uint32_t selector : {0u, 1u, 5u, 7u, 99u}) EXPECT_EQ(ImagerEntry(selector, nullptr, nullptr), 0) << selector;
}

// Both formats hold the rows in order with their colours (the top byte, which marks antialiased
// pixels, left out) and the resolution the block gives, as pixels per metre.
TEST_F(ImagerTest, BothFormatsHoldTheRowsAndTheResolution) {
  const uint32_t width = 5, height = 3;
  std::vector<uint32_t> pixels;
  for (uint32_t i = 0; i < width * height; ++i) pixels.push_back((i % 2 ? 0xFF000000u : 0) | ((i * 0x0B1D2F) & 0xFFFFFF));
  std::vector<uint32_t> colours;
  for (uint32_t p : pixels) colours.push_back(p & 0xFFFFFF);
  for (uint32_t format : {kBmp, kPng}) {
    const std::string path = Path(format == kBmp ? "out.bmp" : "out.png");
    QNImageParams block = Block(format, path, width, height, 300);
    ASSERT_EQ(Write(block, pixels), 0) << format;
    EXPECT_FALSE(OpenInThisProcess(path));
    EXPECT_EQ(Output("identify -format '%m %w %h' '" + path + "'"), format == kBmp ? "BMP3 5 3" : "PNG 5 3");
    EXPECT_EQ(ReadBack(path), colours) << format;
    // 300 dots per inch are 11811 dots per metre.
    EXPECT_EQ(Output("identify -units PixelsPerInch -format '%[fx:round(resolution.x)] %[fx:round(resolution.y)]' '" +
                     path + "'"),
              "300 300")
        << format;
  }
  // The BMP is the program's own layout: a 54-byte header, 24-bit rows padded to 4 bytes.
  std::ifstream bmp(Path("out.bmp"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(bmp)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(uint8_t(bytes[28]), 24);
  uint32_t perMetre = 0;
  std::memcpy(&perMetre, bytes.data() + 38, 4);
  EXPECT_EQ(perMetre, 11811u);
}

// A resolution that is no number of dots per inch is left out rather than refusing the picture.
TEST_F(ImagerTest, ANonsenseResolutionIsLeftOut) {
  const std::vector<uint32_t> pixels(4, 0x123456);
  for (float dpi : {0.0f, -72.0f, NAN, INFINITY}) {
    QNImageParams block = Block(kPng, Path("odd.png"), 2, 2, dpi);
    ASSERT_EQ(Write(block, pixels), 0) << dpi;
    EXPECT_EQ(Output("identify -format '%m %w %h' '" + Path("odd.png") + "'"), "PNG 2 2") << dpi;
    EXPECT_EQ(Output("grep -c pHYs '" + Path("odd.png") + "'"), "0\n") << dpi;
  }
}

// Calls out of order, a band that is not the next, a file that cannot be made and a BMP past its
// 32-bit size are refused; a picture ended early or abandoned by the release closes its file.
TEST_F(ImagerTest, RefusalsCloseTheFile) {
  const std::vector<uint32_t> pixels(6, 0);
  QNImageParams block = Block(kPng, Path("a.png"), 3, 2);
  EXPECT_EQ(Call(QN_SELECTOR_WRITE_BAND, block), 15) << "a band before the start";
  EXPECT_EQ(Call(QN_SELECTOR_END_IMAGE, block), 15) << "an end before the start";
  EXPECT_EQ(ImagerEntry(QN_SELECTOR_BEGIN_IMAGE, nullptr, nullptr), 16);

  ASSERT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 0);
  EXPECT_TRUE(OpenInThisProcess(Path("a.png")));
  EXPECT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 15) << "a second start";
  block.pixels = pixels.data();
  block.rowsDone = 1;
  EXPECT_EQ(Call(QN_SELECTOR_WRITE_BAND, block), 16) << "a band that is not the next";
  block.rowsDone = 0;
  EXPECT_EQ(Call(QN_SELECTOR_WRITE_BAND, block), 0);
  EXPECT_EQ(Call(QN_SELECTOR_END_IMAGE, block), 15) << "an end before the last row";
  EXPECT_FALSE(OpenInThisProcess(Path("a.png")));

  block = Block(kBmp, Path("b.bmp"), 3, 2);
  ASSERT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 0);
  EXPECT_EQ(ImagerEntry(QN_SELECTOR_RELEASE, nullptr, nullptr), 0);
  EXPECT_FALSE(OpenInThisProcess(Path("b.bmp")));

  block = Block(kBmp, Path("missing/c.bmp"), 3, 2);
  EXPECT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), -43);
  block = Block(kBmp, Path("wide.bmp"), 40000, 40000);
  EXPECT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 22);
  EXPECT_FALSE(OpenInThisProcess(Path("wide.bmp")));
  block = Block(2, Path("d.bmp"), 3, 2);
  EXPECT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 16) << "a format the plug-in does not have";
  block = Block(kBmp, Path("e.bmp"), 3, 2);
  block.bitsPerPixel = 24;
  EXPECT_EQ(Call(QN_SELECTOR_BEGIN_IMAGE, block), 16);
}

// The output path is opened as it is: a link in its place is not followed to the file it names.
TEST_F(ImagerTest, ALinkInPlaceOfTheOutputIsNotFollowed) {
  std::ofstream(Path("elsewhere")) << "kept";
  fs::create_symlink(Path("elsewhere"), Path("link.png"));
  QNImageParams block = Block(kPng, Path("link.png"), 1, 1);
  EXPECT_NE(Call(QN_SELECTOR_BEGIN_IMAGE, block), 0);
  std::ifstream kept(Path("elsewhere"));
  std::string text;
  kept >> text;
  EXPECT_EQ(text, "kept");
}

// A write that fails answers the disk's error, for either format; the file is closed.
TEST_F(ImagerTest, AFullDiskIsAnswered) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::vector<uint32_t> pixels(64 * 64, 0x808080);
  for (uint32_t format : {kBmp, kPng}) {
    QNImageParams block = Block(format, "/dev/full", 64, 64);
    EXPECT_EQ(Write(block, pixels), -34) << format;
    ImagerEntry(QN_SELECTOR_RELEASE, nullptr, nullptr);
    EXPECT_FALSE(OpenInThisProcess("/dev/full"));
  }
}

}  // namespace
