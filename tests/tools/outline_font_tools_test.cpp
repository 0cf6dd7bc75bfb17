// The program's fonts: DejaVu converted through FreeType into data/system.dat, held against FreeType's
// own rendering of the same outlines; resbuild's font, style and text element sources and their
// errors; resdump's view of them.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "framework/core/file.h"
#include "framework/core/result_codes.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "framework/ui/outline_font.h"
#include "framework/ui/text_style.h"
#include "tool_folder.h"
#include "tests/framework/image/image_fixture.h"
#include "tests/framework/core/resource_fixture.h"
#include "tests/framework/ui/font_fixture.h"
#include "tools/truetype_font.h"

namespace {

namespace fs = std::filesystem;

class FontToolsTest : public ToolFolderTest {
 protected:
  // A .layout source's first error, the old output file staying as it was.
  std::string LayoutError(const std::string& source) const {
    Write("bad.layout", source);
    Write("out.dat", "the old file");
    const SRun run = Resbuild(P("bad.layout"), "out.dat");
    EXPECT_EQ(run.status, 1) << source;
    EXPECT_EQ(Read("out.dat"), "the old file");
    const std::string prefix = "resbuild: " + (folder / "bad.layout").string() + ":";
    return run.out.rfind(prefix, 0) == 0 ? run.out.substr(prefix.size()) : run.out;
  }
};

TEST_F(FontToolsTest, TheSystemFileHoldsTheTwoFontsTheSameAtEveryBuild) {
  const SRun listed = RunCommand(std::string(RESDUMP_PATH) + " '" + QUARN2_SYSTEM_DAT + "'");
  ASSERT_EQ(listed.status, 0) << listed.out;
  const std::regex font("OutlineFont (128 sans|129 sans bold) [0-9]+ glyphs ([0-9]+) points ([0-9]+) box "
                        "[-0-9.e]+ [-0-9.e]+ [-0-9.e]+ [-0-9.e]+ single-byte");
  uint32_t fonts = 0;
  std::istringstream lines(listed.out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (line.rfind("OutlineFont", 0) != 0) continue;
    ASSERT_TRUE(std::regex_match(line, match, font)) << line;
    EXPECT_LE(std::stoul(match[2]), 256u) << line;
    EXPECT_GT(std::stoul(match[3]), 1000u) << line;
    ++fonts;
  }
  EXPECT_EQ(fonts, 2u) << listed.out;
  ASSERT_EQ(Resbuild(std::string("'") + QUARN2_SYSTEM_MANIFEST + "'", "again.dat").status, 0);
  std::ifstream built(QUARN2_SYSTEM_DAT, std::ios::binary);
  EXPECT_TRUE(Read("again.dat") == std::string(std::istreambuf_iterator<char>(built), {}));
}

TEST_F(FontToolsTest, OnlyResbuildLinksFreeType) {
  auto freeTypeSymbols = [](const char* program) {
    return RunCommand(std::string("nm -D --undefined-only '") + program + "' | grep -c ' FT_'").out;
  };
  EXPECT_EQ(freeTypeSymbols(QUARN2_PROGRAM_PATH), "0\n");
  EXPECT_NE(freeTypeSymbols(RESBUILD_PATH), "0\n");
}

TEST_F(FontToolsTest, AFontFreeTypeCannotOpenStopsResbuild) {
  Write("bad.ttf", "not a font at all");
  Write("manifest", "# fonts\nOutlineFont 1 bad bad.ttf\n");
  Write("out.dat", "the old file");
  SRun run = Resbuild(P("manifest"), "out.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("resbuild: " + (folder / "manifest").string() + ":2: bad.ttf: FreeType cannot open it", 0),
            0u)
      << run.out;
  EXPECT_EQ(Read("out.dat"), "the old file");
  Write("manifest", "ixtx 1 bad " + std::string(QUARN2_DEJAVU_DIR) + "/DejaVuSans.ttf\n");
  run = Resbuild(P("manifest"), "out.dat");
  EXPECT_NE(run.out.find(":1: fonts come from .ttf sources as 'OutlineFont' resources"), std::string::npos) << run.out;
}

TEST_F(FontToolsTest, StyleAndTextElementLinesResbuildCannotReadNameTheirLine) {
  const std::string canvas = "canvas c {\n    frame 0 0 10 10\n    elem root {\n        rect 0 0 10 10\n";
  struct SCase {
    std::string source;
    std::string error;
  } cases[] = {
      {"style s {\n    matrix 1 2\n}\n", "2: matrix takes 4 values"},
      {"style s {\n    font\n}\n", "2: font takes 1 value"},
      {"style s {\n    colour red\n}\n", "2: expected a 32-bit value, found red"},
      {"style s {\n    bold\n}\n", "2: unknown word bold"},
      {"style s\n", "1: a style's settings go in a block"},
      {canvas + "        txel t {\n            rect 0 0 5 5\n            text \"" + std::string(64, 'x') +
           "\"\n        }\n    }\n}\n",
       "7: text holds at most 63 characters"},
      {canvas + "        txel t {\n            rect 0 0 5 5\n            textshadow 1 2\n        }\n    }\n}\n",
       "7: textshadow needs DX DY RADIUS OPACITY"},
      {canvas + "        txel t {\n            rect 0 0 5 5\n            list number x\n        }\n    }\n}\n",
       "7: expected a number, found x"},
  };
  for (const SCase& c : cases) EXPECT_EQ(LayoutError(c.source), c.error + "\n") << c.source;
}

TEST_F(FontToolsTest, ResdumpPrintsStylesAndTextElementsAsTheirSource) {
  Write("one.layout",
        "style title number 7 {\n    font \"sans\"\n    matrix 14 0 0 14\n    colour 0xFF102030\n"
        "    align 0.5 1\n    wrap 80\n    baseline\n}\n"
        "canvas c {\n    frame 0 0 10 10\n    elem root {\n        rect 0 0 10 10\n"
        "        txel caption {\n            rect 0 0 5 5\n            text \"Quarn2\" owned\n"
        "            style \"title\"\n            position 2.5 3\n            textshadow 2 3 4 0.5 shown\n"
        "            fittext extend\n        }\n    }\n}\n");
  ASSERT_EQ(Resbuild(P("one.layout"), "one.dat").status, 0);
  SRun run = RunCommand(std::string(RESDUMP_PATH) + " --decode " + P("one.dat") + " fost 7");
  EXPECT_EQ(run.out,
            "style \"title\" number 7 {\n    font \"sans\"\n    matrix 14 0 0 14\n    colour 0xFF102030\n"
            "    align 0.5 1\n    spacing 0\n    line-height 1\n    wrap 80\n    baseline\n}\n");
  run = RunCommand(std::string(RESDUMP_PATH) + " --decode " + P("one.dat") + " txel 1002");
  EXPECT_EQ(run.out,
            "    text \"Quarn2\" owned\n    style \"title\"\n    position 2.5 3\n    text-layer 1\n"
            "    textshadow 2 3 4 0.5 shown\n    shadow-layer 1\n    opacity 1\n    fittext extend\n");
}

// ---- the converted fonts against FreeType

class ConvertedFontTest : public FontTestT<ResourceTest> {
 protected:
  uint32_t DataBudget() const override { return 16 * 1024 * 1024; }
  void SetUp() override {
    FontTestT<ResourceTest>::SetUp();
    CFileSpec spec;
    spec.Set(QUARN2_SYSTEM_DAT);
    system = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
    ASSERT_TRUE(system->IsOpen());
    font = Acquired(*system, 128);
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, QUARN2_DEJAVU_DIR "/DejaVuSans.ttf", 0, &face), 0);
  }
  void TearDown() override {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
    COutlineFont::Release(font);
    system.reset();
    FontTestT<ResourceTest>::TearDown();
  }
  // FreeType's 8-bit coverage of the character's outline at that many pixels to the em, its pen at
  // (x, y) of a width × height picture, moved half a pixel right and down: FreeType's pixels span
  // whole coordinates where the program's are centred on them.
  std::vector<uint8_t> FreeTypeCoverage(char c, float em, float x, float y, uint32_t width, uint32_t height) {
    EXPECT_EQ(FT_Load_Char(face, FT_ULong(uint8_t(c)), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
    FT_Outline& outline = face->glyph->outline;
    const double scale = em / face->units_per_EM * 64;
    FT_Matrix matrix{FT_Fixed(scale * 65536), 0, 0, FT_Fixed(scale * 65536)};
    FT_Outline_Transform(&outline, &matrix);
    FT_Outline_Translate(&outline, FT_Pos((x + 0.5) * 64), FT_Pos((float(height) - y - 0.5f) * 64));
    std::vector<uint8_t> gray(size_t(width) * height, 0);
    FT_Bitmap bitmap{};
    bitmap.rows = height;
    bitmap.width = width;
    bitmap.pitch = int(width);
    bitmap.buffer = gray.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    EXPECT_EQ(FT_Outline_Get_Bitmap(library, &outline, &bitmap), 0);
    return gray;
  }
  // The program's coverage of the same: the glyph raising the alpha of a clear picture.
  std::vector<uint8_t> OwnCoverage(char c, float em, float x, float y, uint32_t width, uint32_t height) {
    auto image = SolidImage(width, height, 0);
    EXPECT_TRUE(font->DrawGlyph(font->GlyphOf(uint8_t(c)), {x, y}, {em, 0, 0, em}, image.get(), nullptr, false));
    std::vector<uint8_t> alpha;
    for (const uint32_t pixel : Pixels(*image)) alpha.push_back(uint8_t(pixel >> 24));
    return alpha;
  }
  static SRect InkBox(const std::vector<uint8_t>& coverage, uint32_t width) {
    SRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (size_t i = 0; i < coverage.size(); ++i) {
      if (!coverage[i]) continue;
      const int32_t x = int32_t(i % width), y = int32_t(i / width);
      box = {std::min(box.top, y), std::min(box.left, x), std::max(box.bottom, y + 1), std::max(box.right, x + 1)};
    }
    return box;
  }

  std::unique_ptr<CResourceEnv> system;
  COutlineFont* font = nullptr;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

TEST_F(ConvertedFontTest, GlyphsCoverWhatFreeTypeCovers) {
  for (const float em : {24.0f, 48.0f}) {
    for (const char c : std::string("Og&aW@%")) {
      const uint32_t width = uint32_t(em) * 2, height = uint32_t(em) * 2;
      const float x = em / 2 + 0.3f, y = em * 1.5f + 0.2f;
      const std::vector<uint8_t> own = OwnCoverage(c, em, x, y, width, height);
      const std::vector<uint8_t> theirs = FreeTypeCoverage(c, em, x, y, width, height);
      double ownTotal = 0, theirTotal = 0;
      for (size_t i = 0; i < own.size(); ++i) {
        ownTotal += own[i];
        theirTotal += theirs[i];
      }
      EXPECT_NEAR(ownTotal, theirTotal, theirTotal * 0.02) << c << " at " << em;
      const SRect ownBox = InkBox(own, width), theirBox = InkBox(theirs, width);
      EXPECT_LE(std::abs(ownBox.top - theirBox.top), 1) << c << " at " << em;
      EXPECT_LE(std::abs(ownBox.left - theirBox.left), 1) << c << " at " << em;
      EXPECT_LE(std::abs(ownBox.bottom - theirBox.bottom), 1) << c << " at " << em;
      EXPECT_LE(std::abs(ownBox.right - theirBox.right), 1) << c << " at " << em;
    }
  }
}

// For a person to look at: lines of both fonts at three sizes, written as BMP and turned into PNG in
// the build's tests/renders folder; nothing is read back.
TEST_F(ConvertedFontTest, ASampleOfTextIsRenderedForAPersonToLookAt) {
  COutlineFont* bold = Acquired(*system, 129);
  ASSERT_NE(bold, nullptr);
  auto image = SolidImage(640, 200, 0x00FFFFFF);
  const char* sample = "Quarn2 \x97 The quick brown fox jumps over the lazy dog. 0123456789 \x80 \xE4\xF6\xFC\xDF";
  float y = 8;
  for (COutlineFont* face : {font, bold}) {
    for (const float em : {12.0f, 16.0f, 24.0f}) {
      STextStyle style;
      style.font = face;
      style.matrix = {em, 0, 0, em};
      EXPECT_EQ(style.DrawText(sample, {8, y}, image.get()), kNoErr);
      y += em * 1.3f;
    }
  }
  COutlineFont::Release(bold);
  fs::create_directories(QUARN2_TEST_RENDERS);
  const std::string bmp = std::string(QUARN2_TEST_RENDERS) + "/text-sample.bmp";
  CFileSpec spec;
  ASSERT_EQ(spec.Set(bmp.c_str()), kNoErr);
  ASSERT_EQ(SaveImageAsBmp(spec, image.get(), true), kNoErr);
  EXPECT_EQ(RunCommand("convert '" + bmp + "' '" + QUARN2_TEST_RENDERS + "/text-sample.png'").status, 0);
}

// Windows-1252 codes: the euro sign has its glyph, the undefined 0x81 and the control codes read the
// empty glyph 0, the space keeps its advance with one point; identical glyphs are stored once.
TEST_F(ConvertedFontTest, TheMapFollowsWindows1252) {
  EXPECT_NE(font->GlyphOf(0x80), 0u);
  EXPECT_EQ(font->GlyphOf(0x81), 0u);
  EXPECT_EQ(font->GlyphOf(13), 0u);
  EXPECT_EQ(font->GlyphAdvance(0), 0.0f);
  const uint32_t space = font->GlyphOf(' ');
  EXPECT_NE(space, 0u);
  EXPECT_NEAR(font->GlyphAdvance(space), 651.0 / 2048, 1e-6);
  EXPECT_EQ(font->GlyphBounds(space, {3, 4}, {12, 0, 0, 12}), (SFontBox{4, 3, 4, 3}));
  EXPECT_EQ(font->GlyphOf(0xA0), space);
  SOutlineFontSource converted;
  std::string reason;
  ASSERT_TRUE(ConvertTrueTypeFont(QUARN2_DEJAVU_DIR "/DejaVuSans.ttf", &converted, &reason)) << reason;
  EXPECT_EQ(converted.glyphs, font->GetGlyphCount());
  EXPECT_FALSE(ConvertTrueTypeFont(Path("missing.ttf"), &converted, &reason));
  EXPECT_EQ(reason.rfind("FreeType cannot open it", 0), 0u) << reason;
}

}  // namespace
