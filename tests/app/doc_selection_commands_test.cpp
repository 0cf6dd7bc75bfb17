// The document window's selection commands over a scene of every kind they tell apart: all, none,
// the inverse, imported meshes, a family, a kind, a class of lights, and solo mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editing/undo_history.h"
#include "framework/core/four_cc.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/height_field.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/triangle_mesh.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/editing/counting_action.h"

namespace {

constexpr uint32_t kShift = 16, kF10 = 121;
constexpr uint32_t kStoneState = 0x40000;

class DocSelectionCommands : public DocCommandsTest {
 protected:
  using Names = std::vector<std::string>;

  void SetUp() override {
    DocCommandsTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CNotingDocWindow>();
    // The ground the window made is part of the scene the commands see.
    std::vector<C3dBase*> grounds = Things(C3dPlane::kFamily, C3dPlane::kClassTag);
    ASSERT_EQ(grounds.size(), 1u);
    objects["ground"] = grounds[0]->AsObject();
    Keep("ball", AddShape<C3dSphere>("ball", {0, 1, 0}));
    Keep("left", AddShape<C3dCube>("left", {-2, 1, 0}));
    Keep("right", AddShape<C3dCube>("right", {2, 1, 0}));
    Keep("pair", AddGroup("pair", {objects["left"], objects["right"]}));
    Keep("terrain", AddThing<C3dHeightField>("terrain"));
    Keep("lattice", AddThing<C3dHeightField>("lattice"));
    static_cast<C3dHeightField*>(objects["lattice"])->SetSymmetric(true);
    Keep("stone", AddThing<C3dTriangleMesh>("stone"));
    objects["stone"]->SetStateFlags(kStoneState);
    Keep("mesh", AddThing<C3dTriangleMesh>("mesh"));
    Keep("lamp", AddThing<C3dSphereLight>("lamp"));
    Keep("spot", AddThing<C3dConeLight>("spot"));
    // Left out of the selection commands for a reason of its own.
    Keep("aside", AddShape<C3dCube>("aside", {0, 5, 0}));
    objects["aside"]->SetFlags(C3dObject::kNotDrawn);
    for (const char* name : {"ball", "terrain", "left"}) SetObjectFamily(*objects[name], 5);
    ASSERT_EQ(w->FindSceneParts(true), 0);
    previous = new CCountingAction(&counts);
    ASSERT_EQ(w->GetDocument()->GetUndoHistory().Push(previous), 0);
  }
  void TearDown() override {
    Keys("keyup", {kShift, kF10});
    DocCommandsTest::TearDown();
  }

  void Keep(const std::string& name, C3dObject* object) {
    ASSERT_NE(object, nullptr) << name;
    objects[name] = object;
  }
  template <typename T>
  T* AddThing(const char* name) {
    T* object = nullptr;
    EXPECT_EQ(AppendNew(&object, w->GetSceneTable(), app->GetObjectsEnv()), 0);
    if (object) SetName(object, name);
    return object;
  }
  void Keys(const char* how, const std::vector<uint32_t>& keys) {
    std::string script;
    for (uint32_t key : keys) script += std::string(how) + " " + std::to_string(key) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    for (int i = 0; i < 400 && platform::headless::PendingInputs() > 0; ++i) app->PumpMessages();
    app->PumpMessages();
  }
  void SelectOnly(const Names& names) {
    Selection().DeselectAll(1);
    for (const std::string& name : names) Selection().Add(objects.at(name), 0, 0);
  }
  // The listed objects' names, sorted; every listed object has its bit and every bit is listed.
  Names Selected() {
    Names out;
    for (uint32_t i = 0; i < Selection().GetCount(); ++i) {
      C3dObject* object = Selection().GetObject(i);
      EXPECT_TRUE(object->IsSelected());
      for (const auto& [name, known] : objects) {
        if (known == object) out.push_back(name);
      }
    }
    for (const auto& [name, object] : objects) {
      EXPECT_EQ(object->IsSelected(), Selection().Contains(object)) << name;
    }
    EXPECT_FALSE(w->GetCurrentCamera()->IsSelected()) << "the camera one looks through";
    std::sort(out.begin(), out.end());
    return out;
  }

  CNotingDocWindow* w = nullptr;
  std::map<std::string, C3dObject*> objects;
  SActionCounts counts;
  CUndoableAction* previous = nullptr;
};

TEST_F(DocSelectionCommands, EachCommandSelectsWhatItMatches) {
  const uint32_t kSphere = FourCC("sphr"), kCone = FourCC("cone");
  struct SCase {
    const char* what;
    Names before;
    bool shift;
    std::function<int32_t(CDocWindow&)> command;
    Names after;
  } cases[] = {
      {"all: top-level objects not left out", {"left"}, false, [](CDocWindow& x) { return x.SelectAll(); },
       {"ball", "ground", "lamp", "lattice", "mesh", "pair", "spot", "stone", "terrain"}},
      {"none", {"ball", "left"}, false, [](CDocWindow& x) { return x.DeselectAll(); }, {}},
      {"inverse: a member selected alone keeps its bit", {"ball", "lamp", "left"}, false,
       [](CDocWindow& x) { return x.InvertSelection(); },
       {"ground", "lattice", "left", "mesh", "pair", "spot", "stone", "terrain"}},
      {"imported meshes", {"ball"}, false, [](CDocWindow& x) { return x.SelectImportedMeshes(); }, {"mesh"}},
      {"imported meshes with Shift", {"ball", "mesh"}, true, [](CDocWindow& x) { return x.SelectImportedMeshes(); },
       {"ball"}},
      {"family: group members stay as they were", {"lamp", "right"}, false,
       [](CDocWindow& x) { return x.SelectFamily(5); }, {"ball", "right", "terrain"}},
      {"family with Shift toggles", {"ball", "lamp"}, true, [](CDocWindow& x) { return x.SelectFamily(5); },
       {"lamp", "terrain"}},
      {"terrains, not lattices", {"ball"}, false, [](CDocWindow& x) { return x.SelectKind(C3dHeightField::kClassTag); },
       {"terrain"}},
      {"lattices only", {}, false, [](CDocWindow& x) { return x.SelectKind(FourCC("symh")); }, {"lattice"}},
      {"stones only", {"mesh"}, false, [](CDocWindow& x) { return x.SelectKind(C3dTriangleMesh::kClassTag); },
       {"stone"}},
      {"a shape class, not the light of that class", {}, false, [=](CDocWindow& x) { return x.SelectKind(kSphere); },
       {"ball"}},
      {"kind with Shift toggles", {"terrain", "ball"}, true,
       [](CDocWindow& x) { return x.SelectKind(C3dHeightField::kClassTag); }, {"ball"}},
      {"light class", {"ball"}, false, [=](CDocWindow& x) { return x.SelectLightClass(kSphere); }, {"lamp"}},
      {"light class with Shift selects, never toggles", {"lamp", "ball"}, true,
       [=](CDocWindow& x) { return x.SelectLightClass(kSphere); }, {"ball", "lamp"}},
      {"another light class with Shift", {"ball"}, true, [=](CDocWindow& x) { return x.SelectLightClass(kCone); },
       {"ball", "spot"}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.what);
    SelectOnly(c.before);
    if (c.shift) Keys("key", {kShift});
    w->notified.clear();
    EXPECT_EQ(c.command(*w), 0);
    if (c.shift) Keys("keyup", {kShift});
    EXPECT_EQ(Selected(), c.after);
    EXPECT_TRUE(w->notified.empty()) << "neither F10 nor the window's flag";
    EXPECT_TRUE(w->GetDirtyBits() & CDocWindow::kDirtyRedraw);
    EXPECT_EQ(w->GetDocument()->GetUndoHistory().GetCurrentAction(), previous);
  }
}

// Inverting twice gives the selection back, and the group still counts its one selected member.
TEST_F(DocSelectionCommands, InvertingTwiceRestoresTheSelectionAndTheGroupsCount) {
  SelectOnly({"left", "ball"});
  ASSERT_TRUE(objects["pair"]->GetStateFlags() & C3dObject::kMemberSelected);
  EXPECT_EQ(w->InvertSelection(), 0);
  EXPECT_EQ(w->InvertSelection(), 0);
  EXPECT_EQ(Selected(), (Names{"ball", "left"}));
  Selection().Deselect(objects["left"]);
  EXPECT_FALSE(objects["pair"]->GetStateFlags() & C3dObject::kMemberSelected);
}

TEST_F(DocSelectionCommands, TheControlPaletteHearsOfSelectionsWithF10OrTheFlagAndOfSoloAlways) {
  w->notified.clear();
  w->SelectAll();
  w->SetFlags(CDocWindow::kNotifyDrags);
  w->DeselectAll();
  w->ClearFlags(CDocWindow::kNotifyDrags);
  Keys("key", {kF10});
  w->InvertSelection();
  Keys("keyup", {kF10});
  w->SoloSelection();
  w->EndSolo();
  EXPECT_EQ(w->notified, (std::vector<uint32_t>{2, 2, 4, 4}));
}

// Solo hides and leaves out everything not selected, alone or through its group; ending it gives
// every object back its flags, the one left out for a reason of its own included.
TEST_F(DocSelectionCommands, SoloThenEndSoloLeavesEveryObjectAsItWas) {
  C3dCamera* camera = w->GetCurrentCamera();
  std::map<std::string, std::pair<uint32_t, uint32_t>> before;
  for (const auto& [name, object] : objects) before[name] = {object->GetFlags(), object->GetStateFlags()};
  const std::pair<uint32_t, uint32_t> cameraBefore{camera->GetFlags(), camera->GetStateFlags()};
  SelectOnly({"ball", "pair"});
  EXPECT_EQ(w->SoloSelection(), 0);
  for (const char* name : {"ground", "lamp", "lattice", "mesh", "spot", "stone", "terrain"}) {
    C3dObject* object = objects[name];
    EXPECT_EQ(object->GetFlags() & 0x14u, 0x14u) << name;
    EXPECT_TRUE(object->GetStateFlags() & C3dObject::kExcluded) << name;
  }
  for (const char* name : {"ball", "pair", "left", "right", "aside"}) {
    EXPECT_EQ(objects[name]->GetFlags() & 0x10u, 0u) << name;
  }
  // What solo left out, the selection commands pass over.
  EXPECT_EQ(w->SelectAll(), 0);
  EXPECT_EQ(Selected(), (Names{"ball", "pair"}));

  EXPECT_EQ(w->EndSolo(), 0);
  Selection().DeselectAll(1);
  for (const auto& [name, object] : objects) {
    EXPECT_EQ(object->GetFlags(), before[name].first) << name;
    EXPECT_EQ(object->GetStateFlags(), before[name].second) << name;
  }
  EXPECT_EQ(camera->GetFlags(), cameraBefore.first);
  EXPECT_EQ(camera->GetStateFlags(), cameraBefore.second);
  EXPECT_EQ(w->GetDocument()->GetUndoHistory().GetCurrentAction(), previous);
}

}  // namespace
