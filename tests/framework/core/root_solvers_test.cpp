#include "framework/core/root_solvers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void ExpectRoots(std::vector<double> found, std::vector<double> expected, const char* what) {
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(found.size(), expected.size()) << what;
  for (size_t i = 0; i < found.size(); ++i) EXPECT_NEAR(found[i], expected[i], 1e-9) << what << " root " << i;
}

TEST(SolveQuadratic, TwoDistinctRootsSmallerFirst) {
  const struct {
    double a, b, c;
    int count;
    double r0, r1;
  } cases[] = {
      {1, -3, 2, 2, 1, 2},
      {-1, 3, -2, 2, 1, 2},  // negative leading coefficient: still smaller first
      {2, 0, -8, 2, -2, 2},
      {1, 2, 1, 0, 0, 0},    // a double root is not reported
      {1, 0, 1, 0, 0, 0},
      {0, 1, 1, 0, 0, 0},
      {1e-11, 1, 1, 0, 0, 0},
  };
  for (const auto& c : cases) {
    double roots[2] = {-99, -99};
    ASSERT_EQ(SolveQuadratic(c.a, c.b, c.c, roots), c.count) << c.a << " " << c.b << " " << c.c;
    if (c.count == 0) continue;
    EXPECT_DOUBLE_EQ(roots[0], c.r0);
    EXPECT_DOUBLE_EQ(roots[1], c.r1);
  }
}

TEST(SolveCubic, RealRootsOfEachDiscriminantCase) {
  const struct {
    double c[4];
    std::vector<double> roots;
    const char* what;
  } cases[] = {
      {{-6, 11, -6, 1}, {1, 2, 3}, "three distinct"},
      {{0, 0, 0, 1}, {0}, "triple root at 0"},
      {{2, -3, 0, 1}, {-2, 1}, "double root at 1"},
      {{-1, 0, 0, 1}, {1}, "one real root"},
      {{12, -22, 12, -2}, {1, 2, 3}, "scaled by -2"},
      {{-30, 31, -10, 1}, {2, 3, 5}, "distinct, shifted"},
  };
  for (const auto& c : cases) {
    double roots[3];
    const int n = SolveCubic(c.c, roots);
    ExpectRoots({roots, roots + n}, c.roots, c.what);
  }
}

TEST(SolveCubic, RootsBesideADoubleRootStayNumbers) {
  // The discriminant is clearly negative, yet the ratio under acos rounds a step past -1.
  const double c[4] = {106761.78175580458, -4253.1607729555672, 0, 1};
  double roots[3];
  ASSERT_EQ(SolveCubic(c, roots), 3);
  for (double x : roots) {
    ASSERT_TRUE(std::isfinite(x));
    EXPECT_NEAR(((x + c[2]) * x + c[1]) * x + c[0], 0, 1e-6 * c[0]) << x;
  }
}

TEST(SolveQuartic, RealRootsOfEachPath) {
  const struct {
    double c[5];
    std::vector<double> roots;
    const char* what;
  } cases[] = {
      {{4, 0, -5, 0, 1}, {-2, -1, 1, 2}, "(x²-1)(x²-4)"},
      {{24, -50, 35, -10, 1}, {1, 2, 3, 4}, "(x-1)(x-2)(x-3)(x-4)"},
      {{0, 0, -1, 0, 1}, {-1, 0, 0, 1}, "x²(x²-1): zero constant after the shift"},
      {{1, 0, 0, 0, 1}, {}, "x⁴+1"},
      {{4e-12, 0, -5e-12, 0, 1e-12}, {-2, -1, 1, 2}, "tiny leading coefficient of a large torus"},
  };
  for (const auto& c : cases) {
    double roots[4];
    const int n = SolveQuartic(c.c, roots);
    ExpectRoots({roots, roots + n}, c.roots, c.what);
  }
}

TEST(RootSolvers, LeadingCoefficientTooSmallToDivideByGivesNoRoots) {
  double roots[4];
  for (double lead : {0.0, -0.0, 1e-320}) {
    const double cubic[4] = {1, 2, 3, lead};
    const double quartic[5] = {1, 2, 3, 4, lead};
    EXPECT_EQ(SolveCubic(cubic, roots), 0) << lead;
    EXPECT_EQ(SolveQuartic(quartic, roots), 0) << lead;
  }
}

}  // namespace
