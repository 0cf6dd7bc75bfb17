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
  size_t FileCount() const {
    return std::distance(std::filesystem::directory_iterator(tmp_.Path()), std::filesystem::directory_iterator());
  }

 private:
  CPrivateTmpDir tmp_{"quarn2-sky"};
};

TEST_F(Quarn2Sky, TheDefaultPanoramaIsWhiteAtTheHorizon) {
  const SRun run = RunSky("'" + Path("sky.ppm") + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "");
  const std::string header = "P6\n360 181\n255\n";
  const std::string picture = ReadAll(Path("sky.ppm"));
  ASSERT_EQ(picture.size(), header.size() + 360 * 181 * 3);
  EXPECT_EQ(picture.substr(0, header.size()), header);
  const std::string horizon = picture.substr(header.size() + 90 * 360 * 3, 360 * 3);
  EXPECT_EQ(horizon, std::string(360 * 3, char(255)));
  // The sky above is not white everywhere.
  EXPECT_NE(picture.substr(header.size(), 360 * 3), std::string(360 * 3, char(255)));
  const SRun identify = RunCommand("identify -format '%w %h' '" + Path("sky.ppm") + "'");
  EXPECT_EQ(identify.out, "360 181");
}

TEST_F(Quarn2Sky, OptionsSizeThePictureAndChooseTheSky) {
  ASSERT_EQ(RunSky("'" + Path("flat.ppm") + "' --width 8 --height 5 --flags 800").status, 0);
  const std::string header = "P6\n8 5\n255\n";
  const std::string picture = ReadAll(Path("flat.ppm"));
  ASSERT_EQ(picture.size(), header.size() + 8 * 5 * 3);
  for (size_t i = header.size(); i < picture.size(); i += 3)
    EXPECT_EQ(picture.substr(i, 3), (std::string{char(51), char(51), char(255)})) << i;
  // A sun below the horizon still gives a picture.
  ASSERT_EQ(RunSky("--sun 0 -1 1 '" + Path("night.ppm") + "' --width 4 --height 3").status, 0);
  EXPECT_EQ(ReadAll(Path("night.ppm")).size(), std::string("P6\n4 3\n255\n").size() + 4 * 3 * 3);
}

TEST_F(Quarn2Sky, BadArgumentsAreRefusedWithAMessage) {
  const char* cases[] = {
      "",
      "a.ppm b.ppm",
      "a.ppm --height 1",
      "a.ppm --width 0",
      "a.ppm --width 12x",
      "a.ppm --flags xyz",
      "a.ppm --sun 0 0 0",
      "a.ppm --sun 1 2",
      "a.ppm --colour red",
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
    std::ofstream old(Path("sky.ppm"));
    old << "old picture";
  }
  ASSERT_EQ(RunSky("'" + Path("sky.ppm") + "' --width 2 --height 2").status, 0);
  EXPECT_EQ(ReadAll(Path("sky.ppm")).substr(0, 2), "P6");
  EXPECT_EQ(FileCount(), 1u);
  const SRun missing = RunSky("'" + Path("no/such/folder/sky.ppm") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("quarn2-sky: "), std::string::npos);
  EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
