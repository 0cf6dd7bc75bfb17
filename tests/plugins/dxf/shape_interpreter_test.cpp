// The shape interpreter: one-shape fonts and the strokes and end position each gives.
#include <cmath>

#include "tests/plugins/dxf/shape_font_fixture.h"
#include "tests/plugins/dxf/shape_fonts.h"

namespace osprel_test {
namespace {

constexpr double kRadiansPerDegree = 0.01745;

struct SPoint {
  double x, y;
};

void ExpectStrokes(const SShapeRun& run, const std::vector<std::array<double, 4>>& expected, const std::string& what) {
  ASSERT_EQ(run.strokes.size(), expected.size()) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const SStroke& s = run.strokes[i];
    const auto& e = expected[i];
    EXPECT_NEAR(s.x0, e[0], 1e-9) << what << " stroke " << i;
    EXPECT_NEAR(s.y0, e[1], 1e-9) << what << " stroke " << i;
    EXPECT_NEAR(s.x1, e[2], 1e-9) << what << " stroke " << i;
    EXPECT_NEAR(s.y1, e[3], 1e-9) << what << " stroke " << i;
  }
}

TEST(ShapeInterpreterTest, StraightCommands) {
  const struct {
    const char* what;
    const char* definition;
    bool vertical;
    std::vector<std::array<double, 4>> strokes;
    SPoint end;
  } cases[] = {
      {"vectors", "1,014,010,01C,0", false, {{0, 0, 0, 1}, {0, 1, 1, 1}, {1, 1, 1, 0}}, {1, 0}},
      {"vector lengths and half steps", "021,0", false, {{0, 0, 2, 1}}, {2, 1}},
      {"pen up moves without drawing", "2,010,1,014,0", false, {{1, 0, 1, 1}}, {1, 1}},
      {"3,2 halves the scale", "3,2,010,0", false, {{0, 0, 0.5, 0}}, {0.5, 0}},
      {"4,3 triples the scale", "4,3,010,0", false, {{0, 0, 3, 0}}, {3, 0}},
      {"a fifth push and a pop of nothing are ignored",
       "2,5,010,5,010,5,010,5,010,5,6,1,014,2,6,6,6,6,1,010,0", false, {{3, 0, 3, 1}, {0, 0, 1, 0}}, {1, 0}},
      {"8,(2,-1) at scale 2", "4,2,8,(2,-1),0", false, {{0, 0, 4, -2}}, {4, -2}},
      {"9 draws pairs until (0,0)", "9,(1,0),(0,1),(0,0),010,0", false,
       {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 2, 1}}, {2, 1}},
      {"12 with bulge 0 moves straight", "12,(2,0,0),0", false, {{0, 0, 2, 0}}, {2, 0}},
      {"14 skips the next command when horizontal", "14,010,014,0", false, {{0, 0, 0, 1}}, {0, 1}},
      {"14 runs it when vertical", "14,010,014,0", true, {{0, 0, 1, 0}, {1, 0, 1, 1}}, {1, 1}},
      {"14 skips a command with its operands", "14,8,(5,5),010,0", false, {{0, 0, 1, 0}}, {1, 0}},
      {"14 skips code 9 up to its (0,0)", "14,9,(1,1),(2,2),(0,0),010,0", false, {{0, 0, 1, 0}}, {1, 0}},
      {"14 can skip the end", "14,0,010,0", false, {{0, 0, 1, 0}}, {1, 0}},
      {"15 does nothing", "15,010,0", false, {{0, 0, 1, 0}}, {1, 0}},
      {"0 ends the shape", "010,0,014", false, {{0, 0, 1, 0}}, {1, 0}},
      {"the items may end without 0", "010", false, {{0, 0, 1, 0}}, {1, 0}},
      {"a shape does not call itself", "7,1,010,0", false, {{0, 0, 1, 0}}, {1, 0}},
  };
  for (const auto& c : cases) {
    const CFontFile file(OneShapeFont(c.definition));
    const SShapeRun run = file.Run(1, c.vertical);
    ASSERT_EQ(run.code, kShapeDrawn) << c.what;
    ExpectStrokes(run, c.strokes, c.what);
    EXPECT_NEAR(run.x, c.end.x, 1e-9) << c.what;
    EXPECT_NEAR(run.y, c.end.y, 1e-9) << c.what;
    EXPECT_EQ(run.above, 10) << c.what;
  }
}

// Scales past any number, missing operands and division by zero make the font bad.
TEST(ShapeInterpreterTest, DefinitionsThatCannotBeRun) {
  std::string overflowing;
  for (int i = 0; i < 150; ++i) overflowing += i % 10 == 9 ? "4,127,\n" : "4,127,";
  overflowing += "010,0";
  for (const std::string& definition : {std::string("3,0,010,0"), std::string("8,1"), std::string("010,3"),
                                        std::string("9,(1,0),(0,1)"), std::string("14,11,1,2"), overflowing}) {
    const CFontFile file(OneShapeFont(definition));
    EXPECT_EQ(file.Run(1).code, kShapeBadFont) << definition;
  }
}

// Octant arcs: radius 1 from the pen, the octant item's high digit the first octant and its low digit
// the count; 9 degrees a chord, angles by 0.01745 a degree.
TEST(ShapeInterpreterTest, OctantArcs) {
  const struct {
    const char* definition;
    double turn;
  } cases[] = {{"10,(1,004),0", 1}, {"10,(1,-004),0", -1}};
  for (const auto& c : cases) {
    const CFontFile file(OneShapeFont(c.definition));
    const SShapeRun run = file.Run(1);
    ASSERT_EQ(run.code, kShapeDrawn) << c.definition;
    ASSERT_EQ(run.strokes.size(), 20u) << c.definition;
    for (size_t k = 0; k < 20; ++k) {
      const double angle = c.turn * 9.0 * double(k + 1) * kRadiansPerDegree;
      EXPECT_NEAR(run.strokes[k].x1, -1 + std::cos(angle), 1e-12) << c.definition << " chord " << k;
      EXPECT_NEAR(run.strokes[k].y1, std::sin(angle), 1e-12) << c.definition << " chord " << k;
    }
    // 180 x 0.01745 falls short of a half turn: the arc ends a little off the x axis.
    EXPECT_NEAR(run.y, c.turn * std::sin(180 * kRadiansPerDegree), 1e-12) << c.definition;
    EXPECT_GT(std::fabs(run.y), 5e-4) << c.definition;
  }
  const CFontFile empty(OneShapeFont("10,(1,020),0"));
  EXPECT_TRUE(empty.Run(1).strokes.empty()) << "no octants, no chords";
}

TEST(ShapeInterpreterTest, FractionalArcStartsAndEndsInsideOctants) {
  // From 45 + 56/256 x 45 = 55 degrees to 90 + 28/256 x 45 = 95 degrees, radius 3: 40 degrees in 4
  // chords.
  const CFontFile file(OneShapeFont("11,(56,28,0,3,012),0"));
  const SShapeRun run = file.Run(1);
  ASSERT_EQ(run.code, kShapeDrawn);
  ASSERT_EQ(run.strokes.size(), 4u);
  const double cx = -3 * std::cos(55 * kRadiansPerDegree), cy = -3 * std::sin(55 * kRadiansPerDegree);
  EXPECT_NEAR(run.x, cx + 3 * std::cos(95 * kRadiansPerDegree), 1e-12);
  EXPECT_NEAR(run.y, cy + 3 * std::sin(95 * kRadiansPerDegree), 1e-12);
}

TEST(ShapeInterpreterTest, BulgeArcs) {
  // Bulge 127 is a half circle over the chord (0,0)-(2,0), counter-clockwise, so below the chord.
  const CFontFile half(OneShapeFont("12,(2,0,127),0"));
  SShapeRun run = half.Run(1);
  ASSERT_EQ(run.code, kShapeDrawn);
  ASSERT_EQ(run.strokes.size(), 20u);
  EXPECT_NEAR(run.strokes[9].x1, 1, 1e-6);
  EXPECT_NEAR(run.strokes[9].y1, -1, 1e-6);
  EXPECT_NEAR(run.x, 2, 1e-6);
  EXPECT_NEAR(run.y, 0, 1e-6);

  const CFontFile clockwise(OneShapeFont("12,(2,0,-127),0"));
  run = clockwise.Run(1);
  ASSERT_EQ(run.strokes.size(), 20u);
  EXPECT_NEAR(run.strokes[9].y1, 1, 1e-6);

  // A small bulge still reaches the chord's end, in one chord; its radius of 64, taken with pi/2 as
  // 1.5707963, puts the end a few millionths off.
  const CFontFile flat(OneShapeFont("12,(2,0,1),0"));
  run = flat.Run(1);
  ASSERT_EQ(run.strokes.size(), 1u);
  EXPECT_NEAR(run.x, 2, 1e-5);

  // Code 13 runs bulge arcs until (0,0), which takes no bulge.
  const CFontFile arcs(OneShapeFont("13,(2,0,127),(-2,0,0),(0,0),014,0"));
  run = arcs.Run(1);
  ASSERT_EQ(run.code, kShapeDrawn);
  ASSERT_EQ(run.strokes.size(), 22u);
}

TEST(ShapeInterpreterTest, Subshapes) {
  // Shape 2 runs at shape 1's pen and scale 2: a stroke up, then a move with the pen up, which shape
  // 1 keeps.
  const CFontFile file("*0,4,t\n10,2,0,0\n*1,9,one\n2,010,1,4,2,7,2,010,0\n*2,4,two\n014,2,010,0\n");
  const SShapeRun run = file.Run(1);
  ASSERT_EQ(run.code, kShapeDrawn);
  ExpectStrokes(run, {{1, 0, 1, 2}}, "subshape");
  EXPECT_NEAR(run.x, 5, 1e-12);
  EXPECT_NEAR(run.y, 2, 1e-12);
  EXPECT_FALSE(run.penDown);

  const CFontFile calling(shape_fonts::kTestFont);
  EXPECT_EQ(calling.Run('C').code, kShapeBadFont) << "shapes calling each other";
  const CFontFile missing("*1,3,one\n7,2,0\n");
  EXPECT_EQ(missing.Run(1).code, kShapeMissing);
}

TEST(ShapeInterpreterTest, BoundedWork) {
  const CFontFile many(shape_fonts::MultiplyingFont());
  EXPECT_EQ(many.Run('A').code, kShapeBadFont) << "3^16 subshapes run out of commands";
  const CFontFile fits(shape_fonts::LongFont(5000));
  const SShapeRun run = fits.Run('A');
  EXPECT_EQ(run.code, kShapeDrawn);
  EXPECT_EQ(run.strokes.size(), 5000u);
  const CFontFile tooLong(shape_fonts::LongFont(5001));
  EXPECT_EQ(tooLong.Run('A').code, kShapeTooManyStrokes);
}

}  // namespace
}  // namespace osprel_test
