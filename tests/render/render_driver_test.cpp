#include "render/render_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/bsp_tree_optimizer.h"
#include "render/null_optimizer.h"
#include "scene/sky.h"
#include "tests/render/render_fixture.h"

namespace {

class RenderDriver : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    int32_t error = 0;
    image = NewDataImage(48, 32, &error);
    ASSERT_NE(image, nullptr) << error;
    request.scene = table;
    request.image = image;
    request.area = image->GetBounds();
    request.settings = &settings;
  }
  // A sphere, a cube, a floor, a radial light and a sun under a sky whose shadows are cast at 0.3.
  void BuildScene() {
    NewSphere({1, 1, 1}, {-1, 0.5, 0});
    C3dCube* cube = MakeShape<C3dCube>(table);
    Place(cube, {1.5, 1.5, 1.5}, {1.5, 0.25, 1});
    NewPlane(-0.5);
    NewRadialLight({-3, 5, -4}, 6);
    C3dSunLight* sun = MakeObject<C3dSunLight>(table);
    sun->SetDirection({0.3, 0.8, -0.52});
    sky = MakeObject<C3dSky>(table);
    sky->GetSettings().valueF = 0.3;
    request.sky = sky;
    request.camera = LookFrom({0, 2, -7}, {0, 0, 0});
  }
  int32_t Run() { return RenderSceneImage(*context, request); }

  SRenderRequest request;
  C3dSky* sky = nullptr;
};

class CRefusingOptimizer : public CNullOptimizer {
 public:
  bool Add(C3dObject*) override { return false; }
};

TEST_F(RenderDriver, EveryOptimizerChoiceGivesTheSameImage) {
  BuildScene();
  CAbstractOptimizer* own = context->GetOptimizer();
  settings.fFlags &= ~SRenderSettings::kOwnOptimizer;
  ASSERT_EQ(Run(), 0);
  const std::vector<uint32_t> flat = Pixels();
  const CRenderStats& stats = context->GetStats();
  EXPECT_EQ(stats.fPixels, 48u * 32);
  EXPECT_GT(stats.fShadowRays, 0u);  // the sky's shadow lightness reached the settings
  EXPECT_EQ(stats.fRaySum, stats.fEyeRays + stats.fShadowRays);
  EXPECT_EQ(settings.fSky, sky);
  EXPECT_DOUBLE_EQ(settings.fShadowLightness, 0.3);

  settings.fFlags |= SRenderSettings::kOwnOptimizer;
  for (const uint32_t choice : {0u, 1u, 2u}) {
    request.optimizerChoice = choice;
    SetPixels(0);
    ASSERT_EQ(Run(), 0) << choice;
    EXPECT_EQ(Pixels(), flat) << choice;
    EXPECT_EQ(context->GetOptimizer(), own) << choice;  // given back
  }
  EXPECT_EQ(context->GetCamera(), &frame);
  EXPECT_EQ(context->GetTarget(), nullptr);
}

// A render's own tree leaves the cameras out: no render ray meets one, and a view camera hundreds of
// units off stretched the tree so far that its ten levels never parted a cluster of spheres, every
// ray then testing them all.
TEST_F(RenderDriver, AFarCameraDoesNotSpoilTheRendersTree) {
  for (int i = 0; i < 64; ++i) NewSphere({0.2, 0.2, 0.2}, {(i % 8) * 0.3 - 1.05, (i / 8) * 0.3 - 1.05, 0});
  request.camera = LookFrom({0, 0, -6}, {0, 0, 0});
  settings.fFlags |= SRenderSettings::kOwnOptimizer;
  request.optimizerChoice = 2;
  const auto tests = [&] {
    SetPixels(0);
    EXPECT_EQ(Run(), 0);
    return context->GetStats().fTestSum;
  };
  const uint64_t alone = tests();
  const std::vector<uint32_t> picture = Pixels();
  C3dCamera* far = MakeObject<C3dCamera>(table);
  far->SetTransformVector3({0, 500, 0});
  EXPECT_EQ(tests(), alone);
  EXPECT_EQ(Pixels(), picture);
}

TEST_F(RenderDriver, AnUnlockableSceneAnswersNineAndLeavesTheImage) {
  BuildScene();
  CProbeSolid* probe = MakeObject<CProbeSolid>(table);
  SetPixels(0x00123456);
  ASSERT_TRUE(table->PageOut());
  table->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(Run(), 9);
  table->SetValidator(nullptr);
  EXPECT_EQ(probe->begun, 0u);

  // The optimizer refuses the scene: every object readied is put back.
  CRefusingOptimizer refusing;
  context->UseOptimizer(&refusing);
  settings.fFlags &= ~SRenderSettings::kOwnOptimizer;
  EXPECT_EQ(Run(), 9);
  EXPECT_EQ(probe->begun, 1u);
  EXPECT_EQ(probe->ended, 1u);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel, 0x00123456u);
  context->UseOptimizer(nullptr);
}

// Through a render, and only then, every object holds its own material locked, and one whose material
// is plainly opaque stops shadow rays outright; one that lets light through does not.
TEST_F(RenderDriver, ObjectsHoldTheirMaterialAndShadowAnswerForTheRenderOnly) {
  BuildScene();
  C3dSphere* clear = NewSphere({0.5, 0.5, 0.5}, {2, 2, -1});
  ChangeMaterial(clear, [](SMaterialRecord& r) { r.sample.transparency = 0.5; });
  CProbeSolid* probe = MakeObject<CProbeSolid>(table);
  probe->keep = false;
  for (C3dObject* watched : {static_cast<C3dObject*>(clear), static_cast<C3dObject*>(NewSphere())}) {
    C3dMaterial* material = MaterialOf(watched);
    const uint32_t locks = material->GetLockCount();
    probe->watched = watched;
    probe->watchedStoppingShadows = probe->watchedWithMaterial = 0;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(probe->watchedStoppingShadows > 0, watched != clear);
    EXPECT_GT(probe->watchedWithMaterial, 0u);
    EXPECT_FALSE(watched->StopsShadows());
    EXPECT_EQ(watched->GetRenderMaterial(), nullptr);
    EXPECT_EQ(material->GetLockCount(), locks);
  }
}

TEST_F(RenderDriver, ModeSixSetLaterUsesItsRingPattern) {
  BuildScene();
  settings.fFlags |= SRenderSettings::kDistributedRays;
  request.antialiasMode = 6;
  request.grid = 4;
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(context->GetMode(), 6u);
  EXPECT_EQ(context->GetSampleCount(), 16u);
  EXPECT_NEAR(context->GetRingOffset(0).x, 1 - 0.35 * 0.5 / 4, 1e-6);
  EXPECT_EQ(context->GetStats().fEyeRays >= 48u * 32 * 16, true);
}

TEST_F(RenderDriver, TheAdaptiveRenderAndAClippedAreaCompleteTheirStatistics) {
  BuildScene();
  settings.fFlags |= SRenderSettings::kAdaptive;
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(context->GetStats().fPixels, 48u * 32);
  EXPECT_EQ(Pixel(10, 10) >> 24, 0x80u);
  EXPECT_EQ(context->GetStats().fRaySum, context->GetStats().fEyeRays + context->GetStats().fShadowRays);

  settings.fFlags &= ~SRenderSettings::kAdaptive;
  request.area = SRect{-10, 40, 5, 90};
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(context->GetStats().fPixels, 5u * 8);
}

TEST_F(RenderDriver, MissingPartsAndBadChoicesAreRefused) {
  BuildScene();
  SetPixels(0x00ABCDEF);
  const auto refused = [&](SRenderRequest changed) {
    std::swap(request, changed);
    const int32_t result = Run();
    std::swap(request, changed);
    return result;
  };
  SRenderRequest r = request;
  r.camera = nullptr;
  EXPECT_EQ(refused(r), 16);
  r = request;
  r.settings = nullptr;
  EXPECT_EQ(refused(r), 16);
  // 0 to 2 are the window's choices, kCountedTree the tools' own; none beyond.
  r = request;
  r.optimizerChoice = kCountedTree + 1;
  EXPECT_EQ(refused(r), 16);
  for (const uint32_t grid : {0u, 17u}) {
    r = request;
    r.antialiasMode = 5;
    r.grid = grid;
    EXPECT_EQ(refused(r), 16) << grid;
  }
  EXPECT_EQ(Pixel(3, 3), 0x00ABCDEFu);

  uint32_t mode = 9, grid = 9;
  const uint32_t expected[3][2] = {{1, 1}, {0, 1}, {5, 4}};
  for (uint32_t choice = 0; choice < 3; ++choice) {
    ASSERT_TRUE(AntialiasForChoice(choice, mode, grid));
    EXPECT_EQ(mode, expected[choice][0]);
    EXPECT_EQ(grid, expected[choice][1]);
  }
  EXPECT_FALSE(AntialiasForChoice(3, mode, grid));
}

}  // namespace
