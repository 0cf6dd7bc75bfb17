// The operations on the whole selection: align on the first object, snap to the grid, nudges in the
// three coordinate modes, the randomize pair, and the navigation by kind and by position.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "framework/core/four_cc.h"
#include "framework/core/random.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "scene/cone_light.h"
#include "scene/cube.h"
#include "scene/cube_light.h"
#include "tests/editing/editing_fixture.h"

namespace {

constexpr uint32_t kShift = 16;

class SelectionOps : public EditingCameraTest {
 protected:
  void TearDown() override {
    HoldShift(false);
    EditingCameraTest::TearDown();
  }

  void HoldShift(bool down) {
    ASSERT_TRUE(platform::headless::AddScript((down ? "key " : "keyup ") + std::to_string(kShift) + "\n"));
    while (platform::headless::PendingInputs() > 0) app->PumpMessages();
    app->PumpMessages();
  }
  // A cube of the extent (its local box is a unit cube about its centre) at the position.
  C3dCube* NewCube(vector3<double> extent, vector3<double> position = {}) {
    C3dCube* cube = MakeShape<C3dCube>(table);
    Place(cube, extent, position);
    return cube;
  }
  void SelectOnly(std::vector<C3dObject*> objects) {
    Selection().DeselectAll(1);
    for (C3dObject* object : objects) Selection().Add(object, 0, 1);
  }
  CUndoableAction* Recorded() { return document->GetUndoHistory().GetCurrentAction(); }
  static double Coordinate(C3dObject* object, uint32_t mode) {
    const C3dBox box = object->WorldBox();
    const int axis = int(mode / 3);
    return mode % 3 == 0 ? box.fMin[axis] : mode % 3 == 2 ? box.fMax[axis] : (box.fMin[axis] + box.fMax[axis]) * 0.5;
  }

};

TEST_F(SelectionOps, AlignBringsEachModesCoordinateOntoTheFirstObjectsAsOneUndoableAction) {
  for (uint32_t mode = 0; mode <= CSelection::kAllCentres; ++mode) {
    C3dCube* first = NewCube({2, 1, 3}, {1, 2, 3});
    C3dCube* second = NewCube({1, 4, 1}, {-5, 7, 0.5});
    C3dCube* third = NewCube({0.5, 0.5, 6}, {8, -1, -2});
    C3dCube* locked = NewCube({1, 1, 1}, {20, 20, 20});
    locked->SetFlags(C3dObject::kTransformLocked);
    SelectOnly({first, second, third, locked});
    document->GetUndoHistory().Clear();
    const vector3<double> before[] = {second->GetTransformVector3(), third->GetTransformVector3()};
    ASSERT_TRUE(Selection().AlignToFirst(mode)) << mode;
    for (C3dCube* cube : {second, third}) {
      for (uint32_t axis = 0; axis < 3; ++axis) {
        const uint32_t axisMode = mode == CSelection::kAllCentres ? axis * 3 + 1 : mode;
        if (axisMode / 3 == axis) {
          EXPECT_NEAR(Coordinate(cube, axisMode), Coordinate(first, axisMode), 1e-12) << mode;
        }
      }
    }
    ExpectNear(first->GetTransformVector3(), {1, 2, 3}, 0, "the first stays");
    ExpectNear(locked->GetTransformVector3(), {20, 20, 20}, 0, "a locked object stays");
    auto* action = dynamic_cast<CMatrixAction*>(Recorded());
    ASSERT_NE(action, nullptr) << mode;
    EXPECT_EQ(action->GetObjects().GetCount(), 3u) << "the first, already in line, is recorded too";
    ASSERT_EQ(document->GetUndoHistory().Undo(), 0);
    ExpectNear(second->GetTransformVector3(), before[0], 1e-12, "undone");
    ExpectNear(third->GetTransformVector3(), before[1], 1e-12, "undone");
    ExpectNear(first->GetTransformVector3(), {1, 2, 3}, 1e-12, "undone");
  }
}

TEST_F(SelectionOps, AlignAndSnapRefuseModesBeyondTheirOwnAndAlignNeedsTwoObjects) {
  C3dCube* a = NewCube({1, 1, 1}, {0.3, 0, 0});
  C3dCube* b = NewCube({1, 1, 1}, {5, 0, 0});
  SelectOnly({a});
  EXPECT_TRUE(Selection().AlignToFirst(CSelection::kAllCentres));
  EXPECT_EQ(Recorded(), nullptr);
  SelectOnly({a, b});
  EXPECT_FALSE(Selection().AlignToFirst(CSelection::kAllCentres + 1));
  EXPECT_EQ(Recorded(), nullptr);
  EXPECT_FALSE(Selection().SnapToGrid(CSelection::kAllCentres));
  ExpectNear(a->GetTransformVector3(), {0.3, 0, 0}, 0, "nothing moved");
  ExpectNear(b->GetTransformVector3(), {5, 0, 0}, 0, "nothing moved");
  // Everything locked: nothing moves and nothing is recorded.
  a->SetFlags(C3dObject::kTransformLocked);
  b->SetFlags(C3dObject::kTransformLocked);
  EXPECT_TRUE(Selection().AlignToFirst(CSelection::kCentreX));
  EXPECT_EQ(Recorded(), nullptr);
}

TEST_F(SelectionOps, SnapMovesTheModesCoordinateToTheNearestEvenLineAlongItsAxisOnly) {
  struct SCase {
    uint32_t mode;
    double coordinate, snapped;
  } cases[] = {
      {CSelection::kCentreX, 3.0, 4.0},       {CSelection::kCentreX, -3.0, -4.0},
      {CSelection::kCentreX, 2.00005, 2.00005}, {CSelection::kCentreX, -2.00005, -2.00005},
      {CSelection::kCentreX, 0.7, 0},         {CSelection::kCentreX, -0.7, 0},
      {CSelection::kCentreX, 1.0, 2.0},       {CSelection::kCentreX, -1.0, -2.0},
      {CSelection::kCentreX, 2.9, 2.0},       {CSelection::kLowestY, 1.5, 2.0},
      {CSelection::kHighestZ, -4.6, -4.0},    {CSelection::kLowestX, 7.2, 8.0},
  };
  for (const SCase& c : cases) {
    C3dCube* cube = NewCube({1, 1, 1}, {0.25, 0.25, 0.25});
    const double offset = c.coordinate - Coordinate(cube, c.mode);
    const uint32_t axis = c.mode / 3;
    cube->Translate({axis == 0 ? offset : 0, axis == 1 ? offset : 0, axis == 2 ? offset : 0});
    const vector3<double> start = cube->GetTransformVector3();
    SelectOnly({cube});
    ASSERT_TRUE(Selection().SnapToGrid(c.mode));
    EXPECT_NEAR(Coordinate(cube, c.mode), c.snapped, 1e-12) << c.coordinate;
    for (uint32_t other = 0; other < 3; ++other) {
      if (other != axis) {
        EXPECT_EQ(cube->GetTransformVector3()[int(other)], start[int(other)]) << c.coordinate;
      }
    }
  }
  EXPECT_EQ(Recorded(), nullptr) << "the snap records nothing itself";
}

TEST_F(SelectionOps, NudgesPutTheAmountOnTheDirectionsAxisInEachCoordinateMode) {
  // The camera looks along +x: v × u = (0, 1, 0) × (1, 0, 0) = (0, 0, −1).
  camera->GetView().direction = {1, 0, 0};
  camera->GetView().up = {0, 1, 0};
  C3dCube* cube = NewCube({1, 1, 1});
  cube->GetPlacement().SetRotation({0.3, 0.9, -0.4});
  C3dCube* locked = NewCube({1, 1, 1}, {4, 4, 4});
  locked->SetFlags(C3dObject::kTransformLocked);
  SelectOnly({cube, locked, camera});
  const vector3<double> objectAxes[3] = {cube->GetAxisX(), cube->GetAxisY(), cube->GetAxisZ()};
  const vector3<double> cameraAxes[3] = {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
  const vector3<double> worldAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const vector3<double>* modes[3] = {worldAxes, objectAxes, cameraAxes};
  for (uint32_t mode = 0; mode < 3; ++mode) {
    Selection().SetCoordinateMode(mode);
    for (uint32_t direction = 0; direction < 7; ++direction) {
      const vector3<double> start = cube->GetTransformVector3();
      const vector3<double> want = direction < 6 ? modes[mode][direction / 2] * 3.0 : vector3<double>{};
      Selection().NudgeSelection(3, direction, 0);
      const std::string what = std::to_string(mode) + "/" + std::to_string(direction);
      ExpectNear(cube->GetTransformVector3() - start, want, 1e-12, what.c_str());
    }
  }
  ExpectNear(locked->GetTransformVector3(), {4, 4, 4}, 0, "locked objects stay");
  ExpectNear(camera->GetTransformVector3(), {}, 0, "the camera stays");
}

TEST_F(SelectionOps, ScaledNudgesGrowWithTheDistanceFromTheCameraAndItsFieldAngle) {
  camera->SetTransformVector3({0, 0, -10});
  const double field = camera->GetView().fieldAngle;
  C3dCube* cube = NewCube({1, 1, 1}, {0, 0, 10});
  SelectOnly({cube});
  const double perUnit = 20 * (field * 0.9549304291547923);
  Selection().NudgeSelection(2, 0, 1);
  EXPECT_NEAR(cube->GetTransformVector3().x, 2 * perUnit * 0.001, 1e-12);
  cube->SetTransformVector3({0, 0, 10});
  Selection().NudgeSelectionBy(-0.5, 5, 1);
  ExpectNear(cube->GetTransformVector3(), {0, 0, 10 - 0.5 * perUnit * 0.01}, 1e-12, "the fine nudge");
}

TEST_F(SelectionOps, RandomizeDrawsPerObjectInOrderAndAStepBackRestoresEverything) {
  C3dCube* cube = NewCube({1, 2, 3}, {1, 1, 1});
  C3dCube* inner = NewCube({1, 1, 1}, {-3, 0, 0});
  C3dCube* outer = NewCube({2, 2, 2}, {3, 0, 0});
  C3dGroup* nested = NewGroup({inner});
  C3dGroup* group = NewGroup({nested, outer});
  SelectOnly({cube, group});
  const SRandomState saved = GetRandomState();
  GetRandomState() = {12345, 1, 1};
  SRandomState draws = GetRandomState();
  const vector3<double> p{1, 2, 3}, q{10, 20, 30};
  const double s = 2;
  Selection().PrepareRandomize(p, q, s);
  GetRandomState() = saved;
  // What each object's offsets must be, drawn in the same order.
  struct SOffsets {
    vector3<double> position, rotation;
    double factor;
  } want[2];
  for (SOffsets& w : want) {
    double r[7];
    for (double& value : r) value = NextRandomUnit(draws);
    w.position = {(2 * r[0] - 1) * p.x, (2 * r[1] - 1) * p.y, (2 * r[2] - 1) * p.z};
    w.rotation = vector3<double>{(2 * r[3] - 1) * q.x, (2 * r[4] - 1) * q.y, (2 * r[5] - 1) * q.z} * 0.017453277777777776;
    w.factor = (r[6] * 0.1 + 0.95) * s;
  }
  C3dObject* objects[] = {cube, inner, outer};
  const SOffsets* offsets[] = {&want[0], &want[1], &want[1]};
  C3dTransform before[3];
  for (int i = 0; i < 3; ++i) before[i] = objects[i]->GetPlacement();
  group->ComputeBounds();
  const C3dBox groupBefore = group->WorldBox();

  Selection().ApplyRandomizeStep(1);
  for (int i = 0; i < 3; ++i) {
    const C3dTransform& now = objects[i]->GetPlacement();
    ExpectNear(now.fPosition, before[i].fPosition + offsets[i]->position * 0.1, 1e-12, "moved a tenth");
    ExpectNear(now.fRotation, before[i].fRotation + offsets[i]->rotation, 1e-12, "turned");
    ExpectNear(now.fScale, before[i].fScale * offsets[i]->factor, 1e-12, "sized");
  }
  const C3dBox moved = group->WorldBox();
  group->ComputeBounds();
  ExpectNear(moved.fMin, group->WorldBox().fMin, 0, "the group's box follows its members");
  ExpectNear(moved.fMax, group->WorldBox().fMax, 0, "the group's box follows its members");
  EXPECT_GT(Dot(moved.fMax - groupBefore.fMax, moved.fMax - groupBefore.fMax), 0);

  Selection().ApplyRandomizeStep(-1);
  for (int i = 0; i < 3; ++i) {
    const C3dTransform& now = objects[i]->GetPlacement();
    ExpectNear(now.fPosition, before[i].fPosition, 1e-12, "back");
    ExpectNear(now.fRotation, before[i].fRotation, 1e-12, "back");
    ExpectNear(now.fScale, before[i].fScale, 1e-12, "back");
  }
  ExpectNear(group->WorldBox().fMin, groupBefore.fMin, 1e-12, "the group's box back");
  ExpectNear(group->WorldBox().fMax, groupBefore.fMax, 1e-12, "the group's box back");
}

TEST_F(SelectionOps, RandomizeLeavesLockedObjectsAndAScaleOfNoneKeepsTheSize) {
  C3dCube* locked = NewCube({1, 1, 1}, {5, 5, 5});
  locked->SetFlags(C3dObject::kTransformLocked);
  C3dCube* cube = NewCube({1, 2, 3});
  SelectOnly({locked, cube});
  Selection().PrepareRandomize({1, 1, 1}, {0, 0, 0}, 0);
  Selection().ApplyRandomizeStep(3);
  ExpectNear(locked->GetTransformVector3(), {5, 5, 5}, 0, "locked");
  ExpectNear(cube->GetPlacement().fScale, {1, 2, 3}, 0, "a factor of 0 counts as 1");
  EXPECT_GT(Dot(cube->GetTransformVector3(), cube->GetTransformVector3()), 0) << "moved";
}

class SelectionNavigation : public SelectionOps {
 protected:
  C3dObject* Only() { return Selection().GetCount() == 1 ? Selection().GetObject(0) : nullptr; }
};

TEST_F(SelectionNavigation, NextKindSkipsTheKindsTheListLacks) {
  C3dCubeLight* first = MakeShape<C3dCubeLight>(table);
  C3dCubeLight* second = MakeShape<C3dCubeLight>(table);
  SetObjectList({first, second});
  uint32_t classTag = 0, familyTag = 0;
  // Wherever the palette's kind stood, the only kind present is the cube light.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(Selection().SelectNextKind(&classTag, &familyTag));
    EXPECT_EQ(classTag, FourCC("cube"));
    EXPECT_EQ(familyTag, FourCC("lght"));
    EXPECT_EQ(CSelection::GetKindIndex(), 16u);
    EXPECT_EQ(Only(), first);
    EXPECT_EQ(CSelection::GetPaletteObjectIndex(), 0);
  }
  ASSERT_TRUE(Selection().SelectPreviousKind(&classTag, &familyTag));
  EXPECT_EQ(Only(), second) << "the last of the kind";
  EXPECT_EQ(Selection().GetListPosition(), 1);

  C3dConeLight* cone = MakeShape<C3dConeLight>(table);
  SetObjectList({first, cone, second});
  // From the cube light (16) round past the pyramid light and the thirteen shapes.
  ASSERT_TRUE(Selection().SelectNextKind(&classTag, &familyTag));
  EXPECT_EQ(CSelection::GetKindIndex(), 14u);
  EXPECT_EQ(classTag, FourCC("cone"));
  EXPECT_EQ(Only(), cone);
  EXPECT_EQ(CSelection::GetPaletteObjectIndex(), 1);

  SetObjectList({});
  EXPECT_FALSE(Selection().SelectNextKind(&classTag, &familyTag));
  EXPECT_FALSE(Selection().SelectNextObject());
  EXPECT_FALSE(Selection().SelectPreviousOfKind());
}

TEST_F(SelectionNavigation, ObjectsOfAKindFollowEachOtherAndWrapRound) {
  C3dSphere* a = NewSphere();
  C3dCube* cube = NewCube({1, 1, 1});
  C3dSphere* hidden = NewSphere();
  hidden->SetFlags(C3dObject::kNotDrawn);
  C3dSphere* b = NewSphere();
  SetObjectList({a, cube, hidden, b});
  int32_t position = -1;
  ASSERT_TRUE(Selection().SelectFirstOfKind(C3dSphere::kClassTag, C3dSphere::kFamily, &position));
  EXPECT_EQ(Only(), a);
  EXPECT_EQ(position, 0);
  struct SStep {
    bool forward;
    C3dObject* found;
    int32_t index;
  } steps[] = {{true, b, 3}, {true, a, 0}, {false, b, 3}, {false, a, 0}};
  for (const SStep& step : steps) {
    ASSERT_TRUE(step.forward ? Selection().SelectNextOfKind() : Selection().SelectPreviousOfKind());
    EXPECT_EQ(Only(), step.found) << step.index;
    EXPECT_EQ(Selection().GetListPosition(), step.index);
    EXPECT_EQ(CSelection::GetPaletteObjectIndex(), step.index);
  }
  EXPECT_FALSE(Selection().SelectFirstOfKind(FourCC("toru"), C3dSphere::kFamily, &position));
}

TEST_F(SelectionNavigation, NextAndPreviousObjectStepFromTheFirstSelectedAndWrapRound) {
  C3dSphere* a = NewSphere();
  C3dCube* b = NewCube({1, 1, 1});
  C3dSphere* c = NewSphere();
  SetObjectList({a, b, c});
  // Finding an object already selected adds nothing and deselects nothing.
  struct SStep {
    std::vector<C3dObject*> selected;
    bool forward;
    std::vector<C3dObject*> after;
  } steps[] = {
      {{}, true, {a}},  {{a}, true, {b}},  {{c}, true, {a}},  {{b, a}, true, {b, a}}, {{a, c}, true, {b}},
      {{}, false, {c}}, {{c}, false, {b}}, {{a}, false, {c}}, {{c, a}, false, {b}},
  };
  for (const SStep& step : steps) {
    SelectOnly(step.selected);
    ASSERT_TRUE(step.forward ? Selection().SelectNextObject() : Selection().SelectPreviousObject());
    EXPECT_EQ(Listed(), step.after);
  }
  SelectOnly({b});
  ASSERT_TRUE(Selection().SelectFirstObject());
  EXPECT_EQ(Only(), a);
  ASSERT_TRUE(Selection().SelectLastObject());
  EXPECT_EQ(Only(), c);
}

TEST_F(SelectionNavigation, ShiftTogglesTheFoundObject) {
  C3dSphere* a = NewSphere();
  C3dSphere* b = NewSphere();
  SetObjectList({a, b});
  SelectOnly({b});
  HoldShift(true);
  ASSERT_TRUE(Selection().SelectFirstObject());
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{b, a})) << "added beside the selection";
  ASSERT_TRUE(Selection().SelectFirstObject());
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{b}) << "deselected again";
  uint32_t classTag = 0, familyTag = 0;
  ASSERT_TRUE(Selection().SelectNextKind(&classTag, &familyTag));
  EXPECT_EQ(Listed(), (std::vector<C3dObject*>{b, a}));
  ASSERT_TRUE(Selection().SelectNextOfKind());
  EXPECT_EQ(Listed(), std::vector<C3dObject*>{a}) << "the next sphere, b, was selected: deselected";
}

}  // namespace
