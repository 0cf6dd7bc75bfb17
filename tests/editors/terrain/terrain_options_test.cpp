// The terrain editor's pop-ups (resolution, options with the turning show, brush behaviour), the
// three brush sliders and the level control with its drawing.
#include <gtest/gtest.h>

#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "framework/ui/menu.h"
#include "platform/menu.h"
#include "platform/surface.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using TerrainOptions = TerrainEditorTest;

bool Ticked(CMenu& menu, uint32_t row) {
  return platform::GetMenuState(menu.GetPlatformMenu(), row, platform::kMfByCommand) == uint32_t(platform::kMfChecked);
}

std::vector<uint32_t> TickedRows(CMenu& menu, uint32_t rows) {
  std::vector<uint32_t> out;
  for (uint32_t row = 1; row <= rows; ++row) {
    if (Ticked(menu, row)) out.push_back(row);
  }
  return out;
}

// Menu 400 ticks the grid's side; a new side resizes the grid and its views, the present side only
// sets the brush's cells, and so does a dismissed menu; the busy cursor is off again on every path.
TEST_F(TerrainOptions, TheResolutionMenuResizesTheGrid) {
  const Grid start = RandomGrid(64, 31);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  std::unique_ptr<CMenu> menu;
  ASSERT_EQ(editor->PrepareMenu(need::kResolutionMenu, &menu), 0);
  EXPECT_EQ(TickedRows(*menu, 7), std::vector<uint32_t>{3});
  for (uint32_t row = 1; row <= 7; ++row) EXPECT_EQ(menu->GetItemCommand(row - 1), 8u << row);

  const SPointHV at = OnScreen(Element(need::kResolutionPopup));
  editor->SetBrushCells(99);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 3)));
  EXPECT_EQ(Send(need::kResolutionPopup, "terrain editor", at), 26);
  EXPECT_EQ(editor->GetBrushCells(), 80) << "20 × 256 / 64";
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  EXPECT_FALSE(app->IsBusyCursor());

  C3dHeightField* expected = nullptr;
  ASSERT_EQ(editor->GetCurrent()->MakeTemporary(&expected, 64), 0);
  ASSERT_EQ(expected->CopyGrid(*editor->GetCurrent(), false), 0);
  ASSERT_TRUE(expected->ChangeResolution(256));
  editor->GetPreview3d()->SetColour(0, CImVector{0x123456});
  uint32_t renders = 0;
  editor->GetPreview3d()->SetPassObserver([&](const CTerrain3dPreview::SPass& pass) {
    renders += pass.mode != TerrainPreview::kOverlay;
  });
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 5)));
  EXPECT_EQ(Send(need::kResolutionPopup, "terrain editor", at), 26);
  editor->GetPreview3d()->SetPassObserver(nullptr);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), HeightsOf(expected));
  EXPECT_EQ(editor->GetBrushCells(), 20) << "20 × 256 / 256";
  EXPECT_EQ(editor->GetPreview3d()->GetColour(0).value, 0u);
  EXPECT_GT(renders, 0u);
  EXPECT_FALSE(app->IsBusyCursor());
  ASSERT_EQ(editor->PrepareMenu(need::kResolutionMenu, &menu), 0);
  EXPECT_EQ(TickedRows(*menu, 7), std::vector<uint32_t>{5});

  editor->SetBrushCells(99);
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 0)));
  EXPECT_EQ(Send(need::kResolutionPopup, "terrain editor", at), 26);
  EXPECT_EQ(editor->GetBrushCells(), 20);
  EXPECT_EQ(editor->GetCurrent()->GetSide(), 256u);
  EXPECT_FALSE(app->IsBusyCursor());

  // A side that is none of the seven ticks no row.
  ASSERT_EQ(editor->GetCurrent()->SetResolution(8), 0);
  ASSERT_EQ(editor->PrepareMenu(need::kResolutionMenu, &menu), 0);
  EXPECT_TRUE(TickedRows(*menu, 7).empty());
  delete expected;
}

// Menu 403 toggles the spin (row 1) and the quick preview (row 5), each ticked while it is on.
TEST_F(TerrainOptions, TheOptionsMenuTogglesItsSwitches) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  const SPointHV at = OnScreen(Element(need::kTerrainOptions));
  std::unique_ptr<CMenu> menu;
  ASSERT_EQ(editor->PrepareMenu(need::kOptionsMenu, &menu), 0);
  EXPECT_TRUE(TickedRows(*menu, 5).empty());
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 1)));
  EXPECT_EQ(Send(need::kTerrainOptions, "terrain editor", at), 26);
  EXPECT_TRUE(editor->IsSpinOn());
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 5)));
  EXPECT_EQ(Send(need::kTerrainOptions, "terrain editor", at), 26);
  EXPECT_TRUE(editor->IsQuickPreview());
  ASSERT_EQ(editor->PrepareMenu(need::kOptionsMenu, &menu), 0);
  EXPECT_EQ(TickedRows(*menu, 5), (std::vector<uint32_t>{1, 5}));
  ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, 1)));
  EXPECT_EQ(Send(need::kTerrainOptions, "terrain editor", at), 26);
  EXPECT_FALSE(editor->IsSpinOn());
  ASSERT_EQ(editor->PrepareMenu(need::kOptionsMenu, &menu), 0);
  EXPECT_EQ(TickedRows(*menu, 5), std::vector<uint32_t>{5});
}

// The turning show: the relief, half again as high, in a picture half the window's shorter side
// across, in the middle of the darkened window; once without the spin, turning with it; until a click,
// after which the heights' scale is back and every window is to be repainted.
TEST_F(TerrainOptions, TheTurningShowTurnsTheReliefUntilAClick) {
  ASSERT_EQ(Open(AddTerrain(64, RandomGrid(64, 14))), 26);
  CTerrain3dPreview* preview = editor->GetPreview3d();
  preview->SetHeightScale(1.5);
  platform::Surface* surface = platform::GetWindowSurface(editor->GetWindow());
  const platform::SPoint origin = platform::ClientOrigin(editor->GetWindow());
  platform::SWinRect client;
  ASSERT_TRUE(platform::GetClientRect(editor->GetWindow(), &client));
  const int32_t side = std::min(client.right, client.bottom) / 2;
  const SRect place{(client.bottom - side) / 2, (client.right - side) / 2, (client.bottom + side) / 2,
                    (client.right + side) / 2};
  struct SSeen {
    double height;
    double tilt;
    SRect drawn;  // what differs from the dark grey
  };
  std::vector<SSeen> seen;
  preview->SetPassObserver([&](const CTerrain3dPreview::SPass& pass) {
    if (pass.mode == TerrainPreview::kOverlay) return;
    SRect drawn{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = 0; y < client.bottom; y += 2) {
      for (int32_t x = 0; x < client.right; x += 2) {
        if ((surface->Pixel(origin.x + x, origin.y + y) & 0xFFFFFF) == 0x323232) continue;
        drawn = {std::min(drawn.top, y), std::min(drawn.left, x), std::max(drawn.bottom, y + 1), std::max(drawn.right, x + 1)};
      }
    }
    seen.push_back({preview->GetHeightScale(), preview->GetTiltAngle(), drawn});
  });
  ASSERT_TRUE(platform::headless::AddScript("wait 300\ndown left\nwait 20\nup left\n"));
  EXPECT_EQ(editor->TurningShow(), 0);
  ASSERT_EQ(seen.size(), 1u) << "one turn without the spin";
  EXPECT_DOUBLE_EQ(seen[0].height, 2.25);
  EXPECT_EQ(seen[0].drawn.top, INT32_MAX) << "the window all dark grey before the first picture";
  EXPECT_DOUBLE_EQ(preview->GetHeightScale(), 1.5);
  platform::SWinRect update;
  EXPECT_TRUE(platform::GetUpdateRect(w->GetWindow(), &update)) << "every window is repainted";

  seen.clear();
  editor->SetSpin(true);
  // Ctrl+W, then the click.
  ASSERT_TRUE(platform::headless::AddScript("key 17\nkey 0x57\nwait 20\nkeyup 0x57\nkeyup 17\nwait 300\ndown left\nwait 20\nup left\n"));
  Settle();
  editor->SetSpin(false);
  preview->SetPassObserver(nullptr);
  ASSERT_GE(seen.size(), 3u);
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_NEAR(seen[i].tilt - seen[i - 1].tilt, 0.31428, 1e-9) << i;
    // The pictures drawn before stay within the middle.
    EXPECT_GE(seen[i].drawn.top, place.top);
    EXPECT_GE(seen[i].drawn.left, place.left);
    EXPECT_LE(seen[i].drawn.bottom, place.bottom);
    EXPECT_LE(seen[i].drawn.right, place.right);
  }
  EXPECT_LT(seen.back().drawn.top, seen.back().drawn.bottom) << "a picture shows";
  EXPECT_DOUBLE_EQ(preview->GetHeightScale(), 1.5);
}

// Menu 402 ticks the behaviour's row; row k chooses behaviour k − 1 and shows its icon.
TEST_F(TerrainOptions, TheBrushMenuChoosesTheBehaviour) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  brush->SetBehaviour(CTerrainBrush::kLowerToLevel);
  std::unique_ptr<CMenu> menu;
  ASSERT_EQ(editor->PrepareMenu(need::kBrushMenu, &menu), 0);
  EXPECT_EQ(TickedRows(*menu, 6), std::vector<uint32_t>{5});
  const SPointHV at = OnScreen(Element(need::kBrushBehaviorPopup));
  for (uint32_t row : {2u, 4u, 6u, 1u}) {
    ASSERT_TRUE(platform::headless::AddScript(ChooseRow(at, row)));
    EXPECT_EQ(Send(need::kBrushBehaviorPopup, "terrain editor", at), 26);
    EXPECT_EQ(brush->GetBehaviour(), int32_t(row - 1));
    EXPECT_EQ(ShownEntry(Element(need::kBrushBehaviorText)), row - 1);
  }
}

// The sliders step their state by 6 pixels of travel, within their states, and set the brush at the
// release; the pointer comes back where it was pressed and shows again.
TEST_F(TerrainOptions, TheBrushSlidersSetTheBrush) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  CImElement* size = Image(need::kBrushSize);
  const SPointHV press = OnScreen(size);
  ASSERT_EQ(size->SelectEntry(0, false, false, false), 0);
  PressButton(need::kBrushSize, "rmove -6 0\nrmove -6 0");
  EXPECT_EQ(ShownEntry(size), 0u);
  EXPECT_EQ(brush->GetBrushRadius(), 5);
  EXPECT_EQ(Cursor(), press);
  EXPECT_FALSE(app->IsCursorHidden());

  ASSERT_EQ(size->SelectEntry(2, false, false, false), 0);
  PressButton(need::kBrushSize, "rmove 6 0\nrmove 6 0");
  EXPECT_EQ(ShownEntry(size), 4u);
  EXPECT_EQ(brush->GetBrushRadius(), 25);
  EXPECT_EQ(editor->GetBrushCells(), 25 * 256 / 64);
  EXPECT_EQ(brush->GetMaskSide(), 51u);
  EXPECT_EQ(Cursor(), press);

  struct SCase {
    const SLayoutNeed& slider;
    uint32_t from;
    const char* during;
    uint32_t state;
    double hardness;
    double flow;
  } cases[] = {
      {need::kBrushHard, 9, "rmove -6 0\nrmove -6 0\nrmove -6 0", 6, 4.0, 0.3},
      {need::kBrushFlow, 5, "rmove 6 0", 6, 4.0, 0.7},
      {need::kBrushHard, 0, "rmove 3 0", 0, 10.0, 0.7},
      {need::kBrushFlow, 8, "rmove 6 0\nrmove 6 0\nrmove 6 0", 9, 10.0, 1.0},
  };
  for (const SCase& c : cases) {
    CImElement* slider = Image(c.slider);
    ASSERT_EQ(slider->SelectEntry(c.from, false, false, false), 0);
    PressButton(c.slider, c.during);
    EXPECT_EQ(ShownEntry(slider), c.state) << c.slider.name;
    EXPECT_DOUBLE_EQ(brush->GetBrushHardness(), c.hardness) << c.slider.name;
    EXPECT_NEAR(brush->GetBrushFlow(), c.flow, 1e-12) << c.slider.name;
    // The mask is made again for the new settings: the middle weighs the strength.
    const uint32_t middle = brush->GetMaskSide() / 2;
    const double strength = std::clamp(c.flow * c.hardness * 0.25, 0.01, 1.0);
    EXPECT_EQ(brush->GetMask()[middle * brush->GetMaskSide() + middle], uint16_t(65535 * strength)) << c.slider.name;
    EXPECT_EQ(Cursor(), OnScreen(slider));
  }
}

// The level control: its top row the highest level, its bottom row the lowest; the pointer stays on
// the control while it drags and comes back to the press point.
TEST_F(TerrainOptions, TheLevelControlSetsTheBrushesLevel) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  CElement* level = Element(need::kLevelControl);
  const int32_t height = RectHeight(level->GetRect());
  const SPointHV top{7, 0}, bottom{7, height - 1};
  brush->SetLevelFraction(0.5);
  Press(level, "", {}, &top);
  EXPECT_EQ(brush->GetLevelFraction(), 0.0);
  EXPECT_EQ(brush->GetBrushLevel(), 65535);
  Press(level, "", {}, &bottom);
  EXPECT_EQ(brush->GetLevelFraction(), 1.0);
  EXPECT_EQ(brush->GetBrushLevel(), 0);
  // Pushed far below, the pointer is held on the bottom row: three rows up from there.
  const SPointHV middle{7, height / 2};
  Press(level, "rmove 0 500\nrmove 40 -3", {}, &middle);
  EXPECT_DOUBLE_EQ(brush->GetLevelFraction(), double(height - 4) / (height - 1));
  EXPECT_EQ(brush->GetBrushLevel(), int32_t((1.0 - brush->GetLevelFraction()) * 65535.0));
  EXPECT_EQ(Cursor(), OnScreen(level, &middle));
  EXPECT_FALSE(app->IsCursorHidden());
}

// The level's drawing: a red square of 3 × 3 in the middle column from the level's row down, kept
// whole at the bottom.
TEST_F(TerrainOptions, TheLevelControlShowsTheLevelAsARedSquare) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  CImElement* level = Image(need::kLevelControl);
  CImage* picture = level->GetImage();
  const int32_t width = int32_t(picture->GetWidth()), height = int32_t(picture->GetHeight());
  for (double fraction : {0.0, 0.37, 1.0}) {
    brush->SetLevelFraction(fraction);
    brush->SetBehaviourCursor(false);
    ASSERT_EQ(CTerrainEditor::DrawLevelControl(level, level->GetImageLayer(), nullptr), 0);
    const int32_t top = std::min(int32_t(height * fraction), height - 3);
    const std::vector<uint32_t> pixels = Pixels(picture);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const bool mark = y >= top && y < top + 3 && x >= width / 2 - 1 && x <= width / 2 + 1;
        const bool red = (pixels[size_t(y) * width + x] & 0xFFFFFF) == 0xFF0000;
        ASSERT_EQ(red, mark) << fraction << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
