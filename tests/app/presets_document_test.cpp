// The preset palette over a real document window: applying a material preset and placing object
// presets mark unsaved changes, and object presets placed twice save and read back as two things
// with two materials.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>

#include "document/scene_file.h"
#include "editing/document_host.h"
#include "presets/obj_mat_presets.h"
#include "scene/factory.h"
#include "scene/object.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "tests/app/doc_window_fixture.h"

namespace {

class PresetsDocument : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    char pattern[] = "/tmp/presets-document-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    std::filesystem::create_directory(folder + "/Presets");
    app->moduleFolder = folder;
    Made();
    SetCurrentDocumentHost(window);
    presetsLayout = OpenDataFile("objmatpresets.dat");
    panel = std::make_unique<CObjMatPresets>(owner, presetsLayout.get(), nullptr, nullptr, nullptr);
    ASSERT_EQ(panel->BuildOnce(), 0);
  }
  void TearDown() override {
    panel.reset();
    presetsLayout.reset();
    SetCurrentDocumentHost(nullptr);
    DocWindowTest::TearDown();
    std::filesystem::remove_all(folder);
  }
  C3dObject* FirstObject() {
    for (C3dBase* thing : Things(C3dBaseSys::kObjectFamily))
      if (auto* object = thing->AsObject()) return object;
    return nullptr;
  }
  int32_t Send(const char* canvas, const char* element) {
    CUIMessage message;
    message.Init(0, element, nullptr, canvas, 0);
    return panel->HandleEvent(&message);
  }
  static C3dMaterial* MaterialOf(C3dObject* object) {
    return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  }
  // A 2 x 2 picture texture of the document, filled with colour, that the object's material shows
  // through its diffuse colour (a component counts only while a source reads it).
  void GivePicture(C3dObject* object, uint32_t colour, CPictTexture** picture) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<CPictTexture>(app->GetObjectsEnv(), key, spec);
    ASSERT_EQ(CPictTexture::New(picture, window->GetSceneTable(), key, spec), 0);
    ASSERT_TRUE((*picture)->GetPicture().Allocate(2, 2, 0, false, false));
    ASSERT_TRUE((*picture)->GetPicture().Fill(colour));
    CHolder held(MaterialOf(object), true, false);
    ASSERT_EQ(MaterialOf(object)->SetChannelTexture(*picture, 0), 0);
    MaterialOf(object)->GetRecord().sources[C3dMaterial::kDiffuseColourSource] = 1;
  }

  std::string folder;
  std::unique_ptr<CResourceEnv> presetsLayout;
  std::unique_ptr<CObjMatPresets> panel;
};

TEST_F(PresetsDocument, ApplyingAMaterialPresetIsAnUnsavedChange) {
  C3dObject* object = FirstObject();
  ASSERT_NE(object, nullptr);
  SelectOnly({object});
  ASSERT_EQ(Send("edit palette", "edit plopup"), kHandled);
  ASSERT_EQ(panel->StoreCurrent(), kHandled);
  uint32_t id = 0;
  ASSERT_EQ(panel->LoadMaterialPreset(panel->GetWorkingMaterial(), 0, &id), 0);
  window->ClearFlags(CDocWindow::kUnsavedChanges);
  EXPECT_EQ(Send("objmatpresets", "ok"), kHandled);
  EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_NE(window->GetDocument()->GetUndoHistory().GetCurrentAction(), nullptr);
}

TEST_F(PresetsDocument, TwoPlacedPresetsSaveAsTwoThingsWithTwoMaterials) {
  C3dObject* object = FirstObject();
  ASSERT_NE(object, nullptr);
  SelectOnly({object});
  const uint32_t classTag = object->GetClass();
  const size_t before = Things(C3dBaseSys::kObjectFamily, classTag).size();
  ASSERT_EQ(Send("create palette", "create plopup"), kHandled);
  ASSERT_EQ(panel->StoreCurrent(), kHandled);
  const uint32_t id = panel->GetPresetId(0);
  window->ClearFlags(CDocWindow::kUnsavedChanges);
  for (int i = 0; i < 2; ++i) {
    panel->SetCurrentPresetId(id);
    ASSERT_EQ(panel->PlaceObjectPreset(), 0);
    // The placed object is selected, alone.
    ASSERT_EQ(Listed().size(), 1u);
  }
  EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_EQ(Send("objmatpresets", "cancel"), kHandled);

  CFileSpec spec;
  ASSERT_EQ(spec.Set((folder + "/placed.qnc").c_str()), 0);
  ASSERT_EQ(WriteSceneFile(spec, window->GetSceneTable(), window->GetSettings()), 0);
  C3dBaseSys read(app->GetObjectsEnv());
  CDocSettings settings(SSpoolLayout{app->GetObjectsEnv(), 0, 0});
  ASSERT_EQ(ReadSceneFile(spec, &read, &settings), 0);
  std::vector<C3dObject*> things;
  {
    CHolder rows(&read, false, false);
    for (uint32_t row = 0; row < read.GetCount(); ++row) {
      C3dBase* thing = read[row].object;
      if (thing->GetFamily() == C3dBaseSys::kObjectFamily && thing->GetClass() == classTag) things.push_back(thing->AsObject());
    }
  }
  ASSERT_EQ(things.size(), before + 2);
  C3dObject* a = things[things.size() - 2];
  C3dObject* b = things.back();
  EXPECT_NE(a->GetId(), b->GetId());
  ASSERT_NE(MaterialOf(a), nullptr);
  ASSERT_NE(MaterialOf(b), nullptr);
  EXPECT_NE(MaterialOf(a), MaterialOf(b));
  EXPECT_NE(MaterialOf(a)->GetId(), MaterialOf(b)->GetId());
}

}  // namespace

namespace {

// A picture texture that a chosen material preset brings joins the document's scene table and its
// picture list once, however often the material is applied.
TEST_F(PresetsDocument, APictureOfAPresetJoinsTheDocumentOnce) {
  C3dObject* object = FirstObject();
  ASSERT_NE(object, nullptr);
  SelectOnly({object});
  CPictTexture* picture = nullptr;
  GivePicture(object, 0xFF336699, &picture);
  if (HasFatalFailure()) return;
  ASSERT_EQ(Send("edit palette", "edit plopup"), kHandled);
  ASSERT_EQ(panel->StoreCurrent(), kHandled);
  uint32_t id = 0;
  ASSERT_EQ(panel->LoadMaterialPreset(panel->GetWorkingMaterial(), 0, &id), 0);
  CBaseTexture* brought = panel->GetWorkingMaterial()->GetChannelTexture(0);
  ASSERT_NE(brought, nullptr);
  ASSERT_NE(brought, picture);
  EXPECT_EQ(brought->GetOwningTable(), nullptr);
  // The document's pictures: the list is collected again from the scene table.
  const size_t pictures = Things(CBaseTexture::kFamily, CPictTexture::kClassTag).size();
  ASSERT_EQ(panel->ApplyMaterialToSelection(), 0);
  EXPECT_EQ(brought->GetOwningTable(), window->GetSceneTable());
  std::vector<C3dBase*> listed = Rows(window->GetPictureList());
  EXPECT_EQ(listed.size(), pictures + 1);
  EXPECT_NE(std::find(listed.begin(), listed.end(), brought), listed.end());
  EXPECT_EQ(MaterialOf(object)->GetChannelTexture(0), brought);
  const size_t things = Things(CBaseTexture::kFamily).size();
  ASSERT_EQ(panel->ApplyMaterialToSelection(), 0);
  EXPECT_EQ(Things(CBaseTexture::kFamily).size(), things);
  EXPECT_EQ(Rows(window->GetPictureList()).size(), pictures + 1);
  EXPECT_EQ(Send("objmatpresets", "cancel"), kHandled);
}

}  // namespace

namespace {

// Opening the palette on the selection, "ok" and closing give back every texture use the palette
// counted: once the object and the current material hold the picture, further rounds (their undo
// steps dropped) leave its count where it was.
TEST_F(PresetsDocument, OkAndCloseKeepTextureUsesBalanced) {
  C3dObject* object = FirstObject();
  ASSERT_NE(object, nullptr);
  SelectOnly({object});
  CPictTexture* picture = nullptr;
  GivePicture(object, 0, &picture);
  if (HasFatalFailure()) return;
  const auto round = [&](const char* close) {
    ASSERT_EQ(Send("edit palette", "edit plopup"), kHandled);
    EXPECT_EQ(Send("objmatpresets", close), kHandled);
    window->GetDocument()->GetUndoHistory().Clear();
  };
  round("ok");
  const uint32_t uses = picture->GetOwnUseCount();
  EXPECT_TRUE(MaterialOf(object)->IsUseCounted(0));
  EXPECT_EQ(window->GetDefaultMaterial()->GetChannelTexture(0), picture);
  for (const char* close : {"ok", "cancel", "ok"}) {
    round(close);
    EXPECT_EQ(picture->GetOwnUseCount(), uses) << close;
    EXPECT_EQ(MaterialOf(object)->GetChannelTexture(0), picture) << close;
  }
}

}  // namespace
