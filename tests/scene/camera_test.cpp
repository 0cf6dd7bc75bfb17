#include "scene/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "scene_fixture.h"

namespace {

constexpr double kA = 0.44720483191134;
constexpr double kB = 0.89443157274056;
constexpr double kPi = std::numbers::pi;

class Camera : public SceneTest {
 protected:
  C3dCamera* NewCamera(vector3<double> eye = {}) {
    C3dCamera* camera = MakeObject<C3dCamera>(table);
    if (camera) camera->SetTransformVector3(eye);
    return camera;
  }
  static double Length(const vector3<double>& v) { return std::sqrt(Dot(v, v)); }
};

TEST_F(Camera, ANewCameraLooksAlongZWithASixtyDegreeField) {
  C3dCamera* camera = NewCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->GetDataSize(), 884u);
  const SCameraView& view = camera->GetView();
  EXPECT_EQ(view.fieldAngle, 1.047197551197);
  EXPECT_EQ(view.direction, (vector3<double>{0, 0, 1}));
  EXPECT_EQ(view.up, (vector3<double>{0, 1, 0}));
  EXPECT_EQ(view.target, (vector3<double>{}));
  EXPECT_EQ(view.scale, 1);
  EXPECT_EQ(view.aspect, 1);
  EXPECT_EQ(view.extentX, 1);
  EXPECT_EQ(view.extentY, 1);
  EXPECT_EQ(view.offsetX, 0);
  EXPECT_EQ(view.offsetY, 0);
}

TEST_F(Camera, TheProjectionScalesWithTheFrameAndTheExtents) {
  C3dCamera* camera = NewCamera();
  const SCameraProjection p = camera->GetProjection(640, 480);
  EXPECT_FLOAT_EQ(p.halfExtents[1], 1e-05f);
  EXPECT_FLOAT_EQ(p.halfExtents[0], float(1e-05 * 640 / 480));
  EXPECT_NEAR(p.focalDistance, 1.49736e-05, 5e-11);
  ExpectNear(p.right, {1, 0, 0}, 1e-12, "right");
  ExpectNear(p.up, {0, 1, 0}, 1e-12, "up");
  ExpectNear(p.direction, {0, 0, 1}, 1e-12, "direction");

  camera->GetView().scale = 2;
  const SCameraProjection doubled = camera->GetProjection(640, 480);
  EXPECT_FLOAT_EQ(doubled.halfExtents[0], 2 * p.halfExtents[0]);
  EXPECT_FLOAT_EQ(doubled.halfExtents[1], 2 * p.halfExtents[1]);
  EXPECT_NEAR(doubled.focalDistance, 2 * p.focalDistance, 1e-18);

  camera->GetView().scale = 1;
  camera->GetView().offsetX = 0.5;
  camera->GetView().offsetY = -0.25;
  const SCameraProjection shifted = camera->GetProjection(640, 480);
  camera->GetView().extentX = camera->GetView().extentY = 2;
  const SCameraProjection wider = camera->GetProjection(640, 480);
  EXPECT_FLOAT_EQ(wider.halfExtents[0], 2 * p.halfExtents[0]);
  EXPECT_FLOAT_EQ(wider.halfExtents[1], 2 * p.halfExtents[1]);
  EXPECT_FLOAT_EQ(shifted.offsets[0], 0.5f * p.halfExtents[0]);
  EXPECT_FLOAT_EQ(wider.offsets[0], 2 * shifted.offsets[0]);
  EXPECT_FLOAT_EQ(wider.offsets[1], 2 * shifted.offsets[1]);
  EXPECT_EQ(wider.focalDistance, p.focalDistance);

  // A picture of no height is taken as one pixel high rather than divided by.
  const SCameraProjection flat = camera->GetProjection(640, 0);
  EXPECT_TRUE(std::isfinite(flat.focalDistance));
  EXPECT_FLOAT_EQ(flat.halfExtents[0], float(2 * 640 * 1e-05));
}

TEST_F(Camera, TurnsKeepTheEyeAndTheTargetsDistance) {
  C3dCamera* camera = NewCamera({1, 2, 3});
  camera->SetOrigin({1, 2, 8});
  camera->TurnA(kPi / 2);
  ExpectNear(camera->GetTransformVector3(), {1, 2, 3}, 0, "eye");
  ExpectNear(camera->GetView().direction, {1, 0, 0}, 1e-9, "turned direction");
  ExpectNear(camera->GetView().target, {6, 2, 3}, 1e-9, "target");
  camera->TurnB(kPi / 2);
  EXPECT_NEAR(Length(camera->GetView().target - vector3<double>{1, 2, 3}), 5, 1e-9);
  ExpectNear(camera->GetView().direction, {0, -1, 0}, 1e-9, "tilted down");
  EXPECT_NEAR(Dot(camera->GetView().up, camera->GetView().direction), 0, 1e-12);

  C3dCamera* rolled = NewCamera();
  rolled->RotateEyeAndTarget(kPi / 2);
  ExpectNear(rolled->GetView().direction, {0, 0, 1}, 1e-12, "rolled direction");
  ExpectNear(rolled->GetView().up, {-1, 0, 0}, 1e-12, "rolled up");
}

TEST_F(Camera, SetOriginAimsFromTheEye) {
  C3dCamera* camera = NewCamera({0, 0, -5});
  camera->SetOrigin({3, 4, -5});
  ExpectNear(camera->GetView().direction, {0.6, 0.8, 0}, 1e-12, "direction");
  ExpectNear(camera->GetView().up, {-0.8, 0.6, 0}, 1e-12, "up");
  EXPECT_EQ(camera->GetView().target, (vector3<double>{3, 4, -5}));

  // Straight above the eye the direction has no horizontal part: the up vector comes from the
  // camera's horizontal axis.
  C3dCamera* upward = NewCamera({1, 1, 1});
  upward->SetOrigin({1, 9, 1});
  ExpectNear(upward->GetView().direction, {0, 1, 0}, 0, "straight up");
  ExpectNear(upward->GetView().up, {0, 0, -1}, 1e-12, "up");
  EXPECT_NEAR(Length(upward->GetView().up), 1, 1e-12);
  EXPECT_EQ(upward->GetProjection(4, 3).right, (vector3<double>{1, 0, 0}));

  // At the eye itself there is nothing to aim at.
  const SCameraView before = upward->GetView();
  upward->SetOrigin({1, 1, 1});
  EXPECT_EQ(upward->GetView(), before);
}

TEST_F(Camera, OrbitsMoveTheEyeRoundTheTargetStillLookingAtIt) {
  C3dCamera* camera = NewCamera({0, 0, -5});
  camera->SetOrigin({0, 0, 0});
  camera->OrbitA(kPi / 2);
  ExpectNear(camera->GetTransformVector3(), {-5, 0, 0}, 1e-9, "eye round the vertical");
  ExpectNear(camera->GetView().direction, {1, 0, 0}, 1e-9, "looking back at the target");
  camera->OrbitB(kPi / 4);
  const vector3<double> eye = camera->GetTransformVector3();
  EXPECT_NEAR(Length(eye), 5, 1e-9);
  EXPECT_NEAR(std::fabs(eye.y), 5 * std::sqrt(0.5), 1e-9);
  ExpectNear(camera->GetView().direction, eye * -0.2, 1e-9, "still at the target");
  camera->OrbitA(0.5e-05);
  EXPECT_EQ(camera->GetTransformVector3(), eye);
}

TEST_F(Camera, UpdateMatrixKeepsThePlacement) {
  C3dCamera* camera = NewCamera({1, 2, 3});
  camera->SetTransformVector2({0.1, 0.2, 0.3});
  const C34Matrix before = camera->GetPlacement().GetMatrix();
  camera->UpdateMatrix();
  ExpectNear(camera->GetTransformVector2(), {0.1, 0.2, 0.3}, 1e-12, "angles");
  const C34Matrix after = camera->GetPlacement().GetMatrix();
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(after.m[i], before.m[i], 1e-12) << i;
}

TEST_F(Camera, OnlyPickingRaysMeetItsPickBody) {
  C3dCamera* camera = NewCamera();
  const SRayCase cases[] = {
      {"a rendering ray through the eye", {0, 0, -5}, {0, 0, 1}, 0, false, 0},
      // The side plane through the apex meets y = 0 at z = −a/b, within 2e-5 of −0.5.
      {"a picking ray", {0, 0, -5}, {0, 0, 1}, 0, true, 5 - kA / kB, {{0, kA, -kB}}, NAN, NAN, kFarAway, 1},
      {"a picking ray onto the base", {0.5, -5, 0.5}, {0, 1, 0}, 0, true, 4, {{0, 1, 0}}, NAN, NAN, kFarAway, 1},
      {"a picking ray beside it", {0, 1.5, -5}, {0, 0, 1}, 0, false, 0, {}, NAN, NAN, kFarAway, 1},
  };
  for (const SRayCase& c : cases) {
    CRenderStats stats;
    CRay ray = MakeRay(stats, c.origin, c.direction, c.filter, c.tMin);
    EXPECT_EQ(camera->Intersect(ray), c.hit) << c.name;
    // Rendering rays are turned away before anything is counted.
    EXPECT_EQ(stats.fHits + stats.fMisses, c.filter ? 1u : 0u) << c.name;
    if (!c.hit) continue;
    EXPECT_NEAR(ray.fHitT, c.t, 1e-9) << c.name;
    ExpectNear(ray.fHit.fObjNormal, *c.normal, 1e-12, c.name);
    EXPECT_EQ(ray.fHitObject, camera) << c.name;
  }
  // The apex of its body has no width for u.
  CRenderStats stats;
  CRay apex = MakeRay(stats, {0, 5, 0}, {0, -1, 0}, 1);
  ASSERT_TRUE(camera->Intersect(apex));
  EXPECT_EQ(apex.fHitT, 4);
  EXPECT_EQ(apex.fHit.fU, 0.5);
}

TEST_F(Camera, ACopyTakesTheWholeView) {
  C3dCamera* source = NewCamera({1, 2, 3});
  SCameraView& view = source->GetView();
  view.direction = {0.6, 0, 0.8};
  view.target = {7, 2, 11};
  view.reserved = 4;
  view.fieldAngle = 0.5;
  view.scale = 2;
  view.aspect = 1.5;
  view.offsetX = 0.1;
  view.offsetY = 0.2;
  view.extentX = 3;
  view.extentY = 4;
  C3dCamera* target = NewCamera();
  ASSERT_EQ(source->CopyTo(*target), 0);
  EXPECT_EQ(target->GetView(), view);
  EXPECT_EQ(target->GetTransformVector3(), (vector3<double>{1, 2, 3}));
  EXPECT_EQ(source->Duplicate(table), nullptr);
}

}  // namespace
