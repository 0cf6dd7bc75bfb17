// Glyph scan conversion: crossings, the box filter of filled and outlined glyphs, and whole glyphs
// drawn into images.
#include "framework/ui/glyph_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "tests/framework/ui/font_fixture.h"
#include "tests/framework/ui/picture_fixture.h"

namespace {

using FontTest = FontTestT<PictureTest>;

// A grid on vectors, its lists ringed by values no crossing takes.
class TestGrid {
 public:
  static constexpr float kUntouched = -12345.0f;

  TestGrid(uint32_t width, uint32_t height)
      : fCoverage(size_t(width) * height, 255),
        fColumnCounts(width, 0),
        fRowCounts(height, 0),
        fColumnLists(size_t(width + 3) * SScanGrid::kCrossingsPerLine, kUntouched),
        fRowLists(size_t(height + 3) * SScanGrid::kCrossingsPerLine, kUntouched) {
    for (uint32_t i = 0; i < width; ++i) fColumnTable.push_back(i * SScanGrid::kCrossingsPerLine);
    for (uint32_t j = 0; j < height; ++j) fRowTable.push_back(j * SScanGrid::kCrossingsPerLine);
    grid = {width,           height,          fCoverage.data(), fColumnCounts.data(), fColumnLists.data(),
            fColumnTable.data(), fRowCounts.data(), fRowLists.data(), fRowTable.data()};
  }
  uint8_t Cell(uint32_t i, uint32_t j) const { return fCoverage[size_t(j) * grid.width + i]; }
  std::vector<float> Row(uint32_t j) const {
    const float* list = grid.rowLists + grid.rowTable[j];
    return {list, list + grid.rowCounts[j]};
  }
  std::vector<float> Column(uint32_t i) const {
    const float* list = grid.columnLists + grid.columnTable[i];
    return {list, list + grid.columnCounts[i]};
  }
  // A closed polygon, its crossings sorted and filled.
  void Fill(const std::vector<SGridPoint>& polygon) {
    for (size_t k = 0; k < polygon.size(); ++k) CrossLine(grid, polygon[k], polygon[(k + 1) % polygon.size()]);
    SortCrossings(grid.width, grid.columnCounts, grid.columnLists, grid.columnTable);
    SortCrossings(grid.height, grid.rowCounts, grid.rowLists, grid.rowTable);
    FillRowSpans(grid);
    CorrectColumnEdges(grid);
  }
  const std::vector<float>& RowLists() const { return fRowLists; }

  SScanGrid grid;

 private:
  std::vector<uint8_t> fCoverage, fColumnCounts, fRowCounts;
  std::vector<float> fColumnLists, fRowLists;
  std::vector<uint32_t> fColumnTable, fRowTable;
};

TEST(GlyphScanTest, AVerticalEdgeCoversItsCellsByTheirShareOfThePixel) {
  struct SCase {
    float left;
    uint8_t cell10, cell11;
  } cases[] = {{10.3f, 204, 0}, {10.78f, 255, 71}};
  for (const SCase& c : cases) {
    TestGrid t(24, 8);
    t.Fill({{c.left, 1.5f}, {20.5f, 1.5f}, {20.5f, 5.5f}, {c.left, 5.5f}});
    EXPECT_EQ(t.Cell(10, 3), c.cell10) << c.left;
    EXPECT_EQ(t.Cell(11, 3), c.cell11) << c.left;
    EXPECT_EQ(t.Cell(15, 3), 0) << c.left;
    // Pixel rows 1 and 6 end and begin at the horizontal edges.
    EXPECT_EQ(t.Cell(15, 1), 255) << c.left;
    EXPECT_EQ(t.Cell(15, 2), 0) << c.left;
    EXPECT_EQ(t.Cell(15, 6), 255) << c.left;
  }
}

TEST(GlyphScanTest, OutlinesDarkenTheCellsBesideEachCrossing) {
  TestGrid t(12, 4);
  t.grid.rowCounts[1] = 2;
  t.grid.rowLists[t.grid.rowTable[1]] = 7.0f;
  t.grid.rowLists[t.grid.rowTable[1] + 1] = 3.25f;
  StrokeRowCrossings(t.grid);
  EXPECT_EQ(t.Cell(7, 1), 0);
  EXPECT_EQ(t.Cell(8, 1), 255);
  EXPECT_EQ(t.Cell(3, 1), 64);
  EXPECT_EQ(t.Cell(4, 1), 191);
}

TEST(GlyphScanTest, EndPointsOnGridLinesMoveOffThem) {
  TestGrid t(8, 8);
  CrossLine(t.grid, {3.0f, 0.5f}, {3.0f, 4.5f});
  EXPECT_EQ(t.Row(2), std::vector<float>{3.0f + 1.0f / 64});
  CrossLine(t.grid, {0.5f, 6.0f}, {5.5f, 6.0f});
  EXPECT_EQ(t.Row(6), std::vector<float>{});
  EXPECT_EQ(t.Column(2), std::vector<float>{6.0f + 1.0f / 64});
  TestGrid raw(8, 8);
  CrossLineRaw(raw.grid, {0.5f, 6.0f}, {5.5f, 6.0f});
  EXPECT_EQ(raw.Column(2), std::vector<float>{6.0f});
}

TEST(GlyphScanTest, QuadraticsAreCrossedInClosedFormAndStraightOnesAsLines) {
  TestGrid line(8, 8), onChord(8, 8), curve(8, 8);
  CrossLineRaw(line.grid, {0.5f, 0.5f}, {6.5f, 4.5f});
  CrossQuadratic(onChord.grid, {0.5f, 0.5f}, {3.5f, 2.5f}, {6.5f, 4.5f});
  for (uint32_t k = 0; k < 8; ++k) {
    EXPECT_EQ(onChord.Row(k), line.Row(k)) << k;
    EXPECT_EQ(onChord.Column(k), line.Column(k)) << k;
  }
  // Straight along x only: x = 0.5 + 4t, y = 4t² + 0.0625; the rows still meet the curve.
  CrossQuadratic(curve.grid, {0.5f, 0.0625f}, {2.5f, 0.0625f}, {4.5f, 4.0625f});
  for (uint32_t j = 1; j <= 4; ++j) {
    ASSERT_EQ(curve.Row(j).size(), 1u) << j;
    const double t = (std::sqrt(double(j) - 0.0625)) / 2;  // y(t) = 4t² + 0.0625
    EXPECT_NEAR(curve.Row(j)[0], 0.5 + 4 * t, 1e-4) << j;
  }
}

TEST(GlyphScanTest, ALineCrossedMoreThanThirtyTwoTimesKeepsItsOwnList) {
  TestGrid t(80, 8);
  for (int k = 0; k < 40; ++k) {
    const float x = 1.5f + 1.75f * float(k);
    CrossLine(t.grid, {x, 1.5f}, {x + 0.5f, 4.5f});
  }
  EXPECT_EQ(t.grid.rowCounts[2], SScanGrid::kCrossingsPerLine);
  EXPECT_EQ(t.grid.rowCounts[3], SScanGrid::kCrossingsPerLine);
  // Past the last row's list the ring is untouched.
  const std::vector<float>& lists = t.RowLists();
  for (size_t k = size_t(t.grid.height) * SScanGrid::kCrossingsPerLine; k < lists.size(); ++k)
    ASSERT_EQ(lists[k], TestGrid::kUntouched) << k;
  for (uint32_t j = 0; j < 8; ++j) {
    for (uint32_t k = t.grid.rowCounts[j]; k < SScanGrid::kCrossingsPerLine; ++k)
      ASSERT_EQ(lists[t.grid.rowTable[j] + k], TestGrid::kUntouched) << j << " " << k;
  }
}

// ---- whole glyphs

class DrawGlyphTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    COutlineFontBuilder builder;
    square = builder.AddGlyph(RectangleGlyph(1, 1, 1));
    // A contour that starts with a control point, and the same contour starting at its midpoint.
    SGlyphOutline bent;
    bent.points = {{0, -1}, {1, 0}, {3, 0}, {3, -3}};
    bent.flags = {0, COutlineFont::kOnCurve, COutlineFont::kOnCurve,
                  COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd};
    controlFirst = builder.AddGlyph(bent);
    bent.points = {{1.5f, -2}, {0, -1}, {1, 0}, {3, 0}, {3, -3}};
    bent.flags = {COutlineFont::kOnCurve, 0, COutlineFont::kOnCurve, COutlineFont::kOnCurve,
                  COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd};
    midpointFirst = builder.AddGlyph(bent);
    SGlyphOutline zigzag;
    for (int k = 0; k < 40; ++k) {
      zigzag.points.push_back({float(k), 0});
      zigzag.points.push_back({float(k) + 0.5f, -3});
      zigzag.flags.insert(zigzag.flags.end(), {COutlineFont::kOnCurve, COutlineFont::kOnCurve});
    }
    zigzag.points.push_back({40, -4});
    zigzag.flags.push_back(COutlineFont::kOnCurve | COutlineFont::kContourEnd | COutlineFont::kGlyphEnd);
    this->zigzag = builder.AddGlyph(zigzag);
    PutFont(*env, 1, "", builder.Build());
    font = Acquired(*env, 1);
    ASSERT_NE(font, nullptr);
  }
  void TearDown() override {
    COutlineFont::Release(font);
    FontTest::TearDown();
  }

  COutlineFont* font = nullptr;
  uint32_t square = 0, controlFirst = 0, midpointFirst = 0, zigzag = 0;
};

constexpr uint32_t kHalfWhite = 0x80FFFFFF;
const uint32_t kBlack = 0xFF000000;

TEST_F(DrawGlyphTest, TheUnitSquareCoversExactlyItsPixels) {
  auto image = SolidImage(40, 40, kHalfWhite);
  ASSERT_TRUE(font->DrawGlyph(square, {9.5f, 19.5f}, {12, 0, 0, 12}, image.get(), &kBlack, false));
  const std::vector<uint32_t> pixels = Pixels(*image);
  for (uint32_t y = 0; y < 40; ++y) {
    for (uint32_t x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x <= 21 && y >= 8 && y <= 19;
      ASSERT_EQ(pixels[y * 40 + x], inside ? 0x80000000u : kHalfWhite) << x << " " << y;
    }
  }
}

TEST_F(DrawGlyphTest, ATransparentColourMovesCoveredPixelsOnlyABit) {
  auto image = SolidImage(40, 40, 0x00FFFFFF);
  const uint32_t clear = 0x00000000;
  ASSERT_TRUE(font->DrawGlyph(square, {9.5f, 19.5f}, {12, 0, 0, 12}, image.get(), &clear, false));
  EXPECT_EQ(PixelAt(*image, 15, 15), 0x00FEFEFEu);
  EXPECT_EQ(PixelAt(*image, 5, 5), 0x00FFFFFFu);
}

TEST_F(DrawGlyphTest, WithoutAColourTheCoverageOnlyRaisesAlpha) {
  auto image = SolidImage(40, 40, 0xC8123456);
  ASSERT_TRUE(font->DrawGlyph(square, {9.25f, 19.5f}, {12, 0, 0, 12}, image.get(), nullptr, false));
  EXPECT_EQ(PixelAt(*image, 15, 15), 0xFF123456u);
  // The left edge at 9.25 covers pixel 9 by a quarter: less than the alpha there.
  EXPECT_EQ(PixelAt(*image, 9, 15), 0xC8123456u);
  EXPECT_EQ(PixelAt(*image, 30, 30), 0xC8123456u);
}

TEST_F(DrawGlyphTest, AContourStartingWithAControlPointStartsAtItsMidpoint) {
  auto first = SolidImage(60, 60, 0x00FFFFFF), second = SolidImage(60, 60, 0x00FFFFFF);
  ASSERT_TRUE(font->DrawGlyph(controlFirst, {10.3f, 45.7f}, {12, 0, 0, 12}, first.get(), &kBlack, false));
  ASSERT_TRUE(font->DrawGlyph(midpointFirst, {10.3f, 45.7f}, {12, 0, 0, 12}, second.get(), &kBlack, false));
  EXPECT_EQ(Pixels(*first), Pixels(*second));
  EXPECT_NE(Pixels(*first), Pixels(*SolidImage(60, 60, 0x00FFFFFF)));
}

TEST_F(DrawGlyphTest, GlyphsOutsideTheAreaOrOutOfReachDrawNothing) {
  const auto blank = Pixels(*SolidImage(40, 40, 0x00FFFFFF));
  auto image = SolidImage(40, 40, 0x00FFFFFF);
  EXPECT_TRUE(font->DrawGlyph(square, {100, 100}, {12, 0, 0, 12}, image.get(), &kBlack, false));
  ASSERT_TRUE(image->SetClip({0, 0, 10, 10}));
  EXPECT_TRUE(font->DrawGlyph(square, {20, 30}, {12, 0, 0, 12}, image.get(), &kBlack, false));
  EXPECT_EQ(image->GetClip(), (SRect{0, 0, 10, 10}));
  image->ClipToBounds();
  EXPECT_TRUE(font->DrawGlyph(square, {10, 10}, {1e7f, 0, 0, 1e7f}, image.get(), &kBlack, false));
  EXPECT_TRUE(font->DrawGlyph(square, {10, 10}, {std::nanf(""), 0, 0, 12}, image.get(), &kBlack, false));
  EXPECT_EQ(Pixels(*image), blank);
}

TEST_F(DrawGlyphTest, AGlyphCrossingALineOftenDrawsWithinItsBuffers) {
  auto image = SolidImage(300, 60, 0x00FFFFFF);
  ASSERT_TRUE(font->DrawGlyph(zigzag, {2.5f, 50.5f}, {6, 0, 0, 12}, image.get(), &kBlack, false));
  EXPECT_NE(Pixels(*image), Pixels(*SolidImage(300, 60, 0x00FFFFFF)));
  // Outlined too, and a small glyph after the large one.
  ASSERT_TRUE(font->DrawGlyph(zigzag, {2.5f, 50.5f}, {6, 0, 0, 12}, image.get(), &kBlack, true));
  ASSERT_TRUE(font->DrawGlyph(square, {1.5f, 3.5f}, {2, 0, 0, 2}, image.get(), &kBlack, false));
}

}  // namespace
