// The terrain editor as a dialog: opening on a terrain, the switch, the panels, closing with and
// without writing back.
#include <gtest/gtest.h>

#include "tests/editors/terrain/terrain_editor_fixture.h"

namespace {

using TerrainEditorDialog = TerrainEditorTest;

TEST_F(TerrainEditorDialog, Smoke) {
  C3dHeightField* terrain = AddTerrain(64);
  ASSERT_EQ(Open(terrain), 26);
  EXPECT_TRUE(editor->IsShown());
  ASSERT_NE(editor->GetCurrent(), nullptr);
  EXPECT_EQ(editor->GetCurrent()->GetSide(), 64u);
  PressButton(need::kElevationButtons[need::kElevSmoothing]);
  EXPECT_NE(HeightsOf(editor->GetCurrent()), HeightsOf(terrain));
}

}  // namespace
