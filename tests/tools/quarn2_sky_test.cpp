#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

SRun RunSky(const std::string& arguments) {
  return RunCommand(std::string(QUARN2_SKY_PATH) + " " + arguments + " 2>&1");
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Quarn2Sky : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return tmp_.Path() + "/" + name; }
  // The BMP's pixels as a binary PPM, top row first, as ImageMagick reads them.
  std::string AsPpm(const char* name) const {
    const std::string ppm = Path(name) + ".ppm";
    if (RunCommand("convert '" + Path(name) + "' -depth 8 'ppm:" + ppm + "'").status != 0) return "";
    std::string picture = ReadAll(ppm);
    std::filesystem::remove(ppm);
    return picture;
  }
  size_t FileCount() const {
    return std::distance(std::filesystem::directory_iterator(tmp_.Path()), std::filesystem::directory_iterator());
  }

 private:
  CPrivateTmpDir tmp_{"quarn2-sky"};
};

TEST_F(Quarn2Sky, TheDefaultPanoramaIsWhiteAtTheHorizon) {
  const SRun run = RunSky("'" + Path("sky.bmp") + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "");
  const SRun identify = RunCommand("identify -format '%m %w %h %z' '" + Path("sky.bmp") + "'");
  EXPECT_EQ(identify.out, "BMP3 360 181 8");
  const std::string header = "P6\n360 181\n255\n";
  const std::string picture = AsPpm("sky.bmp");
  ASSERT_EQ(picture.size(), header.size() + 360 * 181 * 3);
  EXPECT_EQ(picture.substr(0, header.size()), header);
  const std::string horizon = picture.substr(header.size() + 90 * 360 * 3, 360 * 3);
  EXPECT_EQ(horizon, std::string(360 * 3, char(255)));
  // The sky above is not white everywhere.
  EXPECT_NE(picture.substr(header.size(), 360 * 3), std::string(360 * 3, char(255)));
}

TEST_F(Quarn2Sky, OptionsSizeThePictureAndChooseTheSky) {
  ASSERT_EQ(RunSky("'" + Path("flat.bmp") + "' --width 8 --height=5 --flags 800").status, 0);
  const std::string header = "P6\n8 5\n255\n";
  const std::string picture = AsPpm("flat.bmp");
  ASSERT_EQ(picture.size(), header.size() + 8 * 5 * 3);
  for (size_t i = header.size(); i < picture.size(); i += 3)
    EXPECT_EQ(picture.substr(i, 3), (std::string{char(51), char(51), char(255)})) << i;
  // A sun below the horizon still gives a picture; the direction's numbers go by commas or spaces.
  for (const char* sun : {"--sun=0,-1,1", "--sun '0 -1 1'"}) {
    ASSERT_EQ(RunSky(std::string(sun) + " '" + Path("night.bmp") + "' --width=4 --height 3").status, 0) << sun;
    EXPECT_EQ(AsPpm("night.bmp").size(), std::string("P6\n4 3\n255\n").size() + 4 * 3 * 3) << sun;
  }
}

TEST_F(Quarn2Sky, BadArgumentsAreRefusedWithAMessage) {
  const char* cases[] = {
      "",
      "a.bmp b.bmp",
      "a.ppm",
      "a.bmp --height 1",
      "a.bmp --width 0",
      "a.bmp --width 12x",
      "a.bmp --flags xyz",
      "a.bmp --sun 0,0,0",
      "a.bmp --sun 1,2",
      "a.bmp --sun 1,2,3,4",
      "a.bmp --colour red",
  };
  for (const char* arguments : cases) {
    const SRun run = RunSky(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_NE(run.out.find("usage: quarn2-sky"), std::string::npos) << arguments;
  }
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(Quarn2Sky, ThePictureReplacesAnOldFileAndAFailedWriteLeavesNothing) {
  {
    std::ofstream old(Path("sky.bmp"));
    old << "old picture";
  }
  ASSERT_EQ(RunSky("'" + Path("sky.bmp") + "' --width 2 --height 2").status, 0);
  EXPECT_EQ(ReadAll(Path("sky.bmp")).substr(0, 2), "BM");
  EXPECT_EQ(FileCount(), 1u);
  const SRun missing = RunSky("'" + Path("no/such/folder/sky.bmp") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "quarn2-sky: " + Path("no/such/folder/sky.bmp") + ": cannot be written: the folder " +
                             Path("no/such/folder") + " does not exist\n");
  EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
