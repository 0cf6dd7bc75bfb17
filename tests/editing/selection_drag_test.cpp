// The selection's handle drags: hit tests, resizing about the chosen anchor, snapped steps, turns
// about the chosen axis, the clamps, and the return to the drag start when the modifiers change.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editing/selection.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "scene/cube.h"
#include "scene/square.h"
#include "tests/editing/editing_fixture.h"

namespace {

constexpr uint32_t kShift = 16, kControl = 17, kAlt = 18;

class SelectionDrag : public EditingCameraTest {
 protected:
  void TearDown() override {
    Hold({});
    EditingCameraTest::TearDown();
  }

  // Exactly these modifier keys are down.
  void Hold(std::initializer_list<uint32_t> keys) {
    std::string script;
    for (uint32_t key : {kShift, kControl, kAlt}) {
      const bool wanted = std::find(keys.begin(), keys.end(), key) != keys.end();
      script += (wanted ? "key " : "keyup ") + std::to_string(key) + "\n";
    }
    ASSERT_TRUE(platform::headless::AddScript(script));
    // The strokes are handled, so that the key state is the keyboard's.
    while (platform::headless::PendingInputs() > 0) app->PumpMessages();
    app->PumpMessages();
  }

  C3dCube* NewCube(vector3<double> size, vector3<double> position = {}) {
    C3dCube* cube = MakeShape<C3dCube>(table);
    Place(cube, size, position);
    return cube;
  }
  // The handles of the selection's world box, as the view lays them out; handle i's screen point
  // at (1000 + 10 i, 0), out of the hit tests' way.
  void LayOutHandles() {
    C3dBox box = Selection().GetObject(0)->WorldBox();
    for (uint32_t i = 1; i < Selection().GetCount(); ++i) {
      const C3dBox other = Selection().GetObject(i)->WorldBox();
      box.fMin = {std::min(box.fMin.x, other.fMin.x), std::min(box.fMin.y, other.fMin.y),
                  std::min(box.fMin.z, other.fMin.z)};
      box.fMax = {std::max(box.fMax.x, other.fMax.x), std::max(box.fMax.y, other.fMax.y),
                  std::max(box.fMax.z, other.fMax.z)};
    }
    const vector3<double> lo = box.fMin, hi = box.fMax, mid = (lo + hi) * 0.5;
    const vector3<double> points[15] = {
        {lo.x, mid.y, mid.z}, {hi.x, mid.y, mid.z}, {mid.x, lo.y, mid.z}, {mid.x, hi.y, mid.z}, {mid.x, mid.y, lo.z},
        {mid.x, mid.y, hi.z}, {lo.x, lo.y, lo.z},   {hi.x, lo.y, lo.z},   {lo.x, lo.y, hi.z},   {hi.x, lo.y, hi.z},
        {lo.x, hi.y, lo.z},   {hi.x, hi.y, lo.z},   {lo.x, hi.y, hi.z},   {hi.x, hi.y, hi.z},   mid};
    for (uint32_t i = 0; i < 15; ++i) Selection().SetHandle(i, 1000 + 10 * int32_t(i), 0, points[i]);
  }
  // Selects the objects, lays out the handles and begins a drag of the handle in the edit kind.
  SHandleDrag Begin(std::vector<C3dObject*> objects, int32_t handle, uint32_t kind,
                    uint32_t mode = CSelection::kWorldAxes) {
    for (C3dObject* object : objects) Selection().Add(object, 0, 1);
    Selection().SetEditKind(kind);
    Selection().SetCoordinateMode(mode);
    LayOutHandles();
    SHandleDrag drag;
    EXPECT_TRUE(Selection().BeginHandleDrag(handle, &drag));
    return drag;
  }
  static vector3<double> Extent(C3dObject* object) {
    const C3dBox box = object->WorldBox();
    return box.fMax - box.fMin;
  }

};

TEST_F(SelectionDrag, HandlesAreHitWithinThreePixelsButNeverTheCentre) {
  C3dCube* cube = NewCube({2, 2, 2});
  int32_t handle = -1;
  EXPECT_FALSE(Selection().HitTestHandle(0, 0, &handle));
  Selection().Add(cube, 0, 0);
  for (uint32_t i = 0; i < 15; ++i) Selection().SetHandle(i, 1000 + 10 * int32_t(i), 0, {});
  Selection().SetHandle(0, 100, 100, {});
  Selection().SetHandle(14, 300, 300, {});
  struct SCase {
    int32_t x, y;
    bool hit;
  } cases[] = {{103, 97, true},   {100, 100, true}, {97, 103, true},
               {104, 100, false}, {100, 96, false}, {300, 300, false}};
  for (const SCase& c : cases) {
    handle = -1;
    EXPECT_EQ(Selection().HitTestHandle(c.x, c.y, &handle), c.hit) << c.x << "," << c.y;
    if (c.hit) {
      EXPECT_EQ(handle, 0);
    }
  }
  SHandleDrag drag;
  EXPECT_FALSE(Selection().BeginHandleDrag(15, &drag));
  EXPECT_FALSE(Selection().BeginHandleDrag(-1, &drag));
  drag.handle = 15;
  EXPECT_FALSE(Selection().DragHandleStep(4, 0, &drag));
}

// Handle 0 is the x-min face, handle 1 the x-max face at x = +1.
TEST_F(SelectionDrag, FaceResizeAnchorsByTheModifiers) {
  struct SCase {
    const char* name;
    std::initializer_list<uint32_t> keys;
    int32_t dx;
    vector3<double> extent;
    double minX, maxX;
  } cases[] = {
      {"opposite face stays", {}, 4, {2.1, 2, 2}, -1.1, 1},
      {"shrinks", {}, -4, {1.9, 2, 2}, -0.9, 1},
      {"Ctrl: the dragged face stays", {kControl}, 4, {2.1, 2, 2}, -1, 1.1},
      {"Alt: the centre stays", {kAlt}, 4, {2.1, 2, 2}, -1.05, 1.05},
      {"Ctrl+Alt: uniform about the opposite face", {kControl, kAlt}, 4, {2.1, 2.1, 2.1}, -1.1, 1},
  };
  for (const SCase& c : cases) {
    Selection().DeselectAll(1);
    C3dCube* cube = NewCube({2, 2, 2});
    Hold(c.keys);
    SHandleDrag drag = Begin({cube}, 0, CSelection::kResize);
    ASSERT_TRUE(Selection().DragHandleStep(c.dx, 0, &drag)) << c.name;
    ExpectNear(Extent(cube), c.extent, 1e-12, c.name);
    EXPECT_NEAR(cube->WorldBox().fMin.x, c.minX, 1e-12) << c.name;
    EXPECT_NEAR(cube->WorldBox().fMax.x, c.maxX, 1e-12) << c.name;
  }
}

TEST_F(SelectionDrag, SlowStepsResizeLikeOneFastStep) {
  C3dCube* slow = NewCube({2, 2, 2});
  SHandleDrag drag = Begin({slow}, 0, CSelection::kResize);
  for (int i = 0; i < 4; ++i) Selection().DragHandleStep(1, 0, &drag);
  EXPECT_NEAR(Extent(slow).x, 2.1, 1e-12);
}

TEST_F(SelectionDrag, ShiftSnapsOnceTwentyPixelsGatheredAndEveryObjectAlike) {
  C3dCube* a = NewCube({2, 2, 2});
  C3dCube* b = NewCube({2, 2, 2}, {5, 0, 0});
  Hold({kShift});
  SHandleDrag drag = Begin({a, b}, 1, CSelection::kResize);
  Selection().DragHandleStep(19, 0, &drag);
  Selection().DragHandleStep(1, 0, &drag);
  ExpectNear(Extent(a), {2, 2, 2}, 1e-12, "gathering");
  Selection().DragHandleStep(3, 0, &drag);
  ExpectNear(Extent(a), {4, 2, 2}, 1e-12, "first object doubled");
  ExpectNear(Extent(b), {4, 2, 2}, 1e-12, "second object doubled in the same step");
  // The accumulator starts again from 0: the step's own 3 pixels were not kept.
  Selection().DragHandleStep(19, 0, &drag);
  Selection().DragHandleStep(0, 0, &drag);
  ExpectNear(Extent(a), {4, 2, 2}, 1e-12, "gathering again");
  Selection().DragHandleStep(-40, 0, &drag);
  Selection().DragHandleStep(0, 0, &drag);
  ExpectNear(Extent(a), {2, 2, 2}, 1e-12, "halved");
}

// The turn of a point about the axis through the centre: the axis stays, the rest turns by the angle.
void ExpectTurn(C3dObject* object, const C34Matrix& before, const vector3<double>& centre, const vector3<double>& axis,
                double angle, const char* what) {
  const C34Matrix after = object->GetObjectToWorld();
  C34Matrix toObject;
  ASSERT_TRUE(before.Invert(toObject)) << what;
  const vector3<double> onAxis = centre + axis * 0.7;
  ExpectNear(after.TransformPoint(toObject.TransformPoint(onAxis)), onAxis, 1e-9, what);
  vector3<double> across = Cross(axis, vector3<double>{0.3, 0.5, 0.7});
  across *= 1 / std::sqrt(Dot(across, across));
  const vector3<double> moved = after.TransformPoint(toObject.TransformPoint(centre + across)) - centre;
  EXPECT_NEAR(Dot(moved, across), std::cos(angle), 1e-9) << what;
  EXPECT_NEAR(Dot(moved, axis), 0, 1e-9) << what;
}

TEST_F(SelectionDrag, FaceTurnsAboutTheModesAxis) {
  camera->GetView().direction = {0, 0.6, 0.8};
  camera->GetView().up = {0, 0.8, -0.6};
  struct SCase {
    const char* name;
    uint32_t mode;
    std::initializer_list<uint32_t> keys;
    std::vector<int32_t> steps;
    vector3<double> axis;  // for a cube turned 0.5 about z first
    double angle;
  } cases[] = {
      {"world y, snapped", CSelection::kWorldAxes, {kShift}, {12, 8, 1}, {0, 1, 0}, double(0.7853975f)},
      {"own y, snapped",
       CSelection::kObjectAxes,
       {kShift},
       {20, 5},
       {-std::sin(0.5), std::cos(0.5), 0},
       double(0.7853975f)},
      {"camera v, snapped", CSelection::kCameraAxes, {kShift}, {25, 0}, {0, 0.8, -0.6}, double(0.7853975f)},
      {"per pixel", CSelection::kWorldAxes, {}, {1}, {0, 1, 0}, double(0.00872664f)},
      {"fine", CSelection::kWorldAxes, {kAlt}, {1}, {0, 1, 0}, double(0.00084533f)},
      {"still gathering", CSelection::kWorldAxes, {kShift}, {19}, {0, 1, 0}, 0},
  };
  for (const SCase& c : cases) {
    Selection().DeselectAll(1);
    C3dCube* cube = NewCube({2, 2, 2}, {1, 2, 3});
    cube->SetTransformVector2({0, 0, 0.5});
    const C34Matrix before = cube->GetObjectToWorld();
    Hold(c.keys);
    SHandleDrag drag = Begin({cube}, 2, CSelection::kRotate, c.mode);
    for (int32_t dx : c.steps) Selection().DragHandleStep(dx, 0, &drag);
    ExpectTurn(cube, before, {1, 2, 3}, c.axis, c.angle, c.name);
  }
}

TEST_F(SelectionDrag, CornerTurnsSnapAboutTheCameraAxes) {
  camera->GetView().direction = {0, 0, 1};
  camera->GetView().up = {0, 1, 0};
  struct SCase {
    const char* name;
    int32_t dx, dy;
    vector3<double> axis;
  } cases[] = {{"horizontal: about v", 20, 0, {0, 1, 0}}, {"vertical: about v x u", 0, 20, {1, 0, 0}}};
  for (const SCase& c : cases) {
    Selection().DeselectAll(1);
    C3dCube* cube = NewCube({2, 2, 2});
    const C34Matrix before = cube->GetObjectToWorld();
    Hold({kShift});
    SHandleDrag drag = Begin({cube}, 7, CSelection::kRotate);
    Selection().DragHandleStep(c.dx, c.dy, &drag);
    Selection().DragHandleStep(0, 0, &drag);
    ExpectTurn(cube, before, {}, c.axis, double(0.7853975f), c.name);
  }
}

TEST_F(SelectionDrag, AModifierChangeReturnsToTheDragStart) {
  C3dCube* cube = NewCube({2, 2, 2}, {1, 0, 0});
  SHandleDrag drag = Begin({cube}, 0, CSelection::kResize);
  Selection().DragHandleStep(40, 0, &drag);
  ASSERT_GT(Extent(cube).x, 3);
  Hold({kShift});
  Selection().DragHandleStep(40, 0, &drag);
  ExpectNear(Extent(cube), {2, 2, 2}, 1e-12, "size back");
  ExpectNear(cube->GetTransformVector3(), {1, 0, 0}, 1e-12, "position back");

  Hold({});
  Selection().DeselectAll(1);
  C3dCube* turned = NewCube({2, 2, 2});
  const C34Matrix before = turned->GetObjectToWorld();
  drag = Begin({turned}, 2, CSelection::kRotate);
  Selection().DragHandleStep(30, 0, &drag);
  Hold({kAlt});
  Selection().DragHandleStep(30, 0, &drag);
  ExpectTurn(turned, before, {}, {0, 1, 0}, 0, "rotation back");
}

TEST_F(SelectionDrag, ClampsKeepExtentsWithinTheirLimits) {
  struct SCase {
    const char* name;
    vector3<double> size;
    uint32_t mode;
    std::initializer_list<uint32_t> keys;
    int32_t dx;
    bool changes;
  } cases[] = {
      {"smallest not shrunk", {0.005, 2, 2}, CSelection::kWorldAxes, {}, -4, false},
      {"smallest grows", {0.005, 2, 2}, CSelection::kWorldAxes, {}, 4, true},
      {"greatest not grown", {10000, 2, 2}, CSelection::kWorldAxes, {}, 4, false},
      {"greatest shrinks", {10000, 2, 2}, CSelection::kWorldAxes, {}, -4, true},
      {"object mode: own size", {0.005, 2, 2}, CSelection::kObjectAxes, {}, -4, false},
      {"camera mode: any axis at the rule", {2, 2, 0.005}, CSelection::kCameraAxes, {}, -4, false},
      {"camera mode: none at the rule", {2, 2, 2}, CSelection::kCameraAxes, {}, -4, true},
  };
  for (const SCase& c : cases) {
    Selection().DeselectAll(1);
    C3dCube* cube = NewCube(c.size);
    Hold(c.keys);
    SHandleDrag drag = Begin({cube}, 0, CSelection::kResize, c.mode);
    const C34Matrix before = cube->GetObjectToWorld();
    Selection().DragHandleStep(c.dx, 0, &drag);
    const C34Matrix after = cube->GetObjectToWorld();
    bool changed = false;
    for (int i = 0; i < 12; ++i) changed |= std::fabs(after.m[i] - before.m[i]) > 1e-12;
    EXPECT_EQ(changed, c.changes) << c.name;
  }
}

TEST_F(SelectionDrag, FlatLockedAndCameraObjectsKeepTheirShape) {
  C3dSquare* square = MakeShape<C3dSquare>(table);
  C3dCube* locked = NewCube({2, 2, 2}, {4, 0, 0});
  locked->SetFlags(C3dObject::kTransformLocked);
  camera->SetTransformVector3({0, 0, -5});
  const C34Matrix lockedBefore = locked->GetObjectToWorld(), cameraBefore = camera->GetObjectToWorld();
  Hold({kControl, kAlt});
  Selection().Add(camera, 0, 1);
  SHandleDrag drag = Begin({square, locked}, 2, CSelection::kResize);
  Selection().DragHandleStep(8, 0, &drag);
  EXPECT_EQ(Extent(square).y, 0);
  EXPECT_GT(Extent(square).x, 2);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(locked->GetObjectToWorld().m[i], lockedBefore.m[i]);
    EXPECT_EQ(camera->GetObjectToWorld().m[i], cameraBefore.m[i]);
  }
}

}  // namespace
