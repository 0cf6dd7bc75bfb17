#include "scene/texture/texture_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "scene/texture/texture_engine.h"

namespace {

struct SSurface {
  double altitude, slope, facing;
};

TEST(TextureFilter, Kinds) {
  const struct {
    STextureFilter filter;
    double x;
    SSurface surface;
    double expected;
  } cases[] = {
      {{0, 0, 0, 0}, 0.37, {}, 0.37},
      {{1, 4, 1, 0}, 0.3, {}, 0.5},
      {{1, 4, 1, 0}, 0.8, {}, 1.0},
      {{1, 4, 1, 0}, 0.25, {}, 0.25},  // on a level
      {{1, 4, 1, 0}, -5, {}, 0},
      {{1, 4, 2, 0.1f}, 0.1, {}, 0.5},
      {{1, 0, 1, 0}, 0.3, {}, 1.0},
      {{1, 0, 1, 0}, -1, {}, 1.0},
      {{1, -3, 1, 0}, 0.3, {}, 1.0},
      {{2, 0, 1, 0}, 0, {}, 1.0},  // S(1)
      {{2, 0, 1, 0}, 0.25, {}, 0.15625},
      {{2, 0, 1, 0}, -0.25, {}, 0.84375},
      {{2, 0, 1, 0}, 3.25, {}, 0.15625},
      {{3, 0, 1, 0}, 0, {}, 0.5},
      {{3, 0, 1, 0.75f}, 0, {}, 1.0},
      {{4, 0, 1, 0}, 0.25, {}, 0.1875},
      {{4, 0, 1, 0}, -0.75, {}, 0.75},
      {{4, 0, 1, 0}, 2, {}, 1.0},
      {{5, 0, 2, 0}, 0.5, {}, 0.25},
      {{5, 0, 2, 0.5f}, 0.9, {}, 1.0},
      {{5, 0, 0.5f, 0}, 0.25, {}, 0.5},
      {{5, 0, 3, 0}, 0.5, {}, 0.125},
      {{5, 0, 1.5f, 0}, -0.5, {}, 0},  // NaN from the power clamps to 0
      {{6, 0, 2, 0.5f}, -0.5, {}, 1.0},
      {{6, 0, 2, 0.5f}, 0, {}, std::exp(-1.0)},
      {{6, 0, 2, 0.5f}, -1, {}, std::exp(-1.0)},
      {{6, 0, 2, 0.5f}, 1, {}, std::exp(-9.0)},  // not clamped, falls on both sides
      {{7, 0, 2, 0.5f}, 0.1, {}, 0.7},
      {{7, 0, 2, 0.5f}, 1, {}, 1.0},
      {{7, 0, 2, 0.5f}, -1, {}, 0},
      {{8, 0, 1, 0}, 0.5, {0.2, 0, 0}, 0},
      {{8, 0, 1, 0}, 0.5, {0.5, 0, 0}, 0.68 * 0.6},
      {{8, 2, 1, 0.5f}, 0.5, {0.8, 0.4, 0}, (0.96 - 0.4) + 0.25},
      {{9, 0, 1, 0}, 0.5, {0, 0.4, 0}, 0.2},
      {{10, 0, 1, 0}, 0.5, {0.6, 0, 0}, 0.3},
      {{11, 0, 1, 0}, 0.5, {0, 0, 0.8}, 0.4},
      {{11, 0, 1, 0}, 5, {0, 0, 0.8}, 1.0},
      {{12, 0, 1, 0}, 0.5, {}, 0.5},
      {{12, 0, 1, 0}, 0.25, {}, 0.15625 * 0.15625 * (3 - 2 * 0.15625)},
      {{13, 1, 1, 0}, 0.2, {0.6, 0.4, 0}, 0.352 * 0.352 * (3 - 2 * 0.352)},
      {{13, 1, 1, 0}, 0.2, {0.6, 0.95, 0}, 0},  // above the snow line's slope
      {{14, 0, 1, 0}, 0.5, {}, 0},
      {{100, 0, 1, 0}, 0.5, {}, 0},
      {{-1, 0, 1, 0}, 0.5, {}, 0},
  };
  STextureEngine& engine = GetTextureEngine();
  for (const auto& c : cases) {
    engine.altitude = c.surface.altitude;
    engine.slope = c.surface.slope;
    engine.facing = c.surface.facing;
    EXPECT_NEAR(ApplyTextureFilter(c.x, c.filter), c.expected, 1e-6)
        << "kind " << c.filter.kind << " count " << c.filter.count << " a " << c.filter.a << " b " << c.filter.b
        << " at " << c.x;
  }
  engine = {};
}

// A stored count as large as 2^31 − 1 must not walk every level on every evaluation.
TEST(TextureFilter, StepsWithAHugeCountFindTheFirstLevelAtOrAboveTheValue) {
  const int32_t count = std::numeric_limits<int32_t>::max();
  for (double v : {0.3, 0.5, 1e-12, 0.999999}) {
    const double level = ApplyTextureFilter(v, {1, count, 1, 0});
    EXPECT_GE(level, v);
    EXPECT_LT(level - 1.0 / count, v);
    EXPECT_EQ(std::round(level * count), level * count);
  }
  EXPECT_EQ(ApplyTextureFilter(std::numeric_limits<double>::quiet_NaN(), {1, count, 1, 0}), 1.0);
}

}  // namespace
