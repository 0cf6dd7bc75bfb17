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
#include "tests/tools/run_tool.h"

namespace {

using namespace platform;
using Bytes = std::vector<uint8_t>;

class AviFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetTestAviSizeLimit(0);
    SetTestAviSegmentBytes(0);
  }
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

// The headers with the OpenDML super index and frame count, the samples, the RIFF's standard index at
// the end of its "movi" list and the plain index after it.
TEST_F(AviFileTest, AFinishedMovieHasItsHeadersItsSamplesAndItsIndexes) {
  AviFile* file = NewMovie(Path("out.avi"));
  ASSERT_NE(file, nullptr);
  const Bytes a(32, 0x11), b(32, 0x22);
  ASSERT_TRUE(AviStreamWrite(file, 0, 1, a.data(), 32, kAviKeyFrame));
  ASSERT_TRUE(AviStreamWrite(file, 1, 2, b.data(), 32, kAviKeyFrame));
  EXPECT_FALSE(AviStreamWrite(file, 1, 1, a.data(), 32, kAviKeyFrame));
  EXPECT_EQ(GetLastError(), kWinInvalidParameter);
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);

  constexpr size_t kOdml = 212 + 8 + 24 + 16 * 256, kMovi = kOdml + 12 + 8 + 248, kFirst = kMovi + 12;
  constexpr size_t kStandardIndex = kFirst + 3 * 40, kPlainIndex = kStandardIndex + 8 + 24 + 3 * 8;
  const Bytes bytes = Read("out.avi");
  ASSERT_EQ(bytes.size(), kPlainIndex + 8 + 3 * 16);
  EXPECT_EQ(Code(bytes, 0), "RIFF");
  EXPECT_EQ(LE(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Code(bytes, 8), "AVI ");
  EXPECT_EQ(LE(bytes, 16), kMovi - 20);  // the "hdrl" list
  EXPECT_EQ(Code(bytes, 24), "avih");
  EXPECT_EQ(LE(bytes, 32), 66666u);  // µs per frame
  EXPECT_EQ(LE(bytes, 44), 0x10u);   // has an index
  EXPECT_EQ(LE(bytes, 48), 3u);      // frames of the first RIFF
  EXPECT_EQ(LE(bytes, 92), kOdml - 96);  // the "strl" list
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
  // The super index: one entry, for the RIFF's standard index.
  EXPECT_EQ(Code(bytes, 212), "indx");
  EXPECT_EQ(LE(bytes, 216), 24u + 16 * 256);
  EXPECT_EQ(LE(bytes, 220, 2), 4u);
  EXPECT_EQ(bytes[223], 0u);  // an index of indexes
  EXPECT_EQ(LE(bytes, 224), 1u);
  EXPECT_EQ(Code(bytes, 228), "00db");
  EXPECT_EQ(LE(bytes, 244), kStandardIndex);
  EXPECT_EQ(LE(bytes, 248), 0u);
  EXPECT_EQ(LE(bytes, 252), 8u + 24 + 3 * 8);
  EXPECT_EQ(LE(bytes, 256), 3u);
  EXPECT_EQ(Code(bytes, kOdml), "LIST");
  EXPECT_EQ(Code(bytes, kOdml + 8), "odml");
  EXPECT_EQ(Code(bytes, kOdml + 12), "dmlh");
  EXPECT_EQ(LE(bytes, kOdml + 20), 3u);  // every frame
  EXPECT_EQ(Code(bytes, kMovi), "LIST");
  EXPECT_EQ(LE(bytes, kMovi + 4), kPlainIndex - kMovi - 8);
  EXPECT_EQ(Code(bytes, kMovi + 8), "movi");
  EXPECT_EQ(Code(bytes, kStandardIndex), "ix00");
  EXPECT_EQ(LE(bytes, kStandardIndex + 4), 24u + 3 * 8);
  EXPECT_EQ(bytes[kStandardIndex + 11], 1u);  // an index of chunks
  EXPECT_EQ(LE(bytes, kStandardIndex + 12), 3u);
  EXPECT_EQ(LE(bytes, kStandardIndex + 20), 0u);  // its base: the RIFF's start
  for (size_t i = 0; i < 3; ++i) {
    const size_t chunk = kFirst + 40 * i;
    EXPECT_EQ(Code(bytes, chunk), "00db");
    EXPECT_EQ(LE(bytes, chunk + 4), 32u);
    EXPECT_EQ(bytes[chunk + 8], i ? 0x22 : 0x11);
    EXPECT_EQ(LE(bytes, kStandardIndex + 32 + 8 * i), chunk + 8);
    EXPECT_EQ(LE(bytes, kStandardIndex + 36 + 8 * i), 32u);  // a key frame: the top bit clear
    const size_t entry = kPlainIndex + 8 + 16 * i;
    EXPECT_EQ(Code(bytes, entry), "00db");
    EXPECT_EQ(LE(bytes, entry + 4), kAviKeyFrame);
    EXPECT_EQ(LE(bytes, entry + 8), chunk - (kMovi + 8));
    EXPECT_EQ(LE(bytes, entry + 12), 32u);
  }
  EXPECT_EQ(Code(bytes, kPlainIndex), "idx1");
  EXPECT_EQ(FilesInFolder(), 1u);
}

// Past the segment size the movie goes on in "AVIX" RIFFs, each listed by the super index; ffmpeg
// reads every frame back, in order and whole.
TEST_F(AviFileTest, AMovieLongerThanASegmentGoesOnInExtendedRiffsThatPlayersRead) {
  // Twenty frames of 40 bytes fit the first RIFF with its headers and both indexes, 123 each further.
  SetTestAviSegmentBytes(6000);
  AviFile* file = NewMovie(Path("long.avi"));
  ASSERT_NE(file, nullptr);
  constexpr int32_t kFrames = 150;
  for (int32_t i = 0; i < kFrames; ++i) {
    const Bytes frame(32, uint8_t(i * 13 + 7));
    ASSERT_TRUE(AviStreamWrite(file, i, 1, frame.data(), 32, kAviKeyFrame)) << i;
  }
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);
  SetTestAviSegmentBytes(0);

  const Bytes bytes = Read("long.avi");
  EXPECT_EQ(LE(bytes, 48), 20u);  // the first RIFF's frames
  EXPECT_EQ(LE(bytes, 140), uint32_t(kFrames));
  EXPECT_EQ(LE(bytes, 224), 3u);  // RIFFs in the super index
  uint32_t listed = 0;
  size_t riffs = 0;
  for (size_t at = 0; at + 12 <= bytes.size(); at += 8 + LE(bytes, at + 4)) {
    ASSERT_EQ(Code(bytes, at), "RIFF") << at;
    EXPECT_EQ(Code(bytes, at + 8), riffs ? "AVIX" : "AVI ") << at;
    EXPECT_LE(8 + LE(bytes, at + 4), 6000u) << at;
    const uint64_t index = LE(bytes, 244 + 16 * riffs) | uint64_t(LE(bytes, 248 + 16 * riffs)) << 32;
    ASSERT_LT(index, bytes.size()) << riffs;
    EXPECT_EQ(Code(bytes, size_t(index)), "ix00") << riffs;
    EXPECT_GT(index, at) << riffs;
    listed += LE(bytes, 256 + 16 * riffs);
    ++riffs;
  }
  EXPECT_EQ(riffs, 3u);
  EXPECT_EQ(listed, uint32_t(kFrames));

  const SRun count = RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                "stream=nb_read_frames -of csv=p=0 '" + Path("long.avi") + "'");
  EXPECT_EQ(count.out, std::to_string(kFrames) + "\n");
  const SRun raw = RunCommand("ffmpeg -v error -i '" + Path("long.avi") + "' -f rawvideo -pix_fmt bgra -");
  ASSERT_EQ(raw.out.size(), size_t(kFrames) * 32);
  for (int32_t i = 0; i < kFrames; ++i)
    EXPECT_EQ(uint8_t(raw.out[size_t(i) * 32]), uint8_t(i * 13 + 7)) << "frame " << i;
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
  // Room for the headers, two chunks of 40 bytes and their indexes: 4620 + 80 + (8 + 24 + 16) + (8 + 32).
  SetTestAviSizeLimit(4788);
  const Bytes frame(32, 9);
  ASSERT_TRUE(AviStreamWrite(file, 0, 2, frame.data(), 32, kAviKeyFrame));
  EXPECT_FALSE(AviStreamWrite(file, 2, 1, frame.data(), 32, kAviKeyFrame));
  EXPECT_EQ(GetLastError(), kWinFileTooLarge);
  ASSERT_TRUE(AviFileFinish(file));
  AviFileRelease(file);
  const Bytes bytes = Read("out.avi");
  EXPECT_EQ(bytes.size(), 4788u);
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
