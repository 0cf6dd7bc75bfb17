#include "scene/circle.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

using Disk = SceneTest;

TEST_F(Disk, RaysMeetItWithPolarTextureCoordinates) {
  C3dCircle* disk = MakeShape<C3dCircle>(table);
  ASSERT_NE(disk, nullptr);
  const SRayCase cases[] = {
      {"the centre", {0, 2, 0}, {0, -1, 0}, 0, true, 2, {{0, 1, 0}}, 0, 1},
      {"the rim towards +z", {0, 2, 1}, {0, -1, 0}, 0, true, 2, {{0, 1, 0}}, 0, 0},
      {"the rim towards +x", {1, 2, 0}, {0, -1, 0}, 0, true, 2, {{0, 1, 0}}, 0.25, 0},
      {"the rim towards -x", {-1, 2, 0}, {0, -1, 0}, 0, true, 2, {{0, 1, 0}}, 0.75, 0},
      {"from below", {0, -2, -0.5}, {0, 1, 0}, 0, true, 2, {{0, 1, 0}}, 0.5, 0.5},
      {"exactly on the rim", {0.6, 2, 0.8}, {0, -1, 0}, 0, true, 2},
      {"beside the rim", {0.75, 2, 0.75}, {0, -1, 0}, 0, false, 0},
  };
  ExpectRayCases(*disk, cases);
  ASSERT_EQ(0.6 * 0.6 + 0.8 * 0.8, 1.0);
}

TEST_F(Disk, TheTangentsRunAlongTheRimAndOutwardAndVanishAtTheCentre) {
  C3dCircle* disk = MakeShape<C3dCircle>(table);
  CRenderStats stats;
  CRay rim = MakeRay(stats, {1, 2, 0}, {0, -1, 0});
  ASSERT_TRUE(disk->Intersect(rim));
  ExpectNear(rim.fHit.fTangentU, {0, 0, -1}, 1e-12, "along the rim");
  ExpectNear(rim.fHit.fTangentV, {1, 0, 0}, 1e-12, "outward");
  CRay centre = MakeRay(stats, {0, 2, 0}, {0, -1, 0});
  ASSERT_TRUE(disk->Intersect(centre));
  EXPECT_EQ(centre.fHit.fTangentU, (vector3<double>{}));
  EXPECT_EQ(centre.fHit.fTangentV, (vector3<double>{}));
  EXPECT_FALSE(std::isnan(centre.fHit.fU));
}

TEST_F(Disk, ItsSpanIsTheSurfaceThenAPointJustBehind) {
  C3dCircle* disk = MakeShape<C3dCircle>(table);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, -2, 0.5}, {0, 1, 0});
  CSpanList spans;
  ASSERT_TRUE(disk->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].fT, 2);
  EXPECT_EQ(spans[0].fValid, 1);
  EXPECT_EQ(spans[1].fT, 2 + 1e-07);
  EXPECT_EQ(spans[1].fValid, 0);
  EXPECT_NEAR(spans[1].fObjPoint.y, 1e-07, 1e-15);
  spans.clear();
  CRay beside = MakeRay(stats, {0.75, -2, 0.75}, {0, 1, 0});
  EXPECT_FALSE(disk->IntersectSpans(beside, true, spans));
  EXPECT_EQ(spans.size(), 0u);
}

}  // namespace
