#include "scene/square.h"

#include <gtest/gtest.h>

#include "scene_fixture.h"

namespace {

using Square = SceneTest;

TEST_F(Square, RaysFromEitherSideMeetItsUpwardFace) {
  C3dSquare* square = MakeShape<C3dSquare>(table);
  ASSERT_NE(square, nullptr);
  const SRayCase cases[] = {
      {"from above", {0.5, 3, -0.5}, {0, -1, 0}, 0, true, 3, {{0, 1, 0}}, 0.75, 0.25},
      {"from below", {0.5, -3, -0.5}, {0, 1, 0}, 0, true, 3, {{0, 1, 0}}, 0.75, 0.25},
      {"on the corner", {1, 2, 1}, {0, -1, 0}, 0, true, 2, {{0, 1, 0}}, 1, 1},
      {"beside", {1.01, 2, 0}, {0, -1, 0}, 0, false, 0},
      {"nearly in its plane", {-5, 1e-6, 0}, {1, -0.9e-6, 0}, 0, false, 0},
      {"a picking ray", {0, 2, 0}, {0, -1, 0}, 0, true, 2, {}, 0.5, 0.5, kFarAway, 1},
  };
  ExpectRayCases(*square, cases);
}

TEST_F(Square, ItsSpanIsTheSurfaceThenAPointJustBehind) {
  C3dSquare* square = MakeShape<C3dSquare>(table);
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0.5, 3, -0.5}, {0, -1, 0});
  CSpanList spans;
  ASSERT_TRUE(square->IntersectSpans(ray, true, spans));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].fT, 3);
  EXPECT_EQ(spans[0].fValid, 1);
  EXPECT_EQ(spans[0].fObjPoint, (vector3<double>{0.5, 0, -0.5}));
  EXPECT_EQ(spans[1].fT, 3 + 1e-07);
  EXPECT_EQ(spans[1].fValid, 0);
  EXPECT_NEAR(spans[1].fObjPoint.y, -1e-07, 1e-15);
  EXPECT_EQ(spans[1].fObjNormal, (vector3<double>{0, 1, 0}));
  EXPECT_EQ(spans[1].fU, 0.75);
}

}  // namespace
