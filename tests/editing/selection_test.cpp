#include "editing/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "editing/delete_action.h"
#include "platform/alloc.h"
#include "scene/cube.h"
#include "scene/sphere_light.h"
#include "scene/torus.h"
#include "tests/editing/editing_fixture.h"

namespace {

class SelectionTest : public EditingTest {
 protected:
  std::vector<C3dObject*> Objects(const std::vector<int>& indices, const std::vector<C3dObject*>& all) {
    std::vector<C3dObject*> out;
    for (int i : indices) out.push_back(all[size_t(i)]);
    return out;
  }
};

// One step of a selection case: 'a' Add, 'd' Deselect, 'D' DeselectAll (exclusive is its notify
// byte), 'L' lock the object, 'F' refuse the next allocation.
struct SSelectStep {
  char op;
  int object = 0;
  uint8_t exclusive = 0;
  uint8_t force = 0;
};

struct SSelectCase {
  const char* what;
  std::vector<SSelectStep> steps;
  std::vector<int> listed;      // in order
  std::vector<int> marked;      // objects whose selected bit is set
  uint32_t groupCount;          // the group's selected members
};

TEST_F(SelectionTest, AddAndDeselectKeepTheListTheBitsAndTheGroupCountInStep) {
  enum { s0, s1, s2, m0, m1, g };
  const SSelectCase cases[] = {
      {"adding a selected object again changes nothing, even exclusively",
       {{'a', s0}, {'a', s1}, {'a', s0, 1}}, {s0, s1}, {s0, s1}, 0},
      {"exclusive deselects the others, each told to its group",
       {{'a', m0}, {'a', m1}, {'a', s2}, {'a', s0, 1}}, {s0}, {s0}, 0},
      {"a group counts its selected members", {{'a', m0}, {'a', s0}, {'a', m1}}, {m0, s0, m1}, {m0, s0, m1}, 2},
      {"deselecting a member lowers the count", {{'a', m0}, {'a', m1}, {'d', m0}}, {m1}, {m1}, 1},
      {"deselecting what is not listed changes nothing", {{'a', m0}, {'d', m1}, {'d', s0}}, {m0}, {m0}, 1},
      {"a locked object is refused unless forced", {{'L', s0}, {'a', s0}, {'a', s1}, {'a', s0, 0, 1}}, {s1, s0},
       {s1, s0}, 0},
      {"a member of a locked group is refused unless forced", {{'L', g}, {'a', m0}, {'a', m1, 0, 1}}, {m1}, {m1}, 1},
      {"deselecting all with notification clears bits and counts", {{'a', m0}, {'a', s0}, {'D', 0, 1}}, {}, {}, 0},
      {"deselecting all without notification keeps the bits", {{'a', m0}, {'a', s0}, {'D', 0, 0}}, {},
       {m0, s0}, 1},
      {"an object the list cannot take stays unselected", {{'F'}, {'a', m0}}, {}, {}, 0},
  };
  for (const SSelectCase& c : cases) {
    document = std::make_unique<C3dDocument>(&host);
    const std::vector<C3dObject*> spheres{NewSphere(), NewSphere(), NewSphere(), NewSphere(), NewSphere()};
    C3dGroup* group = NewGroup({spheres[m0], spheres[m1]});
    std::vector<C3dObject*> all(spheres);
    all.push_back(group);
    for (const SSelectStep& step : c.steps) {
      C3dObject* object = all[size_t(step.object)];
      switch (step.op) {
        case 'a':
          Selection().Add(object, step.exclusive, step.force);
          break;
        case 'd':
          Selection().Deselect(object);
          break;
        case 'D':
          Selection().DeselectAll(step.exclusive);
          break;
        case 'L':
          object->SetFlags(C3dObject::kTransformLocked);
          break;
        case 'F':
          // The pool asks for memory twice before it gives up.
          platform::FailNextAllocations(2);
          break;
      }
    }
    EXPECT_EQ(Listed(), Objects(c.listed, all)) << c.what;
    for (size_t i = 0; i < all.size(); ++i) {
      const bool marked = std::find(c.marked.begin(), c.marked.end(), int(i)) != c.marked.end();
      EXPECT_EQ(all[i]->IsSelected(), marked) << c.what << ", object " << i;
    }
    EXPECT_EQ(group->GetSelectedCount(), c.groupCount) << c.what;
    EXPECT_EQ((group->GetStateFlags() & C3dObject::kMemberSelected) != 0, c.groupCount > 0) << c.what;
    document.reset();
    for (C3dObject* object : all) object->ClearFlags(C3dObject::kSelected | C3dObject::kTransformLocked);
  }
}

TEST_F(SelectionTest, ExtractingMovesGroupsWithTheirMembersFirstAndLeavesCamerasBehind) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphere *s0 = NewSphere(), *m0 = NewSphere(), *m1 = NewSphere(), *i0 = NewSphere(), *i1 = NewSphere();
  C3dGroup* inner = NewGroup({i0, i1});
  C3dGroup* outer = NewGroup({m0, inner, m1});
  C3dSphere* kept = NewSphere();
  ASSERT_TRUE(camera && s0 && inner && outer && kept);
  Selection().Add(camera, 0, 0);
  Selection().Add(i1, 0, 0);
  Selection().Add(outer, 0, 0);
  Selection().Add(s0, 0, 0);
  ASSERT_EQ(Selection().GetCount(), 4u);
  CDeleteAction action(table);
  ASSERT_TRUE(action.IsValid());
  Selection().ExtractSelected(&action);

  const std::vector<C3dObject*> expected{m0, i0, i1, inner, m1, outer, s0};
  const CDynTable<C3dObject*>& held = action.GetObjects();
  ASSERT_EQ(held.GetCount(), expected.size());
  for (uint32_t i = 0; i < held.GetCount(); ++i) {
    EXPECT_EQ(held[i], expected[i]) << i;
    EXPECT_EQ(held[i]->GetOwningTable(), action.GetHoldingTable()) << i;
    EXPECT_FALSE(held[i]->IsSelected()) << i;
  }
  EXPECT_TRUE(InScene(camera));
  EXPECT_FALSE(camera->IsSelected());
  EXPECT_TRUE(InScene(kept));
  EXPECT_EQ(inner->GetSelectedCount(), 0u);
  EXPECT_EQ(Selection().GetCount(), 0u);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"find parts, relinked", "objinfochanged 2"}));
}

TEST_F(SelectionTest, RemoveTakesOneListedObjectOutThroughTheActionOrDeletesIt) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphere *listed = NewSphere(), *unlisted = NewSphere(), *member = NewSphere(), *other = NewSphere();
  C3dGroup* group = NewGroup({member, other});
  ASSERT_TRUE(camera && group);
  Selection().Add(camera, 0, 0);
  Selection().Add(listed, 0, 0);
  Selection().Add(member, 0, 1);
  CDeleteAction action(table);

  Selection().Remove(&action, camera);
  Selection().Remove(&action, unlisted);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{camera, listed, member}));
  EXPECT_TRUE(host.calls.empty());

  Selection().Remove(&action, listed);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{camera, member}));
  ASSERT_EQ(action.GetObjects().GetCount(), 1u);
  EXPECT_EQ(action.GetObjects()[0], listed);
  EXPECT_FALSE(listed->IsSelected());
  EXPECT_EQ(host.calls, (std::vector<std::string>{"find parts, relinked"}));

  // Without an action there is nothing to keep the object for: it goes, and its group forgets it.
  Selection().Remove(nullptr, member);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{camera}));
  ASSERT_EQ(group->GetMemberCount(), 1u);
  EXPECT_EQ(group->GetMember(0), other);
  EXPECT_EQ(group->GetSelectedCount(), 0u);
  EXPECT_EQ(other->GetParent(), group);
  EXPECT_TRUE(InScene(camera) && InScene(unlisted));
}

TEST_F(SelectionTest, ObjectsOfAnotherTableAreDroppedWithoutTouchingTheirFlags) {
  C3dBaseSys elsewhere(ObjectsEnv());
  C3dSphere* here = NewSphere();
  C3dSphere* there = MakeShape<C3dSphere>(&elsewhere);
  C3dSphere* member = NewSphere();
  C3dGroup* group = NewGroup({member});
  Selection().Add(there, 0, 0);
  Selection().Add(here, 0, 0);
  Selection().Add(member, 0, 0);
  ASSERT_EQ(elsewhere.TransferObject(member, &elsewhere), 0);
  Selection().RemoveNotOwnedBy(table);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{here}));
  EXPECT_TRUE(there->IsSelected());
  EXPECT_TRUE(member->IsSelected());
  EXPECT_EQ(group->GetSelectedCount(), 1u);
  document.reset();
}

TEST_F(SelectionTest, SelectedObjectsOfAListAreAppendedInOrder) {
  C3dSphere *a = NewSphere(), *b = NewSphere(), *member = NewSphere();
  C3dGroup* group = NewGroup({member});
  SetObjectList({a, b, member, group});
  member->SetFlags(C3dObject::kSelected);
  a->SetFlags(C3dObject::kSelected);
  CHolder holder(list.get(), false, false);
  ASSERT_TRUE(holder.IsLocked());
  Selection().AddSelectedOf(list.get());
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{a, member}));
  EXPECT_EQ(group->GetSelectedCount(), 1u);
}

// The overlay buttons' flag word; its count is how many buttons it names.
TEST_F(SelectionTest, TheButtonMaskFollowsKindPlaceAndGroupingOfTheSelection) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  C3dSphereLight* light = MakeObject<C3dSphereLight>(table);
  ASSERT_TRUE(camera && light);
  camera->SetTransformVector3({0, 10, 0});
  // Resting on the ground: the world box's lowest point at y = 0.
  light->SetTransformVector3({0, -light->WorldBox().fMin.y, 0});
  C3dSphere *high = NewSphere({1, 1, 1}, {0, 1, 0}), *high2 = NewSphere({1, 1, 1}, {3, 1, 0});
  C3dCube *cube = MakeShape<C3dCube>(table), *cube2 = MakeShape<C3dCube>(table);
  ASSERT_TRUE(cube && cube2);
  Place(cube, {2, 2, 2}, {0, 0, 0});
  Place(cube2, {2, 2, 2}, {3, 0, 0});
  C3dGroup* cubes = NewGroup({cube, cube2});
  C3dTorus* torus = MakeShape<C3dTorus>(table);
  ASSERT_TRUE(torus);
  Place(torus, {1, 1, 1}, {0, 5, 0});
  ASSERT_NEAR(light->WorldBox().fMin.y, 0, 1e-9);
  ASSERT_LE(cubes->WorldBox().fMin.y, -1);

  struct SMaskCase {
    const char* what;
    std::vector<C3dObject*> selected;
    uint32_t mask;
    uint32_t count;
  } const cases[] = {
      {"no selection", {}, 0, 0},
      {"the camera alone", {camera}, 0, 0},
      {"a light on the ground", {light}, 0x27, 4},
      {"two ungrouped spheres standing on the ground", {high, high2}, 0x2B, 4},
      {"a group reaching below the ground", {cubes}, 0x73, 5},
      {"the camera listed first, above the ground", {camera, high}, 0xAA, 4},
      {"a group member among others", {cube, high}, 0x63, 4},
      {"a torus above the ground", {torus}, 0xA7, 5},
  };
  for (const SMaskCase& c : cases) {
    Selection().DeselectAll(1);
    for (C3dObject* object : c.selected) Selection().Add(object, 0, 1);
    uint32_t mask = 0xDEAD;
    EXPECT_EQ(Selection().GetButtonMask(&mask), c.count) << c.what;
    EXPECT_EQ(mask, c.mask) << c.what;
  }
}

TEST_F(SelectionTest, TheViewReadsTheSetAndWritesItsHandlesBack) {
  C3dSphere* sphere = NewSphere();
  CViewSelection& view = Selection();
  EXPECT_EQ(view.GetCount(), 0u);
  EXPECT_EQ(view.GetObject(0), nullptr);
  Selection().Add(sphere, 0, 0);
  EXPECT_EQ(view.GetCount(), 1u);
  EXPECT_EQ(view.GetObject(0), sphere);
  EXPECT_EQ(view.GetObject(1), nullptr);
  EXPECT_EQ(view.GetBoxMode(), 0u);
  Selection().SetCoordinateMode(CSelection::kObjectAxes);
  EXPECT_EQ(view.GetBoxMode(), 1u);
  EXPECT_EQ(view.GetHandleSize(), 3);
  view.SetHandle(14, 120, -7, {1, 2, 3});
  view.SetHandle(CViewSelection::kHandleCount, 1, 1, {});
  int32_t x = 0, y = 0;
  Selection().GetHandle(14, &x, &y);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, -7);
  ExpectNear(Selection().GetHandleWorldPoint(14), {1, 2, 3});
}

}  // namespace
