// The terrain editor's views on the virtual clock: the throttled spin, the bounded turn, which grid a
// render reads, the crop frame's scaling, the opening animation and when the idle step runs, the
// hover cursors and handles, the brush's footprint in the 2D view, and the brush's icon and level.
#include <gtest/gtest.h>

#include <cmath>

#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "framework/image/bitmap_file.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using TerrainViews = TerrainEditorTest;

constexpr double kSpinStep = 0.15713992638565955;

// Counts the 3D renders (three passes each) and the reliefs' modes.
struct SRenders {
  std::vector<int32_t> modes;
  std::vector<uint32_t> sides;
  void Watch(CTerrain3dPreview* preview) {
    preview->SetPassObserver([this](const CTerrain3dPreview::SPass& pass) {
      if (pass.mode == TerrainPreview::kOverlay) return;
      modes.push_back(pass.mode);
      sides.push_back(pass.gridSide);
    });
  }
  size_t Count() const { return modes.size(); }
};

std::string PictureCursor(uint32_t number) { return "picture cursor " + std::to_string(number) + " hot 15,15"; }

TEST_F(TerrainViews, TheSpinTurnsTheReliefAtMostOnceInFiveTicks) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrain3dPreview* preview = editor->GetPreview3d();
  SRenders renders;
  renders.Watch(preview);
  editor->SetSpin(true);
  const double tilt = preview->GetTiltAngle();
  EXPECT_EQ(editor->Redraw(true, false, nullptr, nullptr), 0);
  EXPECT_EQ(editor->Redraw(true, false, nullptr, nullptr), 0);
  EXPECT_EQ(renders.Count(), 1u);
  EXPECT_EQ(renders.modes.back(), TerrainPreview::kRelief) << "the spin renders quickly";
  EXPECT_DOUBLE_EQ(preview->GetTiltAngle(), tilt + kSpinStep);
  platform::AdvanceVirtualClock(84);  // five ticks
  EXPECT_EQ(editor->Redraw(true, false, nullptr, nullptr), 0);
  EXPECT_EQ(renders.Count(), 2u);
  EXPECT_DOUBLE_EQ(preview->GetTiltAngle(), tilt + 2 * kSpinStep);
  editor->SetSpin(false);
  EXPECT_EQ(editor->Redraw(true, false, nullptr, nullptr), 0);
  EXPECT_EQ(renders.modes.back(), TerrainPreview::kReliefWithShadows);
  preview->SetPassObserver(nullptr);
}

// Drags turn the relief sideways freely and tip the eye between 0.1 and 1.4746 radians.
TEST_F(TerrainViews, ADragNeverTipsTheViewPastItsBounds) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrain3dPreview* preview = editor->GetPreview3d();
  const SPointHV origin{100, 100};
  double lowest = 1e9, highest = -1e9;
  for (int32_t step : {50, 50, 50, 50, 50, 50, 50, -50, -50, -50, -50, -50, -50, -50, -50, -50, 17, -200}) {
    const SPointHV to{100 + 3, 100 + step};
    ASSERT_TRUE(editor->Render3d(nullptr, nullptr, &to, &origin, false, false, false));
    lowest = std::min(lowest, preview->GetTurnAngle());
    highest = std::max(highest, preview->GetTurnAngle());
  }
  EXPECT_GE(lowest, 0.1);
  EXPECT_LT(highest, 1.4745999813079833);
  EXPECT_GT(highest, 1.3) << "it went up as far as the steps allow";
  EXPECT_NEAR(preview->GetTiltAngle(), 18 * 3 * 0.017495556, 1e-5);
  // keepTurn and keepTilt hold the two angles.
  const double tilt = preview->GetTiltAngle(), turn = preview->GetTurnAngle();
  const SPointHV to{130, 110};
  ASSERT_TRUE(editor->Render3d(nullptr, nullptr, &to, &origin, false, true, true));
  EXPECT_EQ(preview->GetTiltAngle(), tilt);
  EXPECT_EQ(preview->GetTurnAngle(), turn);
}

// A grid of 128 or less is rendered as it is; a larger one at full quality too, but from a 128 × 128
// copy when a quick render or the quick preview option asks.
TEST_F(TerrainViews, LargeGridsRenderQuicklyFromTheReducedCopy) {
  struct SCase {
    uint32_t side;
    bool quickOption;
    bool fullQuality;
    uint32_t rendered;
    bool copied;
  } cases[] = {
      {128, false, true, 128, false}, {128, true, true, 128, false}, {128, false, false, 128, false},
      {256, false, true, 256, false}, {256, true, true, 128, true},  {256, false, false, 128, true},
  };
  for (const SCase& c : cases) {
    ASSERT_EQ(Open(AddTerrain(c.side, RandomGrid(c.side, c.side))), 26) << c.side;
    SetHeights(editor->GetPreviewGrid(), FlatGrid(128, 4321));
    SRenders renders;
    renders.Watch(editor->GetPreview3d());
    editor->SetQuickPreview(c.quickOption);
    ASSERT_TRUE(editor->Render3d(nullptr, nullptr, nullptr, nullptr, c.fullQuality, false, false)) << c.side;
    ASSERT_EQ(renders.Count(), 1u);
    EXPECT_EQ(renders.sides[0], c.rendered) << c.side << " quick " << c.quickOption << " full " << c.fullQuality;
    EXPECT_EQ(HeightsOf(editor->GetPreviewGrid()) != FlatGrid(128, 4321), c.copied) << c.side;
    editor->GetPreview3d()->SetPassObserver(nullptr);
    editor->SetQuickPreview(false);
    ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  }
}

// The frame scaled by n / 256, mirrored left to right when asked; the longer side one shorter when
// the rounding left the two sides unequal.
TEST_F(TerrainViews, TheCropFrameScalesToTheGridSquared) {
  struct SCase {
    SRect frame;
    uint32_t n;
    bool mirror;
    SRect scaled;
  } cases[] = {
      {{64, 32, 192, 160}, 64, false, {16, 8, 48, 40}},
      {{64, 32, 192, 160}, 64, true, {16, 24, 48, 56}},
      {{0, 0, 256, 255}, 128, false, {0, 0, 127, 127}},
      {{10, 0, 200, 100}, 256, false, {10, 0, 199, 100}},  // the longer side in by one only
      {{0, 0, 256, 256}, 16, false, {0, 0, 16, 16}},
  };
  for (const SCase& c : cases) {
    const SRect out = CTerrainEditor::ScaleCropRect(c.frame, c.n, c.mirror);
    EXPECT_EQ(out, c.scaled) << c.n << (c.mirror ? " mirrored" : "") << ": " << out.left << " " << out.top << " "
                             << out.right << " " << out.bottom;
  }
}

// The first idle step after opening lets the relief rise in 30 quick renders, then one at full
// quality; the height scale comes back and the preview stays live. A press cuts it short.
TEST_F(TerrainViews, TheFirstIdleStepPlaysTheIntro) {
  C3dHeightField* terrain = AddTerrain(64, RandomGrid(64, 3));
  ASSERT_EQ(Open(terrain), 26);
  SRenders renders;
  renders.Watch(editor->GetPreview3d());
  EXPECT_FALSE(editor->IsPreviewLive());
  ASSERT_EQ(editor->IdleStep(0), 0);
  ASSERT_EQ(renders.Count(), 31u);
  for (size_t i = 0; i < 30; ++i) EXPECT_EQ(renders.modes[i], TerrainPreview::kRelief) << i;
  EXPECT_EQ(renders.modes[30], TerrainPreview::kReliefWithShadows);
  EXPECT_EQ(editor->GetPreview3d()->GetHeightScale(), 1.5);
  EXPECT_TRUE(editor->IsPreviewLive());
  // The two views, drawn into their elements, as pictures to look at.
  editor->Redraw(nullptr);
  for (const SLayoutNeed* view : {&need::kPreview2d, &need::kPreview3d}) {
    CFileSpec spec;
    spec.Set((::testing::TempDir() + "/terrain-" + view->name + ".bmp").c_str());
    EXPECT_EQ(SaveImageAsBmp(spec, Image(*view)->GetImage(), true), 0) << view->name;
  }
  const size_t drawn = renders.Count();
  platform::AdvanceVirtualClock(1000);
  ASSERT_EQ(editor->IdleStep(0), 0);
  EXPECT_EQ(renders.Count(), drawn) << "the intro plays once";

  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  ASSERT_EQ(Open(terrain), 26);
  renders.modes.clear();
  ASSERT_TRUE(platform::headless::AddScript("down left\n"));
  platform::AdvanceVirtualClock(1000);
  ASSERT_EQ(editor->IdleStep(0), 0);
  EXPECT_EQ(renders.Count(), 2u) << "one quick render, then the full one";
  EXPECT_EQ(editor->GetPreview3d()->GetHeightScale(), 1.5);
  platform::headless::AddScript("up left\n");
  Settle();
  editor->GetPreview3d()->SetPassObserver(nullptr);
}

// Behind another dialog or hidden, the editor's idle step does nothing.
TEST_F(TerrainViews, TheIdleStepWaitsWhileHiddenOrBehindAnotherDialog) {
  C3dHeightField* terrain = AddTerrain(64);
  ASSERT_EQ(Open(terrain), 26);
  SRenders renders;
  renders.Watch(editor->GetPreview3d());
  owner->RaiseModalLevel();
  platform::AdvanceVirtualClock(1000);
  EXPECT_EQ(editor->IdleStep(0), 0);
  EXPECT_EQ(renders.Count(), 0u);
  owner->LowerModalLevel();
  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  platform::AdvanceVirtualClock(1000);
  EXPECT_EQ(editor->IdleStep(0), 0);
  EXPECT_EQ(renders.Count(), 0u);
  editor->GetPreview3d()->SetPassObserver(nullptr);
}

// Over the crop frame the 2D view shows the cursor of the handle under the pointer and leaves the
// handle for the frame's drag; elsewhere the brush's cursor, Alt swapping the paired behaviours.
TEST_F(TerrainViews, HoverOverThe2dViewPicksTheCropHandleOrTheBrush) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(Send(need::kOnButton), 26);
  CElement* view = Element(need::kPreview2d);
  ASSERT_TRUE(editor->GetCropItem()->IsShown());
  ASSERT_EQ(editor->GetCropItem()->GetRect(), (SRect{64, 64, 192, 192}));
  struct SCase {
    SPointHV at;
    uint32_t cursor;
    uint32_t handle;
  } cases[] = {
      {{66, 128}, 131, 0}, {{66, 66}, 132, 4},   {{190, 190}, 132, 2},
      {{190, 66}, 132, 3}, {{66, 190}, 132, 5},  {{128, 128}, 133, 1},
  };
  for (const SCase& c : cases) {
    view->SetUserWord(3, 99);
    EXPECT_EQ(CTerrainEditor::HoverPreview2d(view, c.at), 26);
    EXPECT_EQ(CurrentCursor(), PictureCursor(c.cursor)) << c.at.h << ", " << c.at.v;
    EXPECT_EQ(view->GetUserWord(3), c.handle) << c.at.h << ", " << c.at.v;
  }
  CTerrainBrush* brush = editor->GetBrush();
  struct SBrushCase {
    int32_t behaviour;
    bool alt;
    uint32_t cursor;
  } brushes[] = {{0, false, 134}, {1, false, 135}, {1, true, 136}, {2, true, 135}, {4, true, 139}, {5, true, 138},
                 {3, true, 137}};
  int32_t x = 10;
  for (const SBrushCase& b : brushes) {
    brush->SetBehaviour(b.behaviour);
    if (b.alt) platform::headless::AddScript("key 18\n");
    Settle();
    EXPECT_EQ(CTerrainEditor::HoverPreview2d(view, {x++, 20}), 26);
    EXPECT_EQ(CurrentCursor(), PictureCursor(b.cursor)) << b.behaviour << (b.alt ? " with Alt" : "");
    platform::headless::AddScript("keyup 18\n");
    Settle();
  }
  // Leaving the view puts the arrow back.
  EXPECT_EQ(CTerrainEditor::HoverPreview2d(view, {300, 20}), 0);
  EXPECT_EQ(CurrentCursor(), "arrow");
}

TEST_F(TerrainViews, HoverOverTheBracketStripAndTheDragButtonsShowsTheirCursors) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CElement* strip = Element(need::kBracketArea);
  EXPECT_EQ(CTerrainEditor::HoverBracketArea(strip, {5, 100}), 26);
  EXPECT_EQ(CurrentCursor(), PictureCursor(130));
  EXPECT_EQ(CTerrainEditor::HoverBracketArea(strip, {18, 100}), 0) << "beside the strip";
  EXPECT_EQ(CurrentCursor(), "arrow");

  // Through the editor's own idle step: the pointer over a button that blends, then one that shapes.
  const struct {
    need::EElevationButton button;
    uint32_t cursor;
  } buttons[] = {{need::kElevSmoothing, 140}, {need::kElevRoundEdges, 141}};
  for (const auto& b : buttons) {
    const SPointHV at = OnScreen(Element(need::kElevationButtons[b.button]));
    ASSERT_TRUE(platform::headless::AddScript("move " + std::to_string(at.h) + " " + std::to_string(at.v) + "\n"));
    Settle();
    platform::AdvanceVirtualClock(1000);
    EXPECT_EQ(editor->IdleStep(0), 0);
    EXPECT_EQ(CurrentCursor(), PictureCursor(b.cursor)) << need::kElevationButtons[b.button].name;
  }
}

// The footprint is a dotted circle in XOR over the view's picture: half of the pixels of the circle of
// the brush's radius change, each inverted, and the next redraw without the pointer takes it away.
TEST_F(TerrainViews, TheBrushFootprintIsADottedCircleThatComesAway) {
  ASSERT_EQ(Open(AddTerrain(64, RandomGrid(64, 6))), 26);
  editor->SetBrushCells(40);
  const SRect view = editor->GetView2dRect();
  platform::Surface* surface = platform::GetWindowSurface(editor->GetWindow());
  ASSERT_NE(surface, nullptr);
  const auto shown = [&] {
    std::vector<uint32_t> pixels;
    for (int32_t y = view.top; y < view.bottom; ++y)
      for (int32_t x = view.left; x < view.right; ++x) pixels.push_back(surface->Pixel(x, y));
    return pixels;
  };
  ASSERT_EQ(editor->Redraw(false, true, nullptr, nullptr), 0);
  const std::vector<uint32_t> plain = shown();
  const SPointHV pointer{128, 128};
  ASSERT_EQ(editor->Redraw(false, true, &pointer, nullptr), 0);
  const std::vector<uint32_t> marked = shown();
  uint32_t changed = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] == marked[i]) continue;
    ++changed;
    const int32_t x = int32_t(i % 256), y = int32_t(i / 256);
    EXPECT_NEAR(std::hypot(x - 128, y - 128), 40, 1.0) << x << ", " << y;
    EXPECT_EQ(marked[i], plain[i] ^ 0xFFFFFF) << x << ", " << y;
  }
  EXPECT_NEAR(changed, 2 * M_PI * 40 / 2, 30);
  ASSERT_EQ(editor->Redraw(false, true, nullptr, nullptr), 0);
  EXPECT_EQ(shown(), plain);

  // With the crop item shown its frame is drawn the same way.
  ASSERT_EQ(Send(need::kOnButton), 26);
  const std::vector<uint32_t> framed = shown();
  const SRect frame = editor->GetCropItem()->GetRect();
  changed = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] == framed[i]) continue;
    ++changed;
    const int32_t x = int32_t(i % 256), y = int32_t(i / 256);
    const bool onEdge = x == frame.left || x == frame.right || y == frame.top || y == frame.bottom;
    EXPECT_TRUE(onEdge) << x << ", " << y;
    EXPECT_EQ(framed[i], plain[i] ^ 0xFFFFFF);
  }
  EXPECT_NEAR(changed, 4 * 128 / 2, 8);
}

// The brush shows its behaviour on its icon, the acting one while the modifier is held, and redraws
// the level only when the level it shows changes.
TEST_F(TerrainViews, TheBrushShowsItsBehaviourAndLevel) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  CElement* icon = Element(need::kBrushBehaviorText);
  brush->SetBehaviour(CTerrainBrush::kLowerToLevel);
  EXPECT_EQ(ShownEntry(icon), 4u);
  brush->SetBehaviourCursor(true);
  EXPECT_EQ(ShownEntry(icon), 5u);
  brush->SetBehaviourCursor(false);
  EXPECT_EQ(ShownEntry(icon), 4u);

  static uint32_t drawn = 0;
  CElement* level = Element(need::kLevelControl);
  level->SetDrawCallback([](CElement*, uint32_t, CImage*) -> int32_t {
    ++drawn;
    return 0;
  });
  brush->SetBehaviour(CTerrainBrush::kToLevel);
  brush->SetLevelFraction(0.25);
  drawn = 0;
  brush->SetBehaviourCursor(false);
  const uint32_t once = drawn;
  EXPECT_GT(once, 0u);
  brush->SetBehaviourCursor(false);
  EXPECT_EQ(drawn, once) << "the same level";
  brush->SetBehaviourCursor(true);
  EXPECT_GT(drawn, once) << "the level turned upside down";
  EXPECT_EQ(brush->GetShownLevel(), 0.75);
  level->SetDrawCallback(nullptr);
}

}  // namespace
