// quarn2-layout on the headless back end: the dialog's shot, its messages under a script, Escape,
// and its failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_tool.h"

namespace {

namespace fs = std::filesystem;

class Quarn2LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) / ("quarn2-layout-tool-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const SRun built = RunCommand(std::string(RESBUILD_PATH) + " '" + QUARN2_TEST_LAYOUTS + "/testdialog.layout' " +
                                  P("testdialog.dat") + " 2>&1");
    ASSERT_EQ(built.status, 0) << built.out;
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string P(const std::string& name) const { return "'" + (folder / name).string() + "'"; }
  SRun Tool(const std::string& arguments, const std::string& environment = "") const {
    return RunCommand("env QUARN2_HEADLESS=1 " + environment + " " + QUARN2_LAYOUT_PATH + " " + arguments +
                      " --system '" + QUARN2_SYSTEM_DAT + "' 2>&1");
  }
  std::string Pixel(const std::string& picture, int x, int y) const {
    return RunCommand("convert " + P(picture) + " -format '%[pixel:p{" + std::to_string(x) + "," + std::to_string(y) +
                      "}]' info:")
        .out;
  }

  fs::path folder;
};

TEST_F(Quarn2LayoutTest, TheShotIsTheWindowWithItsShadows) {
  const SRun run = Tool(P("testdialog.dat") + " 'test dialog' --shadows --shot " + P("shot.bmp"));
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(RunCommand("identify -format '%w %h' " + P("shot.bmp")).out, "248 168");
  EXPECT_EQ(Pixel("shot.bmp", 180, 125), "srgb(48,96,192)");
  EXPECT_EQ(Pixel("shot.bmp", 100, 50), "srgb(208,208,208)");
  // Shadows over the black screen behind.
  EXPECT_EQ(Pixel("shot.bmp", 244, 80), "srgb(0,0,0)");
}

// The dialog lies centred on the headless screen of 1024 × 768: its "ok" button at (532, 414).
TEST_F(Quarn2LayoutTest, APressedButtonsMessageIsPrintedAndEscapeEnds) {
  std::ofstream(folder / "script") << "wait 100\nmove 570 430\ndown left\nwait 50\nup left\nwait 100\nchar 27\n";
  const SRun run = Tool(P("testdialog.dat") + " 'test dialog'", "QUARN2_SCRIPT=" + P("script"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "message 0 \"ok\" \"\" \"test dialog\"\n");
}

TEST_F(Quarn2LayoutTest, FailuresNameTheFileAndTheCode) {
  SRun run = Tool(P("testdialog.dat") + " 'no dialog' --shot " + P("shot.bmp"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("testdialog.dat: no dialog: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(code 6)"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(folder / "shot.bmp"));
  run = Tool(P("missing.dat") + " 'test dialog'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("missing.dat: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(code -43)"), std::string::npos) << run.out;
  run = Tool(P("testdialog.dat"));
  EXPECT_EQ(run.status, 2);
}

}  // namespace
