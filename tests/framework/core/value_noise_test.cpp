#include "framework/core/value_noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ValueNoise, PermutationIsTheFixedOne) {
  EXPECT_EQ(kNoisePermutation[0], 144);
  EXPECT_EQ(kNoisePermutation[144], 167);
  EXPECT_EQ(kNoisePermutation[255], 178);
  int32_t sorted[256];
  std::copy(std::begin(kNoisePermutation), std::end(kNoisePermutation), sorted);
  std::sort(std::begin(sorted), std::end(sorted));
  for (int32_t i = 0; i < 256; ++i) ASSERT_EQ(sorted[i], i);
}

TEST(ValueNoise, KnownLatticeValues) {
  const struct {
    double x, y, z;
    int32_t d;
    double expected;
  } cases[] = {
      {0, 0, 0, 0, 167 / 255.0},
      {0, 0, 0, 1, 167 / 255.0},
      {0, 0, 0, 2, 214 / 255.0},
      {1, 0, 0, 0, 154 / 255.0},
      {0.5, 0, 0, 0, 160.5 / 255.0},  // halfway between 167 and 154
      {-2, 0, 0, 0, 156 / 255.0},     // the cell of −3 at fraction 1 gives the corner at −2
      {-3, 0, 0, 0, 117 / 255.0},
      {0, 5, 7, 0, 167 / 255.0},  // dimension 0 reads x alone
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ValueNoise(c.x, c.y, c.z, c.d), c.expected, 1e-9) << c.x << ", " << c.y << ", " << c.z << " d " << c.d;
}

TEST(ValueNoise, FloorTakesNegativeWholeNumbersIntoTheCellBelow) {
  const struct {
    double v, floor, fraction;
  } cases[] = {{2.5, 2, 0.5}, {-0.5, -1, 0.5}, {-2, -3, 1}, {0, 0, 0}, {-0.0, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(LatticeFloor(c.v), c.floor) << c.v;
    EXPECT_EQ(LatticeCell(c.v).fraction, c.fraction) << c.v;
  }
  EXPECT_EQ(LatticeCell(-2).index, 65533);
}

// Far coordinates (a far hit times a large frequency) land on the same lattice modulo 65536.
TEST(ValueNoise, FarCoordinatesRepeatEvery65536Cells) {
  const double far = 65536.0 * 65536.0 * 16;  // 2^36
  for (int32_t d = 0; d <= 2; ++d) {
    EXPECT_EQ(ValueNoise(0.25 + far, 0.5 - far * 16, 0.75 + far / 8, d), ValueNoise(0.25, 0.5, 0.75, d)) << d;
    EXPECT_EQ(LatticeNoise(-far - 0.5, 1.25, far, d, false), LatticeNoise(-0.5, 1.25, 0, d, false)) << d;
  }
  EXPECT_EQ(LatticeIndex(-1), 65535);
  EXPECT_EQ(LatticeIndex(1e300), LatticeIndex(std::fmod(1e300, 65536.0)));
  EXPECT_EQ(LatticeIndex(kNaN), 0);
}

TEST(ValueNoise, NonFiniteReadCoordinatesAndBadDimensionsGiveZero) {
  for (double bad : {kNaN, kInf, -kInf}) {
    EXPECT_EQ(ValueNoise(bad, 0.5, 0.5, 0), 0);
    EXPECT_EQ(ValueNoise(0.5, bad, 0.5, 1), 0);
    EXPECT_EQ(ValueNoise(0.5, 0.5, bad, 2), 0);
    EXPECT_NE(ValueNoise(0.5, bad, bad, 0), 0);  // coordinates it does not read
  }
  EXPECT_EQ(ValueNoise(0.5, 0.5, 0.5, 3), 0);
  EXPECT_EQ(ValueNoise(0.5, 0.5, 0.5, -1), 0);
}

TEST(ValueNoise, StaysWithinZeroAndOne) {
  const double coordinates[] = {-1e9, -70000.5, -3, -2.75, -0.001, 0, 0.3, 1, 17.9, 65535.5, 1e9 + 0.125};
  for (int32_t d = 0; d <= 2; ++d)
    for (double x : coordinates)
      for (double y : coordinates)
        for (double z : coordinates)
          for (bool smooth : {true, false}) {
            const double v = LatticeNoise(x, y, z, d, smooth);
            ASSERT_TRUE(v >= 0 && v <= 255) << x << ", " << y << ", " << z << " d " << d;
          }
}

}  // namespace
