#include "render/preview_renderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/device_context.h"
#include "platform/headless.h"
#include "render/render_pixels.h"
#include "tests/render/render_fixture.h"

namespace {

class PreviewRenderer : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    platform::SetCursorPos(200, 200);
  }
  // A lit sphere over a floor: neighbouring pixels differ along its outline.
  void SetUpScene(int64_t tickMs) {
    NewSphere({1, 1, 1}, {0, 0.5, 0});
    NewPlane(-1);
    NewRadialLight({-2, 4, -3}, 5);
    probe = MakeObject<CProbeSolid>(table);
    probe->keep = false;
    probe->ticking = tickMs > 0;
    probe->tickMs = tickMs;
    LookFrom({0, 1, -5}, {0, 0, 0});
  }
  // A new image, the renderer's camera set from the camera, and a fresh render.
  void Bind(int32_t width, int32_t height) {
    ASSERT_TRUE(RenderTest::Prepare(width, height));
    renderer.SetScene(context.get());
    renderer.GetCamera().SetFromCamera(*camera, width, height);
    ASSERT_EQ(renderer.Prepare(width, height), 0);
    renderer.Restart();
  }
  int32_t Render(bool interruptible = true) { return renderer.Render(Whole(), interruptible); }
  // Renders to the end through presses every pressMs; the blocks sizes at which it was interrupted.
  std::vector<uint32_t> RenderThroughPresses(int64_t pressMs) {
    std::vector<uint32_t> stops;
    for (int i = 0; i < 400; ++i) {
      EXPECT_TRUE(platform::headless::AddScript("wait " + std::to_string(pressMs) + "\ndown left\nup left\n"));
      const int32_t result = Render();
      app->FlushInput();
      if (result == 0) break;
      EXPECT_EQ(result, 24);
      stops.push_back(context->GetProgressive().blockSize);
    }
    while (platform::headless::PendingInputs() > 0) app->Pump();
    app->FlushInput();
    return stops;
  }

  CPreviewRenderer renderer;
  CProbeSolid* probe = nullptr;
};

TEST_F(PreviewRenderer, ABlockSizeOfOneRendersProgressively) {
  SetUpScene(0);
  renderer.SetBlockSize(1);
  renderer.SetInitialBlockSize(8);
  Bind(20, 12);
  ASSERT_EQ(Render(false), 0);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel >> 24, 0u);
  // Every pixel once: the finer levels skip what the coarser ones sampled.
  EXPECT_EQ(context->GetStats().fEyeRays, 20u * 12);
  EXPECT_FALSE(renderer.IsInProgress());
  EXPECT_EQ(context->GetProgressive().blockSize, 8u);

  renderer.SetBlockSize(4);
  renderer.Restart();
  ASSERT_EQ(Render(false), 0);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel >> 24, 0x80u);
}

TEST_F(PreviewRenderer, InterruptedRendersResumeToTheSameImage) {
  SetUpScene(2);
  for (const uint32_t blockSize : {1u, 4u}) {
    renderer.SetBlockSize(blockSize);
    renderer.SetInitialBlockSize(4);
    renderer.SetAntialias(true);
    Bind(40, 30);
    ASSERT_EQ(Render(false), 0);
    const std::vector<uint32_t> whole = Pixels();
    const CRenderStats stats = context->GetStats();
    EXPECT_GT(stats.fResampledPixels, 0u);

    renderer.Restart();
    const std::vector<uint32_t> stops = RenderThroughPresses(300);
    EXPECT_EQ(Pixels(), whole) << blockSize;
    EXPECT_EQ(context->GetStats().fResampledPixels, stats.fResampledPixels) << blockSize;
    // Both the main pass and the antialias pass (block size 0) were interrupted.
    ASSERT_GE(stops.size(), 2u) << blockSize;
    EXPECT_NE(stops.front(), 0u) << blockSize;
    EXPECT_EQ(stops.back(), 0u) << blockSize;
  }
}

// A render stopped at the first block of a later level goes on with that level: the image is not
// cleared, and the blocks the earlier levels sampled are not holes.
TEST_F(PreviewRenderer, AStopAtTheStartOfALevelKeepsTheEarlierLevels) {
  SetUpScene(5);
  renderer.SetBlockSize(1);
  renderer.SetInitialBlockSize(4);
  Bind(32, 32);
  ASSERT_EQ(Render(false), 0);
  const std::vector<uint32_t> whole = Pixels();

  renderer.Restart();
  ASSERT_TRUE(platform::headless::AddScript("wait 3000\ndown left\n"));
  ASSERT_EQ(Render(), 24);
  app->FlushInput();
  CRenderContext::SProgressiveState& state = context->GetProgressive();
  ASSERT_LE(state.blockSize, 2u);
  ASSERT_GE(state.blockSize, 1u);
  // As though it had stopped exactly there. Stopped again at once, the far corner still shows what the
  // first level sampled there.
  state.row = state.column = 0;
  ASSERT_TRUE(platform::headless::AddScript("down left\n"));
  ASSERT_EQ(Render(), 24);
  app->FlushInput();
  ASSERT_NE(whole[28 * 32 + 28], 0x00FFFFFFu);
  EXPECT_EQ(Pixel(28, 28), whole[28 * 32 + 28]);
  ASSERT_EQ(Render(false), 0);
  EXPECT_EQ(Pixels(), whole);
}

// While it renders, the preview handles paint messages and goes on; any other message (a command, a
// window closed) could change the scene the render holds, so it stops the render and waits in the
// queue for the render to let the scene go.
TEST_F(PreviewRenderer, APaintIsHandledWhileAnyOtherMessageStopsThePreviewAndWaits) {
  SetUpScene(2);
  renderer.SetBlockSize(1);
  renderer.SetInitialBlockSize(4);
  Bind(40, 30);
  ASSERT_EQ(Render(false), 0);
  const std::vector<uint32_t> whole = Pixels();

  const platform::WindowHandle main = app->GetMainWindow();
  renderer.Restart();
  ASSERT_TRUE(platform::InvalidateRect(main, nullptr, false));
  ASSERT_EQ(Render(), 0);
  platform::SWinRect update;
  EXPECT_FALSE(platform::GetUpdateRect(main, &update));
  EXPECT_EQ(Pixels(), whole);

  constexpr uint32_t kCommand = platform::kWmUser + 7;
  renderer.Restart();
  ASSERT_TRUE(platform::PostMessage(main, kCommand, 0, 0));
  ASSERT_EQ(Render(), 24);
  platform::SMessage waiting;
  ASSERT_TRUE(platform::PeekMessage(&waiting, nullptr, kCommand, kCommand, true));
  ASSERT_EQ(Render(), 0);
  EXPECT_EQ(Pixels(), whole);
}

TEST_F(PreviewRenderer, AUniformImageIsFilledBetweenCornerSamples) {
  Bind(64, 64);  // no objects and no sky: every ray black
  ASSERT_EQ(Render(false), 0);
  EXPECT_LT(context->GetStats().fEyeRays, 400u);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel, 0x80000000u);
}

TEST_F(PreviewRenderer, ABlockWhoseCornersDifferIsSplit) {
  Bind(9, 9);
  for (const auto& [difference, splits] : std::vector<std::pair<uint32_t, bool>>{{20, false}, {21, true}}) {
    SetPixels(0);
    {
      const SRect whole = Whole();
      CImNavigator nav(image, &whole, true, false);
      nav.Cells(0)[0].value = 0x80404040;
      nav.Cells(0)[4].value = 0x80404040;
      nav.Cells(4)[4].value = 0x80404040 + (difference << 16);
      nav.Cells(4)[0].value = 0x80404040;
      context->GetStats().Clear();
      renderer.Subdivide(nav, 0, 0, 4);
    }
    EXPECT_EQ(context->GetStats().fEyeRays > 0, splits) << difference;
    // The middle is sampled (black) when split, blended from the corners when not.
    EXPECT_EQ(Pixel(2, 2), splits ? 0x80000000u : 0x80404040u + ((difference / 4) << 16)) << difference;
    EXPECT_EQ(Pixel(5, 5), 0u) << difference;  // outside the block
  }
}

// Only the pixels whose cell differs are finished, never those of the last row and column.
TEST_F(PreviewRenderer, TheAntialiasPassLeavesTheLastRowAndColumn) {
  SetUpScene(2);
  renderer.SetAntialias(true);
  Bind(40, 30);
  ASSERT_EQ(Render(false), 0);
  const std::vector<uint32_t> whole = Pixels();
  const uint32_t resampled = context->GetStats().fResampledPixels;
  uint32_t finished = 0;
  for (const uint32_t pixel : whole) finished += pixel >> 24 == 0xFF ? 1 : 0;
  EXPECT_EQ(finished, resampled);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(Pixel(x, 29) >> 24, 0x80u) << x;
  for (int y = 0; y < 30; ++y) EXPECT_EQ(Pixel(39, y) >> 24, 0x80u) << y;

}

TEST_F(PreviewRenderer, AnImageThatCannotBeLockedIsLeftAlone) {
  SetUpScene(0);
  Bind(8, 8);
  SetPixels(0x00123456);
  ASSERT_TRUE(image->PageOut());
  image->SetValidator([](CSpoolMem*) { return false; });
  EXPECT_EQ(Render(false), 9);
  image->SetValidator(nullptr);
  for (const uint32_t pixel : Pixels()) ASSERT_EQ(pixel, 0x00123456u);
  EXPECT_FALSE(renderer.IsInProgress());
}

TEST_F(PreviewRenderer, FinishedBandsAreDrawnAtTheDestination) {
  SetUpScene(0);
  renderer.SetBlockSize(1);
  renderer.SetInitialBlockSize(4);
  Bind(24, 16);
  platform::Surface surface(40, 30);
  surface.Fill(0, 0, 40, 30, 0x00ABCDEF);
  platform::DeviceContext* dc = platform::CreateSurfaceDC(&surface);
  target->fPort = dc;
  ASSERT_EQ(renderer.Render(SRect{10, 5, 26, 29}, false), 0);
  platform::ReleaseDC(dc);
  EXPECT_EQ(surface.Pixel(4, 9), 0x00ABCDEFu);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) ASSERT_EQ(surface.Pixel(x + 5, y + 10), Pixel(x, y) & kColourOf) << x << "," << y;
}

}  // namespace

// On a crew of threads the preview makes the same picture in each of its loops as on one.
class PreviewRendererThreads : public PreviewRenderer {
 protected:
  void TearDown() override {
    unsetenv("QUARN2_THREADS");
    PreviewRenderer::TearDown();
  }
};

TEST_F(PreviewRendererThreads, EveryLoopGivesTheSamePictureOnAnyNumberOfThreads) {
  NewSphere({1, 1, 1}, {0, 0.5, 0});
  NewSphere({0.4, 0.4, 0.4}, {1.2, 0.1, -0.5});
  NewPlane(-1);
  NewRadialLight({-2, 4, -3}, 5);
  LookFrom({0, 1, -5}, {0, 0, 0});
  const struct {
    uint32_t blockSize;
    bool antialias;
  } cases[] = {{1, false}, {1, true}, {4, false}, {4, true}, {8, true}};
  for (const auto& c : cases) {
    std::vector<uint32_t> one;
    for (const char* threads : {"1", "2", "7"}) {
      setenv("QUARN2_THREADS", threads, 1);
      renderer.SetBlockSize(c.blockSize);
      renderer.SetInitialBlockSize(8);
      renderer.SetAntialias(c.antialias);
      Bind(37, 29);
      if (HasFatalFailure()) return;
      ASSERT_EQ(Render(false), 0) << threads;
      if (one.empty()) one = Pixels();
      else
        EXPECT_EQ(Pixels(), one) << "block " << c.blockSize << (c.antialias ? ", antialiased" : "") << " on " << threads;
    }
  }
}
