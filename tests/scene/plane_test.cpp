#include "scene/plane.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

using Plane = SceneTest;

TEST_F(Plane, RenderingRaysMeetItEverywherePickingRaysWithinTen) {
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  ASSERT_NE(plane, nullptr);
  const double far = std::sqrt(1000.0 * 1000.0 + 1);
  const SRayCase cases[] = {
      {"straight down", {0, 5, 0}, {0, -1, 0}, 0, true, 5, {{0, 1, 0}}, 0, 0},
      {"from below the normal is the same", {2, -5, 3}, {0, 1, 0}, 0, true, 5, {{0, 1, 0}}, 0.2, 0.3},
      {"a rendering ray far out", {0, 1, 0}, {1000, -1, 0}, 0, true, far, {{0, 1, 0}}, 100, 0},
      {"a picking ray there misses", {0, 1, 0}, {1000, -1, 0}, 0, false, 0, {}, NAN, NAN, kFarAway, 1},
      {"a picking ray within the square", {9, 1, -10}, {0, -1, 0}, 0, true, 1, {}, NAN, NAN, kFarAway, 1},
      {"too flat", {0, 1, 0}, {1, -0.99e-4, 0}, 0, false, 0},
      {"t at the interval's start is refused", {0, 5, 0}, {0, -1, 0}, 5, false, 0},
      // Rays leaving the plane meet it behind their start only.
      {"rising away above it", {0, 5, 0}, {0.5, 1, 0}, 0, false, 0},
      {"sinking away below it", {1, -5, 2}, {0, -1, 0.5}, 0, false, 0},
      {"leaving it from on it", {3, 0, 1}, {0, 1, 0}, 0, false, 0},
      {"an interval reaching behind the start", {0, 5, 0}, {0, 1, 0}, -10, true, -5, {{0, 1, 0}}},
  };
  ExpectRayCases(*plane, cases);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 5, 0}, {0, -1, 0});
  ASSERT_TRUE(plane->Intersect(ray));
  EXPECT_EQ(ray.fHit.fObjPoint, (vector3<double>{0, 0, 0}));
}

TEST_F(Plane, InBooleanGroupsItIsTheHalfSpaceBelowIt) {
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  CRenderStats stats;
  struct SCase {
    const char* name;
    vector3<double> origin;
    vector3<double> direction;
    double first, second;
    uint8_t firstValid;
  } cases[] = {
      {"going down: the surface, then the depth", {0, 5, 0}, {0, -1, 0}, 5, 1000005, 1},
      {"going up: the depth behind, then the surface", {0, -5, 0}, {0, 1, 0}, -999995, 5, 0},
  };
  for (const SCase& c : cases) {
    CRay ray = MakeRay(stats, c.origin, c.direction);
    CSpanList spans;
    ASSERT_TRUE(plane->IntersectSpans(ray, true, spans)) << c.name;
    ASSERT_EQ(spans.size(), 2u) << c.name;
    EXPECT_EQ(spans[0].fT, c.first) << c.name;
    EXPECT_EQ(spans[1].fT, c.second) << c.name;
    EXPECT_EQ(spans[0].fValid, c.firstValid) << c.name;
    EXPECT_EQ(spans[1].fValid, 1 - c.firstValid) << c.name;
    const SSpanEntry& depth = c.firstValid ? spans[1] : spans[0];
    EXPECT_EQ(depth.fObjPoint.y, -1000000) << c.name;
    EXPECT_EQ(depth.fObjNormal, (vector3<double>{0, 1, 0})) << c.name;
  }
  // Without the far side only the surface; a flat ray makes none.
  CRay down = MakeRay(stats, {0, 5, 0}, {0, -1, 0});
  CSpanList spans;
  ASSERT_TRUE(plane->IntersectSpans(down, false, spans));
  EXPECT_EQ(spans.size(), 1u);
  spans.clear();
  CRay flat = MakeRay(stats, {0, 1, 0}, {1, -0.99e-4, 0});
  EXPECT_FALSE(plane->IntersectSpans(flat, true, spans));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

TEST_F(Plane, OnlyThePlaneIsUnbounded) {
  C3dPlane* plane = MakeShape<C3dPlane>(table);
  EXPECT_TRUE(plane->IsUnbounded());
  Place(plane, {1, 1, 1}, {0, -2, 0});
  EXPECT_EQ(plane->WorldBox(), (C3dBox{{-10, -2, -10}, {10, -2, 10}}));
}

}  // namespace
