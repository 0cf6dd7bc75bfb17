// The crop frame (crop, fit, its drags and its drawing), the brackets and the gradient's rotation on
// the bracket strip with the strip's drawing, and the colour map icon's presets.
#include <gtest/gtest.h>

#include "editors/terrain/height_grid_filters.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using CropAndBrackets = TerrainEditorTest;

constexpr uint32_t kInk = 0xE6EAEE;

// "crop" of the whole view smooths the grid twice; "fit" of the middle square shrinks it into grid
// rows and columns 16 to 47 and clears the rest; both after a snapshot, and neither while the frame
// is hidden.
TEST_F(CropAndBrackets, CropAndFitRemakeTheGridFromTheFrame) {
  const Grid start = RandomGrid(64, 19);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  EXPECT_EQ(Send(need::kCropButton), 26);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start) << "the frame is hidden";
  ASSERT_EQ(Send(need::kOnButton), 26);
  CElement* frame = editor->GetCropItem();
  ASSERT_EQ(frame->SetRect({0, 0, 256, 256}, false), 0);
  EXPECT_EQ(Send(need::kCropButton), 26);
  Grid smoothed = start;
  ASSERT_TRUE(SmoothHeightRange(smoothed.data(), 64, 0, 65535));
  ASSERT_TRUE(SmoothHeightRange(smoothed.data(), 64, 0, 65535));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), smoothed);
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), start);

  SetHeights(editor->GetCurrent(), start);
  ASSERT_EQ(frame->SetRect({64, 64, 192, 192}, false), 0);
  EXPECT_EQ(Send(need::kFitButton), 26);
  Grid fitted(start.size());
  FitHeightGrid(start.data(), fitted.data(), 64, {16, 16, 48, 48});
  const Grid current = HeightsOf(editor->GetCurrent());
  EXPECT_EQ(current, fitted);
  for (uint32_t r = 0; r < 64; ++r)
    for (uint32_t c = 0; c < 64; ++c)
      if (r < 16 || r > 47 || c < 16 || c > 47) ASSERT_EQ(Cell(current, 64, r, c), 0) << r << ", " << c;
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);

  ASSERT_EQ(Send(need::kOffButton), 26);
  EXPECT_EQ(Send(need::kFitButton), 26);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
}

// The frame's drags by the handle the hover left: moved with the pointer's offset kept, a corner
// dragged and squared with the pointer put on it, a corner that would make a side shorter than 20
// points refused, a frame pushed back into the view or cut at its edges; no handle, no drag, and the
// press paints nothing.
TEST_F(CropAndBrackets, TheFrameDragsByItsHandles) {
  const Grid start = RandomGrid(64, 23);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  ASSERT_EQ(Send(need::kOnButton), 26);
  CElement* view = Element(need::kPreview2d);
  CElement* frame = editor->GetCropItem();
  struct SCase {
    const char* what;
    uint32_t handle;
    SPointHV press;
    const char* during;
    SRect expected;
  } cases[] = {
      {"moved", CTerrainEditor::kHandleInside, {100, 100}, "rmove 20 10", {74, 84, 202, 212}},
      {"top left corner", CTerrainEditor::kHandleTopLeft, {64, 64}, "rmove -30 -10", {54, 54, 192, 192}},
      {"too small", CTerrainEditor::kHandleBottomRight, {192, 192}, "rmove -120 -100", {64, 64, 192, 192}},
      {"pushed back", CTerrainEditor::kHandleInside, {100, 100}, "rmove 100 100", {128, 128, 256, 256}},
      {"cut at the edges", CTerrainEditor::kHandleBottomRight, {192, 192}, "rmove 200 200", {0, 0, 256, 256}},
      {"no handle", CTerrainEditor::kHandleSide, {100, 100}, "rmove 20 20", {64, 64, 192, 192}},
  };
  for (const SCase& c : cases) {
    ASSERT_EQ(frame->SetRect({64, 64, 192, 192}, false), 0);
    view->SetUserWord(CTerrainEditor::kHandleWord, c.handle);
    Press(view, c.during, {}, &c.press);
    EXPECT_EQ(frame->GetRect(), c.expected) << c.what;
    EXPECT_EQ(view->GetUserWord(CTerrainEditor::kHandleWord), 0u) << c.what;
    EXPECT_EQ(HeightsOf(editor->GetCurrent()), start) << c.what << ": the press paints nothing";
  }
  // A refused corner leaves the pointer where the hand put it.
  ASSERT_EQ(frame->SetRect({64, 64, 192, 192}, false), 0);
  view->SetUserWord(CTerrainEditor::kHandleWord, CTerrainEditor::kHandleBottomRight);
  const SPointHV low{192, 192}, left{72, 92};
  Press(view, "rmove -120 -100", {}, &low);
  EXPECT_EQ(Cursor(), OnScreen(view, &left));
  // The dragged corner took the pointer with it.
  ASSERT_EQ(frame->SetRect({64, 64, 192, 192}, false), 0);
  view->SetUserWord(CTerrainEditor::kHandleWord, CTerrainEditor::kHandleTopLeft);
  const SPointHV corner{64, 64}, put{54, 54};
  Press(view, "rmove -30 -10", {}, &corner);
  EXPECT_EQ(Cursor(), OnScreen(view, &put));
  // A crop of a frame cut at the edges reads only the grid.
  ASSERT_EQ(frame->SetRect({0, 0, 256, 256}, false), 0);
  EXPECT_EQ(Send(need::kCropButton), 26);
}

// Every second pixel of the frame's sides inverted, from the corner round; a frame of 10 pixels or
// less is not drawn.
TEST_F(CropAndBrackets, TheFrameIsDrawnDotted) {
  int32_t error = 0;
  std::unique_ptr<CImage> picture(NewDataImage(64, 64, &error));
  ASSERT_TRUE(picture->Fill(0x102030));
  EXPECT_EQ(CTerrainEditor::DrawCropFrame(picture.get(), {10, 10, 20, 40}), 1);
  EXPECT_EQ(Pixels(picture.get()), std::vector<uint32_t>(64 * 64, 0x102030));
  EXPECT_EQ(CTerrainEditor::DrawCropFrame(picture.get(), {10, 10, 30, 30}), 0);
  const std::vector<uint32_t> pixels = Pixels(picture.get());
  const auto inverted = [&](int32_t x, int32_t y) { return pixels[size_t(y) * 64 + x] == (0x102030 ^ 0xFFFFFF); };
  EXPECT_TRUE(inverted(10, 10));
  EXPECT_FALSE(inverted(11, 10));
  EXPECT_TRUE(inverted(12, 10));
  EXPECT_TRUE(inverted(30, 10));
  EXPECT_FALSE(inverted(30, 11));
  size_t count = 0;
  for (int32_t y = 0; y < 64; ++y) {
    for (int32_t x = 0; x < 64; ++x) {
      if (!inverted(x, y)) continue;
      ++count;
      EXPECT_TRUE(x == 10 || x == 30 || y == 10 || y == 30) << x << ", " << y;
    }
  }
  EXPECT_EQ(count, 40u);
}

// The strip: a press beside it resets the brackets; with Alt a vertical drag turns the gradient; a
// drag near a bracket moves it, never closer than 0.069 to the other; between the bands both move
// together, stopping at 0 and 1.
TEST_F(CropAndBrackets, TheStripSetsTheBracketsAndTurnsTheGradient) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CElement* area = Element(need::kBracketArea);
  editor->SetBrackets(0.2, 0.9);
  const SPointHV beside{18, 100};
  Press(area, "", {}, &beside);
  EXPECT_EQ(editor->GetBracketLow(), 0.0);
  EXPECT_EQ(editor->GetBracketHigh(), 1.0);

  CTerrainEditor::SetGradientRotation(0);
  const std::vector<uint32_t> strip = Pixels(editor->GetGradientStrip());
  const SPointHV middle{5, 128};
  Press(area, "rmove 0 4\nrmove 0 6", {kAltKey}, &middle);
  EXPECT_EQ(CTerrainEditor::GetGradientRotation(), -10);
  EXPECT_NE(Pixels(editor->GetGradientStrip()), strip);
  CTerrainEditor::SetGradientRotation(0);

  struct SCase {
    const char* what;
    SPointHV press;
    const char* during;
    double low;
    double high;
  } cases[] = {
      {"the upper bracket below the lower", {5, 80}, "rmove 0 200", 0.3, 0.3 + 0.069},
      {"the lower bracket above the upper", {5, 190}, "rmove 0 -200", 0.7 - 0.069, 0.7},
      {"both up", {5, 128}, "rmove 0 -200", 0.6, 1.0},
      {"both down", {5, 128}, "rmove 0 400", 0.0, 0.4},
  };
  for (const SCase& c : cases) {
    editor->SetBrackets(0.3, 0.7);
    Press(area, c.during, {}, &c.press);
    EXPECT_NEAR(editor->GetBracketLow(), c.low, 1e-9) << c.what;
    EXPECT_NEAR(editor->GetBracketHigh(), c.high, 1e-9) << c.what;
  }
}

// The strip's drawing: the gradient strip in the first 12 columns, the upper bracket's picture ending
// on its row and the lower one's beginning on its own beside it.
TEST_F(CropAndBrackets, TheStripShowsTheBracketsAtTheirRows) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CImElement* area = Image(need::kBracketArea);
  editor->SetBrackets(0.25, 0.75);
  ASSERT_TRUE(editor->RefreshGradient(false));
  ASSERT_EQ(CTerrainEditor::DrawBracketArea(area, area->GetImageLayer(), nullptr), 0);
  CImNavigator shown(area->GetImage(), nullptr, false, false);
  CImNavigator strip(editor->GetGradientStrip(), nullptr, false, false);
  ASSERT_TRUE(shown.IsUsable() && strip.IsUsable());
  std::vector<uint32_t> marked;
  for (uint32_t y = 0; y < shown.GetRows(); ++y) {
    for (uint32_t x = 0; x < 12; ++x) ASSERT_EQ(shown.Cells(y)[x].value, strip.Cells(y)[x].value) << x << ", " << y;
    bool ink = false;
    for (uint32_t x = 12; x < shown.GetColumns(); ++x) ink = ink || (shown.Cells(y)[x].value & 0xFFFFFF) == kInk;
    if (ink) marked.push_back(y);
  }
  std::vector<uint32_t> expected;
  for (uint32_t y = 1 + 64 - 6; y <= 1 + 64; ++y) expected.push_back(y);
  for (uint32_t y = 1 + 192; y <= 1 + 192 + 6; ++y) expected.push_back(y);
  EXPECT_EQ(marked, expected);
}

// The icon's swatch loads preset 14, or with Shift the terrain's own colours when it has them;
// elsewhere a drag chooses among the presets shown framed, from 0 to 14 however far it goes, and the
// release hides them, puts the pointer back and loads the preset.
TEST_F(CropAndBrackets, TheColourMapIconChoosesTheGradient) {
  C3dHeightField* terrain = AddTerrain(64);
  std::vector<CImVector> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i].value = i * 0x000101u;
  ASSERT_EQ(terrain->SetColourTable(table.data(), 0), 0);
  ASSERT_EQ(Open(terrain), 26);
  CElement* icon = Element(need::kColorMapIcon);
  CImage* presets = Image(need::kGradients)->GetImage();
  const std::vector<uint32_t> original = Pixels(presets);
  const auto presetEntry = [&](int32_t m, uint32_t entry) {
    // The picture has the highest elevation at its top: entry i is row 256 − i.
    return original[size_t(256 - entry) * presets->GetWidth() + 18 * m + 4] & 0xFFFFFF;
  };
  const SPointHV swatch{20, 18}, elsewhere{5, 5};
  Press(icon, "", {kShiftKey}, &swatch);
  EXPECT_EQ(editor->GetGradientMode(), CTerrainEditor::kObjectGradient);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(0).value, 0xFF0000u);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(11).value, table[10].value);
  Press(icon, "", {}, &swatch);
  EXPECT_EQ(editor->GetGradientMode(), 14);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(11).value & 0xFFFFFF, presetEntry(14, 10));

  static bool framedWhileShown;
  static int32_t framedPreset;
  framedWhileShown = false;
  framedPreset = -1;
  editor->SetGradientMode(6);
  Image(need::kGradients)->SetDrawCallback([](CElement* element, uint32_t, CImage*) -> int32_t {
    CImage* picture = static_cast<CImElement*>(element)->GetImage();
    CImNavigator pixels(picture, nullptr, false, false);
    for (int32_t m = 0; pixels.IsUsable() && m < 15; ++m) {
      if (18 * m + 13 < int32_t(pixels.GetColumns()) && pixels.Cells(100)[18 * m + 13].value == 0xFFFFFFFFu) {
        framedPreset = m;
        framedWhileShown = element->GetParent()->IsShown();
      }
    }
    return 0;
  });
  const SPointHV home = OnScreen(icon, &elsewhere);
  Press(icon, "wait 40", {}, &elsewhere);
  EXPECT_EQ(framedPreset, 6);
  EXPECT_TRUE(framedWhileShown);
  Press(icon, "rmove 1000 0\nrmove 10 0", {}, &elsewhere);
  Image(need::kGradients)->SetDrawCallback(nullptr);
  EXPECT_EQ(editor->GetGradientMode(), 14);
  EXPECT_FALSE(Element(need::kGradientsPanel)->IsShown());
  EXPECT_EQ(Cursor(), home);
  EXPECT_FALSE(app->IsCursorHidden());
  EXPECT_EQ(Pixels(presets), original) << "no frame is left behind";
  Press(icon, "rmove -30 0\nrmove -1000 0", {}, &elsewhere);
  EXPECT_EQ(editor->GetGradientMode(), 0);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(101).value & 0xFFFFFF, presetEntry(0, 100));
  Press(icon, "rmove 40 0", {}, &elsewhere);
  EXPECT_EQ(editor->GetGradientMode(), 2);
}

}  // namespace
