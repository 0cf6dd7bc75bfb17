// The sky action stores its records back as the sky & fog edit state and has the program's palette
// apply and show them.
#include <gtest/gtest.h>

#include "editing/document.h"
#include "editing/sky_action.h"
#include "presets/sky_fog_palette.h"
#include "tests/app/shell_fixture.h"

namespace {

using SkyActionTest = ShellTest;

CSkyParams Settings(int32_t haze, uint32_t mode) {
  CSkyParams params;
  params.hazeIntensity = haze;
  params.sunDirection = {0, 0.6, 0.8};
  params.fogColor.value = 0x00123456;
  params.skyMode = mode;
  return params;
}

TEST_F(SkyActionTest, UndoStoresTheStateBeforeAndRefreshesThePaletteOnce) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    ASSERT_NE(palette, nullptr);
    StoreSkyEditState(Settings(10, FourCC("soft")));
    auto* action = new CSkyAction(palette);
    StoreSkyEditState(Settings(70, FourCC("dark")));
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    ASSERT_EQ(history.Push(action), 0);

    const uint32_t refreshes = palette->GetUpdateAndRedrawCount();
    ASSERT_EQ(history.Undo(), 0);
    EXPECT_EQ(GetSkyEditState().hazeIntensity, 10);
    EXPECT_EQ(GetSkyEditState().skyMode, FourCC("soft"));
    EXPECT_EQ(GetSkyEditState().fogColor.value, 0x00123456u);
    EXPECT_EQ(palette->GetUpdateAndRedrawCount(), refreshes + 1);

    ASSERT_EQ(history.Redo(), 0);
    EXPECT_EQ(GetSkyEditState().hazeIntensity, 70);
    EXPECT_EQ(GetSkyEditState().skyMode, FourCC("dark"));
    EXPECT_EQ(palette->GetUpdateAndRedrawCount(), refreshes + 2);
  });
}

}  // namespace
