// The actions that take moves back: the camera's, a move by a vector, and a change of transforms.
#include <gtest/gtest.h>

#include "editing/camera_action.h"
#include "editing/matrix_action.h"
#include "editing/translate_action.h"
#include "tests/editing/editing_fixture.h"

namespace {

class MoveActionsTest : public EditingTest {
 protected:
  CUndoHistory& History() { return document->GetUndoHistory(); }
  static void ExpectMatrix(C3dObject* object, const C34Matrix& expected, const char* what) {
    const C34Matrix actual = object->GetPlacement().CurrentMatrix();
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-9) << what << " " << i;
  }
};

TEST_F(MoveActionsTest, ACameraMoveIsRestoredOnceAndRedoneToWhereItWas) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  ASSERT_NE(camera, nullptr);
  camera->SetTransformVector3({0, 5, -20});
  camera->SetOrigin({0, 5, 0});
  const SCameraView before = camera->GetView();
  auto* action = new CCameraAction(camera);
  ASSERT_TRUE(action->IsValid());

  camera->SetTransformVector3({10, 2, 3});
  camera->SetOrigin({1, 1, 1});
  camera->GetView().extentX = 0.5;
  camera->GetView().fieldAngle = 0.7;
  const SCameraView moved = camera->GetView();
  ASSERT_EQ(History().Push(action), 0);
  host.calls.clear();

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(camera->GetTransformVector3(), (vector3<double>{0, 5, -20}));
  ExpectNear(camera->GetView().direction, before.direction);
  EXPECT_EQ(camera->GetView().target, before.target);
  EXPECT_EQ(camera->GetView().extentX, 1.0);
  EXPECT_EQ(camera->GetView().fieldAngle, before.fieldAngle);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"cache camera"}));

  // The second Undo beeps; had it captured again, Redo would stay at the restored place.
  camera->SetTransformVector3({7, 7, 7});
  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(camera->GetTransformVector3(), (vector3<double>{7, 7, 7}));
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(camera->GetTransformVector3(), (vector3<double>{10, 2, 3}));
  ExpectNear(camera->GetView().direction, moved.direction);
  ExpectNear(camera->GetView().up, moved.up);
  EXPECT_EQ(camera->GetView().extentX, 0.5);
  EXPECT_EQ(camera->GetView().fieldAngle, 0.7);
}

TEST_F(MoveActionsTest, AMoveByAVectorIsTakenBackExceptForLockedObjects) {
  C3dSphere *free = NewSphere({1, 1, 1}, {1, 2, 3}), *locked = NewSphere({1, 1, 1}, {0, 0, 0});
  locked->SetFlags(C3dObject::kTransformLocked);
  CDynTable<C3dObject*> moved(SRange{0, 4});
  ASSERT_TRUE(moved.Append(free) && moved.Append(locked));
  const vector3<double> offset{0.5, -1, 2};
  auto* action = new CTranslateAction(offset, moved);
  ASSERT_TRUE(action->IsValid());
  moved.Clear();
  free->Translate(offset);
  ASSERT_EQ(History().Push(action), 0);

  ASSERT_EQ(History().Undo(), 0);
  EXPECT_EQ(free->GetTransformVector3(), (vector3<double>{1, 2, 3}));
  EXPECT_EQ(locked->GetTransformVector3(), (vector3<double>{0, 0, 0}));
  ASSERT_EQ(History().Redo(), 0);
  EXPECT_EQ(free->GetTransformVector3(), (vector3<double>{1.5, 1, 5}));
  EXPECT_EQ(locked->GetTransformVector3(), (vector3<double>{0, 0, 0}));
}

TEST_F(MoveActionsTest, UndoingAGroupsTransformRestoresItsMembersAndItsBox) {
  C3dSphere* a = NewSphere({1, 2, 1}, {-2, 0, 0});
  C3dSphere* b = NewSphere({1, 1, 1}, {3, 1, 0});
  C3dGroup* inner = NewGroup({b});
  C3dGroup* group = NewGroup({a, inner});
  inner->ComputeBounds();
  group->ComputeBounds();
  const C34Matrix matrixA = a->GetPlacement().CurrentMatrix(), matrixB = b->GetPlacement().CurrentMatrix();
  const C3dBox box = group->GetBox();

  auto* action = new CMatrixAction;
  ASSERT_EQ(action->AddObject(group), 0);
  // Members first, the last member first, at every depth.
  const CDynTable<C3dObject*>& listed = action->GetObjects();
  ASSERT_EQ(listed.GetCount(), 4u);
  EXPECT_EQ(listed[0], b);
  EXPECT_EQ(listed[1], inner);
  EXPECT_EQ(listed[2], a);
  EXPECT_EQ(listed[3], group);
  group->RotateAboutPoint({1, 0, 0}, SQuaternion{0.8, 0.6, 0, 0});
  group->ScaleAlongAxis({0, 0, 0}, SAxisScale{{0, 1, 0}, 3});
  const C34Matrix changedA = a->GetPlacement().CurrentMatrix(), changedB = b->GetPlacement().CurrentMatrix();
  const C3dBox changedBox = group->GetBox();
  ASSERT_EQ(History().Push(action), 0);

  ASSERT_EQ(History().Undo(), 0);
  ExpectMatrix(a, matrixA, "a undone");
  ExpectMatrix(b, matrixB, "b undone");
  ExpectNear(group->GetBox().fMin, box.fMin, 1e-9, "box undone");
  ExpectNear(group->GetBox().fMax, box.fMax, 1e-9, "box undone");
  ASSERT_EQ(History().Redo(), 0);
  ExpectMatrix(a, changedA, "a redone");
  ExpectMatrix(b, changedB, "b redone");
  ExpectNear(group->GetBox().fMin, changedBox.fMin, 1e-9, "box redone");
  ExpectNear(group->GetBox().fMax, changedBox.fMax, 1e-9, "box redone");
}

TEST_F(MoveActionsTest, AMirroredObjectComesBackMirrored) {
  C3dSphere* sphere = NewSphere({1, 2, 0.5}, {1, 2, 3});
  sphere->GetPlacement().SetRotation({0.3, 0.2, -0.4});
  sphere->ScaleAlongAxis({0, 0, 0}, SAxisScale{{1, 0, 0}, -1});
  const C34Matrix mirrored = sphere->GetPlacement().CurrentMatrix();
  auto* action = new CMatrixAction;
  ASSERT_EQ(action->AddObject(sphere), 0);
  sphere->ResetRotationAndSize();
  sphere->Translate({4, 0, 0});
  const C34Matrix changed = sphere->GetPlacement().CurrentMatrix();
  ASSERT_EQ(History().Push(action), 0);

  ASSERT_EQ(History().Undo(), 0);
  ExpectMatrix(sphere, mirrored, "undone");
  ASSERT_EQ(History().Redo(), 0);
  ExpectMatrix(sphere, changed, "redone");
}

}  // namespace
