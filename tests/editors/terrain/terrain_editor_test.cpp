// The terrain editor as a dialog: opening on a terrain, a layout that lacks a view, the switch, the
// panels, and closing with and without writing back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "editing/document.h"
#include "editing/undo_history.h"
#include "platform/alloc.h"
#include "scene/ray.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using TerrainEditorDialog = TerrainEditorTest;

// The stored record of the object as a document would store it.
std::vector<uint8_t> StoredRecord(C3dHeightField* field) {
  CHolder lock(field, true, false);
  EXPECT_TRUE(field->SaveState());
  return std::vector<uint8_t>(field->GetData(), field->GetData() + field->GetDataSize());
}

double DoubleAt(const std::vector<uint8_t>& record, uint32_t offset) {
  double value = 0;
  std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

std::vector<uint32_t> ColoursOf(C3dHeightField* field, int32_t* offset = nullptr) {
  std::vector<CImVector> colours(256);
  int32_t stored = 0;
  if (!field->GetColourTable(colours.data(), &stored)) return {};
  if (offset) *offset = stored;
  std::vector<uint32_t> values;
  for (const CImVector& c : colours) values.push_back(c.value);
  return values;
}

// The height a straight-down ray meets at the middle of a cell, in grid units.
double HeightUnder(C3dHeightField* field, double x, double z) {
  CRenderStats stats;
  CRay ray;
  ray.fOrigin = ray.fStart = field->GetObjectToWorld().TransformPoint({x, 1e4, z});
  ray.fDirection = {0, -1, 0};
  ray.fTMax = 1e9;
  ray.fStats = &stats;
  if (!field->Intersect(ray)) return -1;
  return ray.fHit.fObjPoint.y;
}

uint32_t HeartbeatRows(CAppl* app, const void* owner) {
  CCmFunction* beats = app->GetHeartbeat();
  uint32_t rows = 0;
  for (uint32_t i = 0; i < beats->GetCount(); ++i) rows += (*beats)[i].owner == owner ? 1 : 0;
  return rows;
}

TEST_F(TerrainEditorDialog, OpeningCopiesTheTerrainIntoWorkingGridsAndShowsTheDialogCentred) {
  const Grid heights = RandomGrid(64, 7);
  C3dHeightField* terrain = AddTerrain(64, heights);
  terrain->SetClip(-0.2, 1.4);
  const uint32_t level = owner->GetModalLevel();
  ASSERT_EQ(Open(terrain), 26);
  EXPECT_TRUE(editor->IsShown());
  EXPECT_EQ(platform::GetWindowText(editor->GetWindow()), "terrain editor");
  platform::SWinRect frame;
  ASSERT_TRUE(platform::GetWindowRect(editor->GetWindow(), &frame));
  const SRect screen = app->GetScreenRect();
  EXPECT_EQ(frame.left + frame.right, RectWidth(screen)) << "centred across";
  EXPECT_EQ(frame.top + frame.bottom, RectHeight(screen)) << "centred down";
  EXPECT_EQ(owner->GetModalLevel(), level + 1);
  for (C3dHeightField* grid : {editor->GetCurrent(), editor->GetSnapshot(), editor->GetTarget()}) {
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->GetSide(), 64u);
  }
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), heights);
  ASSERT_NE(editor->GetPreviewGrid(), nullptr);
  EXPECT_EQ(editor->GetPreviewGrid()->GetSide(), 128u);
  EXPECT_EQ(editor->GetBrushCells(), 80) << "20 × 256 / 64";
  EXPECT_EQ(editor->GetGradientMode(), 14);
  EXPECT_EQ(editor->GetBracketLow(), 0.0);
  EXPECT_EQ(editor->GetBracketHigh(), 1.0);
  EXPECT_FALSE(editor->IsUndoAvailable());

  // A second opening finds the dialog built; its one heartbeat row also does the hover.
  const uint32_t builds = editor->GetBuildCount();
  ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26);
  ASSERT_EQ(Open(terrain), 26);
  EXPECT_EQ(editor->GetBuildCount(), builds);
  EXPECT_EQ(HeartbeatRows(app, editor.get()), 1u);
}

// Grids the routines cannot take are resampled to a power of two from 16 to 1024 at or above them.
TEST_F(TerrainEditorDialog, TerrainsOfOtherSidesGetPowerOfTwoWorkingGrids) {
  for (const auto& [side, working] : {std::pair<uint32_t, uint32_t>{100, 128}, {8, 16}, {16, 16}, {256, 256}}) {
    C3dHeightField* terrain = AddTerrain(side, GridOf(side, [](uint32_t r, uint32_t c) { return 200 * (r + c); }));
    ASSERT_EQ(Open(terrain), 26) << side;
    EXPECT_EQ(editor->GetCurrent()->GetSide(), working) << side;
    EXPECT_EQ(editor->GetSnapshot()->GetSide(), working) << side;
    EXPECT_EQ(editor->GetTarget()->GetSide(), working) << side;
    ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26) << side;
    EXPECT_EQ(terrain->GetSide(), side) << "cancel leaves the object's side";
  }
}

// The build looks up every element it binds: a layout file without the 2D view stops it with the
// lookup's code, which the edit command answers; the dialog stays closed and the arrow is back.
TEST_F(TerrainEditorDialog, ALayoutWithoutThe2dViewFailsTheBuild) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) / ("terrain-layout-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ifstream in(std::string(QUARN2_LAYOUT_SOURCES) + "/terraineditor.layout");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text = std::regex_replace(text, std::regex("pictures/"), std::string(QUARN2_LAYOUT_SOURCES) + "/pictures/");
  text = std::regex_replace(text, std::regex("imel \"2d preview\""), "imel \"no preview\"");
  std::ofstream(folder / "broken.layout") << text;
  const std::string compile = std::string(RESBUILD_PATH) + " '" + (folder / "broken.layout").string() + "' '" +
                              (folder / "broken.dat").string() + "'";
  ASSERT_EQ(std::system(compile.c_str()), 0);
  CFileSpec spec;
  spec.Set((folder / "broken.dat").c_str());
  auto broken = std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
  ASSERT_TRUE(broken->IsOpen());
  editor = std::make_unique<CTerrainEditor>(owner, broken.get());
  w->SetCompanions(editor.get(), nullptr, nullptr, nullptr);
  C3dHeightField* terrain = AddTerrain(64);
  EXPECT_EQ(Open(terrain), 6);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_FALSE(app->IsBusyCursor());
  editor.reset();
  broken.reset();
  fs::remove_all(folder);
}

TEST_F(TerrainEditorDialog, TheSwitchFlipsTheTwoOperationButtonsAndBack) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  const SLayoutNeed& blobs = need::kElevationButtons[need::kElevSpikesBlobMaker];
  CElement* switched = Element(blobs);
  const uint32_t off = switched->GetUserWord(2), on = switched->GetUserWord(3);
  ASSERT_NE(off, on) << "spikes blend, blobs are shaped";
  PressButton(need::kElevSwitch);
  EXPECT_TRUE(editor->IsSwitchOn());
  EXPECT_EQ(ShownEntry(Element(need::kElevBackground)), 1u);
  EXPECT_EQ(ShownEntry(Element(need::kElevSwitch)), 1u);
  for (uint32_t i = need::kElevSpikesBlobMaker; i < need::kElevationButtonCount; ++i)
    EXPECT_EQ(ShownEntry(Element(need::kElevationButtons[i])), 2u) << need::kElevationButtons[i].name;
  EXPECT_EQ(ShownEntry(Element(need::kElevationButtons[need::kElevSmoothing])), 0u);
  EXPECT_EQ(switched->GetUserWord(2), on);
  EXPECT_EQ(switched->GetUserWord(3), off);

  // With the switch on the button makes blobs: shape mode 3 shown while dragged.
  PressButton(blobs);
  EXPECT_TRUE(editor->GetDragState().shapeDrag);
  EXPECT_EQ(editor->GetDragState().shapeMode, 3);
  EXPECT_TRUE(editor->GetDragState().showTarget);

  PressButton(need::kElevSwitch);
  EXPECT_FALSE(editor->IsSwitchOn());
  for (uint32_t i = need::kElevSpikesBlobMaker; i < need::kElevationButtonCount; ++i)
    EXPECT_EQ(ShownEntry(Element(need::kElevationButtons[i])), 0u) << need::kElevationButtons[i].name;
  EXPECT_EQ(switched->GetUserWord(2), off);
  PressButton(blobs);
  EXPECT_TRUE(editor->GetDragState().blendDrag) << "spikes again";
  EXPECT_FALSE(editor->GetDragState().shapeDrag);
}

TEST_F(TerrainEditorDialog, TheTabsShowOnePanelAtATime) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CElement* elevation = Element(need::kElevationPanel);
  CElement* filtering = Element(need::kFilteringPanel);
  CElement* pictures = Element(need::kPicturesPanel);
  const auto shown = [&] {
    return std::string(elevation->IsShown() ? "E" : "") + (filtering->IsShown() ? "F" : "") +
           (pictures->IsShown() ? "P" : "");
  };
  EXPECT_EQ(shown(), "E");
  PressButton(need::kElevFilteringTab);
  EXPECT_EQ(shown(), "F");
  EXPECT_EQ(editor->GetActivePanel(), CTerrainEditor::kFilteringPanel);
  PressButton(need::kFilterPicturesTab);
  EXPECT_EQ(shown(), "P");
  EXPECT_EQ(editor->GetActivePanel(), CTerrainEditor::kPicturesPanel);
  // The pictures panel starts from the 2D view's picture mixed evenly with white.
  CImage* mixed = Image(need::kImageDest)->GetImage();
  ASSERT_NE(mixed, nullptr);
  {
    CImNavigator pixels(mixed, nullptr, false, false);
    ASSERT_TRUE(pixels.IsUsable());
    EXPECT_NE(pixels.Cells(10)[10].value & 0xFFFFFF, 0xFFFFFFu);
  }
  PressButton(need::kPicturesElevationTab);
  EXPECT_EQ(shown(), "E");
  EXPECT_EQ(editor->GetActivePanel(), CTerrainEditor::kElevationPanel);
}

TEST_F(TerrainEditorDialog, CancelLeavesTheObjectAsItWas) {
  C3dHeightField* terrain = AddTerrain(64, RandomGrid(64, 3));
  std::vector<CImVector> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i].value = i * 0x010307u;
  ASSERT_EQ(terrain->SetColourTable(table.data(), 9), 0);
  terrain->SetClip(0.1, 0.8);
  SelectOnly({terrain});
  const C34Matrix placed = terrain->GetObjectToWorld();
  const std::vector<uint8_t> record = StoredRecord(terrain);
  int32_t offset = 0;
  const std::vector<uint32_t> colours = ColoursOf(terrain, &offset);
  const uint32_t level = owner->GetModalLevel();
  ASSERT_EQ(Open(terrain, {kShiftKey}), 26);
  PressButton(need::kElevationButtons[need::kElevInvert]);
  ASSERT_NE(HeightsOf(editor->GetCurrent()), HeightsOf(terrain));

  PressButton(need::kTerrainEditor.cancel);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), level);
  const std::vector<uint8_t> after = StoredRecord(terrain);
  ASSERT_EQ(after.size(), record.size());
  for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], record[i]) << "byte " << i;
  int32_t offsetAfter = 0;
  EXPECT_EQ(ColoursOf(terrain, &offsetAfter), colours);
  EXPECT_EQ(offsetAfter, offset);
  EXPECT_EQ(std::memcmp(&terrain->GetObjectToWorld(), &placed, sizeof placed), 0);
  for (C3dHeightField* grid : {editor->GetCurrent(), editor->GetSnapshot(), editor->GetTarget(),
                               editor->GetPreviewGrid()})
    EXPECT_EQ(grid, nullptr);

  ASSERT_EQ(Open(terrain), 26);
  EXPECT_EQ(Send(need::kTerrainEditor.cancel), 26);
}

TEST_F(TerrainEditorDialog, OkGivesTheObjectTheEditedGridAndTellsTheDocument) {
  C3dHeightField* terrain = AddTerrain(64);
  std::vector<CImVector> table(256);
  ASSERT_EQ(terrain->SetColourTable(table.data(), 0), 0);
  const vector3<double> size = terrain->GetScaledSize();
  ASSERT_EQ(Open(terrain), 26);
  PressButton(need::kElevationButtons[need::kElevInvert]);
  const Grid edited = HeightsOf(editor->GetCurrent());
  ASSERT_EQ(edited, FlatGrid(64, 55535));
  CUndoableAction* lastStep = w->GetDocument()->GetUndoHistory().GetCurrentAction();
  w->ClearFlags(CDocWindow::kUnsavedChanges);
  w->notified.clear();
  const uint32_t found = w->found, invalidated = w->invalidated;

  PressButton(need::kTerrainEditor.ok);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_EQ(HeightsOf(terrain), edited);
  const std::vector<uint8_t> record = StoredRecord(terrain);
  EXPECT_EQ(DoubleAt(record, C3dHeightField::kLowerClipOffset), -0.00001);
  EXPECT_EQ(DoubleAt(record, C3dHeightField::kUpperClipOffset), 1.00001);
  EXPECT_EQ(editor->GetSavedBracketLow(), -0.00001);
  EXPECT_EQ(editor->GetSavedBracketHigh(), 1.00001);
  EXPECT_FALSE(terrain->HasColourTable());
  EXPECT_EQ(terrain->GetReference().fPosition, (vector3<double>{32, 32, 32}));
  const vector3<double> after = terrain->GetScaledSize();
  EXPECT_NEAR(after.x, size.x, 1e-9);
  EXPECT_NEAR(after.y, size.y, 1e-9);
  EXPECT_NEAR(after.z, size.z, 1e-9);
  // The tiles follow: a ray down the middle of a cell meets the inverted heights.
  EXPECT_NEAR(HeightUnder(terrain, 20.5, 20.5), 55535 >> CHeightFieldGrid::TileShift(64), 1e-9);
  EXPECT_EQ(w->found, found + 1);
  EXPECT_NE(w->GetFlags() & CDocWindow::kUnsavedChanges, 0u);
  EXPECT_GT(w->invalidated, invalidated);
  EXPECT_EQ(w->notified, std::vector<uint32_t>{4});
  EXPECT_EQ(w->GetDocument()->GetUndoHistory().GetCurrentAction(), lastStep);
  EXPECT_EQ(editor->GetCurrent(), nullptr);
}

TEST_F(TerrainEditorDialog, OkOnASymmetricLatticeSetsItsPivotOnTheGround) {
  C3dHeightField* lattice = AddTerrain(64);
  lattice->SetSymmetric(true);
  ASSERT_EQ(Open(lattice), 26);
  ASSERT_EQ(Send(need::kTerrainEditor.ok), 26);
  EXPECT_EQ(lattice->GetReference().fPosition, (vector3<double>{32, 0, 32}));
}

// With Shift held, "ok" stores the gradient's entries as the object's colours, turned back by the
// rotation: −r mod 256 with the sign kept.
TEST_F(TerrainEditorDialog, OkWithShiftStoresTheGradientAsTheObjectsColours) {
  C3dHeightField* terrain = AddTerrain(64);
  ASSERT_EQ(Open(terrain), 26);
  CTerrainEditor::SetGradientRotation(-300);
  std::vector<uint32_t> entries;
  for (uint32_t i = 1; i <= 256; ++i) entries.push_back(CTerrainEditor::GetGradientCell(i).value);
  PressButton(need::kTerrainEditor.ok, "", {kShiftKey});
  EXPECT_FALSE(editor->IsShown());
  int32_t offset = 0;
  EXPECT_EQ(ColoursOf(terrain, &offset), entries);
  EXPECT_EQ(offset, 44);
  CTerrainEditor::SetGradientRotation(0);
}

// Memory failing at each point of the write-back in turn (the colour table that Shift asks for, the
// tiles of a terrain that comes back at another side): whenever "ok" fails, the dialog stays open on
// its grids and the object keeps its heights and its lack of colours.
TEST_F(TerrainEditorDialog, AnOkThatFailsKeepsTheDialogAndTheObject) {
  C3dHeightField* terrain = AddTerrain(100, RandomGrid(100, 11));
  const Grid before = HeightsOf(terrain);
  ASSERT_EQ(Open(terrain), 26);
  PressButton(need::kElevationButtons[need::kElevInvert]);
  const Grid edited = HeightsOf(editor->GetCurrent());
  platform::headless::AddScript("key 16\n");
  Settle();
  uint32_t failures = 0;
  for (uint32_t served = 0; served < 400 && editor->GetCurrent(); ++served) {
    platform::FailAllocationsAfter(served, 2);
    const int32_t answer = Send(need::kTerrainEditor.ok);
    platform::FailNextAllocations(0);
    // Once written back the editor lets its grids go, whatever failed in the closing after it.
    if (!editor->GetCurrent()) break;
    ++failures;
    EXPECT_EQ(answer, 9) << served;
    EXPECT_EQ(HeightsOf(terrain), before) << served;
    EXPECT_EQ(terrain->GetSide(), 100u) << served;
    EXPECT_FALSE(terrain->HasColourTable()) << served;
    EXPECT_EQ(HeightsOf(editor->GetCurrent()), edited) << served;
  }
  EXPECT_GT(failures, 0u);
  EXPECT_EQ(editor->GetCurrent(), nullptr);
  EXPECT_EQ(HeightsOf(terrain), edited);
  EXPECT_TRUE(terrain->HasColourTable());
}

}  // namespace
