#include "framework/core/fast_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "math_reference.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Rows of (argument, expected...) from Python; relative error of each function against one column.
void ExpectRelative(const char* kind, double (*f)(double), size_t column, double tolerance) {
  const auto& rows = MathReference(kind);
  ASSERT_FALSE(rows.empty()) << kind;
  for (const auto& row : rows) {
    ASSERT_GT(row.size(), column);
    const double expected = row[column];
    EXPECT_LE(std::fabs(f(row[0]) - expected), tolerance * std::fabs(expected)) << kind << " of " << row[0];
  }
}

TEST(FastMath, LogAndPowerOfTwoAgreeWithPython) {
  ExpectRelative("log2", FastLog2, 1, 1e-12);
  ExpectRelative("exp2", FastExp2, 1, 1e-12);
  EXPECT_NEAR(FastLog2(8), 3, 1e-12);
  EXPECT_NEAR(FastExp2(3), 8, 1e-12);
}

TEST(FastMath, LogAndPowerOfTwoOutsideTheirRange) {
  const struct {
    double (*f)(double);
    const char* name;
    double x;
    double expected;
  } cases[] = {
      {FastLog2, "FastLog2", 0, -kInf},       {FastLog2, "FastLog2", 1e-308, -kInf},
      {FastLog2, "FastLog2", kNaN, -kInf},    {FastLog2, "FastLog2", -8, -kInf},
      {FastLog2, "FastLog2", kInf, kInf},     {FastExp2, "FastExp2", 2000, kInf},
      {FastExp2, "FastExp2", 1024, kInf},     {FastExp2, "FastExp2", kInf, kInf},
      {FastExp2, "FastExp2", -2000, 0},       {FastExp2, "FastExp2", -1076, 0},
      {FastExp2, "FastExp2", -1050, 0},       {FastExp2, "FastExp2", -kInf, 0},
      {FastExp2, "FastExp2", kNaN, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.f(c.x), c.expected) << c.name << "(" << c.x << ")";
  // A power of a logarithm of 0, as for a sky ray facing away from the sun.
  EXPECT_EQ(FastExp2(FastLog2(0) * 6.0), 0);
  EXPECT_EQ(FastExp2(FastLog2(0) * 0.0), 0);  // −∞·0 is NaN
}

TEST(FastMath, SquareRootsAgreeWithPython) {
  ExpectRelative("sqrt", FastSqrt, 1, 1e-15);
  ExpectRelative("sqrt", FastInvSqrt, 2, 1e-15);
}

TEST(FastMath, SquareRootsOutsideTheirRange) {
  for (double x : {1e-151, 1e-150, 0.0, -0.0, -4.0, -kInf, kNaN}) {
    EXPECT_EQ(FastSqrt(x), 0) << x;
    EXPECT_EQ(FastInvSqrt(x), kInf) << x;
  }
  EXPECT_EQ(FastSqrt(kInf), kInf);
  EXPECT_EQ(FastInvSqrt(kInf), 0);
}

TEST(FastMath, SinglePrecisionSquareRoot) {
  EXPECT_NEAR(FastSqrtFloat(2), std::sqrt(2.0), 1e-7 * std::sqrt(2.0));
  for (float x : {1e-17f, 0.3f, 1.0f, 7.0f, 1234.5f, 3e20f, 3e38f})
    EXPECT_NEAR(FastSqrtFloat(x), std::sqrt(double(x)), 2.5e-7 * std::sqrt(double(x))) << x;
  const float inf = std::numeric_limits<float>::infinity();
  for (float x : {1e-18f, 1e-30f, 0.0f, -0.0f, -1e-30f, -2.0f, -inf, std::numeric_limits<float>::quiet_NaN()})
    EXPECT_EQ(FastSqrtFloat(x), 0) << x;
  EXPECT_EQ(FastSqrtFloat(inf), inf);
}

TEST(IntSqrt, RoundsDown) {
  const struct {
    uint32_t x;
    uint32_t root;
  } cases[] = {{0, 0},          {1, 1},          {2, 1},          {3, 1},           {4, 2},
               {15, 3},         {16, 4},         {17, 4},         {24, 4},          {25, 5},
               {0x40000000, 32768}, {0xFFFE0000, 65534}, {0xFFFE0001, 65535}, {0xFFFFFFFF, 65535}};
  for (const auto& c : cases) EXPECT_EQ(IntSqrt(c.x, false), c.root) << c.x;
  for (uint32_t x = 0; x < 0xFFFF0000; x += 65521 * 7)
    EXPECT_EQ(IntSqrt(x, false), uint32_t(std::floor(std::sqrt(double(x))))) << x;
}

TEST(IntSqrt, CacheFollowsNeighbouringQueries) {
  const uint32_t sequence[][2] = {{16, 4}, {17, 4}, {25, 5}, {24, 4}, {0xFFFFFFFF, 65535}, {0xFFFE0001, 65535},
                                  {0xFFFE0000, 65534}, {0xFFFFFFFF, 65535}, {15, 3}, {0, 0}, {1, 1}, {0, 0}};
  for (const auto& [x, root] : sequence) EXPECT_EQ(IntSqrt(x, true), root) << x;

  // Walk up and down through many neighbouring roots, so the cache shifts both ways.
  for (uint32_t x = 0; x < 40000; ++x) ASSERT_EQ(IntSqrt(x, true), IntSqrt(x, false)) << x;
  for (uint32_t x = 40000; x-- > 0;) ASSERT_EQ(IntSqrt(x, true), IntSqrt(x, false)) << x;
}

}  // namespace
