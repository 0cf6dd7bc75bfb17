// 'edit' opens the editor that fits the first selected object; 'dupl', 'repl' and the replicate
// dialog's replication copy the selection as one undoable step.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "editing/create_action.h"
#include "editing/document.h"
#include "editing/undo_history.h"
#include "editors/terrain/terrain_editor.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "panels/edit_poly.h"
#include "panels/edit_tori.h"
#include "platform/alloc.h"
#include "scene/height_field.h"
#include "scene/plane.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/editing/counting_action.h"

namespace {

// A window that notes whether the busy cursor showed when the copies' scene parts were looked up,
// and can fail that step.
class CCopyWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;
  int32_t FindSceneParts(bool relink) override {
    CAppl* app = GetApplication();
    busyWhileFinding.push_back(app && app->IsBusyCursor());
    lastFound = findResult ? findResult : CDocWindow::FindSceneParts(relink);
    return lastFound;
  }
  void NotifyObjInfoChanged(uint32_t changes) override {
    notified.push_back(changes);
    CDocWindow::NotifyObjInfoChanged(changes);
  }
  std::vector<bool> busyWhileFinding;
  int32_t findResult = 0;
  int32_t lastFound = 0;
  std::vector<uint32_t> notified;
};

struct SHeard {
  uint32_t kind;
  uint32_t flags;
  std::string canvas;
  std::string element;
};

int32_t Overhear(void* receiver, void* record, void*) {
  const auto* message = static_cast<CUIMessage*>(record);
  static_cast<std::vector<SHeard>*>(receiver)->push_back(
      {message->kind, message->flags, message->canvasName, message->elementName});
  return 0;
}

class DocEditSelection : public DocCommandsTest {
 protected:
  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CCopyWindow>();
    Show();
    ASSERT_TRUE(owner->Register(&heard, &Overhear));
  }
  void TearDown() override {
    if (owner) owner->Unregister(&heard);
    if (window) window->SetCompanions(nullptr, nullptr, nullptr, nullptr);
    terrainEditor.reset();
    meshPanel.reset();
    torusEditor.reset();
    editorLayouts.clear();
    DocCommandsTest::TearDown();
  }
  void MakeEditors() {
    editorLayouts.push_back(OpenDataFile("terraineditor.dat"));
    terrainEditor = std::make_unique<CTerrainEditor>(owner, editorLayouts.back().get());
    editorLayouts.push_back(OpenDataFile("editpoly.dat"));
    meshPanel = std::make_unique<CEditPoly>(owner, editorLayouts.back().get());
    editorLayouts.push_back(OpenDataFile("edittori.dat"));
    torusEditor = std::make_unique<CEditTori>(owner, editorLayouts.back().get());
    w->SetCompanions(terrainEditor.get(), meshPanel.get(), torusEditor.get(), nullptr);
  }
  template <typename T>
  T* AddPlain(const vector3<double>& at) {
    T* object = nullptr;
    EXPECT_EQ(AppendNew(&object, w->GetSceneTable(), app->GetObjectsEnv()), 0);
    if (object) object->SetTransformVector3(at);
    return object;
  }
  CUndoHistory& History() { return w->GetDocument()->GetUndoHistory(); }
  static size_t Boxes() { return platform::headless::ShownBoxes().size(); }

  CCopyWindow* w = nullptr;
  std::vector<SHeard> heard;
  std::vector<std::unique_ptr<CResourceEnv>> editorLayouts;
  std::unique_ptr<CTerrainEditor> terrainEditor;
  std::unique_ptr<CEditPoly> meshPanel;
  std::unique_ptr<CEditTori> torusEditor;
  SActionCounts counts;
};

// ---- 'edit'

TEST_F(DocEditSelection, EditOpensTheEditorThatFitsTheFirstSelectedObject) {
  MakeEditors();
  C3dSphere* sphere = AddShape<C3dSphere>("ball", {0, 0, 0});
  C3dSphereLight* lamp = AddPlain<C3dSphereLight>({0, 5, 0});
  C3dHeightField* terrain = AddPlain<C3dHeightField>({0, 0, 0});
  C3dTriangleMesh* mesh = AddPlain<C3dTriangleMesh>({3, 0, 0});
  C3dTorus* torus = AddPlain<C3dTorus>({-3, 0, 0});
  const std::vector<C3dBase*> grounds = Things(C3dPlane::kFamily, C3dPlane::kClassTag);
  ASSERT_EQ(grounds.size(), 1u);
  C3dObject* ground = grounds[0]->AsObject();
  ASSERT_EQ(w->FindSceneParts(true), 0);
  const std::string nothing = "Select one or more objects first.", noEditor = "This kind of object has no editor.";

  struct SRow {
    const char* name;
    C3dObject* object;
    int32_t answer;
    bool warned;
  };
  for (const SRow& row : {SRow{"nothing selected", nullptr, kErrObjectNotFound, true},
                          SRow{"a sphere has no editor", sphere, kNoErr, true},
                          SRow{"nor has the ground plane", ground, kNoErr, true}, SRow{"a light", lamp, 26, false},
                          SRow{"a terrain", terrain, 26, false}, SRow{"a mesh", mesh, 26, false},
                          SRow{"a torus", torus, 26, false}}) {
    if (row.object) SelectOnly({row.object});
    else SelectOnly({});
    heard.clear();
    const size_t boxes = Boxes();
    EXPECT_EQ(w->EditSelection(), row.answer) << row.name;
    ASSERT_EQ(Boxes(), boxes + (row.warned ? 1 : 0)) << row.name;
    if (row.warned) {
      EXPECT_EQ(platform::headless::ShownBoxes().back().text, row.object ? noEditor : nothing) << row.name;
    }
    const bool toLightEditor = row.object == lamp;
    ASSERT_EQ(heard.size(), toLightEditor ? 1u : 0u) << row.name;
    if (toLightEditor) {
      EXPECT_EQ(heard[0].kind, 0u);
      EXPECT_EQ(heard[0].flags, 1u);
      EXPECT_EQ(heard[0].canvas, "doc window");
      EXPECT_EQ(heard[0].element, "edit light");
    }
  }
  EXPECT_EQ(terrainEditor->GetHeightField(), terrain);
  EXPECT_TRUE(terrainEditor->IsShown());
  EXPECT_EQ(meshPanel->GetTable(), w->GetSceneTable());
  EXPECT_EQ(torusEditor->GetTable(), w->GetSceneTable());
}

// Without its editor a terrain, mesh or torus opens nothing and answers 0.
TEST_F(DocEditSelection, EditWithoutTheEditorOpensNothing) {
  for (C3dObject* object : std::initializer_list<C3dObject*>{AddPlain<C3dHeightField>({0, 0, 0}),
                                                             AddPlain<C3dTriangleMesh>({0, 0, 0}),
                                                             AddPlain<C3dTorus>({0, 0, 0})}) {
    ASSERT_EQ(w->FindSceneParts(true), 0);
    SelectOnly({object});
    const size_t boxes = Boxes();
    EXPECT_EQ(w->EditSelection(), 0);
    EXPECT_EQ(Boxes(), boxes);
  }
}

// ---- 'dupl'

TEST_F(DocEditSelection, DuplicateSelectsTheCopiesAndOneUndoRemovesThem) {
  C3dCube* cube = AddShape<C3dCube>("cube", {1, 0, 0});
  C3dSphere* sphere = AddShape<C3dSphere>("ball", {0, 3, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube, sphere});
  // A copy's material stays in the scene with an undone copy, as a new object's does.
  const std::vector<std::string> before = WithoutMaterials(Describe(w->GetSceneTable()));

  ASSERT_EQ(w->DuplicateSelection(), 0);
  const std::vector<C3dObject*> copies = Listed();
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_TRUE(copies[0] != cube && copies[1] != sphere);
  EXPECT_EQ(copies[0]->GetClass(), cube->GetClass());
  EXPECT_EQ(copies[0]->GetTransformVector3(), cube->GetTransformVector3());
  EXPECT_FALSE(cube->IsSelected() || sphere->IsSelected());
  auto* action = dynamic_cast<CCreateAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 2u);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(WithoutMaterials(Describe(w->GetSceneTable())), before);
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(copies[0]->GetOwningTable(), w->GetSceneTable());
  EXPECT_EQ(copies[1]->GetOwningTable(), w->GetSceneTable());
}

// A copied group's members are copies too: the Undo takes them out with their group.
TEST_F(DocEditSelection, UndoingADuplicatedGroupRemovesItsMembersCopies) {
  C3dGroup* pair = AddGroup("pair", {AddShape<C3dCube>("left", {-2, 0, 0}), AddShape<C3dCube>("right", {2, 0, 0})});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({pair});
  const std::vector<std::string> before = WithoutMaterials(Describe(w->GetSceneTable()));
  ASSERT_EQ(w->DuplicateSelection(), 0);
  ASSERT_EQ(Listed().size(), 1u);
  auto* copy = static_cast<C3dGroup*>(Listed()[0]);
  ASSERT_EQ(copy->GetMemberCount(), 2u);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(WithoutMaterials(Describe(w->GetSceneTable())), before);
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(copy->GetMember(0)->GetOwningTable(), w->GetSceneTable());
  EXPECT_EQ(copy->GetMember(0)->GetParent(), copy);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{copy}));
}

// Nothing selected, nothing copied: the last real undo step stays.
TEST_F(DocEditSelection, DuplicatingNothingRecordsNothing) {
  SelectOnly({});
  auto* previous = new CCountingAction(&counts);
  ASSERT_EQ(History().Push(previous), 0);
  EXPECT_EQ(w->DuplicateSelection(), 0);
  EXPECT_EQ(w->ReplicateSelection(), 0);
  EXPECT_EQ(History().GetCurrentAction(), previous);
}

// Memory failing at each point in turn: whenever the copies were made and selected, the window takes
// them in and tells the palettes, also when recording them failed. (A pool retries an allocation
// once, so two calls fail.)
TEST_F(DocEditSelection, CopiesThatCannotBeRecordedAreStillTakenIn) {
  // More than copying one cube and recording it asks for.
  constexpr uint32_t kAllocationsOfACopy = 60;
  C3dCube* cube = AddShape<C3dCube>("cube", {1, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  uint32_t failuresAfterCopying = 0;
  for (uint32_t served = 0; served < kAllocationsOfACopy; ++served) {
    SelectOnly({cube});
    w->busyWhileFinding.clear();
    w->notified.clear();
    w->lastFound = -1;
    platform::FailAllocationsAfter(served, 2);
    const int32_t err = w->DuplicateSelection();
    platform::FailNextAllocations(0);
    if (err == kNoErr || Listed() == std::vector<C3dObject*>{cube}) continue;
    ++failuresAfterCopying;
    EXPECT_EQ(w->busyWhileFinding.size(), 1u) << "failing allocation " << served;
    const bool told = std::count(w->notified.begin(), w->notified.end(), 2u) == 1;
    EXPECT_EQ(told, w->lastFound == kNoErr) << "failing allocation " << served;
  }
  EXPECT_GT(failuresAfterCopying, 0u);
}

// ---- 'repl' and the replicate dialog's replication

TEST_F(DocEditSelection, ReplicateRepeatsTheMoveGivenToTheLastCopy) {
  C3dCube* cube = AddShape<C3dCube>("cube", {1, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube});
  ASSERT_EQ(w->DuplicateSelection(), 0);
  C3dObject* copy = Listed().at(0);
  // The copy moved as a drag moves it: from its drag start.
  Selection().BeginPlaneMove(copy->GetTransformVector3());
  copy->Translate({3, 0, 0});

  ASSERT_EQ(w->ReplicateSelection(), 0);
  ASSERT_EQ(Listed().size(), 1u);
  C3dObject* next = Listed()[0];
  EXPECT_NE(next, copy);
  EXPECT_EQ(next->GetTransformVector3(), (vector3<double>{7, 0, 0}));
  ASSERT_NE(dynamic_cast<CCreateAction*>(History().GetCurrentAction()), nullptr);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_NE(next->GetOwningTable(), w->GetSceneTable());
  EXPECT_EQ(copy->GetOwningTable(), w->GetSceneTable());
}

// The busy cursor shows while replicating and goes again at the end, on a failure too; one that
// already showed stays.
TEST_F(DocEditSelection, ReplicateLeavesABusyCursorItFoundAndRemovesItsOwn) {
  C3dCube* cube = AddShape<C3dCube>("cube", {0, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  struct SRow {
    const char* name;
    bool busyBefore;
    int32_t findResult;
  };
  for (const SRow& row : {SRow{"own cursor", false, 0}, SRow{"own cursor, failing", false, kErrOutOfMemory},
                          SRow{"busy already", true, 0}, SRow{"busy already, failing", true, kErrOutOfMemory}}) {
    SelectOnly({cube});
    if (row.busyBefore) app->SetBusyCursor();
    else app->SetArrowCursor();
    w->busyWhileFinding.clear();
    w->findResult = row.findResult;
    EXPECT_EQ(w->ReplicateSelection(), row.findResult) << row.name;
    ASSERT_FALSE(w->busyWhileFinding.empty()) << row.name;
    for (bool busy : w->busyWhileFinding) EXPECT_TRUE(busy) << row.name;
    EXPECT_EQ(app->IsBusyCursor(), row.busyBefore) << row.name;
  }
  w->findResult = 0;
  app->SetArrowCursor();
}

TEST_F(DocEditSelection, ReplicateWithParametersSelectsEveryGenerationAsOneStep) {
  C3dCube* cube = AddShape<C3dCube>("cube", {0, 0, 0});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  SelectOnly({cube});
  const std::vector<std::string> before = WithoutMaterials(Describe(w->GetSceneTable()));
  SReplicateSettings settings;
  settings.offset = {2, 0, 0};
  ASSERT_EQ(w->ReplicateWithParameters(3, settings, 0), 0);
  const std::vector<C3dObject*> copies = Listed();
  ASSERT_EQ(copies.size(), 3u);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_NEAR(copies[i]->GetTransformVector3().x, 2.0 * (i + 1), 1e-9) << i;
  EXPECT_FALSE(cube->IsSelected());
  EXPECT_FALSE(app->IsBusyCursor());
  auto* action = dynamic_cast<CCreateAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 3u);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(WithoutMaterials(Describe(w->GetSceneTable())), before);
}

}  // namespace
