#include "framework/image/avi_movie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/file_spec.h"
#include "framework/core/result_codes.h"
#include "framework/image/clipboard.h"
#include "image_fixture.h"
#include "platform/file.h"
#include "platform/headless.h"
#include "tests/tools/run_tool.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Pixel (x, y) of frame f: red 4x, green 5y, blue 8f.
uint32_t FramePixel(uint32_t x, uint32_t y, uint32_t f) { return (4 * x) << 16 | (5 * y) << 8 | (8 * f); }

// Movies go to a folder of their own, apart from the swap files.
class AviMovieTest : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    movies = folder + "/movies";
    ASSERT_TRUE(std::filesystem::create_directory(movies));
  }
  void TearDown() override {
    platform::SetTestAviSizeLimit(0);
    platform::ResetFileTestHooks();
    ImageTest::TearDown();
  }
  std::string Path(const std::string& name) const { return movies + "/" + name; }
  CFileSpec Spec(const std::string& name) const {
    CFileSpec spec;
    spec.Set(Path(name).c_str());
    return spec;
  }
  Bytes Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  size_t FilesInFolder() const { return size_t(std::distance(std::filesystem::directory_iterator(movies), {})); }
  static uint32_t LE(const Bytes& b, size_t at, size_t size = 4) {
    uint32_t v = 0;
    for (size_t i = 0; i < size; ++i) v |= uint32_t(b.at(at + i)) << (8 * i);
    return v;
  }
  static std::string Code(const Bytes& b, size_t at) { return std::string(b.begin() + long(at), b.begin() + long(at) + 4); }

  // Open, stream of width × height at rate 600, format from a first frame: 0 or the first failure.
  static int32_t Start(CAviMovie& movie, const CFileSpec* spec, int32_t width, int32_t height) {
    if (const int32_t err = movie.Open(spec)) return err;
    if (const int32_t err = movie.CreateStream(width, height, 600)) return err;
    auto first = SolidImage(uint32_t(width), uint32_t(height), 0);
    return movie.SetFormat(nullptr, first.get());
  }
  // Frame f, flipped for the stream, written for the duration.
  static int32_t Write(CAviMovie& movie, uint32_t width, uint32_t height, uint32_t f, int32_t duration) {
    auto frame = MakeImage(width, height, [f](uint32_t x, uint32_t y) { return FramePixel(x, y, f); });
    EXPECT_TRUE(FlipImageRows(frame.get()));
    return movie.WriteFrame(frame.get(), duration);
  }

  std::string movies;
};

TEST_F(AviMovieTest, ThirtyFramesMakeAMovieThatFfmpegReadsBack) {
  const CFileSpec spec = Spec("out.avi");
  CAviMovie movie;
  ASSERT_EQ(Start(movie, &spec, 64, 48), kNoErr);
  for (uint32_t f = 0; f < 30; ++f) ASSERT_EQ(Write(movie, 64, 48, f, 20), kNoErr) << f;
  EXPECT_EQ(movie.GetFrameIndex(), 30);
  ASSERT_EQ(movie.ReleaseStream(), kNoErr);

  const SRun probe = RunCommand("ffprobe -v error -count_frames -show_entries "
                                "stream=codec_type,width,height,r_frame_rate,nb_read_frames -of default=noprint_wrappers=1 '" +
                                Path("out.avi") + "' 2>&1");
  ASSERT_EQ(probe.status, 0) << probe.out;
  std::map<std::string, std::string> found;
  std::istringstream lines(probe.out);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) found[line.substr(0, equals)] = line.substr(equals + 1);
  }
  EXPECT_EQ(found["codec_type"], "video");
  EXPECT_EQ(found["width"], "64");
  EXPECT_EQ(found["height"], "48");
  EXPECT_EQ(found["r_frame_rate"], "15/1");
  EXPECT_EQ(found["nb_read_frames"], "30");
  EXPECT_EQ(std::count(probe.out.begin(), probe.out.end(), '\n'), 5) << probe.out;

  const SRun decode = RunCommand("ffmpeg -v error -i '" + Path("out.avi") + "' -frames:v 1 -y '" + Path("f.ppm") +
                                 "' 2>&1");
  ASSERT_EQ(decode.status, 0) << decode.out;
  const Bytes ppm = Read("f.ppm");
  const std::string header = "P6\n64 48\n255\n";
  ASSERT_EQ(std::string(ppm.begin(), ppm.begin() + long(header.size())), header);
  ASSERT_EQ(ppm.size(), header.size() + 64 * 48 * 3);
  for (uint32_t y = 0; y < 48; ++y) {
    for (uint32_t x = 0; x < 64; ++x) {
      const uint8_t* p = ppm.data() + header.size() + 3 * (64 * y + x);
      ASSERT_EQ(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2], FramePixel(x, y, 0)) << x << "," << y;
    }
  }
}

TEST_F(AviMovieTest, TheFileHoldsTheStreamHeaderTheFormatAndOneIndexedChunkPerSample) {
  const CFileSpec spec = Spec("out.avi");
  CAviMovie movie;
  ASSERT_EQ(Start(movie, &spec, 64, 48), kNoErr);
  ASSERT_EQ(Write(movie, 64, 48, 0, 20), kNoErr);
  ASSERT_EQ(Write(movie, 64, 48, 1, 120), kNoErr);
  EXPECT_EQ(movie.GetFrameIndex(), 4);
  ASSERT_EQ(Write(movie, 64, 48, 2, 20), kNoErr);
  EXPECT_EQ(movie.Close(), 1);

  const Bytes bytes = Read("out.avi");
  EXPECT_EQ(Code(bytes, 0), "RIFF");
  EXPECT_EQ(Code(bytes, 8), "AVI ");
  EXPECT_EQ(Code(bytes, 100), "strh");
  EXPECT_EQ(Code(bytes, 108), "vids");
  EXPECT_EQ(LE(bytes, 128), 40u);
  EXPECT_EQ(LE(bytes, 132), 600u);
  EXPECT_EQ(LE(bytes, 144), 12288u);
  EXPECT_EQ((std::vector<uint32_t>{LE(bytes, 156, 2), LE(bytes, 158, 2), LE(bytes, 160, 2), LE(bytes, 162, 2)}),
            (std::vector<uint32_t>{0, 0, 64, 48}));
  EXPECT_EQ(Code(bytes, 164), "strf");
  EXPECT_EQ(LE(bytes, 168), 40u);
  EXPECT_EQ(LE(bytes, 172), 40u);
  EXPECT_EQ(int32_t(LE(bytes, 180)), 48);
  EXPECT_EQ(LE(bytes, 186, 2), 32u);
  EXPECT_EQ(LE(bytes, 188), 0u);
  EXPECT_EQ(LE(bytes, 192), 12288u);
  // Samples 1 to 3 are the second frame; the third frame is sample 4. They follow the headers, whose
  // super index has room for 256 entries.
  const size_t chunk = 8 + 12288, first = 4620;
  for (size_t i = 0; i < 5; ++i) {
    const size_t at = first + i * chunk;
    EXPECT_EQ(Code(bytes, at), "00db") << i;
    EXPECT_EQ(LE(bytes, at + 4), 12288u) << i;
    EXPECT_EQ(bytes[at + 8], i == 0 ? 0 : i < 4 ? 8 : 16) << i;
  }
  EXPECT_EQ(Code(bytes, first + 5 * chunk), "ix00");
  const size_t index = first + 5 * chunk + 8 + 24 + 5 * 8;
  EXPECT_EQ(Code(bytes, index), "idx1");
  EXPECT_EQ(LE(bytes, index + 4), 5u * 16);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(LE(bytes, index + 8 + 16 * i + 4), 0x10u) << i;
  EXPECT_EQ(bytes.size(), index + 8 + 5 * 16);
}

TEST_F(AviMovieTest, StepsBeforeTheirPrerequisiteAndFramesOfAnotherSizeAreRefused) {
  const CFileSpec spec = Spec("out.avi");
  auto frame = SolidImage(8, 4, 0);
  CAviMovie movie;
  EXPECT_EQ(movie.CreateStream(8, 4, 600), kErrInvalidFormat);
  EXPECT_EQ(movie.SetFormat(nullptr, frame.get()), kErrInvalidFormat);
  EXPECT_EQ(movie.WriteFrame(frame.get(), 20), kErrInvalidFormat);
  ASSERT_EQ(movie.Open(&spec), kNoErr);
  EXPECT_EQ(movie.SetFormat(nullptr, frame.get()), kErrInvalidFormat);
  EXPECT_EQ(movie.CreateStream(0, 4, 600), kErrInvalidParameter);
  ASSERT_EQ(movie.CreateStream(8, 4, 600), kNoErr);
  EXPECT_EQ(movie.WriteFrame(frame.get(), 20), kErrInvalidFormat);
  ASSERT_EQ(movie.SetFormat(nullptr, frame.get()), kNoErr);
  auto other = SolidImage(4, 8, 0);
  EXPECT_EQ(movie.WriteFrame(other.get(), 20), kErrInvalidParameter);
  EXPECT_EQ(movie.GetFrameIndex(), 0);
  EXPECT_EQ(movie.WriteFrame(frame.get(), 20), kNoErr);
  EXPECT_EQ(movie.ReleaseStream(), kNoErr);
  EXPECT_EQ(movie.WriteFrame(frame.get(), 20), kErrInvalidFormat);
}

TEST_F(AviMovieTest, ACancelledCompressionChoiceAnswers24AndLeavesNoFile) {
  const CFileSpec spec = Spec("out.avi");
  ASSERT_TRUE(platform::headless::AddScript("compression cancel\n"));
  CAviMovie movie;
  EXPECT_EQ(Start(movie, &spec, 8, 4), kSilentCode24);
  auto frame = SolidImage(8, 4, 0);
  EXPECT_EQ(movie.WriteFrame(frame.get(), 20), kErrInvalidFormat);
  EXPECT_EQ(movie.Close(), 1);
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(AviMovieTest, WithoutANameTheSaveDialogAsksForANewOne) {
  const size_t asked = platform::headless::AskedDialogs().size();
  platform::headless::AnswerFileDialog(Path("new.avi"), 1);
  {
    CAviMovie movie;
    ASSERT_EQ(Start(movie, nullptr, 8, 4), kNoErr);
    ASSERT_EQ(Write(movie, 8, 4, 0, 20), kNoErr);
  }
  ASSERT_EQ(platform::headless::AskedDialogs().size(), asked + 1);
  const platform::SFileDialog& request = platform::headless::AskedDialogs().back().request;
  EXPECT_TRUE(platform::headless::AskedDialogs().back().save);
  EXPECT_EQ(request.title, "Save Movie as:");
  EXPECT_EQ(request.file, "UNTITLED.AVI");
  EXPECT_EQ(request.filter, std::string("*.AVI\0*.AVI\0", 12));
  EXPECT_EQ(request.filterIndex, 1u);
  EXPECT_EQ(request.flags & platform::kOfnFileMustExist, 0u);
  EXPECT_NE(request.flags & platform::kOfnOverwritePrompt, 0u);
  EXPECT_EQ(Code(Read("new.avi"), 0), "RIFF");

  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  CAviMovie cancelled;
  EXPECT_EQ(cancelled.Open(nullptr), kSilentCode24);
  EXPECT_EQ(cancelled.CreateStream(8, 4, 600), kErrInvalidFormat);
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AviMovieTest, AnOldMovieStaysUntilTheNewOneIsInPlaceAndAFailedOneLeavesIt) {
  const CFileSpec spec = Spec("out.avi");
  { std::ofstream(Path("out.avi"), std::ios::binary) << "an old movie"; }
  const Bytes old = Read("out.avi");
  {
    CAviMovie movie;
    ASSERT_EQ(Start(movie, &spec, 8, 4), kNoErr);
    ASSERT_EQ(Write(movie, 8, 4, 0, 20), kNoErr);
    EXPECT_EQ(Read("out.avi"), old);
    platform::SetTestFailingRename(1);
    EXPECT_NE(movie.ReleaseStream(), kNoErr);
  }
  EXPECT_EQ(Read("out.avi"), old);
  EXPECT_EQ(FilesInFolder(), 1u);
  {
    CAviMovie movie;
    ASSERT_EQ(Start(movie, &spec, 8, 4), kNoErr);
    ASSERT_EQ(Write(movie, 8, 4, 0, 20), kNoErr);
    EXPECT_EQ(Read("out.avi"), old);
  }
  EXPECT_EQ(Code(Read("out.avi"), 0), "RIFF");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(AviMovieTest, PaddedRowsWriteOnlyTheirPixelsAndAFullFileAnswers22) {
  const CFileSpec spec = Spec("out.avi");
  SGridLayout grid;
  CSpoolGrid::InitDescriptor(grid, DataEnv(), 4, 2, 2, 16);
  SSpoolTableSpec tableSpec;
  tableSpec.SetDefaults(false, nullptr, &ImageRecordTypeHandler);
  CImage padded(grid, tableSpec);
  // The whole block, padding included, then the pixels alone.
  ASSERT_TRUE(padded.Fill(0x11111111));
  {
    CImNavigator nav(&padded, nullptr, true, false);
    ASSERT_TRUE(nav.IsUsable());
    for (uint32_t y = 0; y < 2; ++y)
      for (uint32_t x = 0; x < 2; ++x) nav.Cells(y)[x].value = 0x00ABCDEF;
  }
  CAviMovie movie;
  ASSERT_EQ(Start(movie, &spec, 2, 2), kNoErr);
  ASSERT_EQ(movie.WriteFrame(&padded, 20), kNoErr);
  // Room for one more sample of 16 bytes and no more: the headers (with the super index's room), two
  // chunks, the standard index and the plain index.
  constexpr size_t kHeaders = 4620, kStandardIndex = 8 + 24 + 2 * 8, kPlainIndex = 8 + 2 * 16;
  platform::SetTestAviSizeLimit(kHeaders + 2 * 24 + kStandardIndex + kPlainIndex);
  ASSERT_EQ(movie.WriteFrame(&padded, 20), kNoErr);
  EXPECT_EQ(movie.WriteFrame(&padded, 20), kErrInvalidSize);
  EXPECT_EQ(movie.GetFrameIndex(), 2);
  ASSERT_EQ(movie.ReleaseStream(), kNoErr);
  const Bytes bytes = Read("out.avi");
  ASSERT_EQ(bytes.size(), kHeaders + 2 * 24 + kStandardIndex + kPlainIndex);
  EXPECT_EQ(LE(bytes, kHeaders + 4), 16u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(LE(bytes, kHeaders + 8 + 4 * i), 0x00ABCDEFu) << i;
  EXPECT_EQ(Code(bytes, kHeaders + 2 * 24), "ix00");
  EXPECT_EQ(Code(bytes, kHeaders + 2 * 24 + kStandardIndex), "idx1");
}

}  // namespace
