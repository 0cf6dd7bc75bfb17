// The terrain gradient: the grey ramp before the first opening, presets of the "gradients" picture, an
// object's own colours, the strip with its darkened rows, the rotation, and the renderer's altitude
// colours through the lookup the editor registers.
#include <gtest/gtest.h>

#include "framework/image/image8.h"
#include "render/gradient_hook.h"
#include "render/render_settings.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using TerrainGradient = TerrainEditorTest;

uint32_t StripRow(CTerrainEditor& editor, uint32_t row) {
  CImNavigator strip(editor.GetGradientStrip(), nullptr, false, false);
  EXPECT_TRUE(strip.IsUsable());
  return strip.IsUsable() ? strip.Cells(row)[0].value & 0xFFFFFF : 0;
}

uint32_t Entry(uint32_t i) { return CTerrainEditor::GetGradientCell(i + 1).value; }

TEST_F(TerrainGradient, TheGreyRampServesUntilTheFirstOpening) {
  EXPECT_EQ(CTerrainEditor::GradientColorAt(0).value, 0x010101u);
  EXPECT_EQ(CTerrainEditor::GradientColorAt(0.5).value, 0x808080u);
  EXPECT_EQ(CTerrainEditor::GradientColorAt(1).value, 0xFFFFFFu);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(0).value, 0u);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(257).value, 0xFFFFFFu);
  // The renderer asks the editor's lookup, and its own ramp again once the editor is gone.
  EXPECT_EQ(GradientColourAt(0).value, 0x010101u);
  editor.reset();
  EXPECT_EQ(GradientColourAt(0).value, 0u);
}

// Preset m is column 18 m + 4 of the picture, its rows reversed into the entries: row 256 is entry
// 0, row 1 entry 255; rows 0 and 257 are the colours beyond the brackets.
TEST_F(TerrainGradient, APresetComesFromItsColumnOfTheGradientsPicture) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CImage* picture = Image(need::kGradients)->GetImage();
  ASSERT_NE(picture, nullptr);
  {
    CImNavigator pixels(picture, nullptr, true, false);
    ASSERT_TRUE(pixels.IsUsable());
    for (uint32_t y = 0; y < 258; ++y)
      for (uint32_t x = 0; x < pixels.GetColumns(); ++x) pixels.Cells(y)[x].value = 0xFF000000u | x << 9 | y;
  }
  for (int32_t m : {0, 7, 14}) {
    editor->SetGradientMode(m);
    ASSERT_EQ(editor->LoadGradient(), 0) << m;
    const uint32_t column = uint32_t(18 * m + 4) << 9;
    EXPECT_EQ(Entry(0), column | 256) << m;
    EXPECT_EQ(Entry(255), column | 1) << m;
    EXPECT_EQ(CTerrainEditor::GetGradientCell(0).value, column | 0) << m;
    EXPECT_EQ(CTerrainEditor::GetGradientCell(257).value, column | 257) << m;
  }
  editor->SetGradientMode(16);
  EXPECT_EQ(editor->LoadGradient(), 1);
}

// Opening with Shift takes the object's own colours, framed red above and blue below, its brackets
// and its rotation; the rotation turns the lookup.
TEST_F(TerrainGradient, ShiftOpensWithTheObjectsOwnColours) {
  C3dHeightField* terrain = AddTerrain(64);
  std::vector<CImVector> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i].value = i * 0x000101u + 0x100000;
  ASSERT_EQ(terrain->SetColourTable(table.data(), 5), 0);
  terrain->SetClip(0.25, 0.5);
  ASSERT_EQ(Open(terrain, {kShiftKey}), 26);
  EXPECT_EQ(editor->GetGradientMode(), 15);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(0).value, 0xFF0000u);
  EXPECT_EQ(CTerrainEditor::GetGradientCell(257).value, 0x0000FFu);
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(Entry(i), table[i].value) << i;
  EXPECT_EQ(CTerrainEditor::GetGradientRotation(), 5);
  EXPECT_EQ(CTerrainEditor::GradientColorAt(0).value, Entry(5));
  EXPECT_EQ(editor->GetBracketLow(), 0.25);
  EXPECT_EQ(editor->GetBracketHigh(), 0.5);
  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);

  // Without Shift the preset comes back, whatever the object holds.
  ASSERT_EQ(Open(terrain), 26);
  EXPECT_EQ(editor->GetGradientMode(), 14);
  EXPECT_EQ(CTerrainEditor::GetGradientRotation(), 0);
  EXPECT_NE(Entry(0), table[0].value);
}

// Shift on an object without colours leaves the object without them: the gradient stays the editor's.
TEST_F(TerrainGradient, ShiftOnAnObjectWithoutColoursChangesNothingOfIt) {
  C3dHeightField* terrain = AddTerrain(64);
  ASSERT_EQ(Open(terrain, {kShiftKey}), 26);
  EXPECT_EQ(editor->GetGradientMode(), 15);
  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  EXPECT_FALSE(terrain->HasColourTable());
}

TEST_F(TerrainGradient, TheStripDarkensOnlyTheRowsBeyondTheBrackets) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_TRUE(editor->RefreshGradient(false));
  for (uint32_t row = 0; row < 258; ++row) {
    const uint32_t shown = StripRow(*editor, row);
    bool anEntry = false;
    for (uint32_t i = 0; i < 256 && !anEntry; ++i) anEntry = shown == Entry(i);
    EXPECT_TRUE(anEntry) << "row " << row;
  }
  CTerrainEditor::SetGradientCell(0, CImVector{0xFF0000});
  editor->SetBrackets(0.0, 0.5);
  ASSERT_TRUE(editor->RefreshGradient(false));
  EXPECT_EQ(StripRow(*editor, 127), 0xAD0000u) << "darkened by 173";
  EXPECT_EQ(StripRow(*editor, 0), 0xFF0000u) << "darkened by 255";
  EXPECT_EQ(StripRow(*editor, 128), Entry(127));
  // The 2D picture's colours are the strip's rows, the highest entry at index 255.
  EXPECT_EQ(editor->GetGreyImage()->GetColor(0), Entry(0));
  EXPECT_EQ(editor->GetGreyImage()->GetColor(255), 0xFF0000u);
}

// The altitude mode colours the document window's render from the editor's gradient.
TEST_F(TerrainGradient, TheAltitudeRenderTakesItsColoursFromTheGradient) {
  AddTerrain(64, RandomGrid(64, 1));
  for (uint32_t i = 0; i < 258; ++i) CTerrainEditor::SetGradientCell(i, CImVector{0x204080});
  const auto render = [&] {
    CUIMessage option;
    option.Init(0, "render options menu", nullptr, "doc window", 1);
    option.SetPayloadWord(0, int32_t(FourCC("alti")));
    EXPECT_EQ(w->HandleRenderOption(&option), 26);
    EXPECT_NE(w->GetRenderOptions() & SRenderSettings::kAltitudeMode, 0u);
    CUIMessage button;
    button.Init(0, "clear & render button", nullptr, "doc window", 0);
    EXPECT_EQ(w->HandleRenderButton(&button), 26);
    SHeartbeatRecord record;
    for (int i = 0; i < 50 && w->GetRenderRequest(); ++i) w->Heartbeat(record);
    std::vector<uint32_t> pixels;
    CImNavigator image(w->GetRenderedImage(), nullptr, false, false);
    for (uint32_t y = 0; image.IsUsable() && y < image.GetRows(); y += 7)
      for (uint32_t x = 0; x < image.GetColumns(); x += 7) pixels.push_back(image.Cells(y)[x].value & 0xFFFFFF);
    return pixels;
  };
  const std::vector<uint32_t> coloured = render();
  ASSERT_FALSE(coloured.empty());
  for (uint32_t p : coloured) {
    ASSERT_NEAR(int32_t(p >> 16), 0x20, 1);
    ASSERT_NEAR(int32_t(p >> 8 & 255), 0x40, 1);
    ASSERT_NEAR(int32_t(p & 255), 0x80, 1);
  }
  editor.reset();
  for (uint32_t p : render()) {
    ASSERT_EQ(p >> 16, p & 255) << "grey";
    ASSERT_EQ(p >> 16, p >> 8 & 255) << "grey";
  }
}

}  // namespace
