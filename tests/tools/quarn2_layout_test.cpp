// quarn2-layout on the headless back end: the dialog's shot, its title, its messages under a script,
// Escape, and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/ui/geometry.h"
#include "framework/ui/text_style.h"
#include "tool_folder.h"
#include "tests/framework/core/resource_fixture.h"
#include "tests/framework/ui/font_fixture.h"

namespace {

namespace fs = std::filesystem;

class Quarn2LayoutTest : public ToolFolderTest {
 protected:
  void SetUp() override {
    ToolFolderTest::SetUp();
    const SRun built = Resbuild(std::string("'") + QUARN2_TEST_LAYOUTS + "/testdialog.layout'", "testdialog.dat");
    ASSERT_EQ(built.status, 0) << built.out;
  }
  SRun Tool(const std::string& arguments, const std::string& environment = "") const {
    return RunCommand("env QUARN2_HEADLESS=1 " + environment + " " + QUARN2_LAYOUT_PATH + " " + arguments +
                      " --system '" + QUARN2_SYSTEM_DAT + "' 2>&1");
  }
  std::string Pixel(const std::string& picture, int x, int y) const {
    return RunCommand("convert " + P(picture) + " -format '%[pixel:p{" + std::to_string(x) + "," + std::to_string(y) +
                      "}]' info:")
        .out;
  }
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

// The title is the only difference the dialog's text makes: it lies inside the title's text rect,
// which holds black pixels. The rect comes from the style the layout gives the title: the sans font
// at 14 pixels, the text at (2, 3) in the title element, whose top left is (28, 26) in the window.
class Quarn2LayoutTitleTest : public FontTestT<ResourceTest> {
 protected:
  std::string P(const std::string& name) const { return "'" + Path(name) + "'"; }
  // The dialog of the layout source, shot headless: its pixels as red, green, blue bytes.
  std::string Shot(const std::string& source) const {
    const std::string layout = Path("dialog.layout");
    std::ofstream(layout) << source;
    for (const char* picture : {"backdrop.png", "ok-up.png", "ok-down.png"})
      fs::copy_file(std::string(QUARN2_TEST_LAYOUTS) + "/" + picture, Path(picture), fs::copy_options::overwrite_existing);
    const SRun built = RunCommand(std::string(RESBUILD_PATH) + " " + P("dialog.layout") + " " + P("dialog.dat") + " 2>&1");
    EXPECT_EQ(built.status, 0) << built.out;
    const SRun shot = RunCommand("env QUARN2_HEADLESS=1 " + std::string(QUARN2_LAYOUT_PATH) + " " + P("dialog.dat") +
                                 " 'test dialog' --shot " + P("shot.bmp") + " --system '" + QUARN2_SYSTEM_DAT + "' 2>&1");
    EXPECT_EQ(shot.status, 0) << shot.out;
    return RunCommand("convert " + P("shot.bmp") + " -depth 8 rgb:-").out;
  }
};

TEST_F(Quarn2LayoutTitleTest, TheTitleChangesOnlyItsTextRect) {
  std::ifstream in(std::string(QUARN2_TEST_LAYOUTS) + "/testdialog.layout");
  const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const size_t title = source.find("        txel title {"), end = source.find("        }\n", title);
  ASSERT_NE(end, std::string::npos);
  const std::string untitled = source.substr(0, title) + source.substr(end + 10);
  const std::string with = Shot(source), without = Shot(untitled);
  ASSERT_EQ(with.size(), 240u * 160u * 3u);
  ASSERT_EQ(without.size(), with.size());

  CFileSpec spec;
  spec.Set(QUARN2_SYSTEM_DAT);
  CResourceEnv system(spec, CFile::kModeRead);
  STextStyle style;
  style.matrix = {14, 0, 0, 14};
  style.font = Acquired(system, 128);
  ASSERT_NE(style.font, nullptr);
  SRect text;
  style.GetTextRect(&text, "Quarn2", {2, 3});
  style.ReleaseFont();
  text = OffsetRect(text, 28, 26);
  ASSERT_FALSE(IsEmptyRect(text));

  uint32_t black = 0, differing = 0;
  for (int32_t y = 0; y < 160; ++y) {
    for (int32_t x = 0; x < 240; ++x) {
      const size_t at = (size_t(y) * 240 + size_t(x)) * 3;
      if (with.compare(at, 3, without, at, 3) == 0) continue;
      ++differing;
      EXPECT_TRUE(IsPointInRect({x, y}, text)) << x << " " << y;
      black += with.compare(at, 3, std::string(3, '\0')) == 0;
    }
  }
  EXPECT_GT(differing, 100u);
  EXPECT_GT(black, 20u);
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
