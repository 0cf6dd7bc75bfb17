#include "scene/texture/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/core/value_noise.h"
#include "scene/texture/texture_engine.h"

namespace {

using Point = vector3<double>;

constexpr double kPi = 3.141592653589793;

TEST(Noise, SelectorMapsNumbersToKinds) {
  EXPECT_EQ(GetNoiseFunction(0), nullptr);
  EXPECT_EQ(GetNoiseFunction(26), GetNoiseFunction(6));
  for (int32_t n : {27, 40, 63, -1, 64}) EXPECT_EQ(GetNoiseFunction(n), GetNoiseFunction(5)) << n;
  for (int32_t n = 1; n <= 25; ++n) {
    ASSERT_NE(GetNoiseFunction(n), nullptr) << n;
    if (n != 6) {
      EXPECT_NE(GetNoiseFunction(n), GetNoiseFunction(6)) << n;
    }
  }
}

TEST(Noise, KnownValues) {
  const struct {
    int32_t kind;
    Point p;
    int32_t d;
    double expected;
  } cases[] = {
      {1, {0, 0, 0}, 0, 0.5},
      {1, {kPi / 2, 0, 0}, 0, 0},
      {1, {-kPi / 2, -kPi / 2, 0}, 1, 1},
      {2, {0, 0, 0}, 0, 1},
      {2, {-1e-4, 0, 0}, 0, 1},       // truncates to step 0, still on
      {2, {-3.0 / 512, 0, 0}, 0, 0},  // step −3 maps to 3213, off
      {2, {0, 0, 0}, 1, 1},           // two axes on: even
      {2, {0, 0, 0}, 2, 0},           // three axes on: odd
      {3, {0, 0, 0}, 0, 1},
      {3, {4, 0, 0}, 0, 0},
      {4, {0, 0, 0}, 0, 167 / 255.0},
      {4, {0, 0, 0}, 2, 214 / 255.0},
      {5, {0.5, 0, 0}, 0, 160.5 / 255.0},
      {6, {0, 0, 0}, 2, 214 / 255.0},
      {7, {0, 0, 0}, 0, 0.332305851},  // 167·8/255 past π folds back
      {12, {0, 0, 0}, 0, 0.909297427},  // cells 167 at 0.5 and 1 double the point twice: |sin 2|
      {13, {0, 0, 0}, 0, 167 / 255.0},
      {13, {0, 0, 0}, 1, 167 / 255.0},
      {14, {0, 0, 0}, 0, 0.978933458},  // 1 − exp(−(167·3/255)²)
      {19, {kPi / 2, 0, 0}, 0, 0.5},
      {19, {kPi / 2, 3 * kPi / 2, 0}, 1, 0.25},
      {24, {2.6, 0, 0}, 0, 0.6},  // cell 1 (value 154) splits; cell 2 (value 63) at 0.3 from its face
      {25, {0.3, 0.4, 0}, 1, 0.5},
      {25, {0.3, 0.4, 5}, 1, 0.5},  // z is not read
      {25, {3, 0, 0}, 0, 1},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(GetNoiseFunction(c.kind)(c.p, c.d), c.expected, 1e-9)
        << "kind " << c.kind << " at " << c.p.x << ", " << c.p.y << ", " << c.p.z << " d " << c.d;
}

TEST(Noise, DimensionThreeGivesZeroExceptForThePlaneKinds) {
  const Point points[] = {{0.3, 0.7, 1.1}, {-5.2, 2.5, 0.01}, {12.5, -40, 7}};
  for (int32_t n = 1; n <= 26; ++n)
    for (const Point& p : points) {
      const double v = GetNoiseFunction(n)(p, 3);
      if (n == 3 || n == 13)
        EXPECT_EQ(v, GetNoiseFunction(n)(p, 1)) << n;
      else
        EXPECT_EQ(v, 0.0) << n;
      EXPECT_EQ(GetNoiseFunction(n)(p, -1), 0.0) << n;
    }
}

// Far coordinates (a far hit times a frequency of 599) are where lattice conversions used to overflow.
TEST(Noise, EveryKindStaysWithinZeroAndOne) {
  const double coordinates[] = {-1e9, -2e5 - 0.5, -3, -2.75, -0.001, 0, 0.3, 1, 17.9, 1e5 + 0.25, 1e9};
  for (int32_t n = 1; n <= 26; ++n) {
    const NoiseFunction noise = GetNoiseFunction(n);
    for (int32_t d = 0; d <= 2; ++d)
      for (double x : coordinates)
        for (double y : coordinates)
          for (double z : {-1e9, -2.75, 0.0, 0.3, 1e9}) {
            const double v = noise({x, y, z}, d);
            ASSERT_TRUE(std::isfinite(v) && v >= -1e-9 && v <= 1 + 1e-9)
                << "kind " << n << " d " << d << " at " << x << ", " << y << ", " << z << ": " << v;
          }
  }
}

TEST(Noise, NonFiniteCoordinatesGiveZero) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
  for (int32_t n = 1; n <= 26; ++n)
    for (double b : bad) {
      EXPECT_EQ(GetNoiseFunction(n)({b, 0.5, 0.5}, 0), 0.0) << n;
      EXPECT_EQ(GetNoiseFunction(n)({0.5, b, 0.5}, 1), 0.0) << n;
      // The plane kinds read no z.
      if (n != 3 && n != 13) {
        EXPECT_EQ(GetNoiseFunction(n)({0.5, 0.5, b}, 2), 0.0) << n;
      }
    }
}

// Axis-aligned lattice kinds repeat every 65536 cells and the checker every 3217 steps of 1/512, also far out.
TEST(Noise, FarCoordinatesKeepThePattern) {
  const double cellPeriod = 65536.0 * 65536.0;
  for (int32_t n : {5, 6, 14}) {
    const Point near{0.25, 0.5, 0.75}, far{0.25 + cellPeriod, 0.5 - cellPeriod, 0.75 + cellPeriod};
    EXPECT_EQ(GetNoiseFunction(n)(far, 2), GetNoiseFunction(n)(near, 2)) << n;
  }
  const double checkerPeriod = 3217.0 * 1024 * 1024 * 2 / 512;
  for (double x : {0.7, 2.3, -0.4}) EXPECT_EQ(GetNoiseFunction(2)({x + checkerPeriod, 0, 0}, 0), GetNoiseFunction(2)({x, 0, 0}, 0)) << x;
}

TEST(Noise, InitNoiseTablesClearsTheSurfaceContext) {
  STextureEngine& engine = GetTextureEngine();
  engine.altitude = 0.5;
  engine.slope = 0.25;
  engine.facing = 1;
  InitNoiseTables();
  EXPECT_EQ(engine.altitude, 0);
  EXPECT_EQ(engine.slope, 0);
  EXPECT_EQ(engine.facing, 0);
  EXPECT_EQ(kNoisePermutation[0], 144);
}

}  // namespace
