// The terrain brush: its falloff mask, where a stroke places its dabs, what a dab does in each
// behaviour, and its two grid copies.
#include "editors/terrain/terrain_brush.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "grid_fixture.h"
#include "platform/alloc.h"
#include "tests/scene/height_field_fixture.h"

namespace {

class TerrainBrush : public HeightFieldTest {
 protected:
  uint32_t DataBudget() const override { return 8 * 1024 * 1024; }
  uint32_t ObjectsBudget() const override { return 8 * 1024 * 1024; }

  C3dHeightField* FlatField(uint32_t n, CHFUnit height) {
    return FieldOf(n, [height](uint32_t, uint32_t) { return height; });
  }
  static uint16_t MaskAt(const CTerrainBrush& brush, uint32_t row, uint32_t column) {
    return brush.GetMask()[row * brush.GetMaskSide() + column];
  }
  // The dab centres of one stroke.
  static std::vector<std::pair<int32_t, int32_t>> Dabs(CTerrainBrush& brush, int32_t x1, int32_t y1, int32_t x0,
                                                       int32_t y0) {
    std::vector<std::pair<int32_t, int32_t>> dabs;
    brush.SetDabObserver([&](int32_t x, int32_t y) { dabs.emplace_back(x, y); });
    Grid grid = FlatGrid(64, 0);
    brush.PaintStroke(grid.data(), 64, false, x1, y1, x0, y0);
    brush.SetDabObserver(nullptr);
    return dabs;
  }
  // One dab at (column, row) = (c, c) of the grid: a stroke one cell long to the right.
  static void Dab(CTerrainBrush& brush, Grid& grid, uint32_t n, bool modifier, int32_t c = 32) {
    brush.PaintStroke(grid.data(), n, modifier, c + 1, c, c, c);
  }
};

TEST_F(TerrainBrush, TheMaskFallsOffToZeroAtTheRadius) {
  CTerrainBrush brush;
  EXPECT_EQ(brush.GetMask(), nullptr);
  ASSERT_TRUE(brush.RebuildMask(false));
  ASSERT_EQ(brush.GetMaskSide(), 41u);
  EXPECT_EQ(MaskAt(brush, 20, 20), 4915);
  EXPECT_EQ(MaskAt(brush, 20, 0), 0);
  EXPECT_EQ(MaskAt(brush, 0, 20), 0);
  EXPECT_EQ(MaskAt(brush, 0, 0), 0);
  EXPECT_EQ(MaskAt(brush, 40, 40), 0);
  EXPECT_GT(MaskAt(brush, 20, 10), 0);
  EXPECT_LT(MaskAt(brush, 20, 10), 4915);

  const struct {
    double flow;
    double hardness;
    uint16_t centre;
  } cases[] = {{10, 1, 65535}, {0, 1, 655}, {0.3, 0, 655}, {0.3, -2, 655}};
  for (const auto& c : cases) {
    brush.SetBrushFlow(c.flow);
    brush.SetBrushHardness(c.hardness);
    ASSERT_TRUE(brush.RebuildMask(true));
    EXPECT_EQ(MaskAt(brush, 20, 20), c.centre) << c.flow << ", " << c.hardness;
  }
  // A new radius drops the mask until it is built again.
  brush.SetBrushRadius(5);
  EXPECT_EQ(brush.GetMask(), nullptr);
  ASSERT_TRUE(brush.RebuildMask(false));
  EXPECT_EQ(brush.GetMaskSide(), 11u);
}

TEST_F(TerrainBrush, AMaskTheDataPoolRefusesLeavesNone) {
  CTerrainBrush brush;
  platform::FailNextAllocations(100);
  EXPECT_FALSE(brush.RebuildMask(true));
  platform::FailNextAllocations(0);
  EXPECT_EQ(brush.GetMask(), nullptr);
  Grid grid = FlatGrid(64, 0);
  Dab(brush, grid, 64, false);
  EXPECT_EQ(grid, FlatGrid(64, 0));
}

TEST_F(TerrainBrush, AStrokePlacesDabsFromItsLowerEnd) {
  CTerrainBrush brush;
  ASSERT_TRUE(brush.RebuildMask(false));
  using Dabs_ = std::vector<std::pair<int32_t, int32_t>>;
  const Dabs_ across{{10, 10}, {13, 10}, {16, 10}, {19, 10}};
  EXPECT_EQ(Dabs(brush, 20, 10, 10, 10), across);
  EXPECT_EQ(Dabs(brush, 10, 10, 20, 10), across);
  EXPECT_EQ(Dabs(brush, 5, 5, 5, 5), Dabs_{});
  // Along the longer axis, the other coordinate following the segment.
  EXPECT_EQ(Dabs(brush, 6, 18, 0, 0), (Dabs_{{0, 0}, {1, 3}, {2, 6}, {3, 9}, {4, 12}, {5, 15}, {6, 18}}));
  EXPECT_EQ(Dabs(brush, 0, 0, 6, -18), (Dabs_{{6, -18}, {5, -15}, {4, -12}, {3, -9}, {2, -6}, {1, -3}, {0, 0}}));
  brush.SetBrushRadius(7);
  ASSERT_TRUE(brush.RebuildMask(false));
  EXPECT_EQ(Dabs(brush, 12, 40, 10, 40), (Dabs_{{10, 40}, {11, 40}, {12, 40}}));
}

TEST_F(TerrainBrush, EachBehaviourMovesTheCentreTowardItsGoal) {
  CTerrainBrush brush;
  ASSERT_TRUE(brush.RebuildMask(false));
  ASSERT_EQ(brush.BeginStroke(FlatField(64, 10000)), 0);
  ASSERT_EQ(brush.SetSource(FlatField(64, 50000)), 0);
  brush.SetBrushLevel(65535);
  const struct {
    int32_t behaviour;
    bool modifier;
    CHFUnit before;
    CHFUnit centre;
  } cases[] = {
      {0, false, 0, 4914},       // toward the level
      {0, true, 65535, 60620},   // toward 65535 − level
      {0, true, 0, 0},           //
      {1, false, 30000, 31499},  // toward the source
      {1, true, 30000, 28500},   // toward the base
      {2, false, 30000, 28500},  // toward the base
      {2, true, 30000, 31499},   // toward the source
      {3, false, 30000, 30000},  // the erosion is the view's
      {4, false, 0, 0},          // lowers only
      {5, false, 0, 4914},       // raises only
      {4, true, 0, 4914},        // raises only
      {5, true, 0, 0},           // lowers only
  };
  for (const auto& c : cases) {
    brush.SetBehaviour(c.behaviour);
    Grid grid = FlatGrid(64, c.before);
    Dab(brush, grid, 64, c.modifier);
    EXPECT_EQ(Cell(grid, 64, 32, 32), c.centre) << "behaviour " << c.behaviour << (c.modifier ? " with" : " without");
  }
}

TEST_F(TerrainBrush, LowerAndRaiseNeverPassTheLevel) {
  CTerrainBrush brush;
  ASSERT_TRUE(brush.RebuildMask(false));
  brush.SetBrushLevel(30000);
  const Grid ramp = GridOf(64, [](uint32_t, uint32_t c) { return c * 1040; });
  const struct {
    int32_t behaviour;
    bool modifier;
    bool lowers;
  } cases[] = {{4, false, true}, {5, false, false}, {4, true, false}, {5, true, true}};
  for (const auto& c : cases) {
    brush.SetBehaviour(c.behaviour);
    Grid grid = ramp;
    for (int32_t i = 0; i < 5; ++i) Dab(brush, grid, 64, c.modifier);
    bool changed = false;
    for (size_t i = 0; i < grid.size(); ++i) {
      changed = changed || grid[i] != ramp[i];
      if (c.lowers) {
        ASSERT_LE(grid[i], ramp[i]) << i;
        ASSERT_GE(grid[i], std::min<CHFUnit>(ramp[i], 30000)) << i;
      } else {
        ASSERT_GE(grid[i], ramp[i]) << i;
        ASSERT_LE(grid[i], std::max<CHFUnit>(ramp[i], 30000)) << i;
      }
    }
    EXPECT_TRUE(changed) << c.behaviour;
  }
}

TEST_F(TerrainBrush, AFullStrengthDabReachesItsLevelWithoutOverflow) {
  CTerrainBrush brush;
  brush.SetBrushFlow(10);
  ASSERT_TRUE(brush.RebuildMask(true));
  Grid grid = FlatGrid(64, 0);
  Dab(brush, grid, 64, false);
  EXPECT_EQ(Cell(grid, 64, 32, 32), 65534);
  brush.SetBrushLevel(0);
  grid = FlatGrid(64, 65535);
  Dab(brush, grid, 64, false);
  EXPECT_EQ(Cell(grid, 64, 32, 32), 0);
}

TEST_F(TerrainBrush, DabsAtTheEdgeStayInTheGrid) {
  CTerrainBrush brush;
  ASSERT_TRUE(brush.RebuildMask(false));
  Grid grid = FlatGrid(32, 0);
  Dab(brush, grid, 32, false, 0);
  EXPECT_EQ(Cell(grid, 32, 0, 0), 4914);
  EXPECT_EQ(Cell(grid, 32, 31, 31), 0);
  for (int32_t c : {31, -15, 60}) Dab(brush, grid, 32, false, c);
  EXPECT_EQ(Cell(grid, 32, 31, 31), 4914);
}

TEST_F(TerrainBrush, ACopyOfAnotherSizeIsResampledToTheGrid) {
  CTerrainBrush brush;
  ASSERT_TRUE(brush.RebuildMask(false));
  ASSERT_EQ(brush.SetSource(FlatField(32, 40000)), 0);
  brush.SetBehaviour(CTerrainBrush::kToSource);
  Grid grid = FlatGrid(64, 0);
  Dab(brush, grid, 64, false);
  EXPECT_EQ(Cell(grid, 64, 32, 32), 2999);
  for (const CHFUnit h : grid) ASSERT_LE(h, 40000);
  // Without the copy a behaviour needs, nothing is painted.
  brush.SetBehaviour(CTerrainBrush::kToBase);
  const Grid before = grid;
  Dab(brush, grid, 64, false);
  EXPECT_EQ(grid, before);
}

TEST_F(TerrainBrush, CopiesAnswerTheirFailures) {
  CTerrainBrush brush;
  EXPECT_EQ(brush.SetSource(nullptr), 1);
  EXPECT_EQ(brush.BeginStroke(nullptr), 1);
  C3dHeightField* field = FlatField(64, 1234);
  ASSERT_EQ(brush.BeginStroke(field), 0);
  ASSERT_TRUE(brush.HasStrokeBase());
  // A field paged out that cannot come back: its lock fails, and the earlier copy is gone too.
  ASSERT_TRUE(field->PageOut());
  platform::FailNextAllocations(100);
  EXPECT_EQ(brush.BeginStroke(field), 9);
  EXPECT_EQ(brush.SetSource(field), 9);
  platform::FailNextAllocations(0);
  EXPECT_FALSE(brush.HasStrokeBase());
  EXPECT_FALSE(brush.HasSource());
  // The copy itself refused.
  ASSERT_EQ(brush.SetSource(field), 0);
  C3dHeightField* small = FlatField(16, 5);
  platform::FailNextAllocations(100);
  EXPECT_EQ(brush.SetSource(small), 9);
  platform::FailNextAllocations(0);
  EXPECT_FALSE(brush.HasSource());
}

}  // namespace
