#include "render/ray.h"

#include <gtest/gtest.h>

namespace {

TEST(Ray, TheBoxTestTakesTheWorldOrTheObjectSpaceRay) {
  CRay ray;
  ray.fOrigin = {0, 0, 10};
  ray.fDirection = {0, 0, -1};
  ray.fHit.fObjOrigin = {0, 0, 5};
  ray.fHit.fObjDirection = {0, 0, -0.5};
  const C3dBox box{{-1, -1, -1}, {1, 1, 1}};
  double entry = 0, exit = 0;
  ASSERT_TRUE(IntersectRay(box, ray, entry, exit, false));
  EXPECT_DOUBLE_EQ(entry, 9);
  EXPECT_DOUBLE_EQ(exit, 11);
  ASSERT_TRUE(IntersectRay(box, ray, entry, exit, true));
  EXPECT_DOUBLE_EQ(entry, 8);
  EXPECT_DOUBLE_EQ(exit, 12);
  ray.fOrigin = {5, 0, 10};
  EXPECT_FALSE(IntersectRay(box, ray, entry, exit, false));
}

TEST(Ray, CountsGoToTheStatisticsWhenThereAreAny) {
  CRay ray;
  ray.CountHit();  // no statistics bound: nothing to count into
  CRenderStats stats;
  ray.fStats = &stats;
  ray.CountHit();
  ray.CountMiss();
  ray.CountMiss();
  EXPECT_EQ(stats.fHits, 1u);
  EXPECT_EQ(stats.fMisses, 2u);
}

}  // namespace
