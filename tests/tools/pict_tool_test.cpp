#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

class PictToolTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp.Path() + "/" + name; }
  std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
  // ImageMagick's output name for a BMP with the 40-byte header.
  std::string QuotedBmp3(const std::string& name) const { return "'BMP3:" + Path(name) + "'"; }
  SRun Pict(const std::string& in, const std::string& out) const {
    return RunCommand(std::string(QUARN2_PICT_PATH) + " " + Quoted(in) + " " + Quoted(out) + " 2>&1");
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }
  std::string ReadAll(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  CPrivateTmpDir tmp{"quarn2-pict"};
};

TEST_F(PictToolTest, CopiesBmpFilesOfEveryDepthPixelForPixel) {
  ASSERT_EQ(RunCommand("convert -size 11x5 xc:red -fill blue -draw 'point 1,0' -fill '#30C060' -draw 'line 0,3 10,4' "
                       "-depth 8 " + Quoted("in.ppm")).status, 0);
  ASSERT_EQ(RunCommand("convert -size 11x5 xc:black -fill white -draw 'point 3,2' -depth 8 " + Quoted("two.ppm")).status,
            0);
  const struct {
    const char* source;
    const char* options;
  } cases[] = {{"two.ppm", "-bpp=1"}, {"in.ppm", "-bpp=4"}, {"in.ppm", "-bpp=8"}, {"in.ppm", "-bpp=24"}};
  for (const auto& c : cases) {
    ASSERT_EQ(RunCommand(std::string("ppmtobmp ") + c.options + " " + Quoted(c.source) + " > " + Quoted("in.bmp") +
                         " 2>/dev/null").status, 0);
    const SRun run = Pict("in.bmp", "out.bmp");
    EXPECT_EQ(run.status, 0) << c.options << run.out;
    EXPECT_EQ(RunCommand("compare -metric AE " + Quoted("in.bmp") + " " + Quoted("out.bmp") + " null: 2>&1").out, "0")
        << c.options;
    EXPECT_EQ(RunCommand("identify -format '%z' " + Quoted("out.bmp")).out, "8");
  }
}

TEST_F(PictToolTest, FailuresNameTheFileAndTheErrorAndLeaveNoOutput) {
  SRun run = Pict("missing.bmp", "out.bmp");
  EXPECT_EQ(run.out, "quarn2-pict: " + Path("missing.bmp") + ": A file error has occurred (file not found). (code -43)\n");
  EXPECT_EQ(run.status, 1);
  // A picture cut off in the middle.
  ASSERT_EQ(RunCommand("convert -size 20x20 xc:red -compress lzw " + Quoted("whole.tif") + " && head -c 300 " +
                       Quoted("whole.tif") + " > " + Quoted("in.tif") + " && rm " + Quoted("whole.tif"))
                .status,
            0);
  run = Pict("in.tif", "out.bmp");
  EXPECT_EQ(run.out, "quarn2-pict: " + Path("in.tif") + ": An unexpected error has occurred (invalid format). (code 2)\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Exists("out.bmp"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()), {}), 1);
}

// A BMP goes only to a ".bmp" name and a movie only to ".avi"; no picture is written over an input.
TEST_F(PictToolTest, TheOutputIsOfItsKindAndNeverAnInput) {
  ASSERT_EQ(RunCommand("convert -size 4x4 xc:red " + QuotedBmp3("in.bmp")).status, 0);
  std::ofstream(Path("in.psd")) << "the Photoshop file";
  const struct {
    std::string arguments;
    int status;
    std::string says;
  } cases[] = {
      {Quoted("in.bmp") + " " + Quoted("in.psd"), 2, ": the output is a BMP file (.bmp) or an AVI movie (.avi)"},
      {Quoted("in.bmp") + " " + Quoted("out.png"), 2, ": the output is a BMP file (.bmp) or an AVI movie (.avi)"},
      {Quoted("in.bmp") + " " + Quoted("in.bmp") + " " + Quoted("two.bmp"), 2, "several pictures make a movie"},
      {Quoted("in.bmp"), 2, "a picture and an output file are needed"},
      {Quoted("in.bmp") + " '" + tmp.Path() + "/./in.bmp'", 1, "cannot be written: it is the input"},
  };
  const std::string before = ReadAll("in.bmp");
  for (const auto& c : cases) {
    const SRun run = RunCommand(std::string(QUARN2_PICT_PATH) + " " + c.arguments + " 2>&1");
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.out.rfind("quarn2-pict: ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << run.out;
  }
  EXPECT_EQ(ReadAll("in.psd"), "the Photoshop file");
  EXPECT_TRUE(ReadAll("in.bmp") == before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()), {}), 2);
}

// Files of a kind the readers do not take say which kind, naming the file.
TEST_F(PictToolTest, KindsThatAreNotReadSaySo) {
  const struct {
    const char* make;
    const char* name;
    const char* says;
  } cases[] = {
      {"'BMP:", "v5.bmp", "a BMP file with a version 5 header (124 bytes) is not read"},
      {"'BMP:", "v4.bmp", "a BMP file with a version 4 header (108 bytes) is not read"},
      {"-depth 16 'TIFF:", "deep.tif", "a TIFF file of 16 bits per sample is not read"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(RunCommand(std::string("convert -size 4x3 xc:red ") + c.make + Path(c.name) + "'").status, 0) << c.name;
    // ImageMagick writes version 5 headers only; a version 4 one is the same header with its size.
    if (std::string(c.name) == "v4.bmp") {
      ASSERT_EQ(RunCommand("printf 'l' | dd of=" + Quoted(c.name) + " bs=1 seek=14 conv=notrunc 2>/dev/null").status, 0);
    }
    const SRun run = Pict(c.name, "out.bmp");
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_EQ(run.out.rfind("quarn2-pict: " + Path(c.name) + ": " + c.says, 0), 0u) << run.out;
    EXPECT_FALSE(Exists("out.bmp"));
  }
}

// The reader comes from the extension, or from the first bytes when the extension names none.
TEST_F(PictToolTest, TiffPhotoshopAndPictFilesBecomeBmpFiles) {
  ASSERT_EQ(RunCommand(std::string(PICTURE_SCRIPT) + " '" + tmp.Path() + "' small 2>&1").status, 0);
  ASSERT_EQ(RunCommand("cp " + Quoted("small.tif") + " " + Quoted("small.tiff") + " && tail -c +513 " +
                       Quoted("small.pct") + " > " + Quoted("bare.pct") + " && cp " + Quoted("small.psd") + " " +
                       Quoted("photoshop"))
                .status,
            0);
  const struct {
    const char* in;
    const char* truth;  // what ImageMagick reads as the same picture
  } cases[] = {{"small.tif", "small.tif"},  {"small.tiff", "small.tif"}, {"small.psd", "small.psd[0]"},
               {"photoshop", "small.psd[0]"}, {"small.pct", "small.pct"}, {"bare.pct", "small.pct"}};
  for (const auto& c : cases) {
    const SRun run = Pict(c.in, "out.bmp");
    ASSERT_EQ(run.status, 0) << c.in << run.out;
    EXPECT_EQ(RunCommand("compare -metric AE " + Quoted(c.truth) + " " + Quoted("out.bmp") + " null: 2>&1").out, "0")
        << c.in;
  }
}

TEST_F(PictToolTest, PicturesBecomeTheFramesOfAMovie) {
  for (const char* colour : {"red", "lime", "blue"}) {
    ASSERT_EQ(RunCommand(std::string("convert -size 6x4 xc:") + colour + " -fill white -draw 'point 1,0' " +
                         QuotedBmp3(std::string(colour) + ".bmp"))
                  .status,
              0);
  }
  SRun run = RunCommand(std::string(QUARN2_PICT_PATH) + " " + Quoted("red.bmp") + " " + Quoted("lime.bmp") + " " +
                        Quoted("blue.bmp") + " " + Quoted("out.AVI") + " 2>&1");
  ASSERT_EQ(run.status, 0) << run.out;
  // Not a terminal: a line at every tenth reached, with the time taken.
  EXPECT_NE(run.out.find("writing movie 100% (00:00 elapsed)\n"), std::string::npos) << run.out;
  run = RunCommand("ffprobe -v error -count_frames -show_entries stream=width,height,r_frame_rate,nb_read_frames "
                   "-of csv=p=0 " + Quoted("out.AVI"));
  EXPECT_EQ(run.out, "6,4,15/1,3\n");
  // Frame 2 is the lime picture, the right way up.
  ASSERT_EQ(RunCommand("ffmpeg -v error -i " + Quoted("out.AVI") + " -vf 'select=eq(n\\,1)' -frames:v 1 -y " +
                       Quoted("f.ppm")).status,
            0);
  EXPECT_EQ(RunCommand("compare -metric AE " + Quoted("lime.bmp") + " " + Quoted("f.ppm") + " null: 2>&1").out, "0");

  // A picture of another size is named, and the old movie stays.
  ASSERT_EQ(RunCommand("convert -size 5x4 xc:red " + QuotedBmp3("small.bmp")).status, 0);
  run = RunCommand(std::string(QUARN2_PICT_PATH) + " " + Quoted("red.bmp") + " " + Quoted("small.bmp") + " " +
                   Quoted("out.AVI") + " 2>&1");
  EXPECT_NE(run.out.find("quarn2-pict: " + Path("small.bmp") + ": every frame must have the first picture's size "
                         "(code 16)\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.status, 1);
  run = RunCommand("ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 " + Quoted("out.AVI"));
  EXPECT_EQ(run.out, "3\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()), {}), 6);
}

}  // namespace
