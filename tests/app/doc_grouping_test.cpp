// Grouping and ungrouping the selection, each one undo step.
#include <gtest/gtest.h>

#include "editing/delete_action.h"
#include "editing/group_action.h"
#include "editing/undo_history.h"
#include "tests/app/doc_commands_fixture.h"
#include "tests/editing/counting_action.h"

namespace {

class DocGrouping : public DocCommandsTest {
 protected:
  CUndoHistory& History() { return window->GetDocument()->GetUndoHistory(); }
  SActionCounts counts;
};

TEST_F(DocGrouping, TheFirstGroupOfASceneIsNumberedOneAndUndoingItSelectsItsMembers) {
  CDocWindow& w = Made();
  C3dCube* left = AddShape<C3dCube>("left", {-2, 0, 0});
  C3dCube* right = AddShape<C3dCube>("right", {2, 1, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  SelectOnly({left, right});
  ASSERT_EQ(w.GroupSelection(), 0);
  auto* action = dynamic_cast<CGroupAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  C3dGroup* group = action->GetGroup();
  EXPECT_STREQ(group->TypeName(), "C3dGroupType");
  EXPECT_EQ(group->GetGroupNumber(), 1u);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{group}));

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_NE(group->GetOwningTable(), w.GetSceneTable());
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{right, left}));
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(group->GetOwningTable(), w.GetSceneTable());
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{group}));
  EXPECT_FALSE(left->IsSelected() || right->IsSelected());
}

// Fewer than two selected objects: nothing made and the last undo step kept.
TEST_F(DocGrouping, GroupingOneObjectOrNoneKeepsThePreviousUndoStep) {
  CDocWindow& w = Made();
  C3dCube* cube = AddShape<C3dCube>("one", {0, 0, 0});
  auto* previous = new CCountingAction(&counts);
  ASSERT_EQ(History().Push(previous), 0);
  const std::vector<std::string> scene = Describe(w.GetSceneTable());
  for (bool one : {false, true}) {
    SelectOnly({});
    if (one) Selection().Add(cube, 0, 0);
    EXPECT_EQ(w.GroupSelection(), 0);
    EXPECT_EQ(Describe(w.GetSceneTable()), scene);
    EXPECT_EQ(History().GetCurrentAction(), previous);
  }
}

TEST_F(DocGrouping, UngroupingSelectsExactlyTheMembersAndOneUndoBringsTheGroupBack) {
  CDocWindow& w = Made();
  C3dCube* left = AddShape<C3dCube>("left", {-2, 0, 0});
  C3dCube* right = AddShape<C3dCube>("right", {2, 0, 0});
  C3dSphere* outside = AddShape<C3dSphere>("outside", {0, 5, 0});
  C3dGroup* group = AddGroup("pair", {left, right});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  SelectOnly({group});

  ASSERT_EQ(w.UngroupSelection(), 0);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{left, right}));
  EXPECT_NE(group->GetOwningTable(), w.GetSceneTable());
  EXPECT_EQ(left->GetParent(), nullptr);
  EXPECT_EQ(right->GetParent(), nullptr);
  EXPECT_FALSE(outside->IsSelected());
  ASSERT_NE(dynamic_cast<CDeleteAction*>(History().GetCurrentAction()), nullptr);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(group->GetOwningTable(), w.GetSceneTable());
  EXPECT_EQ(left->GetParent(), group);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{group}));
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{left, right}));
  EXPECT_NE(group->GetOwningTable(), w.GetSceneTable());
}

// 'ugrp' on one object that is no group changes nothing but still replaces the last undo step.
TEST_F(DocGrouping, UngroupingAnObjectThatIsNoGroupRecordsAnEmptyStep) {
  CDocWindow& w = Made();
  C3dSphere* sphere = AddShape<C3dSphere>("ball", {0, 0, 0});
  ASSERT_EQ(w.FindSceneParts(true), 0);
  ASSERT_EQ(History().Push(new CCountingAction(&counts)), 0);
  const std::vector<std::string> scene = Describe(w.GetSceneTable());
  SelectOnly({sphere});
  ASSERT_EQ(w.UngroupSelection(), 0);
  EXPECT_EQ(Describe(w.GetSceneTable()), scene);
  EXPECT_EQ(counts.deletions, 1);
  auto* action = dynamic_cast<CDeleteAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetObjects().GetCount(), 0u);
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{sphere}));
}

}  // namespace
