// The elevation panel's buttons pressed as a hand presses them: clicks, blend and shape drags, the
// erosion drag, pictures from files, undo, presses with Space that prepare the brush.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "editors/terrain/height_grid_filters.h"
#include "editors/terrain/terrain_brush.h"
#include "editors/terrain/terrain_generators.h"
#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

namespace fs = std::filesystem;

using ElevationOps = TerrainEditorTest;

const SLayoutNeed& Button(need::EElevationButton button) { return need::kElevationButtons[button]; }

Grid Filtered(const Grid& source, uint32_t n, int32_t mode) {
  Grid out = source;
  FilterHeightGrid(source.data(), out.data(), n, mode);
  return out;
}

// Two heights in alternating columns.
Grid Stripes(uint32_t n, CHFUnit a, CHFUnit b) {
  return GridOf(n, [=](uint32_t, uint32_t c) { return c % 2 ? b : a; });
}

// A press of the button, dragged by each line of `during`, with the resulting current grid against
// what the operation should have made of the grid before it.
TEST_F(ElevationOps, ClicksAndDragsBlendTowardOrAwayFromTheTarget) {
  struct SCase {
    const char* what;
    need::EElevationButton button;
    Grid start;
    const char* during;
    std::function<Grid(const Grid&)> expected;
  };
  const Grid rough = RandomGrid(64, 5);
  const SCase cases[] = {
      {"a click smooths", need::kElevSmoothing, FlatGrid(64, 10000), "",
       [](const Grid& g) { return Filtered(g, 64, kFilterSmooth); }},
      {"half way to the smoothed grid", need::kElevSmoothing, rough, "rmove 128 0",
       [](const Grid& g) {
         const Grid smooth = Filtered(g, 64, kFilterSmooth);
         Grid out(g.size());
         for (size_t i = 0; i < g.size(); ++i) out[i] = CHFUnit(g[i] + (((smooth[i] - int64_t(g[i])) * 128) >> 8));
         return out;
       }},
      {"smoothing dragged left stays", need::kElevSmoothing, rough, "rmove -128 0", [](const Grid& g) { return g; }},
      {"raise dragged 256 left doubles", need::kElevRaiseLower, Stripes(64, 20000, 40000), "rmove -256 0",
       [](const Grid&) { return Stripes(64, 40000, 65535); }},
      {"raise dragged 128 right halves", need::kElevRaiseLower, Stripes(64, 20000, 40000), "rmove 128 0",
       [](const Grid&) { return Stripes(64, 10000, 20000); }},
      {"sharpening dragged left sharpens", need::kElevSharpening, rough, "rmove -256 0",
       [](const Grid& g) { return Filtered(g, 64, kFilterSharpen); }},
      {"invert dragged in two steps", need::kElevInvert, Stripes(64, 1000, 5000), "rmove 64 0\nrmove 192 0",
       [](const Grid&) { return Stripes(64, 64535, 60535); }},
  };
  for (const SCase& c : cases) {
    C3dHeightField* terrain = AddTerrain(64, c.start);
    ASSERT_EQ(Open(terrain), 26) << c.what;
    PressButton(Button(c.button), c.during);
    EXPECT_EQ(HeightsOf(editor->GetSnapshot()), c.start) << c.what;
    EXPECT_EQ(HeightsOf(editor->GetCurrent()), c.expected(c.start)) << c.what;
    EXPECT_TRUE(editor->IsUndoAvailable()) << c.what;
    ASSERT_EQ(Send(need::kTerrainEditor.cancel), 26) << c.what;
  }
}

// A smoothed flat grid: the kernel's rounding lifts 10000 to 10156 in the columns it writes.
TEST_F(ElevationOps, SmoothingAFlatGridLiftsTheInnerColumns) {
  ASSERT_EQ(Open(AddTerrain(64)), 26);
  PressButton(Button(need::kElevSmoothing));
  const Grid current = HeightsOf(editor->GetCurrent());
  for (uint32_t r = 0; r < 64; ++r) {
    EXPECT_EQ(Cell(current, 64, r, 0), 10000) << r;
    for (uint32_t c = 1; c < 63; ++c) ASSERT_EQ(Cell(current, 64, r, c), 10156) << r << ", " << c;
  }
}

// With the brackets at 0.25 and 0.75 a blend drag leaves every height outside 16383..49151 alone.
TEST_F(ElevationOps, ABlendDragKeepsWithinTheBrackets) {
  C3dHeightField* terrain = AddTerrain(64, Stripes(64, 10000, 30000));
  ASSERT_EQ(Open(terrain), 26);
  editor->SetBrackets(0.25, 0.75);
  EXPECT_EQ(editor->BracketLowHeight(), 16383);
  EXPECT_EQ(editor->BracketHighHeight(), 49151);
  PressButton(Button(need::kElevRaiseLower), "rmove -64 0\nrmove -64 0");
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), Stripes(64, 10000, 45000));
  editor->SetBracketsOn(false);
  PressButton(Button(need::kElevRaiseLower), "rmove -128 0");
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), Stripes(64, 15000, 65535));
}

// Posterize shows its steps as the drag goes: nothing at the press, steps of 160 after 10 pixels.
TEST_F(ElevationOps, AShapeDragReshapesFromTheSnapshot) {
  ASSERT_EQ(Open(AddTerrain(64, FlatGrid(64, 1000))), 26);
  const SLayoutNeed& posterize = Button(need::kElevPosterizeCrossRidge);
  PressButton(posterize);
  EXPECT_EQ(HeightsOf(editor->GetTarget()), HeightsOf(editor->GetSnapshot()));
  EXPECT_TRUE(editor->GetDragState().shapeDrag);
  EXPECT_EQ(editor->GetDragState().shapeMode, 7);
  PressButton(posterize, "rmove 10 0");
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 960));
}

// Ctrl with "elev new" brings back the terrain as the editor found it, as a target to blend to.
TEST_F(ElevationOps, NewWithControlTargetsTheObjectsGrid) {
  const Grid start = RandomGrid(64, 9);
  C3dHeightField* terrain = AddTerrain(64, start);
  ASSERT_EQ(Open(terrain), 26);
  PressButton(Button(need::kElevInvert));
  PressButton(Button(need::kElevNew), "", {kControlKey});
  EXPECT_EQ(HeightsOf(editor->GetTarget()), start);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start) << "the click applies it";
  PressButton(Button(need::kElevNew));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 0));
}

// A click on "elev erode" erodes the current grid once, 500 drops, seeded from the clock at the time.
TEST_F(ElevationOps, AClickOnErodeErodesOnce) {
  const Grid start = GridOf(64, [](uint32_t r, uint32_t c) { return 400 * r + 300 * c + (r * 7919 + c * 104729) % 900; });
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  ResetErosionSeedCount();
  const int64_t from = platform::NowMs();
  PressButton(Button(need::kElevErode));
  const int64_t to = platform::NowMs();
  const Grid current = HeightsOf(editor->GetCurrent());
  ASSERT_NE(current, start);
  // The target took the first erosion of the press, the current grid the second.
  bool found = false;
  for (int64_t t = from; t <= to && !found; ++t) {
    ResetErosionSeedCount();
    platform::UseVirtualClock(t);
    Grid dummy = FlatGrid(8, 0), once = start;
    ErodeHeightGrid(dummy.data(), 8, nullptr, 1, 24, 0, 65535);
    ErodeHeightGrid(once.data(), 64, nullptr, 500, 24, 0, 65535);
    found = once == current;
  }
  platform::UseVirtualClock(to);
  EXPECT_TRUE(found) << "one erosion of 500 drops between " << from << " and " << to << " ms";
}

// "elev picture" reads the file the dialog names, grey 128 giving 32767 everywhere; a cancelled
// dialog answers 1, changes nothing and tells nobody. (ImageMagick's TIFF is asked for 8 bits a
// sample: its own default of 16 is one the TIFF reader refuses.)
TEST_F(ElevationOps, PictureSetsTheHeightsFromAFileOrNothingWhenCancelled) {
  const fs::path folder = fs::path(::testing::TempDir()) / ("terrain-pictures-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string bmp = (folder / "grey.bmp").string(), tif = (folder / "grey.tif").string();
  ASSERT_EQ(std::system(("ppmmake rgb:80/80/80 64 64 | ppmtobmp > '" + bmp + "' 2>/dev/null").c_str()), 0);
  ASSERT_EQ(std::system(("convert -size 64x64 xc:'#808080' -depth 8 -compress lzw '" + tif + "'").c_str()), 0);
  const Grid start = RandomGrid(64, 4);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  for (const std::string& file : {bmp, tif}) {
    ASSERT_TRUE(platform::headless::AddScript("open " + file + "\n"));
    const size_t before = platform::headless::ShownBoxes().size();
    PressButton(Button(need::kElevPicture));
    for (size_t i = before; i < platform::headless::ShownBoxes().size(); ++i) ADD_FAILURE() << platform::headless::ShownBoxes()[i].text;
    EXPECT_EQ(HeightsOf(editor->GetCurrent()), FlatGrid(64, 32767)) << file;
    PressButton(Button(need::kElevUndo));
  }
  ASSERT_EQ(HeightsOf(editor->GetCurrent()), start);
  const size_t boxes = platform::headless::ShownBoxes().size();
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  PressButton(Button(need::kElevPicture));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), boxes);
  ASSERT_TRUE(platform::headless::AddScript("cancel\n"));
  EXPECT_EQ(editor->DoElevationOp(Element(Button(need::kElevPicture))), 1);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  fs::remove_all(folder);
}

TEST_F(ElevationOps, UndoSwapsTheSnapshotAndTheCurrentGrid) {
  const Grid start = RandomGrid(64, 2);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  PressButton(Button(need::kElevUndo));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start) << "nothing to undo yet";
  EXPECT_FALSE(editor->IsUndoAvailable());
  PressButton(Button(need::kElevSmoothing));
  const Grid smoothed = HeightsOf(editor->GetCurrent());
  ASSERT_NE(smoothed, start);
  PressButton(Button(need::kElevUndo));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  PressButton(Button(need::kElevUndo));
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), smoothed);
}

// With Space held the press leaves the grid alone and gives the brush the snapshot to paint back
// and the operation's result to paint in; the button stays pressed until another is pressed.
TEST_F(ElevationOps, APressWithSpacePreparesTheBrush) {
  const Grid start = RandomGrid(64, 8);
  ASSERT_EQ(Open(AddTerrain(64, start)), 26);
  CTerrainBrush* brush = editor->GetBrush();
  ASSERT_NE(brush, nullptr);
  CElement* smoothing = Element(Button(need::kElevSmoothing));
  PressButton(Button(need::kElevSmoothing), "", {kSpaceKey});
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);
  EXPECT_EQ(brush->GetBehaviour(), CTerrainBrush::kToSource);
  EXPECT_EQ(brush->StrokeBaseHeights(), start);
  EXPECT_EQ(brush->SourceHeights(), Filtered(start, 64, kFilterSmooth));
  EXPECT_EQ(ShownEntry(smoothing), 1u) << "pressed";
  EXPECT_EQ(editor->GetLatchedButton(), smoothing);
  EXPECT_EQ(ShownEntry(Element(need::kBrushBehaviorText)), 1u);

  // Dampen paints a quarter of the way away from its target, within the brackets.
  editor->SetBrackets(0.25, 0.75);
  PressButton(Button(need::kElevDampenRaiseEdges), "", {kSpaceKey});
  EXPECT_EQ(ShownEntry(smoothing), 0u) << "let go by the next press";
  Grid expected = start;
  const Grid target = Filtered(start, 64, kFilterDampen);
  BlendHeightGridInRange(start.data(), target.data(), expected.data(), 64, -64, 16383, 49151);
  EXPECT_EQ(brush->SourceHeights(), expected);
  EXPECT_EQ(HeightsOf(editor->GetCurrent()), start);

  PressButton(Button(need::kElevInvert));
  EXPECT_EQ(ShownEntry(Element(Button(need::kElevDampenRaiseEdges))), 0u);
  EXPECT_EQ(editor->GetLatchedButton(), nullptr);
}

}  // namespace
