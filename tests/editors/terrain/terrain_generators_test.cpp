// The terrain generators on height fields made in code, and the erosion's paths, from fixed states of
// the program's random generator and fixed times of the virtual clock.
#include "editors/terrain/terrain_generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "editors/terrain/height_grid_filters.h"
#include "grid_fixture.h"
#include "platform/alloc.h"
#include "platform/clock.h"
#include "tests/scene/height_field_fixture.h"

namespace {

class TerrainGenerators : public HeightFieldTest {
 protected:
  uint32_t DataBudget() const override { return 32 * 1024 * 1024; }
  uint32_t ObjectsBudget() const override { return 32 * 1024 * 1024; }

  C3dHeightField* FieldFrom(const Grid& grid, uint32_t n) {
    return FieldOf(n, [&](uint32_t x, uint32_t z) { return grid[size_t(z) * n + x]; });
  }
  // The same generator state, clock and erosion count before each run.
  static void Restart(uint32_t seed, int64_t ms = 4242) {
    GetRandomState() = SRandomState{seed, 1, 1};
    platform::UseVirtualClock(ms);
    ResetErosionSeedCount();
  }
};

// Hills and valleys, steep on their flanks and gentle at their tops.
Grid Hills(uint32_t n) {
  return GridOf(n,
                [](uint32_t r, uint32_t c) { return uint32_t(30000 + 25000 * std::sin(c / 5.0) * std::cos(r / 7.0)); });
}

// A plane falling toward row 0 and column 0, roughened so that drops wander.
Grid Slope(uint32_t n) {
  SRandomState state{99, 1, 1};
  return GridOf(n,
                [&](uint32_t r, uint32_t c) { return 20000 + 500 * r + 400 * c + uint32_t(NextRandom(state) % 300); });
}

struct SGenerator {
  const char* name;
  std::function<int32_t(C3dHeightField*)> run;
};

const SGenerator kGenerators[] = {
    {"fractal", [](C3dHeightField* f) { return FractalHeightGrid(f); }},
    {"eroded", [](C3dHeightField* f) { return BuildErodedHeightGrid(f, 0, 65535); }},
    {"spikes", [](C3dHeightField* f) { return SpikesHeightGrid(f); }},
    {"mounds", [](C3dHeightField* f) { return MoundsHeightGrid(f, 0, 65535); }},
    {"sawtooth", [](C3dHeightField* f) { return SawtoothHeightGrid(f); }},
    {"subcontours", [](C3dHeightField* f) { return SubcontoursHeightGrid(f, 0, 65535); }},
    {"subplateaus", [](C3dHeightField* f) { return SubplateausHeightGrid(f, 0, 65535); }},
    {"slope noise", [](C3dHeightField* f) { return SlopeNoiseHeightGrid(f, 0, 65535); }},
    {"height noise", [](C3dHeightField* f) { return HeightNoiseHeightGrid(f); }},
    {"erosion",
     [](C3dHeightField* f) {
       CHolder holder(f, true, false);
       ErodeHeightGrid(f->GetGrid(), f->GetSide(), nullptr, 300, 24, 0, 65535);
       return 0;
     }},
};

const SGenerator& Generator(const std::string& name) {
  for (const SGenerator& g : kGenerators) {
    if (name == g.name) return g;
  }
  ADD_FAILURE() << "no generator " << name;
  return kGenerators[0];
}

TEST_F(TerrainGenerators, EveryGeneratorRepeatsFromTheSameStateAndKeepsTheSize) {
  for (const SGenerator& g : kGenerators) {
    for (uint32_t n : {32u, 64u}) {
      const Grid start = n == 32 ? Hills(32) : Slope(64);
      C3dHeightField* first = FieldFrom(start, n);
      C3dHeightField* second = FieldFrom(start, n);
      Restart(777);
      ASSERT_EQ(g.run(first), 0) << g.name;
      Restart(777);
      ASSERT_EQ(g.run(second), 0) << g.name;
      EXPECT_EQ(first->GetSide(), n) << g.name;
      EXPECT_EQ(Heights(first), Heights(second)) << g.name << " at n = " << n;
      EXPECT_NE(Heights(first), start) << g.name << " at n = " << n;
    }
  }
}

TEST_F(TerrainGenerators, FractalStretchesOverTheRangeWithItsBorderCleared) {
  Restart(5);
  C3dHeightField* field = FieldFrom(FlatGrid(16, 0), 16);
  ASSERT_EQ(FractalHeightGrid(field), 0);
  ASSERT_EQ(field->GetSide(), 16u);
  const Grid heights = Heights(field);
  EXPECT_EQ(*std::max_element(heights.begin(), heights.end()), 65535);
  for (uint32_t i = 0; i < 16; ++i) {
    EXPECT_EQ(Cell(heights, 16, 0, i), 0);
    EXPECT_EQ(Cell(heights, 16, 15, i), 0);
    EXPECT_EQ(Cell(heights, 16, i, 0), 0);
    EXPECT_EQ(Cell(heights, 16, i, 15), 0);
  }
}

TEST_F(TerrainGenerators, GeneratorsThatResampleEndAtTheirStartingSize) {
  const struct {
    const char* name;
    uint32_t n;
  } cases[] = {{"fractal", 8}, {"fractal", 64}, {"eroded", 8}, {"eroded", 32}, {"mounds", 64}, {"mounds", 256}};
  for (const auto& c : cases) {
    Restart(31);
    C3dHeightField* field = FieldFrom(Hills(c.n), c.n);
    EXPECT_EQ(Generator(c.name).run(field), 0) << c.name << " at n = " << c.n;
    EXPECT_EQ(field->GetSide(), c.n) << c.name;
    EXPECT_EQ(Heights(field).size(), size_t(c.n) * c.n) << c.name;
  }
}

TEST_F(TerrainGenerators, SpikesKeepTheLastRowAndColumnAndNoiseOnlyRaises) {
  const Grid hills = Hills(64);
  Restart(8);
  C3dHeightField* spiked = FieldFrom(hills, 64);
  ASSERT_EQ(SpikesHeightGrid(spiked), 0);
  const Grid spikes = Heights(spiked);
  for (uint32_t i = 0; i < 64; ++i) {
    EXPECT_EQ(Cell(spikes, 64, 63, i), Cell(hills, 64, 63, i)) << i;
    EXPECT_EQ(Cell(spikes, 64, i, 63), Cell(hills, 64, i, 63)) << i;
  }
  // Heights up to the top of the range, where a sum that wrapped would fall.
  const Grid high = RandomGrid(64, 17, 40000, 65535);
  C3dHeightField* noisy = FieldFrom(high, 64);
  ASSERT_EQ(HeightNoiseHeightGrid(noisy), 0);
  const Grid raised = Heights(noisy);
  for (size_t i = 0; i < high.size(); ++i) ASSERT_GE(raised[i], high[i]) << i;
  EXPECT_NE(raised, high);
}

TEST_F(TerrainGenerators, WithoutScratchMemoryTheGridStaysAsItWas) {
  const Grid hills = Hills(64);
  // At 64 × 64 the mounds run one step, on the grid as it is.
  for (const char* name : {"spikes", "subcontours", "subplateaus", "slope noise", "mounds"}) {
    C3dHeightField* field = FieldFrom(hills, 64);
    platform::FailNextAllocations(100);
    EXPECT_EQ(Generator(name).run(field), 9) << name;
    platform::FailNextAllocations(0);
    EXPECT_EQ(field->GetSide(), 64u) << name;
    EXPECT_EQ(Heights(field), hills) << name;
  }
}

TEST_F(TerrainGenerators, AFailedChangeOfResolutionAnswersItsCode) {
  for (const char* name : {"fractal", "eroded", "mounds"}) {
    C3dHeightField* field = FieldFrom(Hills(128), 128);
    platform::FailNextAllocations(100);
    EXPECT_EQ(Generator(name).run(field), 9) << name;
    platform::FailNextAllocations(0);
  }
}

// ---- erosion

TEST_F(TerrainGenerators, ErosionOfFlatGroundChangesNothing) {
  const Grid flat = FlatGrid(64, 30000);
  for (int64_t ms : {0, 1, 12345}) {
    Grid grid = flat;
    platform::UseVirtualClock(ms);
    ErodeHeightGrid(grid.data(), 64, nullptr, 1500, 24, 0, 65535);
    EXPECT_EQ(grid, flat) << ms;
  }
  // Paths far from the edge end when the flat counter passes 5.
  SErosionPath path;
  for (int32_t y = 8; y < 56; y += 5) {
    for (int32_t x = 8; x < 56; x += 3) {
      TraceErosionPath(flat.data(), 64, x, y, 0, 65535, path);
      ASSERT_EQ(path.count, 6u) << x << ", " << y;
    }
  }
  // Ground at or below lo ends every path at its start.
  const Grid low = FlatGrid(64, 1000);
  Grid grid = low;
  ErodeHeightGrid(grid.data(), 64, nullptr, 500, 24, 1000, 65535);
  EXPECT_EQ(grid, low);
  TraceErosionPath(low.data(), 64, 30, 30, 1000, 65535, path);
  EXPECT_EQ(path.count, 1u);
}

TEST_F(TerrainGenerators, ErosionCarvesNothingBelowItsRange) {
  const Grid slope = Slope(64);
  Grid grid = slope;
  ErodeHeightGrid(grid.data(), 64, nullptr, 1500, 24, 65535, 65535);
  EXPECT_EQ(grid, slope);
}

TEST_F(TerrainGenerators, ErosionsWithinOneMillisecondDropDifferentDrops) {
  const Grid slope = Slope(64);
  Grid first = slope, second = slope;
  platform::UseVirtualClock(500);
  ErodeHeightGrid(first.data(), 64, nullptr, 300, 24, 0, 65535);
  ErodeHeightGrid(second.data(), 64, nullptr, 300, 24, 0, 65535);
  EXPECT_NE(first, slope);
  EXPECT_NE(first, second);
  // A fresh start at the same time drops the same drops.
  for (Grid* grid : {&first, &second}) {
    *grid = slope;
    platform::UseVirtualClock(12345);
    ResetErosionSeedCount();
    ErodeHeightGrid(grid->data(), 64, nullptr, 300, 24, 0, 65535);
  }
  EXPECT_EQ(first, second);
  EXPECT_NE(first, slope);
}

TEST_F(TerrainGenerators, PathsStepToNeighboursAndStopAtTheEdge) {
  const Grid slope = Slope(64);
  GetRandomState() = SRandomState{3, 1, 1};
  SErosionPath path;
  uint32_t longest = 0;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      TraceErosionPath(slope.data(), 64, x, y, 0, 65535, path);
      ASSERT_GE(path.count, 1u);
      ASSERT_LE(path.count, SErosionPath::kMaxPoints);
      longest = std::max(longest, path.count);
      for (uint32_t i = 0; i < path.count; ++i) {
        const SErosionPoint& p = path.points[i];
        ASSERT_TRUE(p.x >= 0 && p.x < 64 && p.y >= 0 && p.y < 64) << x << ", " << y << " point " << i;
        if (i == 0) continue;
        const SErosionPoint& q = path.points[i - 1];
        ASSERT_LE(std::abs(p.x - q.x), 1) << x << ", " << y << " point " << i;
        ASSERT_LE(std::abs(p.y - q.y), 1) << x << ", " << y << " point " << i;
        ASSERT_LE(p.h, q.h);
      }
    }
  }
  // The slope carries drops far enough to be carved.
  EXPECT_GT(longest, 20u);
}

TEST_F(TerrainGenerators, ErosionAroundACentreAtTheCornersStaysInTheGrid) {
  const Grid slope = Slope(64);
  for (const SPointHV centre :
       {SPointHV{0, 0}, SPointHV{63, 0}, SPointHV{0, 64}, SPointHV{63, 64}, SPointHV{-20, 200}, SPointHV{200, -20}}) {
    Grid grid = slope;
    ErodeHeightGrid(grid.data(), 64, &centre, 200, 24, 0, 65535);
  }
  Grid tiny = FlatGrid(3, 500);
  tiny[0] = 0;
  ErodeHeightGrid(tiny.data(), 3, nullptr, 50, 24, 0, 65535);
}

TEST_F(TerrainGenerators, CarvingDeepensTheMiddleAndSmoothingLooksAhead) {
  SErosionPath path;
  path.count = 10;
  for (uint32_t i = 0; i < 10; ++i) path.points[i] = {int32_t(i), 0, int32_t(20000 - 100 * i)};
  CarveErosionPath(path, 64);
  const int32_t carved[10] = {19968, 19836, 19704, 19572, 19440, 19308, 19240, 19172, 19104, 19100};
  for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(path.points[i].h, carved[i]) << i;

  path.count = 4;
  for (uint32_t i = 0; i < 4; ++i) path.points[i].h = int32_t(100 * (i + 1));
  SmoothErosionPath(path);
  const int32_t smoothed[4] = {175, 275, 350, 400};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(path.points[i].h, smoothed[i]) << i;
}

TEST_F(TerrainGenerators, WritingALongPathWidensItsLowerEnd) {
  Grid grid = FlatGrid(80, 30000);
  SErosionPath path;
  path.count = 70;
  for (uint32_t i = 0; i < 70; ++i) path.points[i] = {int32_t(i), 5, 1000};
  WriteErosionPath(grid.data(), 80, path);
  EXPECT_EQ(Cell(grid, 80, 5, 40), 1000);
  EXPECT_EQ(Cell(grid, 80, 4, 10), 30000);  // a = 0 at point 10
  EXPECT_EQ(Cell(grid, 80, 6, 37), 15500);  // a = 27 / 54
  EXPECT_EQ(Cell(grid, 80, 4, 69), 8250);   // a = 0.75 from point 64 on
  EXPECT_EQ(Cell(grid, 80, 3, 69), 30000);  // only the four neighbours
  // A path of 20 points does not widen.
  grid = FlatGrid(80, 30000);
  path.count = 20;
  WriteErosionPath(grid.data(), 80, path);
  EXPECT_EQ(Cell(grid, 80, 4, 15), 30000);
}

}  // namespace
