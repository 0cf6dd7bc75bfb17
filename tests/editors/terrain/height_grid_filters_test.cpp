// The terrain editor's grid routines on small grids made in code: filters and fills, drag shapes,
// grid functions, range stretch, range-limited smoothing and blending, crop and fit.
#include "editors/terrain/height_grid_filters.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "grid_fixture.h"
#include "platform/alloc.h"
#include "tests/framework/core/pools_fixture.h"

namespace {

using GridFilters = PoolsTest;

// The identity curve: entry i = trunc(i × 65535 / 127).
std::vector<uint16_t> IdentityCurve() {
  std::vector<uint16_t> curve(kCurveEntries);
  for (uint32_t i = 0; i < kCurveEntries; ++i) curve[i] = uint16_t(i * 65535 / 127);
  return curve;
}

// ---- FilterHeightGrid

TEST_F(GridFilters, KernelsAndFillsOfAConstantGrid) {
  const struct {
    int32_t mode;
    CHFUnit inner;  // columns 1 to 14
    CHFUnit edge;   // columns 0 and 15
  } cases[] = {
      {kFilterSmooth, 10156, 10000},
      {kFilterSharpen, 10234, 10000},
      {kFilterRelief, 12456, 10000},
      {kFilterRaiseLower, 0, 0},
      {kFilterNew, 0, 0},
      {kFilterDampen, 55535, 55535},
      {kFilterInvert, 55535, 55535},
  };
  const Grid source = FlatGrid(16, 10000);
  for (const auto& c : cases) {
    Grid destination = source;
    FilterHeightGrid(source.data(), destination.data(), 16, c.mode);
    for (uint32_t r = 0; r < 16; ++r) {
      for (uint32_t col = 0; col < 16; ++col) {
        const CHFUnit expected = col == 0 || col == 15 ? c.edge : c.inner;
        ASSERT_EQ(Cell(destination, 16, r, col), expected) << "mode " << c.mode << " at " << r << ", " << col;
      }
    }
  }
}

TEST_F(GridFilters, EqualizeStretchesTheDestinationAndGaussianEdgesDarkenTheCorners) {
  const Grid source = FlatGrid(16, 7);
  Grid destination = GridOf(16, [](uint32_t r, uint32_t) { return 1000 + 500 * (r % 3); });
  FilterHeightGrid(source.data(), destination.data(), 16, kFilterEqualize);
  EXPECT_EQ(Cell(destination, 16, 0, 5), 0);
  EXPECT_EQ(Cell(destination, 16, 1, 5), 32767);
  EXPECT_EQ(Cell(destination, 16, 2, 5), 65535);

  destination = FlatGrid(16, 10000);
  FilterHeightGrid(source.data(), destination.data(), 16, kFilterGaussianEdges);
  EXPECT_EQ(Cell(destination, 16, 8, 8), 10000);
  EXPECT_EQ(Cell(destination, 16, 0, 0), 407);  // 10000 × e^−3.2
}

TEST_F(GridFilters, ANegativeKernelSumGivesZero) {
  // A pit in a high plain: the sharpening kernel weighs the pit's neighbours −378 each.
  Grid source = FlatGrid(16, 65535);
  source[8 * 16 + 8] = 0;
  Grid destination = source;
  FilterHeightGrid(source.data(), destination.data(), 16, kFilterSharpen);
  EXPECT_EQ(Cell(destination, 16, 8, 8), 0);
  EXPECT_EQ(Cell(destination, 16, 8, 9), 65535);
}

TEST_F(GridFilters, FiltersAndShapesRefuseSidesThatAreNoPowerOfTwoFrom8To1024) {
  for (uint32_t n : {0u, 4u, 100u, 2048u}) {
    const Grid source = RandomGrid(n, 7);
    const Grid before = RandomGrid(n, 8);
    for (int32_t mode = 0; mode <= 11; ++mode) {
      Grid destination = before;
      FilterHeightGrid(source.data(), destination.data(), n, mode);
      EXPECT_EQ(destination, before) << "filter " << mode << " at n = " << n;
      ShapeHeightGrid(source.data(), destination.data(), n, mode, 5, 3, 0, 0);
      EXPECT_EQ(destination, before) << "shape " << mode << " at n = " << n;
    }
  }
}

// ---- ShapeHeightGrid

TEST_F(GridFilters, ShapesFollowTheDragOffset) {
  const Grid two = GridOf(16, [](uint32_t r, uint32_t) { return r < 8 ? 1000 : 65535; });
  const Grid high = FlatGrid(16, 65535);
  const Grid low = FlatGrid(16, 0);
  const struct {
    const char* name;
    const Grid& source;
    int32_t mode;
    int32_t dx;
    int32_t dy;
    uint32_t row;
    uint32_t column;
    CHFUnit expected;
  } cases[] = {
      {"posterize 1000", two, 7, 10, 0, 3, 3, 960},
      {"posterize 65535", two, 7, 10, -6, 12, 3, 65440},
      {"round centre", high, 0, 0, 0, 8, 8, 65535},
      {"round half-way", high, 0, 0, 0, 8, 4, 49151},
      {"round edge", high, 0, 0, 0, 8, 0, 0},
      {"raised centre", low, 1, 5, 0, 8, 8, 0},
      {"raised near", low, 1, 5, 0, 8, 10, 40959},
      {"raised left edge", low, 1, 5, 0, 8, 0, 65535},
      {"raised right edge", low, 1, 5, 0, 8, 15, 65535},
  };
  for (const auto& c : cases) {
    Grid destination(c.source.size());
    // The pointer at (dx, −dy) from a press at the origin.
    ShapeHeightGrid(c.source.data(), destination.data(), 16, c.mode, c.dx, -c.dy, 0, 0);
    EXPECT_EQ(Cell(destination, 16, c.row, c.column), c.expected) << c.name;
  }
}

TEST_F(GridFilters, ShapesWithoutEffectCopyTheSource) {
  const Grid source = RandomGrid(16, 3);
  const struct {
    int32_t mode;
    int32_t dx;
  } cases[] = {{5, 0}, {6, 0}, {7, 0}, {3, 8}, {3, 20}};
  for (const auto& c : cases) {
    Grid destination = FlatGrid(16, 1);
    ShapeHeightGrid(source.data(), destination.data(), 16, c.mode, c.dx, 0, 0, 0);
    EXPECT_EQ(destination, source) << "mode " << c.mode << ", dx " << c.dx;
  }
}

TEST_F(GridFilters, NoiseDrawsOneValuePerCellAndRepeatsFromTheSameState) {
  const Grid source = RandomGrid(32, 4);
  const SRandomState start{12345, 1, 1};
  Grid first(source.size()), second(source.size());
  GetRandomState() = start;
  ShapeHeightGrid(source.data(), first.data(), 32, 6, 3, 0, 0, 0);
  const SRandomState after = GetRandomState();
  GetRandomState() = start;
  ShapeHeightGrid(source.data(), second.data(), 32, 6, 3, 0, 0, 0);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, source);
  SRandomState counted = start;
  for (uint32_t i = 0; i < 32 * 32; ++i) NextRandom(counted);
  EXPECT_EQ(after.x, counted.x);
  EXPECT_EQ(after.i, counted.i);
  EXPECT_EQ(after.j, counted.j);
  // The noise stays within 16 |dx| of each height.
  for (size_t i = 0; i < source.size(); ++i) EXPECT_LE(std::abs(first[i] - source[i]), 48) << i;
}

TEST_F(GridFilters, DragsOfAnyLengthStayWithinTheRange) {
  const Grid source = RandomGrid(64, 5);
  Grid destination(source.size());
  for (int32_t mode = 0; mode <= 9; ++mode) {
    for (const auto& [ax, ay, bx, by] : {std::array{INT_MAX, INT_MIN, INT_MIN, INT_MAX},
                                         std::array{INT_MIN, INT_MAX, INT_MAX, INT_MIN}, std::array{100, -70, 0, 0}}) {
      ShapeHeightGrid(source.data(), destination.data(), 64, mode, ax, ay, bx, by);
    }
  }
}

// ---- ApplyGridFunction

TEST_F(GridFilters, TheIdentityCurveKeepsEveryHeightWithinOne) {
  const std::vector<uint16_t> curve = IdentityCurve();
  Grid grid = GridOf(256, [](uint32_t r, uint32_t c) { return r * 256 + c; });
  ApplyGridFunction(grid.data(), 256, curve.data(), kGridTransferCurve, 0, 65535);
  for (uint32_t v = 0; v < 65536; ++v) ASSERT_LE(std::abs(int32_t(grid[v]) - int32_t(v)), 1) << v;
  EXPECT_EQ(grid[30000], 29999);
  EXPECT_EQ(grid[65277], 65276);
  EXPECT_EQ(grid[65535], 65535);
}

TEST_F(GridFilters, TheCurveMapsOnlyHeightsWithinTheRange) {
  const std::vector<uint16_t> floor(kCurveEntries, 0);
  const Grid before = GridOf(256, [](uint32_t r, uint32_t c) { return r * 256 + c; });
  Grid grid = before;
  ApplyGridFunction(grid.data(), 256, floor.data(), kGridTransferCurve, 20000, 40000);
  for (uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(grid[v], v >= 20000 && v <= 40000 ? 0 : v) << v;
  // Without a curve the curve's modes change nothing.
  grid = before;
  for (int32_t mode : {1, 5, 6, 7, 8}) ApplyGridFunction(grid.data(), 256, nullptr, mode, 0, 65535);
  EXPECT_EQ(grid, before);
}

TEST_F(GridFilters, InvertGaussianEdgesAndProfiles) {
  const std::vector<uint16_t> curve = IdentityCurve();
  const Grid random = RandomGrid(16, 9);
  Grid grid = random;
  ApplyGridFunction(grid.data(), 16, nullptr, kGridInvert, 30000, 30000);
  for (size_t i = 0; i < grid.size(); ++i) ASSERT_EQ(grid[i], 65535 - random[i]);

  grid = random;
  ApplyGridFunction(grid.data(), 16, nullptr, kGridGaussianEdges, 0, 65535);
  EXPECT_EQ(Cell(grid, 16, 8, 8), Cell(random, 16, 8, 8));
  EXPECT_LT(Cell(grid, 16, 0, 0), Cell(random, 16, 0, 0) * 0.041 + 1);

  grid = FlatGrid(128, 0);
  ApplyGridFunction(grid.data(), 128, curve.data(), kGridColumnProfileRaise, 0, 0);
  for (uint32_t r = 0; r < 128; ++r) ASSERT_EQ(Cell(grid, 128, r, 64), 16383) << r;

  grid = FlatGrid(64, 65535);
  ApplyGridFunction(grid.data(), 64, curve.data(), kGridRowProfileBlend, 0, 0);
  EXPECT_EQ(grid, FlatGrid(64, 65535));
}

// ---- StretchHeightRange, SmoothHeightRange, BlendHeightGridInRange

TEST_F(GridFilters, StretchSpreadsTheHeightsOverTheWholeRange) {
  Grid grid = GridOf(16, [](uint32_t r, uint32_t) { return 1000 + 500 * (r % 3); });
  StretchHeightRange(grid.data(), 16);
  EXPECT_EQ(Cell(grid, 16, 0, 0), 0);
  EXPECT_EQ(Cell(grid, 16, 1, 0), 32767);
  EXPECT_EQ(Cell(grid, 16, 2, 0), 65535);

  for (CHFUnit flat : {CHFUnit(0), CHFUnit(1234)}) {
    grid = FlatGrid(16, flat);
    StretchHeightRange(grid.data(), 16);
    EXPECT_EQ(grid, FlatGrid(16, flat));
  }
  // A range wider than 32768 must not overflow 32 bits.
  grid = GridOf(4, [](uint32_t r, uint32_t c) { return r == 0 && c == 0 ? 0 : r == 1 ? 32767 : 65534; });
  StretchHeightRange(grid.data(), 4);
  EXPECT_EQ(Cell(grid, 4, 0, 0), 0);
  EXPECT_EQ(Cell(grid, 4, 1, 0), 32767);
  EXPECT_EQ(Cell(grid, 4, 2, 0), 65535);
}

TEST_F(GridFilters, SmoothingAveragesWithinTheRange) {
  const Grid ramp = GridOf(5, [](uint32_t, uint32_t c) { return 100 * c; });
  Grid grid = ramp;
  ASSERT_TRUE(SmoothHeightRange(grid.data(), 5, 0, 65535));
  for (uint32_t r = 0; r < 5; ++r) {
    const Grid row(grid.begin() + r * 5, grid.begin() + r * 5 + 5);
    EXPECT_EQ(row, (Grid{0, 100, 200, 275, 400})) << r;
  }
  grid = ramp;
  ASSERT_TRUE(SmoothHeightRange(grid.data(), 5, 0, 150));
  EXPECT_EQ(grid, ramp);

  // Down the columns as along the rows: the transposed ramp gives the transposed result.
  grid = GridOf(5, [](uint32_t r, uint32_t) { return 100 * r; });
  ASSERT_TRUE(SmoothHeightRange(grid.data(), 5, 0, 65535));
  EXPECT_EQ(grid, GridOf(5, [](uint32_t r, uint32_t) { return Grid{0, 100, 200, 275, 400}[r]; }));
}

TEST_F(GridFilters, SmoothingWithoutItsRowBufferChangesNothing) {
  const Grid random = RandomGrid(32, 11);
  Grid grid = random;
  platform::FailNextAllocations(100);
  EXPECT_FALSE(SmoothHeightRange(grid.data(), 32, 0, 65535));
  platform::FailNextAllocations(0);
  EXPECT_EQ(grid, random);
}

TEST_F(GridFilters, BlendWeighsTowardTheSecondGridWithinTheRange) {
  const Grid a = FlatGrid(8, 1000), b = FlatGrid(8, 3000);
  const struct {
    int32_t w;
    CHFUnit expected;
  } cases[] = {{128, 2000}, {256, 3000}, {0, 1000}, {-256, 0}, {512, 5000}};
  for (const auto& c : cases) {
    Grid destination(a.size());
    BlendHeightGridInRange(a.data(), b.data(), destination.data(), 8, c.w, 0, 65535);
    EXPECT_EQ(destination, FlatGrid(8, c.expected)) << c.w;
  }
  Grid destination(a.size());
  BlendHeightGridInRange(a.data(), b.data(), destination.data(), 8, 256, 1001, 65535);
  EXPECT_EQ(destination, a);
  // In place, as the editor blends into the target, and with a full weight on a full difference.
  Grid target = FlatGrid(8, 65535);
  const Grid zero = FlatGrid(8, 0);
  BlendHeightGridInRange(zero.data(), target.data(), target.data(), 8, 1 << 20, 0, 65535);
  EXPECT_EQ(target, FlatGrid(8, 65535));
}

// ---- CropHeightGrid and FitHeightGrid

TEST_F(GridFilters, CroppingTheWholeViewSmoothsTheGridTwice) {
  const Grid source = RandomGrid(16, 12);
  Grid expected = source;
  ASSERT_TRUE(SmoothHeightRange(expected.data(), 16, 0, 65535));
  ASSERT_TRUE(SmoothHeightRange(expected.data(), 16, 0, 65535));
  Grid destination(source.size());
  EXPECT_TRUE(CropHeightGrid(source.data(), destination.data(), 16, SRect{0, 0, 16, 16}));
  EXPECT_EQ(destination, expected);
}

TEST_F(GridFilters, ACropFramePastTheGridRepeatsItsEdge) {
  // View rows 8 to 15 show grid rows 7 to 0; the frame's lower half lies below the grid.
  const Grid source = GridOf(16, [](uint32_t r, uint32_t) { return 1000 * r; });
  Grid destination(source.size());
  EXPECT_TRUE(CropHeightGrid(source.data(), destination.data(), 16, SRect{8, 0, 24, 16}));
  EXPECT_EQ(Cell(destination, 16, 15, 3), 7000);
  EXPECT_EQ(Cell(destination, 16, 0, 3), 0);
  EXPECT_EQ(Cell(destination, 16, 4, 3), 0);
  for (const SRect& frame : {SRect{-40, -40, 0, 0}, SRect{0, 30, 16, 10}, SRect{100, 100, 120, 120}})
    EXPECT_TRUE(CropHeightGrid(source.data(), destination.data(), 16, frame));
}

TEST_F(GridFilters, FitShrinksTheGridIntoTheFrame) {
  const Grid source = RandomGrid(16, 13);
  Grid destination = FlatGrid(16, 5);
  FitHeightGrid(source.data(), destination.data(), 16, SRect{0, 0, 16, 16});
  EXPECT_EQ(destination, source);

  FitHeightGrid(source.data(), destination.data(), 16, SRect{4, 4, 12, 12});
  for (uint32_t r = 0; r < 16; ++r) {
    for (uint32_t c = 0; c < 16; ++c) {
      const bool inside = r >= 4 && r < 12 && c >= 4 && c < 12;
      const CHFUnit expected = inside ? Cell(source, 16, 15 - 2 * (11 - r), 2 * (c - 4)) : 0;
      ASSERT_EQ(Cell(destination, 16, r, c), expected) << r << ", " << c;
    }
  }
  for (const SRect& empty : {SRect{4, 7, 12, 7}, SRect{4, 9, 12, 7}, SRect{9, 4, 3, 12}}) {
    destination = FlatGrid(16, 5);
    FitHeightGrid(source.data(), destination.data(), 16, empty);
    EXPECT_EQ(destination, FlatGrid(16, 0));
  }
  // Frames running past the grid, and taller than wide, write inside it only.
  for (const SRect& frame : {SRect{-8, -8, 24, 24}, SRect{10, 10, 40, 12}, SRect{-30, 2, 50, 6}})
    FitHeightGrid(source.data(), destination.data(), 16, frame);
}

}  // namespace
