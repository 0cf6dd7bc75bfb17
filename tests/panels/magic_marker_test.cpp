// The marker pen, driven headless through the input script over a desktop of one colour: its window
// covers the screen with a copy of it, strokes in the pen's colour and width, the close box, the
// chooser's strip with the swatches and the width slider, and the end by a key. A timer watch looks at
// the window while the run goes on.
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/canvas.h"
#include "panels/display_palette.h"
#include "panels/layout_needs.h"
#include "panels/magic_marker.h"
#include "platform/device_context.h"
#include "platform/gdi.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr uint32_t kDesktop = 0x336699;
constexpr int32_t kCornerX = 700, kCornerY = 500;

class MagicMarkerTest : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    platform::headless::SetDesktopColor(kDesktop);
    platform::ShowWindow(app->GetMainWindow(), platform::kSwHide);
  }
  void TearDown() override {
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    platform::headless::SetDesktopColor(0);
    PanelsTest::TearDown();
  }

  // A run of the pen with the script; what its window showed last before it ended.
  void Run(const std::string& script) {
    shown.clear();
    ASSERT_TRUE(platform::headless::AddScript(script));
    // The watch goes before the loop settles: its timer would keep the loop busy.
    auto watch = std::make_unique<CTimerWatch>([this] {
      platform::WindowHandle focus = platform::GetFocus();
      if (!focus || platform::GetClassName(focus) != "#32770") return;
      const platform::Surface* surface = platform::GetWindowSurface(focus);
      shown.assign(surface->Row(0), surface->Row(0) + size_t(surface->Width()) * size_t(surface->Height()));
      width = surface->Width();
      platform::GetWindowRect(focus, &rect);
      style = platform::GetWindowStyle(focus);
      if (auto* pen = reinterpret_cast<CMagicMarker*>(platform::GetWindowUserData(focus)))
        templateBytes = pen->GetTemplateBytes();
      cursor = Cursor();
    });
    pen = std::make_unique<CMagicMarker>(cursorToShow, app->GetMainWindow(), kCornerX, kCornerY);
    watch.reset();
    Settle();
  }
  uint32_t Shown(int32_t x, int32_t y) const { return shown.empty() ? 0xFFFFFFFF : shown[size_t(y) * size_t(width) + size_t(x)]; }
  // The rows of a column that show the colour.
  std::vector<int32_t> RowsOf(int32_t x, int32_t from, int32_t to, uint32_t colour) const {
    std::vector<int32_t> rows;
    for (int32_t y = from; y <= to; ++y) {
      if (Shown(x, y) == colour) rows.push_back(y);
    }
    return rows;
  }

  std::unique_ptr<CMagicMarker> pen;
  platform::CursorHandle cursorToShow = nullptr;
  std::vector<uint32_t> shown;
  int32_t width = 0;
  platform::SWinRect rect;
  uint32_t style = 0;
  int32_t templateBytes = 0;
  std::string cursor;
};

// A left drag draws a red line 4 pixels wide over what the screen showed; a key ends the run.
TEST_F(MagicMarkerTest, ADragDrawsARedLineOverTheScreenUntilAKey) {
  Run("move 300 200\ndown left\nwait 20\nmove 320 200\nwait 20\nmove 340 200\nwait 20\nup left\nwait 50\n"
      "key 65\nwait 10\nkeyup 65\n");
  EXPECT_TRUE(pen->HasRun());
  EXPECT_EQ(pen->GetTemplateBytes(), 0);
  EXPECT_EQ(templateBytes, int32_t(CMagicMarker::kTemplateBytes)) << "held while the window ran";
  EXPECT_EQ(style & 0xFFFF0000u, CMagicMarker::kWindowStyle);
  EXPECT_EQ(rect, (platform::SWinRect{0, 0, 1024, 768}));
  for (int32_t x : {300, 320, 339}) EXPECT_EQ(RowsOf(x, 190, 210, 0xFF0000), (std::vector<int32_t>{198, 199, 200, 201})) << x;
  EXPECT_EQ(Shown(320, 196), kDesktop);
  EXPECT_EQ(Shown(360, 200), kDesktop);
  EXPECT_EQ(Shown(5, 700), kDesktop) << "the screen beneath";
  EXPECT_EQ(platform::headless::WindowCount("#32770"), 0u) << "the strokes went with the window";
}

// A press in the close box (the corner to 20 pixels right and down) ends the run and draws nothing;
// a pixel further right starts a stroke.
TEST_F(MagicMarkerTest, TheButtonsSquareEndsTheRun) {
  Run("move 720 520\ndown left\nwait 20\nmove 760 520\nwait 20\nup left\n");
  EXPECT_TRUE(pen->HasRun());
  EXPECT_EQ(RowsOf(740, 500, 540, 0xFF0000), std::vector<int32_t>{});
  Run("move 721 500\ndown left\nwait 20\nmove 760 500\nwait 20\nup left\nwait 30\nkey 65\nwait 10\nkeyup 65\n");
  EXPECT_FALSE(RowsOf(740, 490, 510, 0xFF0000).empty());
}

// The right button's strip: a release over swatch 4 makes the pen blue, the slider held at its
// middle makes it 20 pixels wide and at its left end one pixel; a release beside every swatch keeps
// the colour. The strip goes again after the release.
TEST_F(MagicMarkerTest, TheStripChoosesColourAndWidth) {
  Run("move 100 300\ndown right\nwait 20\nmove 480 7\nwait 20\nmove 185 7\nwait 20\nup right\nwait 20\n"
      "move 400 300\ndown left\nwait 20\nmove 440 300\nwait 20\nup left\nwait 50\nkey 65\nwait 10\nkeyup 65\n");
  EXPECT_EQ(pen->GetPenColour(), 0x0000FFu);
  EXPECT_EQ(pen->GetPenWidth(), 20);
  const std::vector<int32_t> rows = RowsOf(420, 280, 320, 0x0000FF);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows.front(), 290);
  EXPECT_EQ(Shown(700, 10), kDesktop) << "the strip is gone";
  EXPECT_EQ(Shown(190, 7), kDesktop);

  Run("move 100 300\ndown right\nwait 20\nmove 360 7\nwait 20\nmove 40 7\nwait 20\nup right\nwait 20\n"
      "move 400 300\ndown left\nwait 20\nmove 440 300\nwait 20\nup left\nwait 50\nkey 65\nwait 10\nkeyup 65\n");
  EXPECT_EQ(pen->GetPenColour(), 0xFF0000u) << "released beside the swatches; each run starts red";
  EXPECT_EQ(pen->GetPenWidth(), 0);
  EXPECT_EQ(RowsOf(420, 280, 320, 0xFF0000), std::vector<int32_t>{300}) << "one pixel";
}

// The strip as it opens: black, screen wide and 22 high, swatch i from (45 i, 0) to (45 i + 30, 15)
// with a white outline, the slider framed in white, grey for the width and black beyond.
TEST_F(MagicMarkerTest, TheStripShowsTheSwatchesAndTheSlider) {
  platform::Surface strip{1024, 30};
  strip.Fill(0, 0, 1024, 30, kDesktop);
  platform::DeviceContext* dc = platform::CreateSurfaceDC(&strip);
  CMagicMarker::DrawStrip(dc, 1024, 0.5f);
  platform::ReleaseDC(dc);
  for (uint32_t i = 0; i < CMagicMarker::kSwatchCount; ++i) {
    const int32_t left = 45 * int32_t(i);
    EXPECT_EQ(strip.Pixel(left + 15, 7), CMagicMarker::kSwatches[i]) << i;
    EXPECT_EQ(strip.Pixel(left + 15, 0), 0xFFFFFFu) << i;
    EXPECT_EQ(strip.Pixel(left + 37, 7), 0u) << i;
  }
  EXPECT_EQ(strip.Pixel(360, 7), 0xFFFFFFu);
  EXPECT_EQ(strip.Pixel(600, 7), 0xFFFFFFu) << "the frame's right edge one further";
  EXPECT_EQ(strip.Pixel(400, 7), 0x808080u);
  EXPECT_EQ(strip.Pixel(520, 7), 0u);
  EXPECT_EQ(strip.Pixel(1000, 21), 0u);
  EXPECT_EQ(strip.Pixel(1000, 22), kDesktop);
}

// From the display palette: the pen's cursor and the "marker pen" button's square.
TEST_F(MagicMarkerTest, TheDisplayPaletteRunsThePenFromItsButton) {
  auto display = Built<CDisplayPalette>("displaypalette.dat", {500, 100});
  CImElement* button = display->GetControl(need::kMarkerPen);
  SPointHV corner;
  button->LocalToRootPoint(&corner, {0, 0});
  std::string seen;
  auto watch = std::make_unique<CTimerWatch>([&] {
    if (platform::GetFocus() && platform::GetClassName(platform::GetFocus()) == "#32770") seen = Cursor();
  });
  ASSERT_TRUE(platform::headless::AddScript("wait 30\nmove " + std::to_string(corner.h + 20) + " " +
                                            std::to_string(corner.v + 20) + "\ndown left\nwait 20\nup left\n"));
  EXPECT_EQ(display->RunMarkerPen(), 26);
  EXPECT_EQ(seen, "shape 107");
  EXPECT_EQ(button->GetOpacity(), 0.0f);
  EXPECT_EQ(Cursor(), "arrow");
  watch.reset();
  Settle();
}

}  // namespace
