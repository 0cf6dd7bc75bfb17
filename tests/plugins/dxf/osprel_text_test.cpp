// TEXT and SHAPE entities drawn with shape fonts that the tests write beside the drawing: the ezdxf
// drawings, the faults that leave a text out but import the rest, and where fonts are looked for.
#include <cmath>
#include <set>

#include "tests/plugins/dxf/osprel_fixture.h"
#include "tests/plugins/dxf/shape_fonts.h"

namespace osprel_test {
namespace {

constexpr double kRadiansPerDegree = 0.01745;

using SFontStroke = std::array<double, 4>;
const std::vector<SFontStroke> kA = {{0, 0, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 0}};
const std::vector<SFontStroke> kAA = {{0, 0, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 0},
                                      {1, 0, 1, 1}, {1, 1, 2, 1}, {2, 1, 2, 0}};
const std::vector<SFontStroke> kE = {{0, 0, 2, 0}};
const std::vector<SFontStroke> kLineFeed = {{0, 0, 0, 4}};
const std::vector<SFontStroke> kBox = {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 0, 0}};

// How font units are placed: mirrored by the generation flags, scaled by k, widened by e, slanted by f
// degrees, turned by r degrees about the insertion point.
struct SPlacing {
  double k = 1, e = 1, f = 0, r = 0;
  int generation = 0;
  double x = 5, y = 5;

  std::array<double, 2> Place(double px, double py) const {
    if (generation & 2) px = -px;
    if (generation & 4) py = -py;
    const double f1 = f * kRadiansPerDegree, r1 = r * kRadiansPerDegree;
    const double sx = k * (e * px * std::cos(f1) + py * std::sin(f1)), sy = k * py;
    return {sx * std::cos(r1) - sy * std::sin(r1) + x, sx * std::sin(r1) + sy * std::cos(r1) + y};
  }
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OsprelTextTest : public COsprelTest {
 protected:
  // The fonts of the tests beside the drawing: "testfont", "shapes" and "txt".
  void WriteFonts() {
    Write(shape_fonts::kTestFont, "testfont.shp");
    Write(shape_fonts::kShapesFont, "shapes.shp");
    Write(shape_fonts::kTxtFont, "txt.shp");
  }

  int32_t ImportFixture(const std::string& name) {
    WriteFonts();
    return Import(Write(ReadText(Fixture(name))));
  }

  // Each stroke is a wall of thickness 1 over the placed stroke: two triangles whose corners are its
  // ends at z = 0 and z = 1.
  void ExpectWalls(const std::vector<SFontStroke>& strokes, const SPlacing& placing, const std::string& what) {
    const auto triangles = fHost.AllTriangles();
    ASSERT_EQ(triangles.size(), 2 * strokes.size()) << what;
    std::vector<std::array<double, 3>> expected;
    for (const SFontStroke& s : strokes) {
      for (const auto& end : {placing.Place(s[0], s[1]), placing.Place(s[2], s[3])})
        for (double z : {0.0, 1.0}) expected.push_back({end[0], end[1], z});
    }
    const auto near = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
      return std::fabs(a[0] - b[0]) < 1e-5 && std::fabs(a[1] - b[1]) < 1e-5 && std::fabs(a[2] - b[2]) < 1e-5;
    };
    std::vector<bool> met(expected.size());
    for (const STriangle& t : triangles) {
      for (int corner = 0; corner < 3; ++corner) {
        const std::array<double, 3> point = {t[corner * 3], t[corner * 3 + 1], t[corner * 3 + 2]};
        bool found = false;
        for (size_t i = 0; i < expected.size(); ++i)
          if (near(point, expected[i])) found = met[i] = true;
        EXPECT_TRUE(found) << what << ": corner (" << point[0] << ", " << point[1] << ", " << point[2] << ")";
      }
    }
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_TRUE(met[i]) << what << ": no corner at (" << expected[i][0] << ", " << expected[i][1] << ", "
                          << expected[i][2] << ")";
  }
};

TEST_F(OsprelTextTest, TextsOfTheEzdxfDrawings) {
  const auto placing = [](auto change) {
    SPlacing p;
    change(p);
    return p;
  };
  const struct {
    const char* fixture;
    std::vector<SFontStroke> strokes;
    SPlacing placing;
  } cases[] = {
      {"text_a", kA, {}},
      {"text_aa", kAA, {}},
      {"text_hex", kE, {}},
      {"text_decimal", kA, {}},
      {"text_caret", kLineFeed, {}},
      {"text_fixed_height", kA, placing([](SPlacing& p) { p.k = 2; })},
      {"text_mirror_x", kA, placing([](SPlacing& p) { p.generation = 2; })},
      {"text_mirror_y", kA, placing([](SPlacing& p) { p.generation = 4; })},
      {"text_rotated", kA, placing([](SPlacing& p) { p.r = 90; })},
      {"text_oblique", kA, placing([](SPlacing& p) {
         p.e = 2;
         p.f = 30;
       })},
      // The style "STANDARD" that the reader adds has the font "TXT", found as "txt.shp".
      {"text_unknown_style", kE, {}},
      {"text_thin", {}, {}},
      {"text_empty", {}, {}},
      {"text_zero_height", {}, {}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ImportFixture(c.fixture), 0) << c.fixture;
    ExpectWalls(c.strokes, c.placing, c.fixture);
  }
  ASSERT_EQ(ImportFixture("text_aa"), 0);
  EXPECT_NEAR(BoxOf(fHost.AllTriangles()).high[0], 7, 1e-6) << "the second letter starts at x = 6";
}

TEST_F(OsprelTextTest, ShapesOfShapeFileStyles) {
  SPlacing box;
  box.k = 3;
  box.x = 1;
  box.y = 2;
  ASSERT_EQ(ImportFixture("shape_box"), 0);
  ExpectWalls(kBox, box, "BOX, scaled by its size and not by the font's above value");
  for (const char* fixture : {"shape_none", "shape_onlytext"}) {
    ASSERT_EQ(ImportFixture(fixture), 0) << fixture;
    EXPECT_TRUE(fHost.AllTriangles().empty()) << fixture;
  }
}

// A drawing of the style T1 of font "testfont", a TEXT of height 10 and thickness 1, and a circle.
std::string TextAndCircle(const std::string& text, const std::string& font = "testfont") {
  return "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nSTYLE\n0\nSTYLE\n2\nT1\n70\n0\n40\n0\n3\n" + font +
         "\n0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n0\n20\n0\n30\n0\n40\n10\n1\n" + text +
         "\n7\nT1\n39\n1\n" + Circle() + "0\nENDSEC\n0\nEOF\n";
}

constexpr size_t kCircleTriangles = 20;

// Font faults leave the text out from the failing character on; the circle and the import stand.
TEST_F(OsprelTextTest, FontFaultsLeaveTheTextOut) {
  const std::string header = "*0,4,testfont\n10,2,0,0\n";
  const std::string rest = shape_fonts::kTestFont.substr(header.size());
  const struct {
    const char* what;
    std::string text;
    std::string font;
    size_t textTriangles;
  } cases[] = {
      {"A then B of 3,0", "AB", shape_fonts::kTestFont, 6},
      {"C and D calling each other", "CA", shape_fonts::kTestFont, 0},
      {"a final ^ stands for itself", "A^", shape_fonts::kTestFont, 8},
      {"%% without a digit stands for itself", "%%", shape_fonts::kTestFont, 4},
      {"%% takes every digit and reads the first 4", "%%00659A", shape_fonts::kTestFont, 8},
      {"^ with a character below @", "^!", shape_fonts::kTestFont, 0},
      {"a header whose above is 0", "A", "*0,4,testfont\n0,2,0,0\n" + rest, 0},
      {"a header of modes 1", "A", "*0,4,testfont\n10,2,1,0\n" + rest, 0},
      {"a header whose fourth item is not 0", "A", "*0,4,testfont\n10,2,0,3\n" + rest, 0},
      {"no header before the shape", "A", rest, 0},
      {"a definition cut by the end of the file", "A", header + "*65,9,A\n1,014,010,01C,0\n", 0},
      {"a shape missing from the file", "AB", header + "*66,2,B\n010,0\n", 0},
      {"more items than the byte count draw nothing but count as drawn", "AB",
       header + "*65,2,A\n010,014,0\n*66,2,B\n010,0\n", 2},
      {"subshapes that multiply", "A", shape_fonts::MultiplyingFont(), 0},
  };
  for (const auto& c : cases) {
    Write(c.font, "testfont.shp");
    ASSERT_EQ(ImportText(TextAndCircle(c.text)), 0) << c.what;
    EXPECT_EQ(fHost.AllTriangles().size(), kCircleTriangles + c.textTriangles) << c.what;
  }
}

// With a thickness every stroke takes four vertices and seven index entries of its entity's store: a
// text that needs more ends the import as any entity too large does, and its meshes go again.
TEST_F(OsprelTextTest, TextsTooLargeForOneEntity) {
  for (const auto& [text, strokes] : {std::pair{"A", 5001}, std::pair{"AA", 1500}}) {
    Write(shape_fonts::LongFont(strokes), "testfont.shp");
    EXPECT_EQ(ImportText(TextAndCircle(text)), 19) << text;
    EXPECT_EQ(fHost.LiveMeshes(), 0u) << text;
  }
  Write(shape_fonts::LongFont(1400), "testfont.shp");
  EXPECT_EQ(ImportText(TextAndCircle("AA")), 0);
  EXPECT_EQ(fHost.AllTriangles().size(), kCircleTriangles + 2 * 2800);
}

// Fonts are looked for beside the drawing, by their exact name first and then by a name that differs
// only in case.
TEST_F(OsprelTextTest, FontsBesideTheDrawing) {
  const std::string oneStroke = "*0,4,testfont\n10,2,0,0\n*65,2,A\n010,0\n";
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // name, content
    std::string drawing;
    std::string font;
    size_t triangles;
  } cases[] = {
      {"exact name", {{"testfont.shp", shape_fonts::kTestFont}}, "drawing.dxf", "testfont", 6},
      {"other case", {{"TESTFONT.SHP", shape_fonts::kTestFont}}, "drawing.dxf", "testfont", 6},
      {"exact name first", {{"TestFont.shp", oneStroke}, {"testfont.shp", shape_fonts::kTestFont}}, "drawing.dxf",
       "testfont", 6},
      {"of two in other cases the first in byte order",
       {{"TestFont.shp", oneStroke}, {"TESTFONT.SHP", shape_fonts::kTestFont}}, "drawing.dxf", "testfont", 6},
      {"no font", {}, "drawing.dxf", "testfont", 0},
      {"only beside the drawing", {{"testfont.shp", shape_fonts::kTestFont}}, "sub/drawing.dxf", "testfont", 0},
      {"no folders in the name", {{"testfont.shp", shape_fonts::kTestFont}}, "sub/drawing.dxf", "../testfont", 0},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(fFolder);
    std::filesystem::create_directories(fFolder / "sub");
    for (const auto& [name, content] : c.files) Write(content, name);
    ASSERT_EQ(Import(Write(TextAndCircle("A", c.font), c.drawing)), 0) << c.what;
    EXPECT_EQ(fHost.AllTriangles().size(), kCircleTriangles + c.triangles) << c.what;
  }
}

}  // namespace
}  // namespace osprel_test
