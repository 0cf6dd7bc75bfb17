// Layout sources and PNG pictures: what resbuild makes of a .layout file, how it reports the lines it
// cannot read, and PNGs of every colour type read back as ImageMagick reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tool_folder.h"
#include "tools/png_picture.h"

namespace {

class LayoutSourceTest : public ToolFolderTest {
 protected:
  // resdump's listing without the sizes, sorted.
  std::vector<std::string> Listing(const std::string& file) const {
    std::istringstream lines(RunCommand(std::string(RESDUMP_PATH) + " " + P(file)).out);
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);) out.push_back(line.substr(0, line.rfind(' ')));
    std::sort(out.begin(), out.end());
    return out;
  }
  // ImageMagick makes a fixture.
  void Convert(const std::string& arguments, const std::string& name) const {
    ASSERT_EQ(std::system(("convert " + arguments + " " + P(name) + " 2>/dev/null").c_str()), 0) << arguments;
  }
};

TEST_F(LayoutSourceTest, TheTestDialogCompilesTheSameTwiceWithEveryKindOfRecord) {
  const std::string source = std::string("'") + QUARN2_TEST_LAYOUTS + "/testdialog.layout'";
  ASSERT_EQ(Resbuild(source, "a.dat").status, 0);
  ASSERT_EQ(Resbuild(source, "b.dat").status, 0);
  EXPECT_EQ(Read("a.dat"), Read("b.dat"));
  EXPECT_EQ(Listing("a.dat"),
            (std::vector<std::string>{"ImageIV32ARGB 1000 backdrop", "ImageIV32ARGB 1001 td ok up",
                                      "ImageIV32ARGB 1002 td ok down", "canv 1005 test dialog", "coel 1007 -",
                                      "elem 1006 -", "elem 1007 -", "elem 1008 -", "elem 1009 -", "eset 1006 -",
                                      "fost 1004 title", "hoca 1005 test dialog", "imca 1005 test dialog",
                                      "imel 1009 -", "ixim 1003 td ok states", "txel 1008 -"}));
}

// Numbers run from 1000 in file order (a canvas's records share one, an element's records and its
// callback list carry its number), numbers given stay, and a kind's record is made only from its
// properties.
TEST_F(LayoutSourceTest, ResourcesAreNumberedInFileOrder) {
  Convert("-size 2x2 xc:'#102030'", "p.png");
  Write("one.layout",
        "picture pic p.png number 5 hotspot 1 1\n"
        "texts labels {\n    0 \"a\"   # a comment\n}\n"
        "canvas one {\n"
        "    frame 0 0 50 80\n"
        "    elem root {\n"
        "        rect 0 0 50 80\n"
        "        imel button {\n            rect 1 1 10 10\n            picture pic\n        }\n"
        "        coel plain {\n            rect 1 1 5 5\n        }\n"
        "        rmel page {\n            rect 0 0 10 10\n            routines \"NULL\"\n        }\n"
        "        rsel pages {\n            rect 0 0 10 10\n            open \"page\"\n        }\n"
        "    }\n"
        "}\n"
        "canvas two {\n    frame 0 0 10 10\n    elem root {\n        rect 0 0 10 10\n        callbacks \"NULL\"\n    }\n}\n");
  const SRun run = Resbuild(P("one.layout"), "one.dat");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(Listing("one.dat"),
            (std::vector<std::string>{"ImageIV32ARGB 5 pic", "canv 1001 one", "canv 1008 two", "elem 1002 -",
                                      "elem 1003 -", "elem 1004 -", "elem 1005 -", "elem 1007 -", "elem 1009 -",
                                      "eset 1002 -", "hoca 1001 one", "hoca 1008 two", "imca 1001 one",
                                      "imca 1008 two", "imel 1003 -", "ixtx 1000 labels", "ixtx 1006 -",
                                      "ixtx 1009 -", "rmel 1005 -", "rsel 1007 -"}));
}

TEST_F(LayoutSourceTest, ALineThatCannotBeReadIsNamedAndLeavesTheOutputAlone) {
  Write("bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not a picture");
  Write("text.png", "hello");
  const std::string kCanvas = "canvas c {\n    frame 0 0 10 10\n";
  struct SCase {
    std::string source;
    std::string where;  // "LINE: reason" as reported after the file
  } cases[] = {
      {kCanvas + "    flurb\n}\n", "3: unknown word flurb"},
      {kCanvas + "    elem r {\n        shown\n    }\n}\n", "3: an element needs its rect"},
      {kCanvas + "    elem r {\n        rect 0 0 1 1\n        elem a {\n            rect 0 0 1 1\n        }\n"
                 "        elem a {\n            rect 0 0 1 1\n        }\n    }\n}\n",
       "8: two children of \"r\" are named \"a\""},
      {"picture abcdefghijklmnopqrstuvwxyz012345 p.png\n",
       "1: the name abcdefghijklmnopqrstuvwxyz012345 is over 31 characters"},
      {"picture good text.png\n", "1: text.png is no PNG picture"},
      {"picture good bad.png\n", "1: bad.png does not decode: "},
      {kCanvas + "    place 0x0C00 position x 0.5\n}\n", "3: expected a number, found x"},
      {kCanvas + "    elem r {\n        rect 0 0 1 1\n", "3: the block opened here is not closed"},
      {"picture a text.png number 1000\n", "1: a number given must be below 1000"},
      {kCanvas + "    elem r {\n        rect 0 0 1 1\n        opacity 0.5\n    }\n}\n", "5: unknown word opacity"},
  };
  Write("out.dat", "old");
  for (const SCase& c : cases) {
    Write("x.layout", c.source);
    const SRun run = Resbuild(P("x.layout"), "out.dat");
    EXPECT_EQ(run.status, 1) << c.source;
    const std::string expected = "resbuild: " + (folder / "x.layout").string() + ":" + c.where;
    EXPECT_EQ(run.out.substr(0, expected.size()), expected) << run.out;
    EXPECT_EQ(Read("out.dat"), "old");
  }
}

// A manifest takes a layout file and pictures with blanks in their names.
TEST_F(LayoutSourceTest, AManifestTakesLayoutsAndPictures) {
  Convert("-size 3x2 xc:'#336699'", "left.png");
  Write("d.layout", "canvas d {\n    frame 0 0 10 10\n}\n");
  Write("manifest", "ImageIV32ARGB 200 \"left shadow\" left.png\nlayout d.layout\n");
  ASSERT_EQ(Resbuild(P("manifest"), "m.dat").status, 0);
  EXPECT_EQ(Listing("m.dat"), (std::vector<std::string>{"ImageIV32ARGB 200 left shadow", "canv 1000 d",
                                                        "hoca 1000 d", "imca 1000 d"}));
  Write("manifest", "ixtx 200 \"left shadow\" left.png\n");
  const SRun run = Resbuild(P("manifest"), "m.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("manifest:1: pictures come from .png sources"), std::string::npos) << run.out;
}

// What libpng gives is what ImageMagick reads: every colour type to 8-bit RGBA, alpha 255 where the
// file has none. 16-bit samples are rounded to 8 bits (v / 257 to the nearest); ImageMagick's own
// "-depth 8" cuts them instead (0x8000 gives it 0x7F), so the expected bytes come from its 16-bit
// reading, rounded.
TEST_F(LayoutSourceTest, PngsOfEveryColourTypeReadAsImageMagickReadsThem) {
  const char* fixtures[][2] = {
      {"-size 5x3 gradient:black-white -depth 8 -define png:color-type=0", "grey.png"},
      {"-size 5x3 gradient:'#909090'-'#505050'", "grey16.png"},
      {"-size 4x2 xc:red -fill blue -draw 'point 1 0' -transparent blue -type Palette", "palette.png"},
      {"-size 5x3 gradient:'#336699'-'#CC9933' -depth 8 -define png:color-type=2", "rgb.png"},
      {"-size 5x3 gradient:'#336699'-'#CC9933' -depth 8 -alpha set -channel A -fx i/4 +channel "
       "-define png:color-type=6",
       "rgba.png"},
      {"-size 5x3 gradient:'#336699'-'#CC9933' -depth 16", "rgb16.png"},
      {"-size 7x5 gradient:'#336699'-'#CC9933' -depth 8 -interlace PNG", "interlaced.png"},
  };
  for (const auto& f : fixtures) {
    Convert(f[0], f[1]);
    SPngPicture picture;
    std::string error;
    ASSERT_TRUE(ReadPngPicture((folder / f[1]).string(), &picture, &error)) << f[1] << ": " << error;
    const std::string rgba = RunCommand("convert " + P(f[1]) + " -depth 16 -endian MSB rgba:-").out;
    ASSERT_EQ(rgba.size(), picture.pixels.size() * 8) << f[1];
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
      const auto* p = reinterpret_cast<const uint8_t*>(rgba.data() + 8 * i);
      const auto channel = [p](int c) { return ((uint32_t(p[2 * c]) << 8 | p[2 * c + 1]) * 255 + 32895) >> 16; };
      const uint32_t expected = channel(3) << 24 | channel(0) << 16 | channel(1) << 8 | channel(2);
      ASSERT_EQ(picture.pixels[i], expected) << f[1] << " pixel " << i;
    }
  }
}

}  // namespace
