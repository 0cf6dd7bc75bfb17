// Shape font files: the header, the items, and what looking a shape up answers.
#include "plugins/dxf/plugin_memory.h"
#include "tests/plugins/dxf/shape_font_fixture.h"

namespace osprel_test {
namespace {

const std::string kHeader = "*0,4,testfont\n10,2,0,0\n";

TEST(ShapeFontTest, FilesAsTheyAreRead) {
  const struct {
    const char* what;
    std::string font;
    int32_t code;
    size_t strokes;
  } cases[] = {
      {"header of modes 0", kHeader + "*65,2,A\n010,0\n", kShapeDrawn, 1},
      {"header of modes 2", "*0,4,testfont\n10,2,2,0\n*65,2,A\n010,0\n", kShapeDrawn, 1},
      {"header in parentheses with blanks", "*0,4,testfont\n(10, 2, 0, 0)\n*65,2,A\n010,0\n", kShapeDrawn, 1},
      {"no header", "*65,2,A\n010,0\n", kShapeDrawn, 1},
      {"header of modes 1", "*0,4,testfont\n10,2,1,0\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"fourth header item not 0", "*0,4,testfont\n10,2,0,1\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"header of three items", "*0,4,testfont\n10,2,0\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"header of byte count 3", "*0,3,testfont\n10,2,0,0\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"header whose above is 0", "*0,4,testfont\n0,2,0,0\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"header cut by the end", "*0,4,testfont\n", kShapeCut, 0},
      {"bad header after the shape", "*65,2,A\n010,0\n*0,4,t\n10,2,1,0\n", kShapeDrawn, 1},
      {"definition over two lines", kHeader + "*65,3,A\n010,\n014,0\n", kShapeDrawn, 2},
      {"definition cut by the end", kHeader + "*65,5,A\n010,0\n", kShapeCut, 0},
      {"definition cut by the next shape", kHeader + "*65,5,A\n010,0\n*66,2,B\n010,0\n", kShapeCut, 0},
      {"shape missing", kHeader + "*66,2,B\n010,0\n", kShapeMissing, 0},
      {"more items than the count", kHeader + "*65,2,A\n010,014,0\n", kShapeDrawn, 0},
      {"unreadable item", kHeader + "*65,2,A\n01G,0\n", kShapeBadFont, 0},
      {"unreadable byte count", kHeader + "*65,x,A\n010,0\n", kShapeBadFont, 0},
      {"unreadable number before it", kHeader + "*6x,2,B\n010,0\n*65,2,A\n010,0\n", kShapeBadFont, 0},
      {"another shape's bad items do not matter", kHeader + "*66,2,B\nzz,0\n*65,2,A\n010,0\n", kShapeDrawn, 1},
      {"hexadecimal shape number", kHeader + "*041,2,A\n010,0\n", kShapeDrawn, 1},
  };
  for (const auto& c : cases) {
    const CFontFile file(c.font);
    ASSERT_EQ(file.Code(), kShapeDrawn) << c.what;
    const SShapeRun run = file.Run(65);
    EXPECT_EQ(run.code, c.code) << c.what;
    if (run.code == kShapeDrawn) {
      EXPECT_EQ(run.strokes.size(), c.strokes) << c.what;
    }
  }
}

// A definition's byte count is only what its "*" line claims: reading takes memory for the items the
// file holds, not for the count, however large, and keeps none for a definition cut short.
TEST(ShapeFontTest, MemoryFollowsTheItemsNotTheClaimedCount) {
  std::string font = kHeader;
  for (int shape = 100; shape < 200; ++shape) font += "*" + std::to_string(shape) + ",9999,s\n";
  font += "*65,2000000000,A\n010,0\n";
  SetAllocationFailure(0);
  const CFontFile file(font);
  ASSERT_EQ(file.Code(), kShapeDrawn);
  // The entries' table of 128 is the largest block, less than the 9,999 items of one claimed count.
  EXPECT_LT(LargestAllocation(), 9999u * sizeof(int32_t));
  const SShapeRun run = file.Run(65);
  EXPECT_EQ(run.code, kShapeCut);
  SShapeDefinition definition;
  EXPECT_EQ(FindShape(*file.Font(), 65, &definition), kShapeCut);
  EXPECT_EQ(definition.count, 2);
  EXPECT_EQ(FindShape(*file.Font(), 150, &definition), kShapeCut);
  EXPECT_EQ(definition.count, 0);
}

// Item by item, as code 8's dx: the stroke ends at x = the item's value.
TEST(ShapeFontTest, ItemsReadDecimalOrHexadecimal) {
  const struct {
    const char* item;
    double value;
  } cases[] = {{"014", 20}, {"-01", -1}, {"+010", 16}, {"10", 10}, {"12345", 1234}, {"0", 0},
               {"-5", -5}, {"( 7", 7},  {"0a", 10},  {"-0FFF", -255}};
  for (const auto& c : cases) {
    const CFontFile file(OneShapeFont(std::string("8,(") + c.item + ",0),0"));
    const SShapeRun run = file.Run(1);
    ASSERT_EQ(run.code, kShapeDrawn) << c.item;
    ASSERT_EQ(run.strokes.size(), 1u) << c.item;
    EXPECT_EQ(run.strokes[0].x1, c.value) << c.item;
  }
}

TEST(ShapeFontTest, ShapesFoundByName) {
  const CFontFile file(kHeader + "*65,2,A\n010,0\n*200,2,BOX\n014,0\n*201,2,BOX\n018,0\n");
  ASSERT_TRUE(file.Font());
  EXPECT_EQ(FindShapeByName(*file.Font(), "BOX"), 200);
  EXPECT_EQ(FindShapeByName(*file.Font(), "A"), 65);
  EXPECT_EQ(FindShapeByName(*file.Font(), "box"), 0);
  EXPECT_EQ(FindShapeByName(*file.Font(), "testfont"), 0) << "the header is no shape";
}

TEST(ShapeFontTest, MissingFileCannotBeRead) {
  SShapeFont* font = nullptr;
  EXPECT_EQ(ReadShapeFont("/nonexistent/quarn2/font.shp", &font), kShapeNoFile);
  EXPECT_EQ(font, nullptr);
}

}  // namespace
}  // namespace osprel_test
