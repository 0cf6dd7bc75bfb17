#include "scene/cube.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

using Cube = SceneTest;

TEST_F(Cube, RaysMeetTheNearestFaceWhoseNormalPointsAlongItsAxis) {
  C3dCube* cube = MakeShape<C3dCube>(table);
  ASSERT_NE(cube, nullptr);
  const SRayCase cases[] = {
      {"down -z onto the top face", {0, 0, 5}, {0, 0, -1}, 0, true, 4.5, {{0, 0, 1}}, 0.5, 0.5},
      {"the -x face's normal is +x", {-5, 0, 0}, {1, 0, 0}, 0, true, 4.5, {{1, 0, 0}}, 0.5, 0.5},
      {"steep enough only above 1e-6", {0.5, 0, 5}, {1e-7, 0, -1}, 0, false, 0},
      {"lying in an x face, only the z face answers", {0.5, 0, 5}, {0, 0, -1}, 0, true, 4.5, {{0, 0, 1}}, 1, 0.5},
      {"through the edge of x and y: the x face", {1.5, 1.5, 0}, {-1, -1, 0}, 0, true, std::sqrt(2.0), {{1, 0, 0}}},
      {"on the corner of a face", {0.5, 0.5, 5}, {0, 0, -1}, 0, true, 4.5, {{0, 0, 1}}, 1, 1},
      {"t at the interval's start is refused", {0, 0, 5}, {0, 0, -1}, 4.5f, true, 5.5, {{0, 0, 1}}},
      {"t at the interval's end is refused", {0, 0, 5}, {0, 0, -1}, 0, true, 4.5, {}, NAN, NAN, 5.5f},
      {"not beyond the interval", {0, 0, 5}, {0, 0, -1}, 0, false, 0, {}, NAN, NAN, 4.5f},
      {"from the centre only the exit", {0, 0, 0}, {0, 0, 1}, 0, true, 0.5, {{0, 0, 1}}},
      {"beside", {0.6, 0, 5}, {0, 0, -1}, 0, false, 0},
  };
  ExpectRayCases(*cube, cases);
}

TEST_F(Cube, AHitRecordsTheObjectTheFaceAndTheWorldSurface) {
  C3dCube* cube = MakeShape<C3dCube>(table);
  Place(cube, {2, 2, 2}, {0, 0, -3});
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0.5, 0.25, 5}, {0, 0, -1});
  ASSERT_TRUE(cube->Intersect(ray));
  EXPECT_EQ(ray.fHitObject, cube);
  EXPECT_EQ(ray.fHitPart, nullptr);
  EXPECT_NEAR(ray.fHitT, 7, 1e-12);
  ExpectNear(ray.fHit.fObjPoint, {0.25, 0.125, 0.5}, 1e-12, "object point");
  ExpectNear(ray.fHit.fPoint, {0.5, 0.25, -2}, 1e-12, "world point");
  ExpectNear(ray.fHit.fNormal, {0, 0, 1}, 1e-9, "world normal");
  ExpectNear(ray.fHit.fTangentU, {1, 0, 0}, 0, "tangent u");
  ExpectNear(ray.fHit.fTangentV, {0, 1, 0}, 0, "tangent v");
  EXPECT_NEAR(ray.fHit.fU, 0.75, 1e-12);
  EXPECT_NEAR(ray.fHit.fV, 0.625, 1e-12);
}

TEST_F(Cube, SpansNeedBothCrossings) {
  C3dCube* cube = MakeShape<C3dCube>(table);
  CRenderStats stats;
  CRay inside = MakeRay(stats, {0, 0, 0}, {0, 0, 1});
  CSpanList spans;
  ASSERT_TRUE(cube->IntersectSpans(inside, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].fT, -0.5);
  EXPECT_EQ(spans[1].fT, 0.5);
  EXPECT_EQ(spans[0].fValid, 1);
  EXPECT_EQ(spans[1].fValid, 1);
  spans.clear();
  // In through the top face just inside its edge and out beside the bottom face, the x faces too
  // steep to count: a single crossing, which is no span.
  CRay grazing = MakeRay(stats, {0.5 - 5e-7, 0, 5}, {1e-7, 0, -1});
  EXPECT_FALSE(cube->IntersectSpans(grazing, true, spans));
  EXPECT_EQ(spans.size(), 0u);
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

}  // namespace
