#include "scene/cylinder.h"

#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace {

using Cylinder = SceneTest;

TEST_F(Cylinder, RaysMeetTheDisksBeforeTheMantle) {
  C3dCylinder* cylinder = MakeShape<C3dCylinder>(table);
  ASSERT_NE(cylinder, nullptr);
  const SRayCase cases[] = {
      {"down the axis: the top", {0, 5, 0}, {0, -1, 0}, 0, true, 4, {{0, 1, 0}}, 0, 0},
      {"up the axis: the bottom", {0, -5, 0}, {0, 1, 0}, 0, true, 4, {{0, -1, 0}}},
      {"the mantle from the front", {0, 0, 5}, {0, 0, -1}, 0, true, 4, {{0, 0, 1}}, 0.25, 0.5},
      {"the mantle from behind", {0, 0, -5}, {0, 0, 1}, 0, true, 4, {{0, 0, -1}}, 0.75, 0.5},
      {"the mantle's top edge", {-5, 1, 0}, {1, 0, 0}, 0, true, 4, {{-1, 0, 0}}, 0.5, 1},
      {"the mantle's bottom edge", {-5, -1, 0}, {1, 0, 0}, 0, true, 4, {{-1, 0, 0}}, 0.5, 0},
      {"the top's rim", {0.6, 5, 0.8}, {0, -1, 0}, 0, true, 4, {{0, 1, 0}}},
      {"above", {-5, 1.01, 0}, {1, 0, 0}, 0, false, 0},
  };
  ExpectRayCases(*cylinder, cases);
}

TEST_F(Cylinder, SpansStandInIncreasingTThoughTheTopIsFoundFirst) {
  C3dCylinder* cylinder = MakeShape<C3dCylinder>(table);
  CRenderStats stats;
  CRay up = MakeRay(stats, {0, -5, 0.5}, {0, 1, 0});
  CSpanList spans;
  ASSERT_TRUE(cylinder->IntersectSpans(up, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].fT, 4);
  EXPECT_EQ(spans[0].fObjNormal, (vector3<double>{0, -1, 0}));
  EXPECT_EQ(spans[1].fT, 6);
  EXPECT_EQ(spans[1].fObjNormal, (vector3<double>{0, 1, 0}));
}

}  // namespace
