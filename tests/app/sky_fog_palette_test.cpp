// The sky & fog palette against a real document window: the edit state written into the scene's sky
// and sun light with one undo step per committed change, read back from the scene, and the reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editing/document.h"
#include "editing/sky_action.h"
#include "presets/sky_fog_palette.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "tests/app/shell_fixture.h"

namespace {

using SkyFogPaletteTest = ShellTest;

// Every value of the sky's settings and of the sun light's edited fields, in a fixed order.
std::vector<double> Snapshot(CDocWindow* window) {
  CHolder skyLock(window->GetSky(), false, false);
  CHolder sunLock(window->GetSun(), false, false);
  const SSkySettings& s = window->GetSky()->GetSettings();
  const C3dSunLight& sun = *window->GetSun();
  std::vector<double> values = {double(s.flags), s.cloudHeight, s.cloudCover, s.cloudContrast, s.cloudScale,
                                s.valueE,        s.valueF,      s.hazeAmount, s.fogHeight,     s.fogDensity};
  for (const vector3<float>& c : {s.cloudBShade, s.cloudA, s.zenith, s.horizon, s.skyLight, s.flat, s.cloudBLight,
                                  s.haze, s.fog, sun.GetColour(), sun.GetSunColour(), sun.GetSecondSunColour()}) {
    values.insert(values.end(), {c.x, c.y, c.z});
  }
  const vector3<double> d = sun.GetDirection();
  values.insert(values.end(), {d.x, d.y, d.z});
  return values;
}

CSkyParams Changed(CSkyParams params) {
  params.hazeIntensity = 10;
  params.fogIntensity = 30;
  params.skyMode = FourCC("cust");
  params.isSun = 0;
  params.sunDirection = {0.6, 0.8, 0};
  params.fogColor.value = 0x00123456;
  params.cumulusOn = 1;
  return params;
}

// A window with no scene at all.
class CNoSceneHost : public CDocumentHost {
 public:
  C3dBaseSys* GetSceneTable() override { return nullptr; }
  C3dBaseSpoolTable* GetObjectList() override { return nullptr; }
  C3dCamera* GetCurrentCamera() override { return nullptr; }
  int32_t FindSceneParts(bool) override { return 0; }
  void NotifyObjInfoChanged(uint32_t) override {}
  void Invalidate(bool) override {}
  int32_t CacheCameraState() override { return 0; }
};

bool RenderRequested() {
  const auto& calls = CDocWindowDouble::gCalls;
  return std::find(calls.begin(), calls.end(), "HandleEvent 0 \"clear & render button\" \"doc window\" 0") !=
         calls.end();
}

TEST_F(SkyFogPaletteTest, NewDocumentFillsTheEditStateWithoutAnUndoStep) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->GetHost(), static_cast<CDocumentHost*>(window));
    const CSkyParams state = GetSkyEditState();
    EXPECT_EQ(state.skyMode, FourCC("soft"));
    EXPECT_EQ(state.cloudHeight, 3);
    EXPECT_EQ(state.isSun, 1);
    EXPECT_EQ(window->GetDocument()->GetUndoHistory().GetCurrentAction(), nullptr);
    ASSERT_NE(palette->GetPendingAction(), nullptr);
    EXPECT_EQ(palette->GetPendingAction()->GetBefore().skyMode, FourCC("soft"));
  });
}

TEST_F(SkyFogPaletteTest, CommittedChangeIsOneUndoStepThatRestoresTheSceneExactly) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    // State A as the palette writes it, without an undo step.
    const CSkyParams a = GetSkyEditState();
    palette->ApplySky(false, true, false);
    EXPECT_EQ(history.GetCurrentAction(), nullptr);
    const std::vector<double> written = Snapshot(window);
    window->ClearFlags(CDocWindow::kUnsavedChanges);

    CSkyAction* pending = palette->GetPendingAction();
    ASSERT_NE(pending, nullptr);
    StoreSkyEditState(Changed(a));
    palette->ApplySky(false, true, true);
    EXPECT_EQ(history.GetCurrentAction(), pending) << "the pending action became the undo step";
    EXPECT_NE(palette->GetPendingAction(), pending);
    ASSERT_NE(palette->GetPendingAction(), nullptr);
    EXPECT_EQ(palette->GetPendingAction()->GetBefore().hazeIntensity, 10);
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
    const std::vector<double> changed = Snapshot(window);
    {
      CHolder lock(window->GetSky(), false, false);
      const SSkySettings& sky = window->GetSky()->GetSettings();
      EXPECT_DOUBLE_EQ(sky.hazeAmount, 0.5);
      EXPECT_DOUBLE_EQ(sky.fogDensity, 0.3);
      EXPECT_EQ(sky.flags & 0xFF, 0x009u | 0x050 | 0x080);
      const vector3<double> d = window->GetSun()->GetDirection();
      EXPECT_DOUBLE_EQ(d.y, -0.8) << "a moon stands below the horizon";
    }

    ASSERT_EQ(history.Undo(), 0);
    EXPECT_EQ(Snapshot(window), written);
    EXPECT_EQ(GetSkyEditState().hazeIntensity, a.hazeIntensity);
    EXPECT_EQ(history.GetCurrentAction(), pending) << "undo pushes nothing";
    ASSERT_EQ(history.Redo(), 0);
    EXPECT_EQ(Snapshot(window), changed);
    EXPECT_EQ(GetSkyEditState().skyMode, FourCC("cust"));
  });
}

TEST_F(SkyFogPaletteTest, ConversionsWithoutCommitPushNothing) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    window->ClearFlags(CDocWindow::kUnsavedChanges);
    CSkyAction* pending = palette->GetPendingAction();
    palette->ApplySky(true, true, false);
    palette->Update();
    EXPECT_EQ(palette->GetPendingAction(), pending) << "reading the scene keeps the pending action";

    StoreSkyEditState(Changed(GetSkyEditState()));
    palette->CommitChange();
    EXPECT_EQ(history.GetCurrentAction(), nullptr);
    ASSERT_NE(palette->GetPendingAction(), nullptr);
    EXPECT_EQ(palette->GetPendingAction()->GetBefore().fogIntensity, 30) << "a new pending action holds the result";
    EXPECT_FALSE(window->GetFlags() & CDocWindow::kUnsavedChanges);
    CHolder lock(window->GetSky(), false, false);
    EXPECT_DOUBLE_EQ(window->GetSky()->GetSettings().fogDensity, 0.3);
  });
}

TEST_F(SkyFogPaletteTest, WithoutASceneNothingChanges) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CSkyAction* pending = palette->GetPendingAction();
    const std::vector<double> before = Snapshot(window);
    CNoSceneHost empty;
    palette->SetOwner(&empty);
    CSkyParams state = Changed(GetSkyEditState());
    StoreSkyEditState(state);
    palette->ApplySky(false, true, true);
    palette->ApplySky(true, true, true);
    palette->ResetSky();
    EXPECT_EQ(palette->GetPendingAction(), pending);
    EXPECT_EQ(GetSkyEditState().hazeIntensity, 10);
    EXPECT_EQ(GetSkyEditState().cumulusOn, 1);
    palette->SetOwner(window);
    EXPECT_EQ(Snapshot(window), before);
  });
}

TEST_F(SkyFogPaletteTest, AutoRenderAsksTheWindowToClearAndRender) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CDocWindowDouble::gCalls.clear();
    palette->ApplySky(false, true, true);
    EXPECT_FALSE(RenderRequested());
    palette->SetAutoRender(true);
    palette->ApplySky(false, true, true);
    EXPECT_TRUE(RenderRequested());
    CDocWindowDouble::gCalls.clear();
    palette->ApplySky(true, false, false);
    EXPECT_FALSE(RenderRequested()) << "reading the scene without redraw renders nothing";
    palette->ApplySky(true, true, false);
    EXPECT_TRUE(RenderRequested());
    palette->SetAutoRender(false);
  });
}

TEST_F(SkyFogPaletteTest, ResetSkyGivesTheDefaultsAsOneUndoStep) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    CSkyParams changed = Changed(GetSkyEditState());
    changed.stratusOn = 1;
    StoreSkyEditState(changed);
    palette->ApplySky(false, true, true);
    const std::vector<double> before = Snapshot(window);
    window->ClearFlags(CDocWindow::kUnsavedChanges);

    palette->ResetSky();
    EXPECT_EQ(GetSkyEditState().stratusOn + GetSkyEditState().cumulusOn, 0);
    EXPECT_EQ(GetSkyEditState().skyMode, FourCC("soft"));
    EXPECT_EQ(GetSkyEditState().hazeIntensity, 8);
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
    {
      CHolder lock(window->GetSky(), false, false);
      EXPECT_EQ(window->GetSky()->GetSettings().flags, SSkySettings().flags);
    }
    ASSERT_EQ(history.Undo(), 0);
    EXPECT_EQ(Snapshot(window), before);
    EXPECT_EQ(GetSkyEditState().stratusOn, 1);
  });
}

TEST_F(SkyFogPaletteTest, RandomSettingsAreAppliedAsOneStep) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    palette->CommitChange();
    const std::vector<double> before = Snapshot(window);
    palette->Randomize();
    EXPECT_EQ(Snapshot(window), before) << "randomize alone changes only the edit state";
    palette->ApplySky(false, true, true);
    EXPECT_NE(Snapshot(window), before);
    ASSERT_EQ(history.Undo(), 0);
    EXPECT_EQ(Snapshot(window), before);
  });
}

}  // namespace
