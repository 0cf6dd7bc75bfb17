// The actions that take objects out of the scene and bring them back: delete, create and group.
#include <gtest/gtest.h>

#include "editing/convert_action.h"
#include "editing/create_action.h"
#include "editing/delete_action.h"
#include "editing/group_action.h"
#include "platform/alloc.h"
#include "scene/cube.h"
#include "tests/editing/counting_action.h"
#include "tests/editing/editing_fixture.h"

namespace {

int gFreed = 0;

// A solid that counts its deletions, so that a test sees what an action frees and how often.
class CCountedSolid : public CTestSolid {
 public:
  static constexpr uint32_t kClassTag = FourCC("tcnt");
  using CTestSolid::CTestSolid;
  ~CCountedSolid() override { ++gFreed; }
};

class StructureActionsTest : public EditingTest {
 protected:
  void SetUp() override {
    EditingTest::SetUp();
    gFreed = 0;
  }
  CUndoHistory& History() { return document->GetUndoHistory(); }
  std::vector<C3dObject*> NewCounted(int count) {
    std::vector<C3dObject*> out;
    for (int i = 0; i < count; ++i) out.push_back(MakeObject<CCountedSolid>(table));
    return out;
  }
  void PushSomethingElse() { ASSERT_EQ(History().Push(new CCountingAction(&counts)), 0); }

  SActionCounts counts;
};

TEST_F(StructureActionsTest, UndoingADeletionBringsTheObjectsBackAsTheSelection) {
  C3dSphere *a = NewSphere(), *b = NewSphere(), *c = NewSphere(), *other = NewSphere();
  const uint32_t idOfB = b->GetId();
  for (C3dObject* object : {static_cast<C3dObject*>(a), static_cast<C3dObject*>(b), static_cast<C3dObject*>(c)})
    Selection().Add(object, 0, 0);
  auto* action = new CDeleteAction(table);
  Selection().ExtractSelected(action);
  ASSERT_EQ(History().Push(action), 0);
  EXPECT_EQ(action->GetDocument(), document.get());
  Selection().Add(other, 1, 0);
  host.calls.clear();

  ASSERT_EQ(History().Undo(), 0);
  for (C3dObject* object : {a, b, c}) EXPECT_TRUE(InScene(object));
  EXPECT_EQ(b->GetId(), idOfB);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{a, b, c}));
  EXPECT_FALSE(other->IsSelected());
  EXPECT_EQ(host.calls, (std::vector<std::string>{"find parts, relinked"}));

  ASSERT_EQ(History().Redo(), 0);
  for (C3dObject* object : {a, b, c}) {
    EXPECT_EQ(object->GetOwningTable(), action->GetHoldingTable());
    EXPECT_FALSE(object->IsSelected());
  }
  EXPECT_TRUE(Listed().empty());
  EXPECT_TRUE(InScene(other));
}

TEST_F(StructureActionsTest, ADeletionFreesItsObjectsOnceAndOnlyWhileItHoldsThem) {
  for (bool undoFirst : {false, true}) {
    gFreed = 0;
    const std::vector<C3dObject*> objects = NewCounted(3);
    auto* action = new CDeleteAction(table);
    for (C3dObject* object : objects) ASSERT_TRUE(action->AddObject(object));
    ASSERT_EQ(History().Push(action), 0);
    if (undoFirst) {
      ASSERT_EQ(History().Undo(), 0);
    }
    PushSomethingElse();
    EXPECT_EQ(gFreed, undoFirst ? 0 : 3) << undoFirst;
    if (undoFirst) {
      for (C3dObject* object : objects) EXPECT_TRUE(InScene(object));
    }
  }
}

TEST_F(StructureActionsTest, RedoingAnUngroupingSelectsTheGroupsMembers) {
  C3dSphere *m0 = NewSphere(), *m1 = NewSphere(), *other = NewSphere();
  C3dGroup* group = NewGroup({m0, m1});
  auto* action = new CDeleteAction(table);
  ASSERT_TRUE(action->AddObject(group));
  ASSERT_EQ(History().Push(action), 0);
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{group}));
  Selection().Add(other, 0, 0);

  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{m0, m1}));
  EXPECT_EQ(group->GetOwningTable(), action->GetHoldingTable());
  EXPECT_TRUE(InScene(m0));
}

TEST_F(StructureActionsTest, UndoingACreationTakesTheObjectsOutAndRedoBringsThemBackSelected) {
  C3dSphere* before = NewSphere();
  Selection().Add(before, 1, 0);
  C3dSphere *a = NewSphere(), *b = NewSphere();
  const uint32_t idOfA = a->GetId();
  auto* action = new CCreateAction(table);
  ASSERT_TRUE(action->AddObject(a));
  ASSERT_TRUE(action->AddObject(b));
  EXPECT_FALSE(action->AddObject(nullptr));
  Selection().Add(a, 1, 0);
  ASSERT_EQ(History().Push(action), 0);
  EXPECT_EQ(action->GetHoldingTable(), nullptr);
  host.calls.clear();

  ASSERT_EQ(History().Undo(), 0);
  for (C3dObject* object : {a, b}) {
    EXPECT_EQ(object->GetOwningTable(), action->GetHoldingTable());
    EXPECT_FALSE(object->IsSelected());
  }
  EXPECT_TRUE(Listed().empty());
  EXPECT_EQ(host.calls, (std::vector<std::string>{"find parts, relinked"}));

  Selection().Add(before, 1, 0);
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_TRUE(InScene(a) && InScene(b));
  EXPECT_EQ(a->GetId(), idOfA);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{a, b}));
  EXPECT_FALSE(before->IsSelected());
}

TEST_F(StructureActionsTest, ACreationFreesItsObjectsOnlyWhenDeletedUndone) {
  for (bool undoFirst : {false, true}) {
    gFreed = 0;
    const std::vector<C3dObject*> objects = NewCounted(2);
    auto* action = new CCreateAction(table);
    for (C3dObject* object : objects) ASSERT_TRUE(action->AddObject(object));
    ASSERT_EQ(History().Push(action), 0);
    if (undoFirst) {
      ASSERT_EQ(History().Undo(), 0);
    }
    PushSomethingElse();
    EXPECT_EQ(gFreed, undoFirst ? 2 : 0) << undoFirst;
  }
}

TEST_F(StructureActionsTest, ACreationWhoseHoldingTableCannotBeMadeStaysDone) {
  C3dSphere* sphere = NewSphere();
  auto* action = new CCreateAction(table);
  ASSERT_TRUE(action->AddObject(sphere));
  ASSERT_EQ(History().Push(action), 0);
  platform::FailNextAllocations(1);
  EXPECT_EQ(History().Undo(), 9);
  EXPECT_TRUE(InScene(sphere));
  EXPECT_EQ(action->GetUndone(), 0);
  EXPECT_EQ(History().Undo(), 0);
  EXPECT_FALSE(InScene(sphere));
}

// A sphere in a group replaced by a cube: undone, the sphere is back in its group and the cube out of
// the scene; redone, the other way.
TEST_F(StructureActionsTest, UndoingAConversionPutsTheOldObjectBackIntoItsGroup) {
  C3dSphere *sphere = NewSphere(), *other = NewSphere();
  C3dGroup* group = NewGroup({sphere, other});
  auto* action = new CConvertAction(table);
  ASSERT_TRUE(action->IsValid());
  C3dCube* cube = MakeShape<C3dCube>(table);
  ASSERT_EQ(group->AddChild(cube), 0);
  ASSERT_EQ(group->RemoveChild(sphere), 0);
  ASSERT_EQ(document->DeleteObjectUndoable(action->GetDeletePart(), sphere), 0);
  ASSERT_TRUE(action->GetCreatePart()->AddObject(cube));
  ASSERT_TRUE(action->AddReplacement(sphere, cube, group));
  ASSERT_EQ(History().Push(action), 0);
  auto members = [&] {
    std::vector<C3dObject*> out;
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) out.push_back(group->GetMember(i));
    return out;
  };

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_TRUE(InScene(sphere));
  EXPECT_EQ(sphere->GetParent(), group);
  EXPECT_FALSE(InScene(cube));
  EXPECT_EQ(members(), (std::vector<C3dObject*>{other, sphere}));
  EXPECT_FALSE(sphere->IsSelected());

  ASSERT_EQ(History().Redo(), 0);
  EXPECT_TRUE(InScene(cube));
  EXPECT_EQ(cube->GetParent(), group);
  EXPECT_FALSE(InScene(sphere));
  EXPECT_EQ(members(), (std::vector<C3dObject*>{other, cube}));
}

TEST_F(StructureActionsTest, AConversionIsValidOnlyWithBothParts) {
  platform::FailNextAllocations(1);
  CConvertAction withoutDeletePart(table);
  EXPECT_FALSE(withoutDeletePart.IsValid());
  EXPECT_EQ(withoutDeletePart.Undo(), 9);
}

}  // namespace
