// The terrain editor's keys, typed through the application as the platform delivers them, and its
// presses in the 2D view (painting, erosion, Shift strokes) and in the 3D view (turn, tilt, height and
// size), driven through the input script.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/terrain_3d_preview.h"
#include "editors/terrain/terrain_brush.h"
#include "framework/image/clipboard.h"
#include "platform/clipboard.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

namespace fs = std::filesystem;

using TerrainInput = TerrainEditorTest;

constexpr uint32_t kTab = 9;
constexpr uint32_t kEscape = 0x1B;
constexpr double kTiltStep = 0.3142798527713191;

std::string Shown(CTerrainEditor& editor, CElement* elevation, CElement* filtering, CElement* pictures) {
  (void)editor;
  return std::string(elevation->IsShown() ? "E" : "") + (filtering->IsShown() ? "F" : "") +
         (pictures->IsShown() ? "P" : "");
}

// The output of a command, trimmed.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A temporary folder of the test's own.
struct STempFolder {
  fs::path path;
  STempFolder() {
    char pattern[] = "/tmp/terrain-input-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~STempFolder() { fs::remove_all(path); }
};

TEST_F(TerrainInput, TabStepsThroughThePanelsAndShiftTabFlipsTheSwitch) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  CElement* elevation = Element(need::kElevationPanel);
  CElement* filtering = Element(need::kFilteringPanel);
  CElement* pictures = Element(need::kPicturesPanel);
  for (const char* expected : {"F", "P", "E", "F"}) {
    Stroke(kTab);
    EXPECT_EQ(Shown(*editor, elevation, filtering, pictures), expected);
  }
  Stroke(kTab);
  Stroke(kTab);
  EXPECT_EQ(editor->GetActivePanel(), CTerrainEditor::kElevationPanel);
  EXPECT_FALSE(editor->IsSwitchOn());
  Stroke(kTab, {kShiftKey});
  EXPECT_TRUE(editor->IsSwitchOn());
  EXPECT_EQ(Shown(*editor, elevation, filtering, pictures), "E") << "Shift+Tab keeps the panel";
  Stroke(kTab, {kShiftKey});
  EXPECT_FALSE(editor->IsSwitchOn());
}

// One table of Control letters on an open editor: each from its own grid, typed through the
// application, with what it must leave.
TEST_F(TerrainInput, TheControlLettersRunTheirShortcuts) {
  struct SCase {
    const char* what;
    Grid start;
    uint32_t key;
    std::vector<uint32_t> modifiers;
    std::function<void(const Grid& before)> check;
  };
  const Grid rough = RandomGrid(64, 21, 1000, 2000);
  const Grid stripes = GridOf(64, [](uint32_t, uint32_t c) { return c % 2 ? 1000 : 100; });
  const auto current = [this] { return HeightsOf(editor->GetCurrent()); };
  const auto snapshotIs = [this](const Grid& g) { EXPECT_EQ(HeightsOf(editor->GetSnapshot()), g); };
  const SCase cases[] = {
      {"Ctrl+A resets the brackets", rough, 'A', {kControlKey},
       [&](const Grid& g) {
         EXPECT_EQ(editor->GetBracketLow(), 0.0);
         EXPECT_EQ(editor->GetBracketHigh(), 1.0);
         EXPECT_EQ(current(), g);
       }},
      {"Ctrl+E stretches", rough, 'E', {kControlKey},
       [&](const Grid& g) {
         snapshotIs(g);
         Grid stretched = g;
         StretchHeightRange(stretched.data(), 64);
         EXPECT_EQ(current(), stretched);
       }},
      {"Ctrl+Shift+E builds an eroded terrain", rough, 'E', {kControlKey, kShiftKey},
       [&](const Grid& g) {
         snapshotIs(g);
         EXPECT_NE(current(), g);
       }},
      {"Ctrl+I inverts", rough, 'I', {kControlKey},
       [&](const Grid& g) {
         snapshotIs(g);
         Grid inverted = g;
         for (CHFUnit& h : inverted) h = CHFUnit(65535 - h);
         EXPECT_EQ(current(), inverted);
       }},
      {"Ctrl+L sets the highest level", rough, 'L', {kControlKey},
       [&](const Grid&) {
         EXPECT_EQ(editor->GetBrush()->GetLevelFraction(), 0.0);
         EXPECT_EQ(editor->GetBrush()->GetBrushLevel(), 65535);
       }},
      {"Ctrl+Shift+L sets the lowest level", rough, 'L', {kControlKey, kShiftKey},
       [&](const Grid&) {
         EXPECT_EQ(editor->GetBrush()->GetLevelFraction(), 1.0);
         EXPECT_EQ(editor->GetBrush()->GetBrushLevel(), 0);
       }},
      {"N alone moves the undo point", rough, 'N', {},
       [&](const Grid& g) {
         snapshotIs(g);
         EXPECT_EQ(current(), g);
         EXPECT_TRUE(editor->IsUndoAvailable());
       }},
      {"Ctrl+N clears", rough, 'N', {kControlKey},
       [&](const Grid& g) {
         snapshotIs(g);
         EXPECT_EQ(current(), FlatGrid(64, 0));
       }},
      {"Ctrl+Alt+N reverts to the object", rough, 'N', {kControlKey, kAltKey},
       [&](const Grid&) { EXPECT_EQ(current(), HeightsOf(editor->GetHeightField())); }},
      {"Ctrl+X lowers", stripes, 'X', {kControlKey},
       [&](const Grid& g) {
         snapshotIs(g);
         EXPECT_EQ(current(), GridOf(64, [](uint32_t, uint32_t c) { return c % 2 ? 744 : 0; }));
       }},
      {"Ctrl+Shift+X raises", FlatGrid(64, 65400), 'X', {kControlKey, kShiftKey},
       [&](const Grid&) { EXPECT_EQ(current(), FlatGrid(64, 65535)); }},
      {"a letter without Control does nothing", rough, 'I', {},
       [&](const Grid& g) {
         EXPECT_EQ(current(), g);
         EXPECT_FALSE(editor->IsUndoAvailable());
       }},
  };
  for (const SCase& c : cases) {
    C3dHeightField* terrain = AddTerrain(64, rough);
    ASSERT_EQ(Open(terrain), 26) << c.what;
    // The working grid differs from the object's, so that a revert shows.
    SetHeights(editor->GetCurrent(), c.start);
    editor->SetBrackets(0.25, 0.5);
    editor->GetBrush()->SetLevelFraction(0.0);
    Stroke(c.key, c.modifiers);
    c.check(c.start);
    ASSERT_TRUE(editor->IsShown()) << c.what;
    ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26) << c.what;
  }
}

// Ctrl+F turns the gradient upside down; Ctrl+Z twice comes back to the grid before the first.
TEST_F(TerrainInput, ControlFReversesTheGradientAndControlZUndoesTwice) {
  const Grid start = RandomGrid(64, 4);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  std::vector<uint32_t> entries;
  for (uint32_t i = 1; i <= 256; ++i) entries.push_back(CTerrainEditor::GetGradientCell(i).value);
  Stroke('F', {kControlKey});
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(CTerrainEditor::GetGradientCell(i + 1).value, entries[255 - i]) << i;
  Stroke('I', {kControlKey});
  const Grid inverted = HeightsOf(editor->GetCurrent());
  ASSERT_NE(inverted, start);
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), inverted);
}

// Ctrl+C puts the grid on the clipboard as a bitmap that ImageMagick reads back; Ctrl+V of a grey
// bitmap made by ImageMagick sets the grid from it, after a snapshot.
TEST_F(TerrainInput, ControlCAndControlVMoveTheGridThroughTheClipboard) {
  STempFolder folder;
  ASSERT_EQ(Open(AddTerrain(16, FlatGrid(16, 32767))), 26);
  Stroke('C', {kControlKey});
  std::vector<uint8_t> dib;
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  ASSERT_TRUE(platform::GetClipboardData(platform::kCfDib, &dib));
  platform::CloseClipboard();
  // The 14-byte file header in front makes a file of it.
  std::vector<uint8_t> file = {'B', 'M'};
  const uint32_t size = uint32_t(14 + dib.size()), offset = 14 + 40;
  for (uint32_t v : {size, 0u, offset})
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(v >> (8 * i)));
  file.insert(file.end(), dib.begin(), dib.end());
  const fs::path copied = folder.path / "c.bmp";
  std::ofstream(copied, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  EXPECT_EQ(Output("identify -format '%w %h' '" + copied.string() + "'"), "16 16");
  const std::string pixel = Output("convert '" + copied.string() + "' -format '%[pixel:p{3,4}]' info:");
  EXPECT_TRUE(pixel.find("127,127,127") != std::string::npos || pixel.find("gray(127)") != std::string::npos ||
              pixel.find("grey(127)") != std::string::npos)
      << pixel;

  const fs::path grey = folder.path / "g.bmp";
  ASSERT_EQ(std::system(("convert -size 16x16 xc:'#808080' BMP3:'" + grey.string() + "'").c_str()), 0);
  const std::vector<uint8_t> bitmap = ReadFile(grey);
  ASSERT_GT(bitmap.size(), 14u);
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  platform::EmptyClipboard();
  platform::SetClipboardData(platform::kCfDib, bitmap.data() + 14, bitmap.size() - 14);
  platform::CloseClipboard();
  SetHeights(editor->GetCurrent(), FlatGrid(16, 1000));
  Stroke('V', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(16, 32767));
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), FlatGrid(16, 1000));

  // Without a bitmap the paste answers 0 and changes nothing.
  ASSERT_TRUE(platform::OpenClipboard(nullptr));
  platform::EmptyClipboard();
  platform::CloseClipboard();
  EXPECT_EQ(KeyEvent('V', 'V', {kControlKey}), 0);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(16, 32767));
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), FlatGrid(16, 1000));
}

// Ctrl+O reads a picture file into the grid through the file dialog.
TEST_F(TerrainInput, ControlOReadsAPictureIntoTheGrid) {
  STempFolder folder;
  const fs::path picture = folder.path / "white.bmp";
  ASSERT_EQ(std::system(("convert -size 40x40 xc:white BMP3:'" + picture.string() + "'").c_str()), 0);
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  ASSERT_TRUE(platform::headless::AddScript("open " + picture.string() + "\n"));
  Stroke('O', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 65279)) << "white, 255 / 256 of the way up";
  EXPECT_EQ(HeightsOf(editor->GetSnapshot()), FlatGrid(64, 10000));
}

// While another dialog stands in front, or the editor is hidden, every key answers 0; Escape still
// reaches the canvas's own handler, which cancels.
TEST_F(TerrainInput, KeysWaitWhileAnotherDialogIsInFrontAndEscapeCancels) {
  const Grid start = RandomGrid(64, 8);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  owner->RaiseModalLevel();
  EXPECT_EQ(KeyEvent('I', 'I', {kControlKey}), 0);
  EXPECT_EQ(KeyEvent(kTab, 0), 0);
  owner->LowerModalLevel();
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  EXPECT_EQ(editor->GetActivePanel(), CTerrainEditor::kElevationPanel);
  EXPECT_EQ(KeyEvent('I', 'I', {kControlKey}), 26);
  Stroke(kEscape);
  EXPECT_FALSE(editor->IsShown());
  EXPECT_EQ(KeyEvent('I', 'I', {kControlKey}), 0);
}

// ---- the 2D view

class TerrainPainting : public TerrainEditorTest {
 protected:
  // An all-zero 64 × 64 grid, the brush painting to the highest level with radius 20.
  void OpenFlat() {
    ASSERT_EQ(Open(AddTerrain(64, FlatGrid(64, 0))), 26);
    CTerrainBrush* brush = editor->GetBrush();
    brush->SetBehaviour(CTerrainBrush::kToLevel);
    brush->SetBrushLevel(65535);
    brush->SetBrushRadius(20);
  }
  // A press at a view point, the lines of `during` meanwhile.
  void PressView(SPointHV at, const std::string& during, const std::vector<uint32_t>& keys = {}) {
    Press(Element(need::kPreview2d), during, keys, &at);
  }
};

// A stroke along the view's middle row raises grid row 31 under it and nothing 31 rows away; the
// press took a snapshot, so Ctrl+Z brings the flat grid back.
TEST_F(TerrainPainting, AStrokePaintsUnderThePointerAndUndoes) {
  OpenFlat();
  PressView({64, 128}, "rmove 64 0\nrmove 64 0");
  const Grid painted = HeightsOf(editor->GetCurrent());
  for (uint32_t c = 16; c <= 48; ++c) EXPECT_GT(Cell(painted, 64, 31, c), 0) << c;
  for (uint32_t c = 0; c < 64; ++c) ASSERT_EQ(Cell(painted, 64, 0, c), 0) << c;
  EXPECT_TRUE(editor->IsUndoAvailable());
  Stroke('Z', {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 0));
}

// With Alt the level turns upside down: toward 0 on a grid of 0, nothing changes.
TEST_F(TerrainPainting, AltPaintsTowardTheOtherLevel) {
  OpenFlat();
  PressView({64, 128}, "rmove 64 0\nrmove 64 0", {kAltKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 0));
}

// With Shift the first movement chooses the row: the pointer then wanders up and down, the dabs stay
// on the press row and the pointer is put back on it.
TEST_F(TerrainPainting, AShiftStrokeKeepsToTheRowOfItsFirstMovement) {
  OpenFlat();
  std::vector<int32_t> rows;
  editor->GetBrush()->SetDabObserver([&](int32_t, int32_t y) { rows.push_back(y); });
  const SPointHV press{64, 128};
  const SPointHV onScreen = OnScreen(Element(need::kPreview2d), &press);
  PressView(press, "rmove 10 1\nrmove 10 30\nrmove 10 -60\nrmove 10 20", {kShiftKey});
  editor->GetBrush()->SetDabObserver(nullptr);
  ASSERT_FALSE(rows.empty());
  for (int32_t y : rows) EXPECT_EQ(y, 31);
  EXPECT_EQ(Cursor().v, onScreen.v) << "the pointer stands on the press row";
}

// The erosion brush acts at the press and then only more than 4 points from where it last acted.
TEST_F(TerrainPainting, TheErosionBrushActsAtPointsApart) {
  OpenFlat();
  SetHeights(editor->GetCurrent(), RandomGrid(64, 13));
  editor->GetBrush()->SetBehaviour(CTerrainBrush::kErode);
  std::vector<SPointHV> cells;
  editor->SetErosionObserver([&](SPointHV cell) { cells.push_back(cell); });
  PressView({100, 60}, "rmove 3 0\nrmove 2 0\nrmove 0 4\nrmove 0 1");
  editor->SetErosionObserver(nullptr);
  // At the press, at 5 points from it, at 5 points from there.
  EXPECT_EQ(cells, (std::vector<SPointHV>{{25, 15}, {26, 15}, {26, 16}}));
}

// At the release the filtering panel's picture shows the painted grid.
TEST_F(TerrainPainting, TheReleaseRefreshesTheFilteringPanel) {
  OpenFlat();
  ASSERT_EQ(editor->ShowFilteringPanel(), 26);
  CImage* preview = Image(need::kFilterDestImage)->GetImage();
  editor->GetCurrent();
  ASSERT_EQ(Image(need::kFilterDestImage)->Redraw(false), 0);
  Settle();
  const std::vector<uint32_t> before = Pixels(preview);
  PressView({64, 128}, "rmove 64 0\nrmove 64 0");
  Settle();
  EXPECT_NE(Pixels(preview), before);
}

// ---- the 3D view

class TerrainTurning : public TerrainEditorTest {
 protected:
  void SetUp() override {
    TerrainEditorTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(Open(AddTerrain(64, RandomGrid(64, 2))), 26);
    preview = editor->GetPreview3d();
    preview->SetPassObserver([this](const CTerrain3dPreview::SPass& pass) {
      if (pass.mode == TerrainPreview::kOverlay) return;
      modes.push_back(pass.mode);
      tilts.push_back(preview->GetTiltAngle());
      heights.push_back(preview->GetHeightScale());
      sizes.push_back(preview->GetSizeScale());
    });
  }
  void TearDown() override {
    if (preview) preview->SetPassObserver(nullptr);
    TerrainEditorTest::TearDown();
  }
  void PressView(const std::string& during, const std::vector<uint32_t>& keys = {}) {
    modes.clear();
    tilts.clear();
    heights.clear();
    sizes.clear();
    Press(Element(need::kPreview3d), during, keys);
  }
  CTerrain3dPreview* preview = nullptr;
  std::vector<int32_t> modes;
  std::vector<double> tilts, heights, sizes;
};

// With Control the relief tilts a step on every pass while the pointer stands right of the press
// point, still or not; one full-quality render follows the release.
TEST_F(TerrainTurning, ControlTiltsOnEveryPassTowardThePointer) {
  PressView("rmove 30 0\nwait 60", {kControlKey});
  ASSERT_GE(modes.size(), 5u);
  EXPECT_EQ(modes.back(), TerrainPreview::kReliefWithShadows);
  for (size_t i = 0; i + 1 < modes.size(); ++i) EXPECT_EQ(modes[i], TerrainPreview::kRelief) << i;
  // The passes after the pointer moved right, the last few of them with the pointer still.
  size_t rising = 0;
  for (size_t i = 1; i + 1 < tilts.size(); ++i) {
    const double step = tilts[i] - tilts[i - 1];
    EXPECT_NEAR(std::abs(step), kTiltStep, 1e-12) << i;
    rising += step > 0 ? 1 : 0;
  }
  EXPECT_GE(rising, 3u);
  EXPECT_GT(tilts[tilts.size() - 2] - tilts[tilts.size() - 3], 0) << "still rising at the end";
}

// Control with Shift scales the heights, −0.5 below the press point and +0.5 above, never below 0.1;
// Shift alone the size, +0.02 below and −0.02 above, never below 0.1.
TEST_F(TerrainTurning, ShiftScalesTheHeightsOrTheSize) {
  preview->SetHeightScale(1.5);
  PressView("rmove 0 20\nwait 200", {kControlKey, kShiftKey});
  EXPECT_DOUBLE_EQ(preview->GetHeightScale(), 0.1) << "down to the least";
  PressView("rmove 0 -20\nwait 20", {kControlKey, kShiftKey});
  ASSERT_GE(heights.size(), 3u);
  EXPECT_DOUBLE_EQ(heights[heights.size() - 2] - heights[heights.size() - 3], 0.5);

  const double size = preview->GetSizeScale();
  PressView("rmove 0 20\nwait 20", {kShiftKey});
  ASSERT_GE(sizes.size(), 3u);
  EXPECT_NEAR(sizes[sizes.size() - 2] - sizes[sizes.size() - 3], 0.02, 1e-12);
  EXPECT_GT(preview->GetSizeScale(), size);
  PressView("rmove 0 -20\nwait 400", {kShiftKey});
  EXPECT_NEAR(preview->GetSizeScale(), 0.1, 1e-9) << "down to the least";
}

// Without a modifier a movement turns and tilts within the view's limits; standing still renders
// nothing until the release.
TEST_F(TerrainTurning, APlainDragTurnsTheRelief) {
  const double tilt = preview->GetTiltAngle(), turn = preview->GetTurnAngle();
  PressView("rmove 20 10\nwait 60");
  EXPECT_EQ(modes.size(), 2u) << "one quick render for the movement, one at the release";
  EXPECT_NEAR(preview->GetTiltAngle(), tilt + 20 * 0.017495556, 1e-6);
  EXPECT_NEAR(preview->GetTurnAngle(), turn + 10 * 0.017495556 / 3, 1e-6);
  PressView("rmove 0 2000");
  EXPECT_LT(preview->GetTurnAngle(), 1.4745999813079833);
}

}  // namespace
