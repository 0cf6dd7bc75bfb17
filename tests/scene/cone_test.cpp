#include "scene/cone.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene_fixture.h"

namespace {

using Cone = SceneTest;

std::vector<double> SpanTs(CSpanList& spans) {
  std::vector<double> ts;
  for (const SSpanEntry& span : spans) ts.push_back(span.fT);
  spans.clear();
  return ts;
}

TEST_F(Cone, RaysMeetTheBaseTheMantleAndTheApex) {
  C3dCone* cone = MakeShape<C3dCone>(table);
  ASSERT_NE(cone, nullptr);
  const vector3<double> front{0, 0.447214, 0.894427};
  const SRayCase cases[] = {
      {"the mantle from the front", {0, 0, 5}, {0, 0, -1}, 0, true, 4.5, front, 0.25, 0.5},
      {"down the axis: the apex", {0, 5, 0}, {0, -1, 0}, 0, true, 4, {{0, 1, 0}}, 0, 1},
      {"up the axis: the base", {0, -5, 0}, {0, 1, 0}, 0, true, 4, {{0, -1, 0}}, 0, 0},
      {"along a generator only the base", {-1.2, 1, 0}, {0.5, -1, 0}, 0, true, 2 * std::sqrt(1.25), {{0, -1, 0}}},
      {"the mantle's foot", {-5, -1, 0}, {1, 0, 0}, 0, true, 4},
      {"grazing beside the apex", {-5, 1, 0.5}, {1, 0, 0}, 0, false, 0},
      {"t beyond the interval's end", {0, 0, 5}, {0, 0, -1}, 0, false, 0, {}, NAN, NAN, 4.5f},
  };
  ExpectRayCases(*cone, cases);
}

TEST_F(Cone, SpansRunInIncreasingTWhateverTheSolversOrder) {
  C3dCone* cone = MakeShape<C3dCone>(table);
  CRenderStats stats;
  CSpanList spans;
  CRay up = MakeRay(stats, {0, -5, 0}, {0, 1, 0});
  ASSERT_TRUE(cone->IntersectSpans(up, true, spans));
  EXPECT_EQ(SpanTs(spans), (std::vector<double>{4, 6}));
  CRay across = MakeRay(stats, {5, 0, 0}, {-1, 0, 0});
  ASSERT_TRUE(cone->IntersectSpans(across, true, spans));
  EXPECT_EQ(SpanTs(spans), (std::vector<double>{4.5, 5.5}));
  CRay through = MakeRay(stats, {0.25, -5, 0}, {0, 1, 0});
  ASSERT_TRUE(cone->IntersectSpans(through, true, spans));
  EXPECT_EQ(SpanTs(spans), (std::vector<double>{4, 5.5}));
}

}  // namespace
