// The edit palette's transform options on the document window's selection, landing, and the align
// request of the palette's buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "editing/matrix_action.h"
#include "framework/core/result_codes.h"
#include "scene/cube.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/sphere.h"
#include "tests/app/doc_window_fixture.h"

namespace {

void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

vector3<double> Centre(C3dObject* object) {
  const C3dBox box = object->WorldBox();
  return (box.fMin + box.fMax) * 0.5;
}

class DocTransform : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CNotingDocWindow>();
  }

  template <typename T>
  T* Add(const vector3<double>& extent, const vector3<double>& position) {
    T* object = nullptr;
    EXPECT_EQ(AppendNew(&object, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    if (!object) return nullptr;
    object->SetTransformVector3(position);
    object->SetScaledSize(extent);
    SetObjectFamily(*object, 0);
    return object;
  }
  void SelectOnly(std::vector<C3dObject*> objects) {
    Selection().DeselectAll(1);
    for (C3dObject* object : objects) Selection().Add(object, 0, 1);
    w->GetDocument()->GetUndoHistory().Clear();
    w->notified.clear();
  }
  int32_t Option(const char* popUp, const char* code) {
    CUIMessage message;
    message.Init(0, popUp, nullptr, "doc window", 0);
    const auto byte = [&](int i) { return uint32_t(uint8_t(code[i])) << (24 - 8 * i); };
    message.SetPayloadWord(0, int32_t(byte(0) | byte(1) | byte(2) | byte(3)));
    return w->HandleTransformOption(&message);
  }
  CUndoableAction* Recorded() { return w->GetDocument()->GetUndoHistory().GetCurrentAction(); }
  int32_t Undo() { return w->GetDocument()->GetUndoHistory().Undo(); }
  C3dObject* Ground() {
    const std::vector<C3dBase*> planes = Things(C3dPlane::kFamily, C3dPlane::kClassTag);
    return planes.empty() ? nullptr : planes[0]->AsObject();
  }

  CNotingDocWindow* w = nullptr;
};

TEST_F(DocTransform, EachOptionActsOnTheWholeSelectionAsOneUndoableAction) {
  struct SCase {
    const char* popUp;
    const char* code;
    int32_t answer;
    vector3<double> position;  // of the first cube, at (3, 5.5, −2.25)
    vector3<double> extent;    // of the first cube, (1, 3, 0.5)
  } cases[] = {
      {"reposition options", "urep", kHandled, {0, 1, 0}, {1, 3, 0.5}},
      {"resize options", "uscl", kHandled, {3, 5.5, -2.25}, {2, 2, 2}},
      {"rotate options", "urot", kHandled, {3, 5.5, -2.25}, {1, 3, 0.5}},
      {"align options", "grnd", kHandled, {3, 1.5, -2.25}, {1, 3, 0.5}},
      {"align options", "wrld", kHandled, {0, 0, 0}, {1, 3, 0.5}},
      // The grid's dispatch goes on: 4 is the nearest even line to 3, 6 to 5.5, −2 to −2.25.
      {"align options", "grid", kNoErr, {4, 6, -2}, {1, 3, 0.5}},
      {"align options", "toge", kHandled, {3, 5.5, -2.25}, {1, 3, 0.5}},
  };
  for (const SCase& c : cases) {
    C3dCube* cube = Add<C3dCube>({1, 3, 0.5}, {3, 5.5, -2.25});
    cube->GetPlacement().SetRotation({0.0, 0.0, 0.0});
    C3dCube* other = Add<C3dCube>({2, 2, 2}, {-7, 3.5, 1});
    other->GetPlacement().SetRotation({0.1, 0.2, 0.3});
    const C3dTransform before = other->GetPlacement();
    SelectOnly({cube, other});
    EXPECT_EQ(Option(c.popUp, c.code), c.answer) << c.code;
    ExpectNear(cube->GetTransformVector3(), c.position, 1e-12, c.code);
    ExpectNear(cube->GetScaledSize(), c.extent, 1e-12, c.code);
    auto* action = dynamic_cast<CMatrixAction*>(Recorded());
    ASSERT_NE(action, nullptr) << c.code;
    EXPECT_EQ(action->GetObjects().GetCount(), 2u) << c.code;
    EXPECT_EQ(w->notified, std::vector<uint32_t>{4}) << c.code;
    EXPECT_NE(w->GetDirtyBits() & CDocWindow::kDirtyRedraw, 0u) << c.code;
    if (std::string(c.code) == "urot") ExpectNear(other->GetPlacement().fRotation, {}, 0, c.code);
    EXPECT_EQ(Undo(), 0);
    ExpectNear(cube->GetTransformVector3(), {3, 5.5, -2.25}, 1e-12, c.code);
    ExpectNear(cube->GetScaledSize(), {1, 3, 0.5}, 1e-12, c.code);
    ExpectNear(other->GetPlacement().fPosition, before.fPosition, 1e-12, c.code);
    ExpectNear(other->GetPlacement().fRotation, before.fRotation, 1e-12, c.code);
    ExpectNear(other->GetPlacement().fScale, before.fScale, 1e-12, c.code);
  }
}

TEST_F(DocTransform, TheOptionsReachTheOtherObjectsAndTheGridKeepsWhatIsOnALine) {
  C3dCube* a = Add<C3dCube>({1, 1, 1}, {-3, 2.00005, 0});
  C3dCube* b = Add<C3dCube>({2, 4, 2}, {10, 20, 30});
  SelectOnly({a, b});
  EXPECT_EQ(Option("align options", "grid"), kNoErr);
  ExpectNear(Centre(a), {-4, 2.00005, 0}, 1e-12, "grid");
  EXPECT_EQ(Option("align options", "toge"), kHandled);
  ExpectNear(Centre(b), Centre(a), 1e-12, "together");
  EXPECT_EQ(Option("align options", "grnd"), kHandled);
  EXPECT_NEAR(b->WorldBox().fMin.y, 0, 1e-12);
  EXPECT_NEAR(a->WorldBox().fMin.y, 0, 1e-12);
  EXPECT_EQ(Option("reposition options", "urep"), kHandled);
  EXPECT_NE(w->GetDirtyBits() & CDocWindow::kDirtyView, 0u) << "the reset position changes the view";
  ExpectNear(b->GetTransformVector3(), {0, 1, 0}, 0, "urep");
}

TEST_F(DocTransform, UnknownCodesAndAnEmptySelectionRecordNothing) {
  C3dCube* cube = Add<C3dCube>({1, 1, 1}, {1, 2, 3});
  struct SCase {
    const char* popUp;
    const char* code;
    bool selected;
    int32_t answer;
    bool notified;
  } cases[] = {
      {"reposition options", "xxxx", true, kHandled, false}, {"resize options", "xxxx", true, kHandled, false},
      {"rotate options", "xxxx", true, kNoErr, false},       {"align options", "xxxx", true, kNoErr, false},
      {"some options", "urep", true, kNoErr, false},          {"reposition options", "urep", false, kHandled, true},
      {"resize options", "flpy", false, kHandled, true},      {"align options", "grnd", false, kHandled, true},
      {"align options", "toge", false, kHandled, true},
  };
  for (const SCase& c : cases) {
    SelectOnly(c.selected ? std::vector<C3dObject*>{cube} : std::vector<C3dObject*>{});
    EXPECT_EQ(Option(c.popUp, c.code), c.answer) << c.popUp << " " << c.code;
    EXPECT_EQ(Recorded(), nullptr) << c.popUp << " " << c.code;
    EXPECT_EQ(!w->notified.empty(), c.notified) << c.popUp << " " << c.code;
    ExpectNear(cube->GetTransformVector3(), {1, 2, 3}, 0, c.code);
  }
  EXPECT_EQ(w->HandleTransformOption(nullptr), kNoErr);
}

// Each local point's world image reflected in the plane through the box centre across the axis.
TEST_F(DocTransform, MirrorsReflectInThePlaneAcrossTheEditSpacesAxis) {
  C3dCamera* camera = w->GetCurrentCamera();
  ASSERT_NE(camera, nullptr);
  struct SCase {
    const char* code;
    int32_t space;
  } cases[] = {{"flpx", 0}, {"flpy", 0}, {"flpz", 0}, {"flpx", 1}, {"flpy", 1},
               {"flpz", 1}, {"flpx", 2}, {"flpy", 2}, {"flpz", 2}};
  for (const SCase& c : cases) {
    const std::string what = std::string(c.code) + " in space " + std::to_string(c.space);
    C3dPyramid* pyramid = Add<C3dPyramid>({1, 2, 3}, {1, 3, -2});
    pyramid->GetPlacement().SetRotation({0.3, -0.5, 0.8});
    const int axis = c.code[3] - 'x';
    vector3<double> n = axis == 0 ? vector3<double>{1, 0, 0} : axis == 1 ? vector3<double>{0, 1, 0} : vector3<double>{0, 0, 1};
    if (c.space == 1) n = axis == 0 ? pyramid->GetAxisX() : axis == 1 ? pyramid->GetAxisY() : pyramid->GetAxisZ();
    if (c.space == 2) {
      const SCameraView& view = camera->GetView();
      n = axis == 0 ? Cross(view.up, view.direction) : axis == 1 ? view.up : view.direction;
    }
    const vector3<double> centre = Centre(pyramid);
    const C34Matrix toWorld = pyramid->GetObjectToWorld();
    w->SetEditSpace(c.space);
    SelectOnly({pyramid});
    ASSERT_EQ(Option("resize options", c.code), kHandled);
    for (const vector3<double>& local : {vector3<double>{0, 0.5, 0}, {0.5, -0.5, 0.5}, {-0.5, -0.5, 0.25}}) {
      const vector3<double> p = toWorld.TransformPoint(local);
      const vector3<double> reflected = p - n * (2 * Dot(p - centre, n));
      ExpectNear(pyramid->GetObjectToWorld().TransformPoint(local), reflected, 1e-9, what);
    }
    ASSERT_NE(Recorded(), nullptr);
    ASSERT_EQ(Undo(), 0);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(pyramid->GetObjectToWorld().m[i], toWorld.m[i], 1e-12) << what;
  }
  w->SetEditSpace(0);
}

TEST_F(DocTransform, AWorldYMirrorTurnsAPyramidsApexDownInItsOwnBox) {
  C3dPyramid* pyramid = Add<C3dPyramid>({2, 2, 2}, {0, 3, 0});
  SelectOnly({pyramid});
  const C3dBox box = pyramid->WorldBox();
  const C3dTransform before = pyramid->GetPlacement();
  ASSERT_EQ(Option("resize options", "flpy"), kHandled);
  EXPECT_NEAR(pyramid->GetObjectToWorld().TransformPoint({0, 0.5, 0}).y, 2, 1e-12) << "the apex points down";
  ExpectNear(pyramid->WorldBox().fMin, box.fMin, 1e-12, "same box");
  ExpectNear(pyramid->WorldBox().fMax, box.fMax, 1e-12, "same box");
  ASSERT_EQ(Undo(), 0);
  ExpectNear(pyramid->GetPlacement().fScale, before.fScale, 1e-12, "undone");
  ExpectNear(pyramid->GetPlacement().fRotation, before.fRotation, 1e-12, "undone");
  ExpectNear(pyramid->GetPlacement().fPosition, before.fPosition, 1e-12, "undone");
  EXPECT_NEAR(pyramid->GetObjectToWorld().TransformPoint({0, 0.5, 0}).y, 4, 1e-12) << "the apex up again";
  // Redo mirrors again, and the mirror's negative size survives a doubling of the size as read.
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Redo(), 0);
  EXPECT_NEAR(pyramid->GetObjectToWorld().TransformPoint({0, 0.5, 0}).y, 2, 1e-12) << "redone";
  pyramid->SetScaledSize(pyramid->GetScaledSize() * 2.0);
  EXPECT_NEAR(pyramid->GetObjectToWorld().TransformPoint({0, 0.5, 0}).y, 1, 1e-12) << "still mirrored";
}

TEST_F(DocTransform, LandingDropsOrLiftsObjectsOntoWhatLiesBelowThem) {
  C3dObject* ground = Ground();
  ASSERT_NE(ground, nullptr);
  C3dCube* block = Add<C3dCube>({4, 2, 4}, {20, 0, 20});  // its top at y = 1
  struct SCase {
    const char* name;
    vector3<double> position;  // of a unit sphere, its bottom 0.5 below
    bool excludeGround;
    bool hidden;
    double bottomAfter;
    bool notifyDrags = false;  // the window asks to hear of every drag step
  } cases[] = {
      {"over an empty scene, down", {0, 5.5, 0}, true, false, 0},
      {"below it, up", {0, -1.5, 0}, true, false, 0},
      {"onto the cube", {20, 3.5, 20}, false, false, 1, true},
      {"onto the ground", {0, 5.5, 0}, false, false, 0.0009765625},
      {"hidden stays hidden", {20, 7, 20}, false, true, 1},
  };
  for (const SCase& c : cases) {
    if (c.excludeGround) ground->SetStateFlags(C3dObject::kExcluded);
    C3dSphere* ball = Add<C3dSphere>({1, 1, 1}, c.position);
    if (c.hidden) ball->SetStateFlags(C3dObject::kExcluded);
    SelectOnly({ball});
    if (c.notifyDrags) w->SetFlags(CDocWindow::kNotifyDrags);
    EXPECT_EQ(w->LandSelection(), kNoErr) << c.name;
    w->ClearFlags(CDocWindow::kNotifyDrags);
    EXPECT_NEAR(ball->WorldBox().fMin.y, c.bottomAfter, 1e-6) << c.name;
    EXPECT_EQ((ball->GetStateFlags() & C3dObject::kExcluded) != 0, c.hidden) << c.name;
    EXPECT_EQ(ground->GetStateFlags() & C3dObject::kExcluded, c.excludeGround ? C3dObject::kExcluded : 0u) << c.name;
    ASSERT_NE(dynamic_cast<CMatrixAction*>(Recorded()), nullptr) << c.name;
    const std::vector<uint32_t> told = c.notifyDrags ? std::vector<uint32_t>{4, 0x80000004} : std::vector<uint32_t>{4};
    EXPECT_EQ(w->notified, told) << c.name;
    ASSERT_EQ(Undo(), 0);
    ExpectNear(ball->GetTransformVector3(), c.position, 1e-12, c.name);
    ground->ClearStateFlags(C3dObject::kExcluded);
    ball->SetStateFlags(C3dObject::kExcluded);  // out of the later cases' way
  }
  ExpectNear(block->GetTransformVector3(), {20, 0, 20}, 0, "what it landed on stays");
}

TEST_F(DocTransform, LandingSkipsLockedObjectsNeverHitsItselfAndRecordsNothingWhenNothingMoved) {
  C3dCube* resting = Add<C3dCube>({1, 1, 1}, {0, 0.5, 0});
  C3dCube* locked = Add<C3dCube>({1, 1, 1}, {3, 4, 0});
  locked->SetFlags(C3dObject::kTransformLocked);
  SelectOnly({resting, locked});
  EXPECT_EQ(w->LandSelection(), kNoErr);
  EXPECT_EQ(Recorded(), nullptr);
  ExpectNear(locked->GetTransformVector3(), {3, 4, 0}, 0, "locked");
  ExpectNear(resting->GetTransformVector3(), {0, 0.5, 0}, 0, "on the ground already");

  // A group reaching below the ground rises by its own depth: its members do not stop it.
  Ground()->SetStateFlags(C3dObject::kExcluded);
  C3dCube* low = Add<C3dCube>({1, 1, 1}, {-5, -1.5, 0});
  C3dCube* high = Add<C3dCube>({1, 1, 1}, {-5, 1, 0});
  C3dGroup* group = nullptr;
  ASSERT_EQ(AppendNew(&group, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
  ASSERT_EQ(group->AddChild(low), 0);
  ASSERT_EQ(group->AddChild(high), 0);
  SelectOnly({group});
  EXPECT_EQ(Option("align options", "land"), kHandled);
  EXPECT_NEAR(low->WorldBox().fMin.y, 0, 1e-6);
  EXPECT_NEAR(high->WorldBox().fMin.y, 2.5, 1e-6);
  EXPECT_EQ(high->GetStateFlags() & C3dObject::kExcluded, 0u);
  EXPECT_EQ(group->GetStateFlags() & C3dObject::kExcluded, 0u);
}

TEST_F(DocTransform, TheAlignButtonsAlignOnTheFirstAndRefuseAnUnknownMode) {
  C3dCube* a = Add<C3dCube>({1, 1, 1}, {1, 2, 3});
  C3dCube* b = Add<C3dCube>({3, 1, 1}, {-4, 5, 6});
  SelectOnly({a, b});
  EXPECT_EQ(w->AlignSelection(CSelection::kHighestX), kNoErr);
  EXPECT_NEAR(b->WorldBox().fMax.x, 1.5, 1e-12);
  ExpectNear(b->GetTransformVector3(), {0, 5, 6}, 1e-12, "only x");
  EXPECT_NE(dynamic_cast<CMatrixAction*>(Recorded()), nullptr);
  EXPECT_EQ(w->notified, std::vector<uint32_t>{4});
  EXPECT_EQ(w->AlignSelection(CSelection::kAllCentres + 1), kErrOutOfMemory);
}

}  // namespace
