// The numeric sky & fog dialog in the program: opened from the sky & fog palette on the edit state,
// its "ok" stored before the palette applies it as one undo step, "cancel" leaving everything as it
// was, and the cloud buttons handing the user to the quick 3D texture dialog, whose choice becomes the
// sky's cloud texture, and back to the values typed before.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/palette_manager.h"
#include "document/texture_selection.h"
#include "editors/material/edit_3d_texture.h"
#include "framework/ui/menu.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/text_edit.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "presets/edit_sky_fog.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "presets/sky_fog_palette.h"
#include "scene/sky.h"
#include "scene/sun_light.h"
#include "scene/surface/texture.h"
#include "tests/app/shell_fixture.h"

namespace {

constexpr const char* kCanvas = "edit skyfog";

CUIMessage Broadcast(const char* canvas, const char* element) {
  CUIMessage message;
  message.Init(0, element, nullptr, canvas, CUIMessage::kBroadcast);
  return message;
}

// The bytes of a thing's record from one offset to another, its fields stored first.
std::vector<uint8_t> RecordBytes(C3dBase* thing, uint32_t from, uint32_t to) {
  CHolder held(thing, true, false);
  if (!held.IsLocked() || !thing->SaveState()) return {};
  return {thing->GetData() + from, thing->GetData() + to};
}

std::vector<uint8_t> TextureData(C3dTexture* texture) {
  CHolder held(texture, false, false);
  if (!held.IsLocked()) return {};
  const auto* data = reinterpret_cast<const uint8_t*>(&texture->GetTextureData());
  return {data, data + sizeof(STextureData)};
}

std::string NameOf(C3dBase* thing) {
  CHolder held(thing, false, false);
  return held.IsLocked() ? std::string(reinterpret_cast<const char*>(thing->GetData())) : std::string();
}

class EditSkyFogProgram : public ShellTest {
 protected:
  // The palette's "edit sky&fog", as its menu and its cloud control send it.
  void OpenFromPalette() {
    dialog = pm->GetCanvases()->editSkyFog;
    CUIMessage open = Broadcast("sky&fog palette", "edit sky&fog");
    pm->GetBroadcaster()->Dispatch(&open);
    ASSERT_TRUE(dialog->IsShown());
  }
  void Type(CEditSkyFog::EField field, const std::string& text) {
    FocusField(dialog->GetField(field));
    std::string script;
    for (char c : text) script += std::string("char ") + c + "\n";
    Play(script);
  }
  std::string Text(CEditSkyFog::EField field) { return dialog->GetField(field)->GetText(); }
  C3dTexture* CloudTexture(int layer) {
    CHolder held(window->GetSky(), false, false);
    return window->GetSky()->GetCloudTexture(layer);
  }
  uint32_t Level() { return pm->GetBroadcaster()->GetModalLevel(); }
  double SkyHaze() {
    CHolder held(window->GetSky(), false, false);
    return window->GetSky()->GetSettings().hazeAmount;
  }
  // The haze that writing the state into the scene gives.
  static double WrittenHaze(const CSkyParams& state) {
    SSkySettings sky;
    WriteSkyParams(state, false, &sky);
    return sky.hazeAmount;
  }

  CEditSkyFog* dialog = nullptr;
};

TEST_F(EditSkyFogProgram, OpensFromThePaletteOnTheEditStateOneLevelUp) {
  Run([&] {
    CSkyParams state = GetSkyEditState();
    state.cloudScale = 123;
    state.isSun = 0;
    state.sunDirection = {0, 0.6, 0.8};
    StoreSkyEditState(state);
    const uint32_t level = Level();
    OpenFromPalette();
    EXPECT_EQ(Level(), level + 1);
    EXPECT_EQ(Text(CEditSkyFog::kCloudScale), "123");
    EXPECT_EQ(Text(CEditSkyFog::kSunY), "-60") << "a moon opens below the horizon";
    EXPECT_EQ(Text(CEditSkyFog::kSunZ), "80");
    EXPECT_TRUE(GetElementWindow(dialog->GetFieldElement(CEditSkyFog::kSunX))->HasFocus());
  });
}

// The dialog stores its copy and answers 0, so that the broadcast goes on to the palette, which comes
// after it and applies the stored state to the scene as one undo step and shows it; were the palette
// first, it would apply the state from before the dialog.
TEST_F(EditSkyFogProgram, OkIsStoredBeforeThePaletteAppliesItAsOneUndoStep) {
  Run([&] {
    CSkyFogPalette* palette = GetCurrentSkyFogPalette();
    ASSERT_NE(palette, nullptr);
    CElement* haze = nullptr;
    CElSystem::FindByName(palette->GetRoot(), need::kHazeStrip.name, &haze);
    auto* hazeStrip = dynamic_cast<CImElement*>(haze);
    ASSERT_NE(hazeStrip, nullptr);
    const auto shownHaze = [hazeStrip] { return hazeStrip->GetImageList()->Selected(); };
    CUndoHistory& history = window->GetDocument()->GetUndoHistory();
    history.Clear();
    const CSkyParams before = GetSkyEditState();
    ASSERT_NE(before.hazeIntensity, 35);

    OpenFromPalette();
    const uint32_t level = Level();
    Type(CEditSkyFog::kSunX, "10");
    Type(CEditSkyFog::kSunY, "10");
    Type(CEditSkyFog::kSunZ, "0");
    Type(CEditSkyFog::kFogHaze, "35");
    Press(dialog, "ok");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(Level(), level - 1);

    const CSkyParams stored = GetSkyEditState();
    EXPECT_EQ(stored.hazeIntensity, 35);
    EXPECT_NEAR(stored.sunDirection.x, 0.70710678, 1e-4);
    EXPECT_NEAR(stored.sunDirection.y, 0.70710678, 1e-4);
    EXPECT_NEAR(stored.sunDirection.z, 0, 1e-4);
    EXPECT_DOUBLE_EQ(SkyHaze(), WrittenHaze(stored)) << "the palette applied it";
    {
      CHolder held(window->GetSun(), false, false);
      EXPECT_NEAR(window->GetSun()->GetDirection().x, 0.70710678, 1e-4);
      EXPECT_NEAR(window->GetSun()->GetDirection().y, 0.70710678, 1e-4);
    }
    EXPECT_EQ(shownHaze(), uint32_t(StripPicture(35, 11)));
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);

    // One step: undo brings back the state from before the dialog, in the scene too.
    ASSERT_NE(history.GetCurrentAction(), nullptr);
    ASSERT_EQ(history.Undo(), 0);
    EXPECT_DOUBLE_EQ(SkyHaze(), WrittenHaze(before));
    EXPECT_EQ(GetSkyEditState().hazeIntensity, before.hazeIntensity);
    EXPECT_EQ(shownHaze(), uint32_t(StripPicture(before.hazeIntensity, 11)));
  });
}

// Typed values and all, "cancel" leaves the edit state, the sky's record and the sun light's edited
// fields as they were.
TEST_F(EditSkyFogProgram, CancelLeavesTheSceneAndTheEditStateByteIdentical) {
  Run([&] {
    const std::vector<uint8_t> sky = RecordBytes(window->GetSky(), C3dSky::kPartOffset, C3dSky::kRecordSize);
    const std::vector<uint8_t> sun = RecordBytes(window->GetSun(), C3dLight::kColourOffset, C3dSunLight::kRecordSize);
    ASSERT_FALSE(sky.empty());
    ASSERT_FALSE(sun.empty());
    const CSkyParams before = GetSkyEditState();
    OpenFromPalette();
    Type(CEditSkyFog::kShadows, "90");
    Type(CEditSkyFog::kSunX, "-40");
    Press(dialog, "cancel");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(Level(), 0u);
    EXPECT_EQ(RecordBytes(window->GetSky(), C3dSky::kPartOffset, C3dSky::kRecordSize), sky);
    EXPECT_EQ(RecordBytes(window->GetSun(), C3dLight::kColourOffset, C3dSunLight::kRecordSize), sun);
    const CSkyParams after = GetSkyEditState();
    EXPECT_EQ(after.shadowIntensity, before.shadowIntensity);
    EXPECT_EQ(after.sunDirection.x, before.sunDirection.x);
    EXPECT_EQ(after.sunDirection.y, before.sunDirection.y);
  });
}

// "edit stratus" gives way to the quick 3D texture dialog on the library's Stratus; "ok" after
// choosing Marble gives the sky's own stratus texture Marble's record and brings the dialog back with
// what was typed; "edit cumulus" and "cancel" change no texture.
TEST_F(EditSkyFogProgram, TheCloudButtonsHandOverToTheTextureDialogAndBack) {
  Run([&] {
    CEdit3dTexture* quick = pm->GetCanvases()->edit3dTexture;
    C3dTexture* stratus = CloudTexture(0);
    C3dTexture* cumulus = CloudTexture(1);
    ASSERT_NE(stratus, nullptr);
    ASSERT_NE(cumulus, nullptr);
    const std::vector<uint8_t> cumulusBefore = TextureData(cumulus);
    window->ClearFlags(CDocWindow::kUnsavedChanges);
    OpenFromPalette();
    Type(CEditSkyFog::kShadows, "77");
    Type(CEditSkyFog::kCloudAmplitude, "-250");

    Press(dialog, "edit stratus");
    EXPECT_FALSE(dialog->IsShown());
    ASSERT_TRUE(quick->IsShown());
    EXPECT_EQ(Level(), 1u);
    EXPECT_EQ(quick->GetResultHandle(), 1u) << "the library's Stratus";
    EXPECT_STREQ(quick->GetReplyName(), kCanvas);
    const uint32_t marble = quick->GetMenu()->FindCommandByText("Marble");
    ASSERT_NE(marble, 0u);
    ASSERT_EQ(quick->SelectTexture(marble), 0);
    CUIMessage ok = Broadcast("edit 3dtexture", "ok");
    EXPECT_EQ(quick->HandleEvent(&ok), kHandled);
    EXPECT_FALSE(quick->IsShown());
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(Level(), 1u);

    CBaseTexture* library = nullptr;
    ASSERT_EQ(ResolveTextureSelection(marble, pm->GetCanvases()->files[kTexturesFile], nullptr, &library), 0);
    EXPECT_EQ(TextureData(stratus), TextureData(static_cast<C3dTexture*>(library)));
    CBaseTexture::ReleaseUse(library);
    EXPECT_EQ(CloudTexture(0), stratus) << "the sky keeps its own texture";
    EXPECT_EQ(NameOf(stratus), kCloudTextureNames[0]);
    EXPECT_EQ(TextureData(cumulus), cumulusBefore);
    EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
    EXPECT_EQ(Text(CEditSkyFog::kShadows), "77");
    EXPECT_EQ(Text(CEditSkyFog::kCloudAmplitude), "-250");

    const std::vector<uint8_t> stratusNow = TextureData(stratus);
    Press(dialog, "edit cumulus");
    ASSERT_TRUE(quick->IsShown());
    EXPECT_EQ(quick->GetResultHandle(), 2u) << "the library's Cumulus";
    ASSERT_EQ(quick->SelectTexture(marble), 0);
    CUIMessage cancel = Broadcast("edit 3dtexture", "cancel");
    EXPECT_EQ(quick->HandleEvent(&cancel), kHandled);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(Level(), 1u);
    EXPECT_EQ(TextureData(cumulus), cumulusBefore);
    EXPECT_EQ(TextureData(stratus), stratusNow);
    EXPECT_EQ(Text(CEditSkyFog::kShadows), "77");

    Press(dialog, "ok");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(Level(), 0u);
    EXPECT_EQ(GetSkyEditState().shadowIntensity, 77);
    EXPECT_EQ(GetSkyEditState().cloudAmplitude, -250);
  });
}

}  // namespace
