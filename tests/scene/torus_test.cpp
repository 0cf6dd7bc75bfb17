#include "scene/torus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "scene_fixture.h"

namespace {

class Torus : public SceneTest {
 protected:
  C3dTorus* NewTorus(double minor, double major) {
    C3dTorus* torus = MakeShape<C3dTorus>(table);
    if (torus) {
      torus->SetMinorRadius(minor);
      torus->SetMajorRadius(major);
    }
    return torus;
  }
};

TEST_F(Torus, TheRadiiSetItsBox) {
  C3dTorus* torus = NewTorus(1, 3);
  ASSERT_NE(torus, nullptr);
  EXPECT_EQ(torus->GetDataSize(), 764u);
  EXPECT_EQ(torus->LocalBox(), (C3dBox{{-4, -1, -4}, {4, 1, 4}}));
  const C3dBox world = torus->WorldBox();
  ExpectNear(world.fMin, {-4, -1, -4}, 1e-12, "world minimum");
  ExpectNear(world.fMax, {4, 1, 4}, 1e-12, "world maximum");
}

TEST_F(Torus, RaysMeetTheTubeAtTheQuarticsNearestRoot) {
  C3dTorus* torus = NewTorus(1, 3);
  // On the outside of the tube the normal has its length 2/r.
  const SRayCase cases[] = {
      {"along x from outside", {-10, 0, 0}, {1, 0, 0}, 0, true, 6, {{-2, 0, 0}}, NAN, -0.25},
      {"from inside the hole", {0, 0, 0}, {1, 0, 0}, 0, true, 2, {{-2, 0, 0}}},
      {"down onto the top of the tube", {3, 5, 0}, {0, -1, 0}, 0, true, 4, {{0, 2, 0}}, 0.25, 0},
      {"past the first crossing", {-10, 0, 0}, {1, 0, 0}, 7, true, 8, {{2, 0, 0}}},
      {"level above the tube, refused by its slab", {-10, 1.5, 0}, {1, 0, 0}, 0, false, 0},
      {"beside the ring", {5, 5, 5}, {0, -1, 0}, 0, false, 0},
  };
  ExpectRayCases(*torus, cases);

  C3dTorus* thin = NewTorus(0.5, 2);
  ExpectRayCase(*thin, {"down the axis through the hole", {0, 5, 0}, {0, -1, 0}, 0, false, 0});
}

TEST_F(Torus, ATubeWithoutThicknessIsNeverMet) {
  C3dTorus* flat = NewTorus(0, 3);
  ExpectRayCase(*flat, {"onto the centre circle", {-10, 0, 0}, {1, 0, 0}, 0, false, 0});
}

TEST_F(Torus, OnTheAxisTheNormalIsTheAxis) {
  // With R below r the tube closes over the axis.
  C3dTorus* torus = NewTorus(1, 0.5);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 5, 0}, {0, -1, 0});
  ASSERT_TRUE(torus->Intersect(ray));
  EXPECT_NEAR(ray.fHitT, 5 - std::sqrt(0.75), 1e-6);
  EXPECT_EQ(ray.fHit.fObjNormal, (vector3<double>{0, 1, 0}));
  ExpectNear(ray.fHit.fNormal, {0, 1, 0}, 1e-9, "world normal");
}

TEST_F(Torus, SpansAreEveryCrossingSortedAcrossTheTable) {
  C3dTorus* torus = NewTorus(1, 3);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {-10, 0, 0}, {1, 0, 0});
  // An entry already in the list takes its place among them.
  SSpanEntry earlier;
  earlier.fT = 10;
  CSpanList spans{earlier};
  ASSERT_TRUE(torus->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 5u);
  const double expected[] = {6, 8, 10, 12, 14};
  for (uint32_t i = 0; i < 5; ++i) EXPECT_NEAR(spans[i].fT, expected[i], 1e-6) << i;
  EXPECT_EQ(spans[0].fValid, 1);
  EXPECT_EQ(spans[0].fObject, torus);
  spans.clear();
  // Rays refused before the quartic make none and count nothing.
  CRay above = MakeRay(stats, {-10, 1.5, 0}, {1, 0, 0});
  EXPECT_FALSE(torus->IntersectSpans(above, true, spans));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

}  // namespace
