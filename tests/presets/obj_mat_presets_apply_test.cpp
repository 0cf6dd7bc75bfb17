// Applying presets: a material preset onto the selection as one undo step, back to an attached
// editor, and object presets stored from the selection and placed into the scene.
#include <gtest/gtest.h>

#include "editing/material_action.h"
#include "framework/core/result_codes.h"
#include "platform/headless.h"
#include "scene/group.h"
#include "scene/sphere.h"
#include "tests/presets/presets_fixture.h"
#include "tests/scene/surface/material_fixture.h"

namespace {

C3dMaterial* MaterialOf(C3dObject* object) { return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily); }

class PresetsApply : public PresetsTest {
 protected:
  // A material preset of the diffusion stored in the open library; its table index is the last.
  void StoreDiffusion(double diffusion) {
    C3dMaterial* working = panel->GetWorkingMaterial();
    {
      CHolder held(working, true, false);
      working->GetRecord().sample.diffusion = diffusion;
    }
    ASSERT_EQ(panel->StoreCurrent(), kHandled);
  }
  // The working material becomes the stored preset at the index.
  void Choose(uint32_t index) {
    uint32_t id = 0;
    ASSERT_EQ(panel->LoadMaterialPreset(panel->GetWorkingMaterial(), index, &id), 0);
    panel->SetCurrentPresetId(id);
  }
};

TEST_F(PresetsApply, MaterialOntoAGroupIsOneUndoStep) {
  C3dSphere* spheres[3];
  for (int i = 0; i < 3; ++i) {
    spheres[i] = NewSphere({1, 1, 1}, {double(i), 0, 0});
    CHolder held(MaterialOf(spheres[i]), true, false);
    MaterialOf(spheres[i])->GetRecord().sample.diffusion = 0.1 * (i + 1);
  }
  C3dGroup* group = NewGroup({spheres[0], spheres[1], spheres[2]});
  ASSERT_EQ(panel->AttachToSelection(), 0);
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  StoreDiffusion(0.9);
  Choose(0);
  // Nothing selected: nothing applied, no undo step.
  EXPECT_EQ(panel->ApplyMaterialToSelection(), 0);
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
  Selection().Add(group, 0, 1);
  ASSERT_EQ(panel->ApplyMaterialToSelection(), 0);
  for (C3dSphere* sphere : spheres) EXPECT_DOUBLE_EQ(Diffusion(MaterialOf(sphere)), 0.9);
  auto* action = dynamic_cast<CMaterialAction*>(document->GetUndoHistory().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 3u);
  ASSERT_EQ(document->GetUndoHistory().Undo(), 0);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(Diffusion(MaterialOf(spheres[i])), 0.1 * (i + 1), 1e-9) << i;
}

TEST_F(PresetsApply, AnObjectWearingTheWorkingMaterialIsRecordedNotCopied) {
  C3dSphere* sphere = SelectedSphere({0, 0, 0});
  ASSERT_EQ(panel->AttachToSelection(), 0);
  C3dMaterial* own = MaterialOf(sphere);
  sphere->SetMaterial(panel->GetWorkingMaterial()->GetHandle());
  EXPECT_EQ(panel->ApplyMaterialToSelection(), 0);
  auto* action = dynamic_cast<CMaterialAction*>(document->GetUndoHistory().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 1u);
  sphere->SetMaterial(own->GetHandle());
}

TEST_F(PresetsApply, EditorHearsRecordUndoBeforeItsMaterialChanges) {
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  StoreDiffusion(0.7);
  C3dMaterial* editor = NewMaterial(0.2);
  uint8_t changed = 0;
  ASSERT_EQ(panel->AttachToEditor(editor, &changed, "materials composer"), 0);
  Choose(0);
  panel->CPresetLibrary::Show();
  std::vector<double> seen;
  onSent = [&](const CUIMessage& m) {
    if (m.kind == 0) seen.push_back(Diffusion(editor));
  };
  sent.clear();
  EXPECT_EQ(panel->Close(true), kHandled);
  onSent = nullptr;
  const std::vector<SSentMessage> expected = {{0, 1, "record undo", "", "materials composer", 0},
                                              {0, 1, "materials composer", "", "objmatpresets", 0}};
  EXPECT_EQ(Sent(0), expected);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_DOUBLE_EQ(seen[0], 0.2);
  EXPECT_DOUBLE_EQ(seen[1], 0.7);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(panel->GetEditorMaterial(), nullptr);
}

TEST_F(PresetsApply, CancelLeavesTheEditorAlone) {
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  StoreDiffusion(0.7);
  C3dMaterial* editor = NewMaterial(0.2);
  uint8_t changed = 1;
  ASSERT_EQ(panel->AttachToEditor(editor, &changed, "materials composer"), 0);
  Choose(0);
  EXPECT_EQ(panel->Close(false), kHandled);
  EXPECT_EQ(changed, 0);
  EXPECT_DOUBLE_EQ(Diffusion(editor), 0.2);
}

TEST_F(PresetsApply, ObjectPresetsStoreAndPlaceAsNewThings) {
  C3dSphere* sphere = SelectedSphere({1, 2, 3});
  {
    CHolder held(MaterialOf(sphere), true, false);
    MaterialOf(sphere)->GetRecord().sample.diffusion = 0.4;
  }
  // A quick click on "create plopup": the panel stays open on the first object category.
  CUIMessage open = Named("create palette", "create plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  ASSERT_FALSE(panel->IsMaterialsMode());
  EXPECT_EQ(panel->GetCurrentObject(), sphere);
  add.name = "Ball";
  ASSERT_EQ(panel->StoreCurrent(), kHandled);
  ASSERT_EQ(panel->GetPresetCount(), 1u);
  EXPECT_EQ(panel->GetCurrentPresetId(), 0u);
  const uint32_t id = panel->GetPresetId(0);
  CResourceEnv* library = panel->GetLibrary();
  for (const char* type : {"objpreset", "objprevcimage", "objpresetdesc"}) {
    SSpoolKey key;
    key.Set(type, id, false);
    CResEntry entry{};
    EXPECT_TRUE(library->GetResourceInfo(key, &entry)) << type;
  }
  const uint32_t before = table->GetCount();
  panel->SetCurrentPresetId(id);
  ASSERT_EQ(panel->PlaceObjectPreset(), 0);
  panel->SetCurrentPresetId(id);
  ASSERT_EQ(panel->PlaceObjectPreset(), 0);
  // Two spheres and their two materials, each with an id of its own.
  EXPECT_EQ(table->GetCount(), before + 4);

  std::vector<C3dSphere*> placed;
  for (uint32_t row = 0; row < table->GetCount(); ++row) {
    C3dBase* thing = nullptr;
    table->GetObjectAt(row, &thing);
    if (auto* s = dynamic_cast<C3dSphere*>(thing); s && s != sphere) placed.push_back(s);
  }
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_NE(placed[0]->GetId(), placed[1]->GetId());
  EXPECT_NE(MaterialOf(placed[0]), MaterialOf(placed[1]));
  EXPECT_NE(MaterialOf(placed[0])->GetId(), MaterialOf(placed[1])->GetId());
  EXPECT_DOUBLE_EQ(Diffusion(MaterialOf(placed[1])), 0.4);
  // A preset that cannot be read changes nothing.
  panel->SetCurrentPresetId(id + 1);
  EXPECT_NE(panel->PlaceObjectPreset(), 0);
  EXPECT_EQ(table->GetCount(), before + 4);
  CUIMessage cancel = Named("objmatpresets", "cancel");
  EXPECT_EQ(panel->HandleEvent(&cancel), kHandled);
  EXPECT_FALSE(panel->IsShown());
}

TEST_F(PresetsApply, ObjectsModeWithNothingSelectedOnlyBeeps) {
  CUIMessage open = Named("create palette", "create plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  const uint32_t beeps = platform::BeepCount();
  EXPECT_EQ(panel->StoreCurrent(), kHandled);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_EQ(panel->GetPresetCount(), 0u);
  CUIMessage cancel = Named("objmatpresets", "cancel");
  panel->HandleEvent(&cancel);
}

}  // namespace

namespace {

// A texture of a class no library stores ends the object's tree store: its code comes back, and
// nothing of the preset is written or moved.
TEST_F(PresetsApply, AFailedTreeStoreWritesNoPreviewOrDescription) {
  C3dSphere* sphere = SelectedSphere({0, 0, 0});
  std::unique_ptr<CFixedTexture> fixed(MakeObject<CFixedTexture>(nullptr));
  ASSERT_NE(fixed, nullptr);
  {
    CHolder held(MaterialOf(sphere), true, false);
    ASSERT_EQ(MaterialOf(sphere)->SetChannelTexture(fixed.get(), 0), 0);
  }
  CUIMessage open = Named("create palette", "create plopup");
  ASSERT_EQ(panel->HandleEvent(&open), kHandled);
  EXPECT_EQ(panel->StoreCurrent(), kErrUnexpectedType);
  EXPECT_EQ(panel->GetPresetCount(), 0u);
  EXPECT_EQ(panel->GetCurrentPresetId(), 0u);
  CResTypeTable* table = nullptr;
  for (const char* type : {"objpreset", "objprevcimage", "objpresetdesc"})
    EXPECT_FALSE(panel->GetLibrary()->FindType(type, &table, nullptr)) << type;
  CUIMessage cancel = Named("objmatpresets", "cancel");
  panel->HandleEvent(&cancel);
  {
    CHolder held(MaterialOf(sphere), true, false);
    MaterialOf(sphere)->SetChannelTexture(nullptr, 0);
  }
}

// A library that holds textures but no item of the mode's type opens as an empty one.
TEST_F(PresetsApply, ALibraryOfTexturesAloneIsEmpty) {
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  StoreDiffusion(0.5);
  // A texture no material names stays once the only preset is deleted.
  ASSERT_EQ(CPresetDescription().Store(panel->GetLibrary(), "C3dTexture", 5), 0);
  panel->SetSelected(0, true);
  ASSERT_EQ(panel->DeleteSelected(), 0);
  panel->CloseLibrary();
  ASSERT_EQ(panel->OpenLibrary("Stones.shd"), 0);
  EXPECT_NE(panel->GetLibrary(), nullptr);
  EXPECT_EQ(panel->GetTable(), nullptr);
}

}  // namespace
