// The offscreen canvas's bitmap and its fallback, and the console drawn through it.
#include "framework/ui/of_canvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/mem_pool.h"
#include "framework/ui/console.h"
#include "tests/framework/ui/canvas_fixture.h"

namespace {

// Fills what it is asked to draw with a colour per mode, and logs where it drew.
class PaintingCanvas : public COfCanvas {
 public:
  using COfCanvas::COfCanvas;
  struct SCall {
    uint32_t mode;
    SRect area;
    bool offscreen;
  };
  std::vector<SCall> calls;

  void Draw(uint32_t mode, const SRect& area) override {
    calls.push_back({mode, area, GetDeviceContext() == GetMemoryDC()});
    const uint32_t previous = platform::SetBkColor(GetDeviceContext(), mode == kDrawContent ? 0x00AA00 : 0x0000AA);
    const platform::SWinRect r{area.left, area.top, area.right, area.bottom};
    platform::ExtTextOut(GetDeviceContext(), 0, 0, platform::kEtoOpaque, &r, nullptr, 0);
    platform::SetBkColor(GetDeviceContext(), previous);
  }
};

using OfCanvasTest = CanvasTest;

TEST_F(OfCanvasTest, TheFirstDrawingMakesTheBitmapAndDrawsDirectly) {
  PaintingCanvas canvas({10, 20, 40, 70}, true, kPopup, nullptr, 10);
  ASSERT_TRUE(canvas.IsOffscreenReady());
  EXPECT_FALSE(canvas.HasBitmap());
  EXPECT_FALSE(canvas.Redraw(nullptr));
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_FALSE(canvas.calls[0].offscreen);
  EXPECT_TRUE(canvas.HasBitmap());
  const SRect part{5, 5, 10, 15};
  EXPECT_TRUE(canvas.Redraw(&part));
  ASSERT_EQ(canvas.calls.size(), 2u);
  EXPECT_TRUE(canvas.calls[1].offscreen);
  EXPECT_EQ(canvas.calls[1].area, part);
  EXPECT_EQ(Pixels(canvas).Pixel(7, 7), 0x00AA00u);
  // The background goes the same way.
  EXPECT_TRUE(canvas.FillRect(&part));
  EXPECT_EQ(canvas.calls.back().mode, uint32_t(COfCanvas::kDrawBackground));
  EXPECT_EQ(Pixels(canvas).Pixel(7, 7), 0x0000AAu);
  // Nothing to draw is no failure.
  const SRect outside{100, 100, 120, 120};
  EXPECT_TRUE(canvas.Redraw(&outside));
  EXPECT_EQ(canvas.calls.size(), 3u);
}

TEST_F(OfCanvasTest, AfterAResizeTheNextDrawingMakesANewBitmapAndDrawsDirectlyOnce) {
  PaintingCanvas canvas({10, 20, 40, 70}, true, kPopup, nullptr, 10);
  canvas.Redraw(nullptr);
  ASSERT_TRUE(canvas.Redraw(nullptr));
  canvas.Resize({80, 60}, false);
  EXPECT_FALSE(canvas.Redraw(nullptr));
  EXPECT_FALSE(canvas.calls.back().offscreen);
  EXPECT_EQ(canvas.calls.back().area, (SRect{0, 0, 60, 80}));
  EXPECT_TRUE(canvas.Redraw(nullptr));
  EXPECT_TRUE(canvas.calls.back().offscreen);
  EXPECT_EQ(Pixels(canvas).Pixel(75, 55), 0x00AA00u);
}

// Offscreen only: nothing reaches the window until the copy.
TEST_F(OfCanvasTest, RenderAndEraseOffscreenThenCopy) {
  PaintingCanvas canvas({10, 20, 40, 70}, true, kPopup, nullptr, 10);
  canvas.Redraw(nullptr);
  canvas.FillRect(nullptr);
  ASSERT_EQ(Pixels(canvas).Pixel(3, 3), 0x0000AAu);
  ASSERT_TRUE(canvas.RenderOffscreen(nullptr));
  EXPECT_EQ(Pixels(canvas).Pixel(3, 3), 0x0000AAu);
  ASSERT_TRUE(canvas.BlitOffscreen(nullptr));
  EXPECT_EQ(Pixels(canvas).Pixel(3, 3), 0x00AA00u);
  ASSERT_TRUE(canvas.EraseOffscreen(nullptr));
  ASSERT_TRUE(canvas.BlitOffscreen(nullptr));
  EXPECT_EQ(Pixels(canvas).Pixel(3, 3), 0x0000AAu);
}

class ConsoleTest : public CanvasTest {
 protected:
  // Whether any pixel of the console's window differs from its background.
  static bool HasText(const CConsole& console) {
    const platform::Surface& s = Pixels(console);
    for (int32_t y = 0; y < s.Height(); ++y) {
      for (int32_t x = 0; x < s.Width(); ++x) {
        if (s.Pixel(x, y) != kBackground) return true;
      }
    }
    return false;
  }
  static constexpr uint32_t kBackground = 0x102030;
};

TEST_F(ConsoleTest, ARingOfTwoKeepsTheLastLineAndDrawsIt) {
  CImVector text, background;
  text.value = 0xFFFFFF;
  background.value = kBackground;
  CConsole console(8, 1, {0, 0, 15, 200}, true, kPopup, &text, &background, 10);
  ASSERT_TRUE(console.IsReady());
  EXPECT_STREQ(console.GetCurrentLine(), "");
  console.Redraw(nullptr);
  EXPECT_FALSE(HasText(console));  // an empty console draws only its background
  for (const char* line : {"a", "b", "c"}) console.Print(line, true);
  EXPECT_STREQ(console.GetCurrentLine(), "c");
  EXPECT_TRUE(HasText(console));
  ASSERT_TRUE(console.EraseOffscreen(nullptr));
  ASSERT_TRUE(console.BlitOffscreen(nullptr));
  EXPECT_FALSE(HasText(console));
}

// A hidden console leaves its drawing (and the start of the font system) until it is shown.
TEST_F(ConsoleTest, AHiddenConsoleDrawsWhatWasPrintedWhenShown) {
  CImVector text, background;
  text.value = 0xFFFFFF;
  background.value = kBackground;
  CConsole console(8, 1, {0, 0, 15, 200}, false, kPopup, &text, &background, 10);
  ASSERT_TRUE(console.IsReady());
  console.FillRect(nullptr);
  console.Print("hidden", true);
  EXPECT_FALSE(HasText(console));
  console.ShowConsole();
  EXPECT_TRUE(console.IsConsoleVisible());
  EXPECT_TRUE(HasText(console));
}

TEST_F(ConsoleTest, LinesAreCutToOneLessThanTheLineWidth) {
  CConsole console(8, 1, {0, 0, 15, 200}, false, kPopup, nullptr, nullptr, 10);
  console.Print("1234567", false);
  EXPECT_STREQ(console.GetCurrentLine(), "1234567");
  console.Print("12345678", false);
  EXPECT_STREQ(console.GetCurrentLine(), "1234567");
  console.Print(nullptr, false);
  EXPECT_STREQ(console.GetCurrentLine(), "");
}

TEST_F(ConsoleTest, ANoughtWidthOrARingPast32BitsLeavesItUnready) {
  CConsole none(0, 1, {0, 0, 15, 200}, false, kPopup, nullptr, nullptr, 10);
  EXPECT_FALSE(none.IsReady());
  none.Print("x", true);
  EXPECT_STREQ(none.GetCurrentLine(), "");
  CConsole huge(0x10000, 0x10000, {0, 0, 15, 200}, false, kPopup, nullptr, nullptr, 10);
  EXPECT_FALSE(huge.IsReady());
}

TEST_F(ConsoleTest, TheApplicationsConsoleIsAHiddenStripAcrossTheScreenWithTheBanner) {
  auto* console = dynamic_cast<CConsole*>(app->GetConsole());
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(console->IsConsoleVisible());
  EXPECT_EQ(Frame(console->GetWindow()), (SRect{0, 0, 15, 1024}));
  EXPECT_EQ(std::string(console->GetCurrentLine()).rfind(COrdaxApp::kBanner, 0), 0u);
  EXPECT_EQ(console->GetColor().value & 0xFFFFFF, kDesktopColor);
}

TEST(ConsoleDeathTest, AConsoleWithoutItsRingStopsTheStart) {
  // A forked child of a process that has run threads can deadlock in the leak check at exit; the
  // threadsafe style re-executes the test binary instead.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The default pool's budget is what a start leaves in use, less one byte: the ring, the last thing
  // the start takes from that pool, cannot be had.
  ASSERT_EQ(InitOrdax(), 0);
  uint32_t used = 0;
  {
    TestApp app(ProgramDesc());
    used = GetDefaultPool()->GetUsed();
  }
  TermOrdax();
  SApplDesc desc = ProgramDesc();
  desc.defaultPoolBudget = used - 1;
  EXPECT_EXIT(
      {
        InitOrdax();
        TestApp app(desc);
      },
      ::testing::ExitedWithCode(1), "Creation of the desktop console failed.");
}

}  // namespace
