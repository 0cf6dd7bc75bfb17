#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_tool.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

class PictToolTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return tmp.Path() + "/" + name; }
  std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }
  SRun Pict(const std::string& in, const std::string& out) const {
    return RunCommand(std::string(QUARN2_PICT_PATH) + " " + Quoted(in) + " " + Quoted(out) + " 2>&1");
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

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

TEST_F(PictToolTest, FailuresNameTheErrorAndLeaveNoOutput) {
  SRun run = Pict("missing.bmp", "out.bmp");
  EXPECT_EQ(run.out, "A file error has occurred (file not found).\n");
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(RunCommand("convert -size 2x2 xc:red " + Quoted("in.tif")).status, 0);
  run = Pict("in.tif", "out.bmp");
  EXPECT_EQ(run.out, "An unexpected error has occurred (invalid format).\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(Exists("out.bmp"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.Path()), {}), 1);
  run = RunCommand(std::string(QUARN2_PICT_PATH) + " only-one 2>&1");
  EXPECT_EQ(run.out, "usage: quarn2-pict IN OUT.bmp\n");
  EXPECT_EQ(run.status, 2);
}

}  // namespace
