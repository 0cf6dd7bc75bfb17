#include "scene/pyramid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

constexpr double kA = 0.44720483191134;
constexpr double kB = 0.89443157274056;

using Pyramid = SceneTest;

TEST_F(Pyramid, RaysMeetTheBaseAndTheSidesInTheirOrder) {
  C3dPyramid* pyramid = MakeShape<C3dPyramid>(table);
  ASSERT_NE(pyramid, nullptr);
  // A side face's plane along x at height 0: a·(0.5 − y) = b·x.
  const double side = 0.5 * kA / kB;
  const SRayCase cases[] = {
      {"down the axis: the first side at the apex", {0, 5, 0}, {0, -1, 0}, 0, true, 4.5, {{0, kA, -kB}}, 0.5, 1},
      {"up the axis: the base", {0, -5, 0}, {0, 1, 0}, 0, true, 4.5, {{0, 1, 0}}, 0.5, 0.5},
      {"the side towards +x", {5, 0, 0}, {-1, 0, 0}, 0, true, 5 - side, {{kB, kA, 0}}, 0.5, 0.5},
      {"the side towards -z", {0, 0, -5}, {0, 0, 1}, 0, true, 5 - side, {{0, kA, -kB}}},
      {"parallel to a side never meets it", {0, 0.4, 0.1 - 5}, {0, kB, kA}, 0, false, 0},
      {"beside", {5, 0, 0.3}, {-1, 0, 0}, 0, false, 0},
      {"onto the base's edge, where a side meets it: the base", {0, -1.5, -1.5}, {0, 1, 1}, 0, true,
       std::sqrt(2.0), {{0, 1, 0}}},
  };
  ExpectRayCases(*pyramid, cases);
}

TEST_F(Pyramid, OneCrossingMakesAOneEntrySpan) {
  C3dPyramid* pyramid = MakeShape<C3dPyramid>(table);
  CRenderStats stats;
  // Up along the base's edge: the sides pass it by.
  CRay ray = MakeRay(stats, {0.5, -5, 0}, {0, 1, 0});
  CSpanList spans;
  ASSERT_TRUE(pyramid->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].fT, 4.5);
  spans.clear();
  // Onto the base's edge, where a side meets it: both become entries, the base first.
  CRay edge = MakeRay(stats, {0, -1.5, -1.5}, {0, 1, 1});
  ASSERT_TRUE(pyramid->IntersectSpans(edge, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].fObjNormal, (vector3<double>{0, 1, 0}));
  EXPECT_EQ(spans[1].fObjNormal, (vector3<double>{0, kA, -kB}));
  EXPECT_NEAR(spans[1].fT, std::sqrt(2.0), 1e-4);
}

}  // namespace
