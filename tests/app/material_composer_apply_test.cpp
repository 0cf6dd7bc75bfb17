// "ok" in the material composer: the working material into every selected object (a group's members
// and a light's colour included) and the window's current material, as one undo step of the
// document; and what a failure part-way leaves.
#include <gtest/gtest.h>

#include "editing/material_action.h"
#include "editing/undo_history.h"
#include "scene/light.h"
#include "scene/sphere.h"
#include "tests/app/material_composer_fixture.h"

namespace {

bool Refuse(CSpoolMem*) { return false; }

class MaterialComposerApply : public MaterialComposerTest {
 protected:
  void SetUp() override {
    MaterialComposerTest::SetUp();
    if (HasFatalFailure()) return;
    Made<CNotingDocWindow>();
    Show();
  }
  CUndoHistory& History() { return window->GetDocument()->GetUndoHistory(); }
  // The working material changed to levels that the controls show as they are.
  static constexpr double kDiffusion = 51 / 255.0;
  static constexpr vector3<float> kTransparent{64 * kByteScale, 128 * kByteScale, 192 * kByteScale};
  void Edit() {
    EditWorking([](SMaterialRecord& r) {
      r.sample.diffusion = kDiffusion;
      r.sample.transparentColour = kTransparent;
    });
    composer->RefreshControls(false);
  }
  std::vector<uint32_t>& Notified() { return static_cast<CNotingDocWindow*>(window)->notified; }
  C3dObject* Named(const char* name) {
    for (C3dBase* thing : Things(C3dBaseSys::kObjectFamily)) {
      if (NameOf(thing) == name) return thing->AsObject();
    }
    for (C3dBase* thing : Things(C3dLight::kFamily)) {
      if (NameOf(thing) == name) return thing->AsObject();
    }
    return nullptr;
  }
};

TEST_F(MaterialComposerApply, OkWritesTheMaterialIntoEverySelectedObjectAsOneUndoStep) {
  BuildScene();
  C3dObject* ball = Named("ball");
  C3dObject* left = Named("left");
  C3dObject* right = Named("right");
  C3dObject* lamp = Named("lamp");
  C3dObject* pair = left->GetParent();
  ASSERT_NE(pair, nullptr);
  ASSERT_NE(lamp, nullptr);
  SelectOnly({ball, pair, lamp});
  std::vector<SMaterialRecord> before;
  for (C3dObject* object : {ball, left, right, lamp}) before.push_back(RecordOf(MaterialOf(object)));
  Open();
  Edit();
  window->SetFlags(0);
  Notified().clear();
  EXPECT_EQ(Send(0, "ok", kComposer), kHandled);
  const SMaterialRecord working = RecordOf(window->GetDefaultMaterial());
  EXPECT_DOUBLE_EQ(working.sample.diffusion, kDiffusion);
  for (C3dObject* object : {ball, left, right, lamp})
    EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(object)), working)) << NameOf(object);
  {
    CHolder held(lamp, false, false);
    EXPECT_EQ(static_cast<C3dLight*>(lamp)->GetColour(), kTransparent);
  }
  auto* action = dynamic_cast<CMaterialAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  std::vector<C3dObject*> recorded;
  for (uint32_t i = 0; i < action->GetObjects().GetCount(); ++i) recorded.push_back(action->GetObjects()[i]);
  EXPECT_EQ(recorded, (std::vector<C3dObject*>{ball, right, left, lamp}));
  EXPECT_TRUE(window->GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_NE(std::find(Notified().begin(), Notified().end(), 4u), Notified().end());

  ASSERT_EQ(History().Undo(), 0);
  int i = 0;
  for (C3dObject* object : {ball, left, right, lamp})
    EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(object)), before[i++])) << NameOf(object);
}

TEST_F(MaterialComposerApply, OkWithNothingSelectedChangesOnlyTheCurrentMaterial) {
  BuildScene();
  SelectOnly({});
  C3dObject* ball = Named("ball");
  const SMaterialRecord ballBefore = RecordOf(MaterialOf(ball));
  CUndoableAction* previous = History().GetCurrentAction();
  Open();
  Edit();
  EXPECT_EQ(Send(0, "ok", kComposer), kHandled);
  EXPECT_DOUBLE_EQ(RecordOf(window->GetDefaultMaterial()).sample.diffusion, kDiffusion);
  EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(ball)), ballBefore));
  EXPECT_EQ(History().GetCurrentAction(), previous);
}

// A material that cannot be locked stops "ok" there: the objects before it keep the new material as
// one undo step, those after it their old one, and no material loses its textures.
TEST_F(MaterialComposerApply, AFailureMidwayKeepsWhatWasDoneAsOneStepAndLosesNoTexture) {
  C3dSphere* spheres[3] = {AddShape<C3dSphere>("one", {-3, 1, 0}), AddShape<C3dSphere>("two", {0, 1, 0}),
                           AddShape<C3dSphere>("three", {3, 1, 0})};
  ASSERT_EQ(window->FindSceneParts(true), 0);
  SelectOnly({spheres[0], spheres[1], spheres[2]});
  Open();
  // Every material, the working one included, holds a texture of the library in slot 0, which its
  // diffuse colour reads.
  ASSERT_EQ(composer->SetComponent(CMaterialComposer::kTypeChosen, 0, CMaterialComposer::kProcedural, 0), 0);
  EditWorking([](SMaterialRecord& r) { r.sources[C3dMaterial::kDiffuseColourSource] = 1; });
  ASSERT_EQ(composer->RefreshControls(false), 0);
  for (C3dSphere* sphere : spheres) {
    C3dMaterial* material = MaterialOf(sphere);
    CHolder held(material, true, false);
    ASSERT_EQ(material->CopyWithTextureRefs(*composer->GetMaterial()), 0);
  }
  std::vector<SMaterialRecord> before;
  for (C3dSphere* sphere : spheres) before.push_back(RecordOf(MaterialOf(sphere)));
  Edit();
  C3dMaterial* failing = MaterialOf(spheres[1]);
  failing->SetValidator(&Refuse);
  ASSERT_TRUE(failing->PageOut());
  const size_t boxes = platform::headless::ShownBoxes().size();
  EXPECT_EQ(Send(0, "ok", kComposer), kHandled);
  failing->SetValidator(nullptr);
  EXPECT_GT(platform::headless::ShownBoxes().size(), boxes) << "the error is shown";
  EXPECT_FALSE(composer->IsShown());
  EXPECT_DOUBLE_EQ(RecordOf(MaterialOf(spheres[0])).sample.diffusion, kDiffusion);
  EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(spheres[1])), before[1]));
  EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(spheres[2])), before[2]));
  EXPECT_NE(RecordOf(window->GetDefaultMaterial()).sample.diffusion, kDiffusion) << "the current material stays";
  for (C3dSphere* sphere : spheres) EXPECT_NE(MaterialOf(sphere)->GetChannelTexture(0), nullptr) << NameOf(sphere);
  auto* action = dynamic_cast<CMaterialAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_TRUE(SameRecord(RecordOf(MaterialOf(spheres[0])), before[0]));
  for (C3dSphere* sphere : spheres) EXPECT_NE(MaterialOf(sphere)->GetChannelTexture(0), nullptr) << NameOf(sphere);
}

}  // namespace
