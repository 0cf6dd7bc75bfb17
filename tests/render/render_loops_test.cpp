#include "render/render_loops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/core/progress.h"
#include "platform/device_context.h"
#include "platform/headless.h"
#include "render/render_pixels.h"
#include "tests/render/render_fixture.h"

namespace {

class RenderLoops : public RenderTest {
 protected:
  // Input goes to a shown main window.
  void SetUp() override {
    RenderTest::SetUp();
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
  }
  // A lit sphere before a lit floor, so that neighbouring pixels differ, and a probe that sees (and,
  // when ticking, times) every ray.
  void SetUpScene(bool ticking) {
    NewSphere({1, 1, 1}, {0, 0.5, 0});
    NewPlane(-1);
    NewRadialLight({-2, 4, -3}, 5);
    probe = MakeObject<CProbeSolid>(table);
    probe->ticking = ticking;
    probe->keep = !ticking;
    LookFrom({0, 1, -5}, {0, 0, 0});
  }
  void Script(const std::string& text) { ASSERT_TRUE(platform::headless::AddScript(text)); }
  // Unseen, as the tools render; watched, as a shown window does, pass by pass.
  int32_t Progressive(CProgress* progress = nullptr, bool watched = false) {
    return RenderProgressive(watched, *context, Whole(), nullptr, nullptr, progress);
  }
  static void Observe(void* owner, uint32_t done, uint32_t total) {
    static_cast<std::vector<std::pair<uint32_t, uint32_t>>*>(owner)->push_back({done, total});
  }

  CProbeSolid* probe = nullptr;
};

TEST_F(RenderLoops, ASinglePixelIsTracedOnceInTheFirstPass) {
  SetUpScene(false);
  ASSERT_TRUE(Prepare(1, 1));
  // A render stopped after its first pass: the later passes skip the pixel it made.
  context->GetProgressive().blockSize = 8;
  context->GetProgressive().blockMask = 15;
  ASSERT_EQ(Progressive(), 0);
  EXPECT_EQ(probe->seen.size(), 0u);
  EXPECT_EQ(context->GetProgressive().blockSize, 16u);  // reset for the next render

  ASSERT_EQ(Progressive(), 0);
  EXPECT_EQ(probe->seen.size(), 1u);
  EXPECT_EQ(context->GetStats().fEyeRays, 1u);
  EXPECT_EQ(context->GetStats().fPixels, 1u);
}

TEST_F(RenderLoops, EveryPixelOfTheAreaIsTracedExactlyOnce) {
  SetUpScene(false);
  ASSERT_TRUE(Prepare(37, 23));
  ASSERT_EQ(Progressive(), 0);
  EXPECT_EQ(context->GetStats().fEyeRays, 37u * 23);
  EXPECT_EQ(context->GetStats().fPixels, 37u * 23);
  std::set<std::tuple<double, double, double>> directions;
  for (const CProbeSolid::SSeen& seen : probe->seen) {
    if (seen.primary) directions.insert({seen.direction.x, seen.direction.y, seen.direction.z});
  }
  EXPECT_EQ(directions.size(), 37u * 23);

  // A part of the image: nothing outside it changes.
  SetPixels(0x01020304);
  ASSERT_EQ(RenderProgressive(false, *context, SRect{5, 7, 9, 30}, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(context->GetStats().fPixels, 4u * 23);
  EXPECT_EQ(Pixel(6, 5), 0x01020304u);
  EXPECT_EQ(Pixel(7, 9), 0x01020304u);
  EXPECT_NE(Pixel(7, 5), 0x01020304u);
}

// Unseen, the render traces row after row in one pass; watched, pass after pass from coarse blocks
// down. Either way every pixel is traced once, to the same picture.
TEST_F(RenderLoops, AnUnseenRenderTracesOnePassToThePictureOfTheWatchedOne) {
  SetUpScene(false);
  std::vector<uint32_t> pictures[2];
  for (const bool watched : {false, true}) {
    ASSERT_TRUE(Prepare(37, 23));
    probe->seen.clear();
    ASSERT_EQ(Progressive(nullptr, watched), 0);
    EXPECT_EQ(context->GetStats().fEyeRays, 37u * 23) << watched;
    pictures[watched] = Pixels();
    // A row's rays share their slope in y over z, which falls from row to row.
    bool rowByRow = true;
    double lastSlope = HUGE_VAL;
    for (const CProbeSolid::SSeen& seen : probe->seen) {
      if (!seen.primary) continue;
      const double slope = seen.direction.y / seen.direction.z;
      rowByRow = rowByRow && slope <= lastSlope + 1e-12;
      lastSlope = slope;
    }
    EXPECT_EQ(rowByRow, !watched);
  }
  EXPECT_EQ(pictures[0], pictures[1]);
}

TEST_F(RenderLoops, AnInterruptedRenderResumesWithTheSamePixel) {
  SetUpScene(true);
  ASSERT_TRUE(Prepare(37, 23));
  ASSERT_EQ(Progressive(), 0);
  const std::vector<uint32_t> whole = Pixels();

  // Ten milliseconds a ray: the loop looks for input after every row, and stops after the row it is
  // in; the next call goes on with the row below.
  probe->tickMs = 10;
  ASSERT_TRUE(Prepare(37, 23));
  Script("wait 4000\nkey 32\n");
  ASSERT_EQ(Progressive(), 24);
  const CRenderContext::SProgressiveState state = context->GetProgressive();
  EXPECT_EQ(state.blockSize, 1u);
  EXPECT_EQ(state.column, 0u);
  EXPECT_GT(state.row, 0u);
  EXPECT_LT(state.row, 23u);
  const uint32_t first = context->GetStats().fPixels;
  ASSERT_EQ(Progressive(), 0);
  EXPECT_EQ(first + context->GetStats().fPixels, 37u * 23);
  EXPECT_EQ(Pixels(), whole);
}

TEST_F(RenderLoops, KeysAndPressesDecideWhetherTheRenderGoesOn) {
  SetUpScene(true);
  ASSERT_TRUE(Prepare(37, 23));
  Script("move 200 200\nwait 200\ndown left\n");
  EXPECT_EQ(Progressive(), 24);
  app->FlushInput();
  context->ResetProgressive();
  Script("wait 200\nkey 65\nwait 100\nkey 27\n");  // 'A' goes on, Esc stops
  EXPECT_EQ(Progressive(), 24);
  context->ResetProgressive();
  Script("wait 200\nkey 13\n");
  EXPECT_EQ(Progressive(), 24);

  // 'M' minimises the main window and the render goes on.
  context->ResetProgressive();
  Script("wait 200\nkey M\n");
  EXPECT_EQ(Progressive(), 0);
  EXPECT_TRUE(platform::IsIconic(app->GetMainWindow()));
}

TEST_F(RenderLoops, TheAntialiasPassResamplesEdgesAndMarksTheRest) {
  ASSERT_TRUE(Prepare(6, 4));  // an empty scene: every sample is black
  SetPixels(0x00404040);
  {
    const SRect whole = Whole();
    CImNavigator nav(image, &whole, true, false);
    nav.Cells(1)[2].value = 0x00FFFFFF;
    ASSERT_EQ(RenderAntialiasPass(false, *context, nav, {}, whole, nullptr, nullptr, nullptr), 0);
  }
  // The seven black samples with the white pixel's own colour: 255 / 8.
  EXPECT_EQ(Pixel(2, 1), 0xFF1F1F1Fu);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{1, 0}, {2, 0}, {1, 1}}) {
    EXPECT_EQ(Pixel(x, y) >> 24, 0xFFu) << x << "," << y;
    EXPECT_NEAR(Channel(Pixel(x, y), 0), 8, 1) << x << "," << y;
  }
  EXPECT_EQ(context->GetStats().fResampledPixels, 4u);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {3, 0}, {4, 1}, {0, 2}, {4, 2}})
    EXPECT_EQ(Pixel(x, y), 0xFF404040u) << x << "," << y;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(x, 3), 0x00404040u) << x;
  for (int y = 0; y < 3; ++y) EXPECT_EQ(Pixel(5, y), 0x00404040u) << y;
}

TEST_F(RenderLoops, TheAntialiasPassRunsAfterARenderWhenAsked) {
  SetUpScene(false);
  settings.fFlags |= SRenderSettings::kAntialiasPass;
  ASSERT_TRUE(Prepare(20, 12));
  ASSERT_EQ(Progressive(), 0);
  EXPECT_GT(context->GetStats().fResampledPixels, 0u);
  EXPECT_EQ(Pixel(5, 5) >> 24, 0xFFu);
  EXPECT_EQ(Pixel(19, 5) >> 24, 0u);
  EXPECT_EQ(context->GetProgressive().blockSize, 16u);
}

// A render whose antialias pass was interrupted goes straight back to that pass, at the row below the
// one it stopped after: the rows above are neither scanned nor drawn again.
TEST_F(RenderLoops, AnInterruptedAntialiasPassResumesAtItsRow) {
  probe = MakeObject<CProbeSolid>(table);
  probe->ticking = true;
  probe->keep = false;
  probe->tickMs = 10;  // 70 ms a re-sampled pixel, 1330 ms a row
  settings.fFlags |= SRenderSettings::kAntialiasPass;
  ASSERT_TRUE(Prepare(20, 12));
  {
    const SRect whole = Whole();
    CImNavigator nav(image, &whole, true, false);
    for (uint32_t y = 0; y < 12; ++y)
      for (uint32_t x = 0; x < 20; ++x) nav.Cells(y)[x].value = (x + y) % 2 ? 0x00FFFFFF : 0;
  }
  context->GetProgressive().blockSize = 0;  // the passes are done: the call goes on to antialiasing
  Script("wait 4500\nkey 32\n");
  ASSERT_EQ(Progressive(), 24);
  ASSERT_EQ(context->GetProgressive().antialiasRow, 4u);
  const uint64_t first = context->GetStats().fResampledPixels;
  app->FlushInput();

  platform::Surface surface(20, 12);
  surface.Fill(0, 0, 20, 12, 0x00ABCDEF);
  platform::DeviceContext* dc = platform::CreateSurfaceDC(&surface);
  target->fPort = dc;
  const SRect view = Whole();
  ASSERT_EQ(RenderProgressive(true, *context, Whole(), &view, &view, nullptr), 0);
  platform::ReleaseDC(dc);
  EXPECT_EQ(first + context->GetStats().fResampledPixels, 19u * 11);
  for (int y = 0; y < 4; ++y) EXPECT_EQ(surface.Pixel(5, y), 0x00ABCDEFu) << y;
  for (int y = 4; y < 12; ++y) EXPECT_EQ(surface.Pixel(5, y), Pixel(5, y) & kColourOf) << y;
  EXPECT_EQ(context->GetProgressive().blockSize, 16u);
}

TEST_F(RenderLoops, TheAntialiasPassTitleFallsBackToItsOwnText) {
  probe = MakeObject<CProbeSolid>(table);
  probe->ticking = true;
  probe->keep = false;
  ASSERT_TRUE(Prepare(20, 20));
  {
    const SRect whole = Whole();
    CImNavigator nav(image, &whole, true, false);
    for (uint32_t y = 0; y < 20; ++y)
      for (uint32_t x = 0; x < 20; ++x) nav.Cells(y)[x].value = (x + y) % 2 ? 0x00FFFFFF : 0;
    std::vector<std::pair<uint32_t, uint32_t>> seen;
    context->SetObserver({&Observe, &seen});
    CProgress progress(1);
    ASSERT_EQ(RenderAntialiasPass(false, *context, nav, {}, whole, nullptr, nullptr, &progress), 0);
    EXPECT_STREQ(progress.GetTitle(), "20AntiAliasing");
    const std::string text = progress.GetText();
    EXPECT_EQ(text.substr(0, 2), "12");
    EXPECT_EQ(text.back(), '%');
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), (std::pair<uint32_t, uint32_t>{19, 19}));
  }
  EXPECT_EQ(context->GetStats().fResampledPixels, 19u * 19);
}

TEST_F(RenderLoops, TheAdaptiveRenderCountsItsAreaAndSamplesCornersOnce) {
  SetUpScene(false);
  ASSERT_TRUE(Prepare(30, 30));
  SetPixels(0xFF123456);
  std::vector<std::pair<uint32_t, uint32_t>> seen;
  context->SetObserver({&Observe, &seen});
  ASSERT_EQ(RenderAdaptive(*context, Whole(), nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(context->GetStats().fPixels, 900u);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), (std::pair<uint32_t, uint32_t>{900, 900}));
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel >> 24, 0x80u);
  // Fewer rays than pixels where the image is smooth. A pixel is sampled twice only on a row that two
  // block rows share (rows 4, 8, … 28), once by each, since each block row renders on its own.
  const uint64_t rays = context->GetStats().fEyeRays;
  EXPECT_LT(rays, 900u);
  std::set<std::tuple<double, double, double>> directions;
  for (const CProbeSolid::SSeen& s : probe->seen) {
    if (s.primary) directions.insert({s.direction.x, s.direction.y, s.direction.z});
  }
  EXPECT_LE(directions.size(), rays);
  EXPECT_LE(rays - directions.size(), 7u * 30);
}

TEST_F(RenderLoops, TheObserverAndTheProgressTextsFollowTheProgressiveRender) {
  SetUpScene(true);
  for (const bool watched : {false, true}) {
    ASSERT_TRUE(Prepare(37, 23));
    std::vector<std::pair<uint32_t, uint32_t>> seen;
    context->SetObserver({&Observe, &seen});
    CProgress progress(1);
    ASSERT_EQ(Progressive(&progress, watched), 0);
    // The progress's clock, which the texts read; headless, it moves on with every look at the input,
    // and a watched render looks more often the longer its threads take.
    const bool quick = progress.GetTimer().ElapsedSeconds() < 1;
    // A watched render tells at least the end of each of its five passes.
    ASSERT_GT(seen.size(), watched ? 5u : 0u);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1].first, seen[i].first);
    EXPECT_EQ(seen.back(), (std::pair<uint32_t, uint32_t>{851, 851}));
    // Under a second the estimate is 0, and the texts keep their start.
    if (quick) {
      EXPECT_STREQ(progress.GetText(), "14-");
      EXPECT_STREQ(progress.GetTitle(), "20-");
    }
  }
}

TEST_F(RenderLoops, FinishedBandsAreDrawnIntoThePort) {
  SetUpScene(false);
  ASSERT_TRUE(Prepare(24, 16));
  platform::Surface surface(40, 30);
  surface.Fill(0, 0, 40, 30, 0x00ABCDEF);
  platform::DeviceContext* dc = platform::CreateSurfaceDC(&surface);
  target->fPort = dc;
  const SRect from{0, 0, 16, 24}, to{10, 5, 26, 29};
  ASSERT_EQ(RenderProgressive(true, *context, Whole(), &from, &to, nullptr), 0);
  platform::ReleaseDC(dc);
  EXPECT_EQ(surface.Pixel(4, 9), 0x00ABCDEFu);
  for (int y = 0; y < 16; y += 5)
    for (int x = 0; x < 24; x += 7) EXPECT_EQ(surface.Pixel(x + 5, y + 10), Pixel(x, y) & kColourOf) << x << "," << y;
}

TEST_F(RenderLoops, ALoopWithoutATargetOrCameraRendersNothing) {
  context->SetTarget(nullptr);
  EXPECT_EQ(RenderProgressive(false, *context, SRect{0, 0, 4, 4}, nullptr, nullptr, nullptr), 9);
  EXPECT_EQ(RenderAdaptive(*context, SRect{0, 0, 4, 4}, nullptr, nullptr, nullptr), 9);
  LookFrom({0, 0, -5}, {});
  ASSERT_TRUE(Prepare(4, 4));
  context->SetCamera(nullptr);
  EXPECT_EQ(Progressive(), 16);
}

}  // namespace
