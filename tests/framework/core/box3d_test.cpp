#include "framework/core/box3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

using V = vector3<double>;
constexpr double kInf = std::numeric_limits<double>::infinity();
const C3dBox kUnit{{-1, -1, -1}, {1, 1, 1}};

TEST(C3dBox, SlabTest) {
  const struct {
    V origin, direction;
    bool hit;
    double entry, exit;
  } cases[] = {
      {{0, 0, 0}, {1, 0, 0}, true, -1, 1},          // inside: the parallel axes do not limit it
      {{-5, 0, 0}, {1, 0, 0}, true, 4, 6},
      {{-5, 0.5, 0}, {1, 0, 0}, true, 4, 6},
      {{-5, 2, 0}, {1, 0, 0}, false, 0, 0},
      {{-5, 0, 0}, {-1, 0, 0}, false, 0, 0},        // leaving
      {{0, 5, 0}, {0, -2, 0}, true, 2, 3},
      {{-5, -5, -5}, {1, 1, 1}, true, 4, 6},
      // Past an edge by less than the tolerance still counts (it has left y as it enters x).
      {{-5, 0, 0}, {1, (1 + 1e-8) / 4, 0}, true, 4, 4 / (1 + 1e-8)},
      {{-5, 0, 0}, {1, (1 + 1e-6) / 4, 0}, false, 0, 0},
      {{-5, 1 + 1e-8, 0}, {1, 0, 0}, false, 0, 0},  // parallel outside a slab
      {{-5, 0, 0}, {1e-8, 0, 0}, false, 0, 0},      // too slow to count as moving
      {{0, 0, 0}, {0, 0, 0}, false, 0, 0},
      {{-5, 0, 0}, {0, 0, 0}, false, 0, 0},
  };
  for (const auto& c : cases) {
    double entry = -99, exit = -99;
    const bool hit = kUnit.IntersectRay(c.origin, c.direction, entry, exit);
    EXPECT_EQ(hit, c.hit) << c.origin.x << "," << c.origin.y << "," << c.origin.z;
    if (!hit || !c.hit) continue;
    EXPECT_NEAR(entry, c.entry, 1e-12);
    EXPECT_NEAR(exit, c.exit, 1e-12);
  }
}

TEST(C3dBox, UnionAndExtendMoveABoundOnlyWhenStrictlyBeyond) {
  C3dBox box = C3dBox::Empty();
  EXPECT_TRUE(box.IsEmpty());
  box.Extend({1, 2, 3});
  EXPECT_EQ(box, (C3dBox{{1, 2, 3}, {1, 2, 3}}));
  box.Extend({-1, 5, 3});
  EXPECT_EQ(box, (C3dBox{{-1, 2, 3}, {1, 5, 3}}));

  C3dBox zero{{0, 0, 0}, {0, 0, 0}};
  zero.Extend({-0.0, -0.0, -0.0});
  EXPECT_FALSE(std::signbit(zero.fMin.x));  // equal is not beyond
  zero.Union(C3dBox{{-0.0, -0.0, -0.0}, {-0.0, -0.0, -0.0}});
  EXPECT_FALSE(std::signbit(zero.fMin.y));

  box.Union(C3dBox{{0, 0, 0}, {0.5, 9, 4}});
  EXPECT_EQ(box, (C3dBox{{-1, 0, 0}, {1, 9, 4}}));
  const C3dBox before = box;
  box.Union(C3dBox::Empty());
  EXPECT_EQ(box, before);
}

TEST(C3dBox, TransformBoundsTheEightCorners) {
  C34Matrix turn;
  turn.SetAxisRotation({0, 0, 1}, std::numbers::pi / 4);
  turn.Translate(10, 0, 0);
  const C3dBox out = kUnit.Transform(turn);
  const double r = std::sqrt(2.0);
  EXPECT_NEAR(out.fMin.x, 10 - r, 1e-12);
  EXPECT_NEAR(out.fMax.x, 10 + r, 1e-12);
  EXPECT_NEAR(out.fMin.y, -r, 1e-12);
  EXPECT_NEAR(out.fMax.y, r, 1e-12);
  EXPECT_NEAR(out.fMin.z, -1, 1e-12);
  EXPECT_NEAR(out.fMax.z, 1, 1e-12);

  const C3dBox empty = C3dBox::Empty().Transform(turn);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(empty, C3dBox::Empty());
}

}  // namespace
