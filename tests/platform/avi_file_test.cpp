#include "platform/avi_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/headless.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

using namespace platform;
using Bytes = std::vector<uint8_t>;

class AviFileTest : public ::testing::Test {
 protected:
  void TearDown() override { SetTestAviSizeLimit(0); }
  std::string Path(const std::string& name) const { return tmp.Path() + "/" + name; }
  size_t FilesInFolder() const { return size_t(std::distance(std::filesystem::directory_iterator(tmp.Path()), {})); }
  Bytes Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static uint32_t LE(const Bytes& b, size_t at, size_t size = 4) {
    uint32_t v = 0;
    for (size_t i = 0; i < size; ++i) v |= uint32_t(b.at(at + i)) << (8 * i);
    return v;
  }
  static std::string Code(const Bytes& b, size_t at) { return std::string(b.begin() + long(at), b.begin() + long(at) + 4); }

  // A stream of width × height 32-bit frames at rate 600, scale 40, with its format set.
  static AviFile* NewMovie(const std::string& path, int32_t width = 4, int32_t height = 2) {
    AviFile* file = AviFileCreate(path);
    if (!file) return nullptr;
    SAviStreamInfo info;
    info.type = kAviStreamVideo;
    info.scale = 40;
    info.rate = 600;
    info.suggestedBufferSize = uint32_t(width * height * 4);
    info.frame = {0, 0, width, height};
    SBitmapInfoHeader format;
    format.width = width;
    format.height = height;
    format.bitCount = 32;
    format.sizeImage = info.suggestedBufferSize;
    EXPECT_TRUE(AviFileCreateStream(file, info));
    EXPECT_TRUE(AviStreamSetFormat(file, format));
    return file;
  }

  CPrivateTmpDir tmp{"quarn2-avi"};
};

TEST_F(AviFileTest, AFinishedMovieHasItsHeadersItsSamplesAndAnIndex) {
  AviFile* file = NewMovie(Path("out.avi"));
  ASSERT_NE(file, nullptr);
  const Bytes a(32, 0x11), b(32, 0x22);
  ASSERT_TRUE(AviStreamWrite(file, 0, 1, a.data(), 32, kAviKeyFrame));
  ASSERT_TRUE(AviStreamWrite(file, 1, 2, b.data(), 32, kAviKeyFrame));
  EXPECT_FALSE(AviStreamWrite(file, 1, 1, a.data(), 32, kAviKeyFrame));
  EXPECT_EQ(GetLastError(), kWinInvalidParameter);
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);

  const Bytes bytes = Read("out.avi");
  ASSERT_EQ(bytes.size(), 224u + 3 * 40 + 8 + 3 * 16);
  EXPECT_EQ(Code(bytes, 0), "RIFF");
  EXPECT_EQ(LE(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Code(bytes, 8), "AVI ");
  EXPECT_EQ(Code(bytes, 24), "avih");
  EXPECT_EQ(LE(bytes, 32), 66666u);  // µs per frame
  EXPECT_EQ(LE(bytes, 44), 0x10u);   // has an index
  EXPECT_EQ(LE(bytes, 48), 3u);      // frames
  EXPECT_EQ(Code(bytes, 100), "strh");
  EXPECT_EQ(Code(bytes, 108), "vids");
  EXPECT_EQ(LE(bytes, 128), 40u);
  EXPECT_EQ(LE(bytes, 132), 600u);
  EXPECT_EQ(LE(bytes, 140), 3u);  // length
  EXPECT_EQ(LE(bytes, 144), 32u);
  EXPECT_EQ(LE(bytes, 160, 2), 4u);  // frame right and bottom
  EXPECT_EQ(LE(bytes, 162, 2), 2u);
  EXPECT_EQ(Code(bytes, 164), "strf");
  EXPECT_EQ(LE(bytes, 180), 2u);  // the format's height
  EXPECT_EQ(Code(bytes, 212), "LIST");
  EXPECT_EQ(LE(bytes, 216), 4u + 3 * 40);
  EXPECT_EQ(Code(bytes, 220), "movi");
  for (size_t i = 0; i < 3; ++i) {
    const size_t chunk = 224 + 40 * i;
    EXPECT_EQ(Code(bytes, chunk), "00db");
    EXPECT_EQ(LE(bytes, chunk + 4), 32u);
    EXPECT_EQ(bytes[chunk + 8], i ? 0x22 : 0x11);
    const size_t entry = 224 + 3 * 40 + 8 + 16 * i;
    EXPECT_EQ(Code(bytes, entry), "00db");
    EXPECT_EQ(LE(bytes, entry + 4), kAviKeyFrame);
    EXPECT_EQ(LE(bytes, entry + 8), chunk - 220);
    EXPECT_EQ(LE(bytes, entry + 12), 32u);
  }
  EXPECT_EQ(Code(bytes, 224 + 3 * 40), "idx1");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AviFileTest, TheOldFileStaysUntilTheMovieIsFinishedAndAnUnfinishedOneLeavesNothing) {
  { std::ofstream(Path("out.avi")) << "old movie"; }
  AviFile* file = NewMovie(Path("out.avi"));
  ASSERT_NE(file, nullptr);
  const Bytes frame(32, 7);
  ASSERT_TRUE(AviStreamWrite(file, 0, 1, frame.data(), 32, kAviKeyFrame));
  EXPECT_EQ(FilesInFolder(), 2u);
  EXPECT_EQ(Read("out.avi"), Bytes({'o', 'l', 'd', ' ', 'm', 'o', 'v', 'i', 'e'}));
  AviFileRelease(file);
  EXPECT_EQ(FilesInFolder(), 1u);
  EXPECT_EQ(Read("out.avi").size(), 9u);

  file = NewMovie(Path("out.avi"));
  ASSERT_TRUE(AviStreamWrite(file, 0, 1, frame.data(), 32, kAviKeyFrame));
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);
  EXPECT_EQ(Code(Read("out.avi"), 0), "RIFF");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AviFileTest, ASamplePastTheSizeLimitIsRefusedAndTheMovieSoFarStays) {
  AviFile* file = NewMovie(Path("out.avi"));
  ASSERT_NE(file, nullptr);
  // Room for the headers, two chunks of 40 bytes and their index: 224 + 80 + 8 + 32.
  SetTestAviSizeLimit(344);
  const Bytes frame(32, 9);
  ASSERT_TRUE(AviStreamWrite(file, 0, 2, frame.data(), 32, kAviKeyFrame));
  EXPECT_FALSE(AviStreamWrite(file, 2, 1, frame.data(), 32, kAviKeyFrame));
  EXPECT_EQ(GetLastError(), kWinFileTooLarge);
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);
  const Bytes bytes = Read("out.avi");
  EXPECT_EQ(bytes.size(), 344u);
  EXPECT_EQ(LE(bytes, 48), 2u);
}

TEST_F(AviFileTest, StepsOutOfOrderAreRefused) {
  AviFile* file = AviFileCreate(Path("out.avi"));
  ASSERT_NE(file, nullptr);
  const Bytes frame(8, 0);
  SBitmapInfoHeader format;
  EXPECT_FALSE(AviStreamSetFormat(file, format));
  EXPECT_FALSE(AviStreamWrite(file, 0, 1, frame.data(), 8, kAviKeyFrame));
  EXPECT_FALSE(AviFileFinish(file));
  SAviStreamInfo audio;
  audio.type = AviCode("auds");
  audio.scale = 1;
  audio.frame = {0, 0, 1, 1};
  EXPECT_FALSE(AviFileCreateStream(file, audio));
  EXPECT_EQ(GetLastError(), kWinInvalidParameter);
  AviFileRelease(file);
  EXPECT_EQ(FilesInFolder(), 0u);
  EXPECT_EQ(AviFileCreate(Path("no folder/out.avi")), nullptr);
  EXPECT_EQ(GetLastError(), kWinFileNotFound);
}

TEST_F(AviFileTest, TheCompressionChoiceIsFullFramesUnlessTheScriptCancels) {
  ASSERT_TRUE(headless::AddScript("compression cancel\ncompression full\n"));
  EXPECT_FALSE(ChooseAviCompression(nullptr));
  EXPECT_TRUE(ChooseAviCompression(nullptr));
  EXPECT_TRUE(ChooseAviCompression(nullptr));
  std::string error;
  EXPECT_FALSE(headless::AddScript("compression maybe\n", &error));
  EXPECT_EQ(error, "line 1: compression needs full or cancel");
}

}  // namespace
