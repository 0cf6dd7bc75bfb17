// The Edit menu's commands on the document window: delete, copy, cut, paste, undo and redo, the
// selection commands they hand on to, and the window's placement and material clipboards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editing/create_action.h"
#include "editing/delete_action.h"
#include "editing/material_action.h"
#include "editing/matrix_action.h"
#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "framework/core/result_codes.h"
#include "framework/ui/im_element.h"
#include "render/render_context.h"
#include "scene/surface/texture.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/editing/counting_action.h"

namespace {

void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

vector3<double> BoxCentre(C3dObject* object) {
  const C3dBox box = object->WorldBox();
  return (box.fMin + box.fMax) * 0.5;
}

// Size, shear, rotation and position of the object's placement.
std::vector<double> Placement(C3dObject* object) {
  const C3dTransform& t = object->GetPlacement();
  std::vector<double> out;
  for (const vector3<double>* v : {&t.fScale, &t.fShear, &t.fRotation, &t.fPosition})
    out.insert(out.end(), {v->x, v->y, v->z});
  return out;
}

C3dMaterial* MaterialOf(C3dObject* object) {
  return LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
}

// The material's stored part, 432 bytes.
std::vector<uint8_t> StoredPart(C3dMaterial* material) {
  CHolder lock(material, false, false);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&material->GetRecord());
  return std::vector<uint8_t>(bytes, bytes + C3dMaterial::kPartSize);
}

class DocEditCommands : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made();
  }
  int32_t Edit(const char (&code)[5]) { return w->EditCommand(FourCC(code)); }
  CUndoHistory& History() { return w->GetDocument()->GetUndoHistory(); }
  CUndoableAction* Recorded() { return History().GetCurrentAction(); }
  bool InScene(C3dObject* object) { return object->GetOwningTable() == w->GetSceneTable(); }
  size_t Spheres() { return Things(C3dSphere::kFamily, C3dSphere::kClassTag).size(); }
  // A counting action standing for the user's last undo step.
  CUndoableAction* PushPrevious() {
    auto* previous = new CCountingAction(&counts);
    EXPECT_EQ(History().Push(previous), 0);
    return previous;
  }

  CDocWindow* w = nullptr;
  SActionCounts counts;
};

TEST_F(DocEditCommands, DeleteTakesTheSelectionOutAsOneStepThatUndoBringsBackSelected) {
  C3dSphere* a = AddShape<C3dSphere>("a", {0, 1, 0});
  C3dCube* b = AddShape<C3dCube>("b", {3, 1, 0});
  C3dSphere* c = AddShape<C3dSphere>("c", {-3, 1, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);

  // Nothing selected: nothing is recorded, and the user's last step stays.
  CUndoableAction* previous = PushPrevious();
  SelectOnly({});
  EXPECT_EQ(Edit("cler"), kHandled);
  EXPECT_EQ(Recorded(), previous);

  SelectOnly({a, b, c});
  EXPECT_EQ(Edit("cler"), kHandled);
  auto* action = dynamic_cast<CDeleteAction*>(Recorded());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 3u);
  EXPECT_TRUE(Listed().empty());
  EXPECT_FALSE(InScene(a) || InScene(b) || InScene(c));

  EXPECT_EQ(Edit("undo"), kNoErr);
  EXPECT_TRUE(InScene(a) && InScene(b) && InScene(c));
  std::vector<C3dObject*> back = Listed();
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0], a) << "the first comes back alone, the others join it";
  std::sort(back.begin(), back.end());
  std::vector<C3dObject*> three{a, b, c};
  std::sort(three.begin(), three.end());
  EXPECT_EQ(back, three);

  // A second undo is the redo of the one step.
  EXPECT_EQ(Edit("undo"), kNoErr);
  EXPECT_FALSE(InScene(a) || InScene(b) || InScene(c));
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(Recorded(), action);
}

TEST_F(DocEditCommands, CopyPasteAddsSelectedCopiesAndCutIsOneUndoableStep) {
  C3dSphere* ball = AddShape<C3dSphere>("ball", {1, 2, 3});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({ball});
  CUndoableAction* previous = PushPrevious();
  EXPECT_EQ(Edit("copy"), kNoErr);
  EXPECT_EQ(Edit("pste"), kNoErr);
  ASSERT_EQ(Spheres(), 2u);
  std::vector<C3dObject*> copies = Listed();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_NE(copies[0], ball);
  EXPECT_TRUE(InScene(copies[0]));
  ExpectNear(copies[0]->GetTransformVector3(), {1, 2, 3}, 0, "the copy lies where its source lies");
  EXPECT_FALSE(ball->IsSelected());
  EXPECT_EQ(Recorded(), previous) << "copy and paste record nothing";

  // Cut with nothing selected neither records nor empties the clipboard.
  SelectOnly({});
  EXPECT_EQ(Edit("cut "), kNoErr);
  EXPECT_EQ(Recorded(), previous);

  SelectOnly({ball});
  EXPECT_EQ(Edit("cut "), kNoErr);
  EXPECT_FALSE(InScene(ball));
  ASSERT_NE(dynamic_cast<CDeleteAction*>(Recorded()), nullptr);
  EXPECT_EQ(Edit("undo"), kNoErr);
  EXPECT_TRUE(InScene(ball));
  // The cut put the ball on the clipboard.
  EXPECT_EQ(Edit("pste"), kNoErr);
  EXPECT_EQ(Spheres(), 3u);
}

// Undoing a creation takes the object out of the scene; it does not stay in the selection.
TEST_F(DocEditCommands, UndoOfACreationLeavesNoSelectedObjectOutsideTheScene) {
  C3dSphere* ball = AddShape<C3dSphere>("made", {0, 1, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  ASSERT_EQ(w->SelectNewObject(ball), 0);
  std::vector<C3dObject*> made = Listed();
  ASSERT_EQ(made.size(), 1u);
  auto* action = new CCreateAction(w->GetSceneTable());
  ASSERT_TRUE(action->AddObject(made[0]));
  ASSERT_EQ(History().Push(action), 0);
  EXPECT_EQ(Edit("undo"), kNoErr);
  EXPECT_FALSE(InScene(made[0]));
  for (C3dObject* object : Listed()) EXPECT_TRUE(InScene(object));
  EXPECT_EQ(Edit("undo"), kNoErr);
  EXPECT_TRUE(InScene(made[0]));
}

// 'desa', 'invs' and 'sela' are the selection commands; over the rendered image 'sela' makes the
// patch the whole image instead.
TEST_F(DocEditCommands, TheSelectionCodesAndSelectAllOverTheRenderedImage) {
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
  C3dCube* box = AddShape<C3dCube>("box", {3, 1, 0});
  AddGroup("pair", {AddShape<C3dCube>("left", {-2, 1, 0}), AddShape<C3dCube>("right", {2, 1, 0})});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  CUndoableAction* previous = PushPrevious();
  SelectOnly({ball});
  EXPECT_EQ(Edit("invs"), kNoErr);
  EXPECT_FALSE(ball->IsSelected());
  EXPECT_TRUE(box->IsSelected());
  EXPECT_EQ(Edit("desa"), kNoErr);
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(Edit("sela"), kNoErr);
  EXPECT_TRUE(ball->IsSelected() && box->IsSelected());
  EXPECT_EQ(Recorded(), previous);

  Edit("desa");
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  w->SetRenderRegion({10, 20, 30, 40});
  w->GetRenderState().fContext.GetProgressive().row = 7;
  EXPECT_EQ(Edit("sela"), kNoErr);
  const SPointHV size = w->GetRenderImageSize();
  EXPECT_EQ(w->GetRenderRegion(), (SRect{0, 0, size.v, size.h}));
  EXPECT_EQ(w->GetRenderState().fContext.GetProgressive().row, 0u);
  SRect shown;
  w->GetDocImage()->GetLocalRect(&shown);
  EXPECT_EQ(w->GetPatchRender()->GetRect(), shown) << "the patch spans the shown image";
  EXPECT_TRUE(Listed().empty()) << "nothing is selected over the rendered image";
}

// Paste placement before any copy gives the clipboard's first state; a selected group is recorded
// for undo but not changed. Then a copy from a turned cube onto a sphere.
TEST_F(DocEditCommands, ThePlacementClipboard) {
  C3dSphere* ball = AddShape<C3dSphere>("ball", {4, 5, 6});
  ball->SetScaledSize({1, 3, 5});
  ball->SetTransformVector2({0.4, 0.5, 0.6});
  ball->GetPlacement().fShear = {0.1, 0, 0};
  C3dCube* member = AddShape<C3dCube>("member", {-2, 1, 0});
  C3dGroup* group = AddGroup("group", {member});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  const std::vector<double> groupBefore = Placement(group), memberBefore = Placement(member);

  SelectOnly({ball, group});
  EXPECT_EQ(Edit("pama"), kNoErr);
  ExpectNear(ball->GetScaledSize(), {2, 2, 2}, 1e-9, "the first size");
  ExpectNear(ball->GetPlacement().fShear, {0, 0, 0}, 0, "no shear");
  ExpectNear(ball->GetTransformVector2(), {0, 0, 0}, 0, "no rotation");
  ExpectNear(BoxCentre(ball), {0, 0, 0}, 1e-9, "centred on the origin");
  auto* action = dynamic_cast<CMatrixAction*>(Recorded());
  ASSERT_NE(action, nullptr);
  bool groupRecorded = false;
  for (uint32_t i = 0; i < action->GetObjects().GetCount(); ++i) groupRecorded |= action->GetObjects()[i] == group;
  EXPECT_TRUE(groupRecorded);
  EXPECT_EQ(Placement(group), groupBefore);
  EXPECT_EQ(Placement(member), memberBefore);

  C3dCube* cube = AddShape<C3dCube>("cube", {1, 2, 3});
  cube->SetScaledSize({2, 4, 6});
  cube->SetTransformVector2({0.1, 0.2, 0.3});
  ExpectNear(BoxCentre(cube), {1, 2, 3}, 1e-12, "the cube's box centre");
  C3dSphere* sphere = AddShape<C3dSphere>("sphere", {-5, 0, 2});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  const std::vector<double> sphereBefore = Placement(sphere);
  SelectOnly({cube});
  EXPECT_EQ(Edit("cpma"), kNoErr);
  SelectOnly({sphere});
  EXPECT_EQ(Edit("pama"), kNoErr);
  ExpectNear(sphere->GetTransformVector2(), {0.1, 0.2, 0.3}, 1e-9, "the cube's rotation");
  ExpectNear(sphere->GetScaledSize(), {2, 4, 6}, 1e-9, "the cube's size");
  ExpectNear(BoxCentre(sphere), {1, 2, 3}, 1e-9, "the cube's box centre");
  action = dynamic_cast<CMatrixAction*>(Recorded());
  ASSERT_NE(action, nullptr);
  ASSERT_EQ(History().Undo(), 0);
  const std::vector<double> undone = Placement(sphere);
  ASSERT_EQ(undone.size(), sphereBefore.size());
  for (size_t i = 0; i < undone.size(); ++i) EXPECT_NEAR(undone[i], sphereBefore[i], 1e-12) << i;
}

// The copied material lives in the objects environment: the program's data file stays as it was.
TEST_F(DocEditCommands, TheMaterialClipboard) {
  const std::string systemBefore = Contents(QUARN2_DATA_DIR "/system.dat");
  ASSERT_FALSE(systemBefore.empty());
  C3dSphere* source = AddShape<C3dSphere>("source", {0, 1, 0});
  C3dCube* first = AddShape<C3dCube>("first", {3, 1, 0});
  C3dSphere* second = AddShape<C3dSphere>("second", {-3, 1, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  C3dTexture* texture = nullptr;
  ASSERT_EQ(AppendNew(&texture, w->GetSceneTable(), app->GetObjectsEnv()), 0);
  C3dMaterial* material = MaterialOf(source);
  {
    CHolder lock(material, true, false);
    ASSERT_EQ(material->SetChannelTexture(texture, 0), 0);
    SMaterialRecord& record = material->GetRecord();
    record.sources[C3dMaterial::kDiffusionSource] = 1;
    record.sample.diffuseColour = {0.25f, 0.5f, 0.75f};
  }
  ASSERT_EQ(material->AddTextureRefs(), 0);
  const std::vector<uint8_t> firstBefore = StoredPart(MaterialOf(first));
  const std::vector<uint8_t> secondBefore = StoredPart(MaterialOf(second));

  CUndoableAction* previous = PushPrevious();
  SelectOnly({});
  EXPECT_EQ(Edit("cpmt"), kHandled);
  EXPECT_EQ(w->GetCopiedMaterial(), nullptr);

  SelectOnly({source});
  EXPECT_EQ(Edit("cpmt"), kHandled);
  ASSERT_NE(w->GetCopiedMaterial(), nullptr);
  EXPECT_EQ(StoredPart(w->GetCopiedMaterial()), StoredPart(material));
  EXPECT_EQ(Recorded(), previous);

  const uint32_t uses = texture->GetOwnUseCount();
  SelectOnly({first, second});
  EXPECT_EQ(Edit("pamt"), kHandled);
  EXPECT_EQ(StoredPart(MaterialOf(first)), StoredPart(material));
  EXPECT_EQ(StoredPart(MaterialOf(second)), StoredPart(material));
  EXPECT_EQ(texture->GetOwnUseCount(), uses + 2) << "one more use per paste";
  ASSERT_NE(dynamic_cast<CMaterialAction*>(Recorded()), nullptr);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(StoredPart(MaterialOf(first)), firstBefore);
  EXPECT_EQ(StoredPart(MaterialOf(second)), secondBefore);

  EXPECT_EQ(Contents(QUARN2_DATA_DIR "/system.dat"), systemBefore);
}

// Show as Box and Show as Lattice set and clear the box flag of every selected object, a group's
// members with it (they are what the wireframe draws), and have the window drawn again.
TEST_F(DocEditCommands, ShowAsBoxAndAsLatticeSwitchTheSelectedObjectsBoxFlag) {
  C3dSphere* ball = AddShape<C3dSphere>("ball", {0, 1, 0});
  C3dSphere* other = AddShape<C3dSphere>("other", {5, 1, 0});
  C3dCube* left = AddShape<C3dCube>("left", {-2, 1, 0});
  C3dCube* right = AddShape<C3dCube>("right", {2, 1, 0});
  C3dGroup* pair = AddGroup("pair", {left, right});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({ball, pair});
  const auto boxed = [](C3dObject* object) { return (object->GetFlags() & C3dObject::kHidden) != 0; };
  for (const bool box : {true, false}) {
    ASSERT_EQ(w->Redraw(true), 0);
    ASSERT_EQ(w->GetDirtyBits(), 0u);
    w->ClearFlags(CDocWindow::kUnsavedChanges);
    EXPECT_EQ(w->ShowSelectionAsBox(box), 0);
    for (C3dObject* object : std::initializer_list<C3dObject*>{ball, pair, left, right})
      EXPECT_EQ(boxed(object), box) << object->TypeName() << " " << box;
    EXPECT_FALSE(boxed(other)) << box;
    EXPECT_TRUE(w->GetDirtyBits() & CDocWindow::kDirtyRedraw) << box;
    EXPECT_TRUE(w->GetFlags() & CDocWindow::kUnsavedChanges) << box;
  }
}

}  // namespace
