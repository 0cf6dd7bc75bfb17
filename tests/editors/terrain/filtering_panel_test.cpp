// The filtering panel: the preset ramps, reset, smoothing with its pressed picture, the apply within
// the brackets, drawing the curve with the pointer, the exact preview, the profiles of the options
// menu and the preview's colours.
#include <gtest/gtest.h>

#include <cmath>

#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/terrain_lut.h"
#include "framework/image/image8.h"
#include "platform/alloc.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using FilteringPanel = TerrainEditorTest;

constexpr const char* kPanel = "filtering panel";

std::vector<uint16_t> Curve(const CTerrainLUT& lut) {
  return std::vector<uint16_t>(lut.GetCurve(), lut.GetCurve() + CTerrainLUT::kEntries);
}

TEST_F(FilteringPanel, APresetLoadsItsRampSmoothedTwice) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  // Ramp 3 of the layout is the square root: entry j its level at j / 127 in steps of 256.
  CTerrainLUT expected;
  for (uint32_t j = 0; j < CTerrainLUT::kEntries; ++j)
    expected.SetEntry(j, uint16_t(std::lround(255 * std::sqrt(j / 127.0)) << 8));
  expected.Smooth();
  expected.Smooth();
  PressButton(need::kFilterPresets[3]);
  EXPECT_EQ(Curve(*editor->GetLUT()), Curve(expected));
  // The curve's picture shows it: mid grey above the curve, the gradient below.
  CImage* picture = Image(need::kFilterSrcImage)->GetImage();
  CImNavigator pixels(picture, nullptr, false, false);
  ASSERT_TRUE(pixels.IsUsable());
  for (uint32_t x : {0u, 40u, 90u, 127u}) {
    const uint32_t entry = std::min(uint32_t(x / 128.0 * 127), 127u);
    const uint32_t top = std::min(uint32_t((1 - expected.GetEntry(entry) / 65535.0) * 128), 128u);
    if (top > 0) EXPECT_EQ(pixels.Cells(top - 1)[x].value, 0x7F7F7Fu) << x;
    if (top < 128) EXPECT_NE(pixels.Cells(top)[x].value, 0x7F7F7Fu) << x;
  }
}

// Reset and apply leave every height within 1 of itself, after a snapshot that Ctrl+Z brings back;
// with the brackets at 0.25 and 0.75 an apply changes only the heights between them.
TEST_F(FilteringPanel, ApplyMapsTheGridThroughTheCurveWithinTheBrackets) {
  const Grid start = RandomGrid(64, 17);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  PressButton(need::kFilterPresets[1]);
  PressButton(need::kFilterReset);
  SetHeights(editor->GetCurrent(), FlatGrid(64, 5));
  editor->SetBracketsOn(false);
  PressButton(need::kFilterApply);
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), FlatGrid(64, 5));
  SetHeights(editor->GetCurrent(), start);
  PressButton(need::kFilterApply);
  const Grid identity = HeightsOf(editor->GetCurrent());
  for (size_t i = 0; i < start.size(); ++i) ASSERT_NEAR(identity[i], start[i], 1) << i;
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);

  // The inverting ramp within 0.25 .. 0.75.
  PressButton(need::kFilterPresets[1]);
  editor->SetBracketsOn(true);
  editor->SetBrackets(0.25, 0.75);
  PressButton(need::kFilterApply);
  const Grid applied = HeightsOf(editor->GetCurrent());
  uint32_t changed = 0;
  for (size_t i = 0; i < start.size(); ++i) {
    if (start[i] < 16383 || start[i] > 49151) EXPECT_EQ(applied[i], start[i]) << i;
    changed += applied[i] != start[i];
  }
  EXPECT_GT(changed, start.size() / 4);
}

TEST_F(FilteringPanel, AnApplyWhoseSnapshotFailsChangesNothing) {
  const Grid start = RandomGrid(64, 3);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  PressButton(need::kFilterPresets[1]);
  ASSERT_TRUE(editor->GetSnapshot()->PageOut());
  // Every allocation fails, the memory recovery's own among them.
  platform::FailNextAllocations(1000000);
  EXPECT_EQ(Send(need::kFilterApply, kPanel), 9);
  platform::FailNextAllocations(0);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
}

// "filter smooth" smooths once at the press, showing its pressed picture until the release.
TEST_F(FilteringPanel, SmoothShowsItsPressedPictureWhileHeld) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  PressButton(need::kFilterPresets[5]);
  CTerrainLUT expected;
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) expected.SetEntry(i, editor->GetLUT()->GetEntry(i));
  expected.Smooth();
  static std::vector<uint32_t> drawn;
  drawn.clear();
  CElement* smooth = Element(need::kFilterSmooth);
  smooth->SetDrawCallback([](CElement* element, uint32_t, CImage*) -> int32_t {
    drawn.push_back(ShownEntry(element));
    return 0;
  });
  PressButton(need::kFilterSmooth, "wait 40");
  smooth->SetDrawCallback(nullptr);
  EXPECT_EQ(Curve(*editor->GetLUT()), Curve(expected));
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.front(), 1u) << "pressed while held";
  EXPECT_EQ(drawn.back(), 0u) << "normal after the release";
  EXPECT_EQ(ShownEntry(smooth), 0u);
}

// A stroke along the top row sets the entries under it to the highest level, along the bottom row to
// 0; a movement straight up or down sets nothing. The entries of a picture wider than the curve are
// scaled to its 128 places.
TEST_F(FilteringPanel, ThePointerDrawsTheCurve) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  CTerrainLUT* lut = editor->GetLUT();
  CElement* curve = Element(need::kFilterSrcImage);
  const CTerrainLUT identity;
  const SPointHV top{10, 0}, bottom{40, 127}, side{70, 20};
  Press(curve, "rmove 10 0", {}, &top);
  Press(curve, "rmove 5 0", {}, &bottom);
  Press(curve, "rmove 0 60", {}, &side);
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i) {
    const uint16_t expected = i >= 10 && i < 20 ? 65024 : i >= 40 && i < 45 ? 0 : identity.GetEntry(i);
    EXPECT_EQ(lut->GetEntry(i), expected) << i;
  }
  lut->Reset();
  EXPECT_TRUE(editor->DrawCurveSegment({250, 0}, {260, 0}, 256, 256));
  for (uint32_t i = 0; i < CTerrainLUT::kEntries; ++i)
    EXPECT_EQ(lut->GetEntry(i), i >= 125 ? 65024 : identity.GetEntry(i)) << i;
  EXPECT_FALSE(editor->DrawCurveSegment({30, 0}, {30, 100}, 128, 128));
}

// With Control held while the curve changes, the target becomes the grid at 128 × 128 through the
// curve within the brackets, and "filter dest image" shows it.
TEST_F(FilteringPanel, ControlPreviewsTheCurveOnTheGrid) {
  const Grid start = RandomGrid(64, 12);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  editor->SetBrackets(0.2, 0.9);
  const SPointHV from{0, 0};
  Press(Element(need::kFilterSrcImage), "rmove 64 0", {kControlKey}, &from);
  C3dHeightField* target = editor->GetTarget();
  ASSERT_EQ(target->GetSide(), 128u);
  C3dHeightField* expected = nullptr;
  ASSERT_EQ(editor->GetCurrent()->MakeTemporary(&expected, 128), 0);
  ASSERT_TRUE(expected->CopyFrom(*editor->GetCurrent(), nullptr));
  Grid heights = HeightsOf(expected);
  editor->GetLUT()->Apply(heights.data(), 128, editor->BracketLowHeight(), editor->BracketHighHeight());
  EXPECT_EQ(HeightsOf(target), heights);
  // The preview picture: the target's grey levels in the gradient's colours.
  int32_t error = 0;
  std::unique_ptr<CImage8> grey(NewDataImage8(128, 128, &error));
  ASSERT_TRUE(target->MakeGrayImage(grey.get()));
  std::unique_ptr<CImage> shown(NewDataImage(128, 128, &error));
  for (uint32_t i = 0; i < 256; ++i) grey->SetColor(uint8_t(i), editor->GetGreyImage()->GetColor(uint8_t(i)), false);
  ASSERT_TRUE(grey->ToImage32(shown.get()));
  ASSERT_EQ(Image(need::kFilterDestImage)->Redraw(false), 0);
  Settle();
  EXPECT_EQ(Pixels(Image(need::kFilterDestImage)->GetImage()), Pixels(shown.get()));
  delete expected;
}

// The filter picture's colour table: each pair of entries the 2D picture's colour of a curve entry.
TEST_F(FilteringPanel, ThePreviewColoursFollowTheCurve) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  PressButton(need::kFilterPresets[1]);
  EXPECT_FALSE(editor->DrawFilterPreview());
  CImage8* grey = editor->GetGreyImage();
  const CTerrainLUT* lut = editor->GetLUT();
  ASSERT_EQ(Image(need::kFilterDestImage)->Redraw(false), 0);
  Settle();
  // Through the element: the grid's grey level g shows the 2D picture's colour at curve(g / 2) >> 8.
  const Grid heights = HeightsOf(editor->GetCurrent());
  const uint8_t g = uint8_t(255 - ((65535 - heights[0]) >> 8));
  const uint32_t expected = grey->GetColor(uint8_t(lut->GetEntry(g / 2) >> 8));
  EXPECT_EQ(Pixels(Image(need::kFilterDestImage)->GetImage())[0], expected);
}

// Menu 401: the pressed picture while the menu is open, a snapshot, and the curve laid across the
// grid as the chosen profile; dismissing the menu changes nothing.
TEST_F(FilteringPanel, TheOptionsLayTheCurveAcrossTheGrid) {
  struct SCase {
    uint32_t row;
    int32_t mode;
  } cases[] = {{1, kGridRowProfileBlend}, {2, kGridColumnProfileBlend}, {3, kGridRowProfileRaise},
               {4, kGridColumnProfileRaise}};
  const Grid start = RandomGrid(128, 5, 0, 30000);
  for (const SCase& c : cases) {
    ASSERT_EQ(Open(AddTerrain(128, start)), 26) << c.row;
    ASSERT_EQ(editor->ShowFilteringPanel(), 26);
    editor->SetBrackets(0.5, 0.6);
    static std::vector<uint32_t> drawn;
    drawn.clear();
    CElement* options = Element(need::kFilterOptions);
    options->SetDrawCallback([](CElement* element, uint32_t, CImage*) -> int32_t {
      drawn.push_back(ShownEntry(element));
      return 0;
    });
    const SPointHV at = OnScreen(options);
    ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, c.row)));
    EXPECT_EQ(Send(need::kFilterOptions, kPanel, at), 26) << c.row;
    Settle();
    options->SetDrawCallback(nullptr);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), 1u) << "pressed while the menu is open";
    EXPECT_EQ(ShownEntry(options), 0u);
    Grid expected = start;
    ApplyGridFunction(expected.data(), 128, editor->GetLUT()->GetCurve(), c.mode, 0, 65535);
    EXPECT_EQ(HeightsOf(editor->GetCurrent()), expected) << c.row << ": profiles ignore the brackets";
    EXPECT_EQ(HeightsOf(editor->GetSnapshot()), start);
    EXPECT_TRUE(editor->IsUndoAvailable());
    ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  }
  // Row 64 of an all-zero grid under the identity: half the identity's entry there.
  ASSERT_EQ(Open(AddTerrain(128, FlatGrid(128, 0))), 26);
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  PressButton(need::kFilterReset);
  const SPointHV at = OnScreen(Element(need::kFilterOptions));
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(Send(need::kFilterOptions, kPanel, at), 26);
  EXPECT_EQ(Cell(HeightsOf(editor->GetCurrent()), 128, 64, 10), 16383);
  // Dismissed.
  const Grid before = HeightsOf(editor->GetCurrent());
  SetHeights(editor->GetSnapshot(), FlatGrid(128, 7));
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 0)));
  EXPECT_EQ(Send(need::kFilterOptions, kPanel, at), 26);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), before);
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), FlatGrid(128, 7));
}

}  // namespace
