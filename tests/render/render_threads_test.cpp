// Renders through the driver on a crew of threads: the same picture on any number of them, in every
// loop and antialias mode, with the statistics of one thread, and rows told final only once they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "render/render_driver.h"
#include "render/render_workers.h"
#include "scene/cube.h"
#include "scene/group.h"
#include "scene/height_field.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "tests/render/render_fixture.h"

namespace {

class RenderThreads : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    int32_t error = 0;
    image = NewDataImage(45, 31, &error);
    ASSERT_NE(image, nullptr) << error;
    request.scene = table;
    request.image = image;
    request.area = image->GetBounds();
    request.settings = &settings;
  }
  void TearDown() override {
    unsetenv("QUARN2_THREADS");
    RenderTest::TearDown();
  }

  // Everything whose trace keeps state: a terrain (its kept normals), a glass ball and a transparent
  // cube (nested rays), a carved boolean group (shared span tables), a reflecting floor, 3D and picture
  // textures, a soft light and a sun under a sky with fog and both cloud layers.
  void BuildScene() {
    C3dHeightField* field = MakeShape<C3dHeightField>(table);
    ASSERT_EQ(field->SetResolution(16), 0);
    {
      CHolder holder(field, true, false);
      CHFUnit* grid = field->GetGrid();
      for (int i = 0; i < 256; ++i) grid[i] = CHFUnit((i * 7919) % 30000 + 10000);
    }
    field->SetBoxAndPivot();
    ASSERT_EQ(field->BuildTiles(), 0);
    Place(field, {4, 1, 4}, {-2, -0.4, 1});

    C3dSphere* glass = NewSphere({1, 1, 1}, {-1, 0.5, -1});
    ChangeMaterial(glass, [](SMaterialRecord& r) { r.sample.flags = SMaterialSample::kGlassLike; });
    C3dCube* cube = MakeShape<C3dCube>(table);
    Place(cube, {1.2, 1.2, 1.2}, {1.5, 0.25, 0});
    ChangeMaterial(cube, [](SMaterialRecord& r) {
      r.sample.flags = SMaterialSample::kTransparent;
      r.sample.transparency = 0.5;
    });
    C3dSphere* kept = NewSphere({1.5, 1.5, 1.5}, {0.5, 1.5, 2});
    kept->SetStateFlags(C3dObject::kPositive);
    C3dSphere* carved = NewSphere({1, 1, 1}, {0.5, 1.5, 1});
    carved->SetStateFlags(C3dObject::kNegative);
    NewGroup({kept, carved});
    ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
    C3dPlane* floor = NewPlane(-0.5);
    ChangeMaterial(floor, [](SMaterialRecord& r) { r.sample.reflection = 0.5; });
    Texture(NewSphere({0.8, 0.8, 0.8}, {2.5, 1.5, -1}), NewNoise());
    Texture(cube, NewChecker());
    if (HasFatalFailure()) return;

    C3dSphereLight* lamp = NewRadialLight({-3, 5, -4}, 6);
    lamp->SetRadius(0.5);
    C3dSunLight* sun = MakeObject<C3dSunLight>(table);
    sun->SetDirection({0.3, 0.8, -0.52});
    sky = NewCloudySky();
    request.sky = sky;
    request.camera = LookFrom({0, 2, -7}, {0, 0, 0});
  }
  // The picture of a whole render on the given number of threads ("" one a core). Every row the
  // render tells final must be told once, in order, and hold then the pixels it ends with.
  std::vector<uint32_t> RenderOn(const char* threads) {
    if (*threads) setenv("QUARN2_THREADS", threads, 1);
    else unsetenv("QUARN2_THREADS");
    SetPixels(0);
    context->ResetProgressive();
    told = {};
    request.observer.rowsFinal = &TakeRows;
    request.observer.rowsOwner = &told;
    EXPECT_EQ(RenderSceneImage(*context, request), 0) << threads;
    EXPECT_TRUE(told.inOrder) << threads;
    EXPECT_EQ(told.next, image->GetHeight()) << threads;
    EXPECT_EQ(told.pixels, Pixels()) << "rows told final changed later, on " << threads;
    return Pixels();
  }

  struct SToldRows {
    uint32_t next = 0;
    bool inOrder = true;
    std::vector<uint32_t> pixels;
  };
  static void TakeRows(void* owner, CImNavigator& image, uint32_t top, uint32_t bottom) {
    SToldRows& told = *static_cast<SToldRows*>(owner);
    told.inOrder = told.inOrder && top == told.next && bottom > top;
    for (uint32_t y = top; y < bottom; ++y)
      for (uint32_t x = 0; x < image.GetColumns(); ++x) told.pixels.push_back(image.Cells(y)[x].value);
    told.next = bottom;
  }
  SToldRows told;

  // The threads of this process.
  static size_t ThreadCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
    return count;
  }

  SRenderRequest request;
  C3dSky* sky = nullptr;
};

TEST_F(RenderThreads, TheThreadCountComesFromTheEnvironmentOrTheCores) {
  const uint32_t cores = std::max(1u, std::thread::hardware_concurrency());
  const struct {
    const char* value;  // null: unset
    uint32_t count;
  } cases[] = {{nullptr, cores}, {"", cores}, {"1", 1}, {"7", 7}, {"0", cores}, {"-2", cores}, {"3x", cores}};
  for (const auto& c : cases) {
    if (c.value) setenv("QUARN2_THREADS", c.value, 1);
    else unsetenv("QUARN2_THREADS");
    EXPECT_EQ(RenderThreadCount(), c.count) << (c.value ? c.value : "unset");
  }
}

// One loop or antialias mode, rendered on one thread and then on 2, 7, 16 and one a core; each mode is a
// test of its own, so that the modes render side by side.
struct SLoopCase {
  const char* name;
  uint32_t mode;
  uint32_t grid;
  uint32_t flags;  // besides the settings' own and shadows
  bool watched = false;  // rendered as a window does, pass by pass
};

const SLoopCase kLoopCases[] = {
    {"corner", 0, 1, 0},
    {"centre", 1, 1, 0},
    {"random_points", 2, 3, 0},
    {"grid", 3, 2, 0},
    {"six_points", 4, 1, 0},
    {"jittered", 5, 3, 0},
    {"spread_rays", 6, 3, SRenderSettings::kDistributedRays},
    {"two_by_two", 7, 1, 0},
    {"antialias_pass", 1, 1, SRenderSettings::kAntialiasPass},
    {"watched_passes", 1, 1, 0, true},
    {"adaptive", 1, 1, SRenderSettings::kAdaptive},
    {"adaptive_jittered_with_its_pass", 5, 2, SRenderSettings::kAdaptive | SRenderSettings::kAntialiasPass},
};

void PrintTo(const SLoopCase& c, std::ostream* out) { *out << c.name; }

class RenderThreadsLoop : public RenderThreads, public ::testing::WithParamInterface<SLoopCase> {};

TEST_P(RenderThreadsLoop, TheSamePictureOnAnyNumberOfThreads) {
  BuildScene();
  if (HasFatalFailure()) return;
  const SLoopCase& c = GetParam();
  request.antialiasMode = c.mode;
  request.grid = c.grid;
  request.draw = c.watched;
  settings.fFlags |= SRenderSettings::kShadows | c.flags;
  const std::vector<uint32_t> one = RenderOn("1");
  const CRenderStats single = context->GetStats();
  EXPECT_EQ(single.fPixels, 45u * 31);
  for (const char* threads : {"2", "7", "16", ""}) {
    EXPECT_EQ(RenderOn(threads), one) << "on " << (*threads ? threads : "one thread a core");
    // Every worker's counts reach the context's.
    const CRenderStats& stats = context->GetStats();
    EXPECT_EQ(stats.fPixels, single.fPixels) << "on " << threads;
    EXPECT_EQ(stats.fEyeRays, single.fEyeRays) << "on " << threads;
    EXPECT_EQ(stats.fResampledPixels, single.fResampledPixels) << "on " << threads;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryLoopAndMode, RenderThreadsLoop, ::testing::ValuesIn(kLoopCases),
                         [](const ::testing::TestParamInfo<SLoopCase>& info) { return std::string(info.param.name); });

// Space pressed while a crew renders stops the render at the next band it shows, with every worker
// ended; the next call finishes the picture that one thread makes.
TEST_F(RenderThreads, AStoppedRenderEndsItsWorkersAndResumesToTheSamePicture) {
  BuildScene();
  if (HasFatalFailure()) return;
  platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);  // input goes to it
  settings.fFlags |= SRenderSettings::kAntialiasPass;
  request.draw = true;  // as a window renders: pass by pass, looking for input at every band
  const std::vector<uint32_t> whole = RenderOn("1");
  setenv("QUARN2_THREADS", "4", 1);
  SetPixels(0);
  context->ResetProgressive();
  // A sanitizer's runtime starts a thread of its own with the process's first thread, which a test
  // running alone has not made yet.
  std::thread([] {}).join();
  const size_t threads = ThreadCount();
  ASSERT_TRUE(platform::headless::AddScript("key 32\n"));
  ASSERT_EQ(RenderSceneImage(*context, request), 24);
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_LT(context->GetStats().fPixels, 45u * 31);
  app->FlushInput();
  ASSERT_EQ(RenderSceneImage(*context, request), 0);
  EXPECT_EQ(Pixels(), whole);
}

}  // namespace
