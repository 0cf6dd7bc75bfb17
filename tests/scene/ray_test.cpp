#include "scene/ray.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "scene/surface/material.h"

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// A record as a trace leaves it: hit, exit, colours and shadow results all set.
CRay UsedRay() {
  CRay ray;
  ray.fContext = reinterpret_cast<CRenderContext*>(0x100);
  ray.fHitT = ray.fTLimit = ray.fTravelled = 4;
  ray.fHitObject = ray.fHitPart = ray.fBlocker = reinterpret_cast<C3dObject*>(0x200);
  ray.fHolder = reinterpret_cast<COptimizerHolder*>(0x300);
  ray.fExited = ray.fEntering = ray.fLeaving = 1;
  ray.fExitPoint = {1, 2, 3};
  ray.fColour = ray.fColourBehind = ray.fShadowFilter = {0.5f, 0.5f, 0.5f};
  ray.fShadowFactor = 0.25;
  ray.fWantsTexture = 0;
  ray.fShadowRay = ray.fHitTestOnly = ray.fSkipLights = ray.fFilterRay = ray.fUnselectedOnly = 1;
  ray.fDepth = 9;
  return ray;
}

void ExpectFreshResults(const CRay& ray) {
  EXPECT_EQ(ray.fHitT, 0);
  EXPECT_EQ(ray.fTLimit, 0);
  EXPECT_EQ(ray.fTravelled, 0);
  EXPECT_EQ(ray.fHitObject, nullptr);
  EXPECT_EQ(ray.fHitPart, nullptr);
  EXPECT_EQ(ray.fHolder, nullptr);
  EXPECT_EQ(ray.fExited, 0);
  EXPECT_EQ(ray.fEntering + ray.fLeaving, 0);
  EXPECT_EQ(ray.fColourBehind, (vector3<float>{}));
  EXPECT_EQ(ray.fColour, (vector3<float>{}));
  EXPECT_EQ(ray.fShadowFactor, 1.0);
  EXPECT_EQ(ray.fShadowFilter, (vector3<float>{1, 1, 1}));
  EXPECT_EQ(ray.fBlocker, nullptr);
  EXPECT_EQ(ray.fWantsTexture, 1u);
}

TEST(Ray, WithoutAParentARayIsPrimaryAtDepthZeroAndUnbound) {
  CRay ray = UsedRay();
  C3dObject* medium = reinterpret_cast<C3dObject*>(0x400);
  ray.Init(nullptr, {1, 2, 3}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}, {1, 1, 1}, 0.25f, kInfinity, medium, nullptr, 7);
  EXPECT_EQ(ray.fContext, nullptr);
  EXPECT_EQ(ray.fStats, nullptr);
  EXPECT_EQ(ray.fParent, nullptr);
  EXPECT_EQ(ray.fDepth, 0u);
  const uint8_t flags[] = {ray.fPrimary, ray.fShadowRay, ray.fHitTestOnly, ray.fSkipLights};
  EXPECT_EQ(std::vector<uint8_t>(flags, flags + 4), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(ray.fFilterRay + ray.fSelectedOnly + ray.fUnselectedOnly + ray.fFilterSpare, 0);
  EXPECT_EQ(ray.fOrigin, (vector3<double>{1, 2, 3}));
  EXPECT_EQ(ray.fStart, ray.fOrigin);
  EXPECT_EQ(ray.fDirection, (vector3<double>{0, 0, 1}));
  EXPECT_EQ(ray.fColourWeight, (vector3<float>{0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(ray.fPathWeight, (vector3<float>{1, 1, 1}));
  EXPECT_EQ(ray.fTMin, 0.25f);
  EXPECT_EQ(ray.fTMax, kInfinity);
  EXPECT_EQ(ray.fMedium, medium);
  EXPECT_EQ(ray.fOrderEntry, 7);
  ExpectFreshResults(ray);
}

TEST(Ray, AChildTakesItsParentsBindingFlagsAndFilterWordOneLevelDeeper) {
  CRay parent;
  CRenderStats stats;
  parent.Init(nullptr, {0, 0, 0}, {1, 0, 0}, {1, 1, 1}, {1, 1, 1}, 1, kInfinity, nullptr, nullptr, -1);
  parent.fContext = reinterpret_cast<CRenderContext*>(0x100);
  parent.fStats = &stats;
  parent.fShadowRay = 1;
  parent.fSkipLights = 1;
  parent.fFilterRay = 1;
  parent.fSelectedOnly = 1;
  parent.fFilterSpare = 3;
  parent.fDepth = 4;

  CRay child = UsedRay();
  child.Init(&parent, {5, 0, 0}, {0, 1, 0}, {1, 1, 1}, {0.5f, 0.5f, 0.5f}, 0.0001f, 8, nullptr, nullptr, -1);
  EXPECT_EQ(child.fParent, &parent);
  EXPECT_EQ(child.fContext, parent.fContext);
  EXPECT_EQ(child.fStats, &stats);
  EXPECT_EQ(child.fDepth, 5u);
  const uint8_t flags[] = {child.fPrimary,   child.fShadowRay,    child.fHitTestOnly,    child.fSkipLights,
                           child.fFilterRay, child.fSelectedOnly, child.fUnselectedOnly, child.fFilterSpare};
  EXPECT_EQ(std::vector<uint8_t>(flags, flags + 8), (std::vector<uint8_t>{1, 1, 0, 1, 1, 1, 0, 3}));
  EXPECT_EQ(child.fStart, (vector3<double>{5, 0, 0}));
  EXPECT_EQ(child.fTMax, 8);
  ExpectFreshResults(child);
}

TEST(IllumModel, TheBaseWeightsLetEverythingThrough) {
  struct CUnlit : C3dIllumModel {
    void Shade(CRay&, const SMaterialSample&, vector3<float>&, CRenderContext&) override {}
  } model;
  C3dIllumModel& base = model;
  CRay ray;
  const SMaterialSample sample;
  using Weight = void (C3dIllumModel::*)(const CRay&, const SMaterialSample&, vector3<float>&, double&);
  for (Weight weight : {&C3dIllumModel::GetTransmission, &C3dIllumModel::GetReflection, &C3dIllumModel::GetFilter,
                        &C3dIllumModel::GetDefaultWeight}) {
    vector3<float> colour{0.2f, 0.3f, 0.4f};
    double amount = 0.5;
    (base.*weight)(ray, sample, colour, amount);
    EXPECT_EQ(colour, (vector3<float>{1, 1, 1}));
    EXPECT_EQ(amount, 1.0);
  }
}

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
