#include "scene/object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "scene_fixture.h"

namespace {

using PlacedObject = SceneTest;

void ExpectNear(const C34Matrix& a, const C34Matrix& b) {
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(a.m[i], b.m[i], 1e-9) << i;
}

TEST_F(PlacedObject, ScaledSizeKeepsFlatAxesClampsTheWantedExtentAndKeepsItsSign) {
  struct SCase {
    double localExtent, scale, wanted, scaleAfter;
  } cases[] = {
      {0, 3, 10, 3},             // no extent on the axis: the scale stays
      {2, 1, 0, 0.005},          // a wanted size of 0 gives an extent of 0.01
      {2, 1, 20000, 4999.5},     // and 20000 an extent of 9999
      {2, 2, 6, 3},
      {4, -1, 2, 0.5},           // a positive wanted extent removes a mirror
      {4, -1, -8, -2},           // a negative one keeps it
      {2, 1, -6, -3},            // and mirrors an object that was not
      {2, 1, -0.001, -0.005},    // the clamp takes the size and keeps the sign
      {2, -1, -20000, -4999.5},
  };
  for (const SCase& c : cases) {
    CTestSolid* solid = NewSolid({{-1, 0, -1}, {1, c.localExtent, 1}});
    solid->GetPlacement().fScale = {1, c.scale, 1};
    solid->SetScaledSize({2, c.wanted, 2});
    EXPECT_NEAR(solid->GetPlacement().fScale.y, c.scaleAfter, 1e-9) << c.wanted;
    EXPECT_TRUE(solid->GetPlacement().fDirty);
  }
}

// A mirror decomposes with negative scales; doubling the size as read keeps the mirror.
TEST_F(PlacedObject, DoublingAMirroredObjectKeepsTheMirror) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  solid->ScaleAlongAxis({0, 0, 0}, {{0, 1, 0}, -1});
  const C34Matrix mirrored = solid->GetObjectToWorld();
  const vector3<double> size = solid->GetScaledSize();
  EXPECT_LT(size.x * size.y * size.z, 0);
  solid->SetScaledSize(size * 2.0);
  C34Matrix doubled = mirrored;
  for (int i = 0; i < 9; ++i) doubled.m[i] *= 2;
  ExpectNear(solid->GetObjectToWorld(), doubled);
}

TEST_F(PlacedObject, SnapToGridMovesTheCentreToTheNearestLine) {
  struct SCase {
    double centre, snapped;
  } cases[] = {{0.7, 1}, {0.3, 0}, {0.5, 1}, {-0.5, -1}, {-0.7, -1}, {3.00005, 3.00005}, {-3.00005, -3.00005}};
  for (const SCase& c : cases) {
    CTestSolid* solid = NewSolid({{-0.25, -0.25, -0.25}, {0.25, 0.25, 0.25}});
    solid->SetTransformVector3({c.centre, 0.2, 5});
    solid->SnapToGrid({1, 0, -1});  // y and z have no grid
    ExpectNear(solid->GetTransformVector3(), {c.snapped, 0.2, 5});
  }
}

TEST_F(PlacedObject, ResetsPutTheObjectAboveTheOrigin) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  solid->SetTransformVector3({3, 3, 3});
  solid->ResetPosition();
  ExpectNear(solid->GetTransformVector3(), {0, 1, 0});
  solid->GetPlacement().fScale = {3, 4, 5};
  solid->GetPlacement().fShear = {0.1, 0.2, 0.3};
  solid->SetTransformVector2({1, 2, 3});
  solid->ResetRotationAndSize();
  ExpectNear(solid->GetPlacement().fScale, {1, 1, 1});
  ExpectNear(solid->GetPlacement().fShear, {});
  ExpectNear(solid->GetTransformVector2(), {});
  ExpectNear(solid->GetTransformVector3(), {0, 2, 0});  // the centre snapped to a grid of 2
}

TEST_F(PlacedObject, ATransformLockedObjectIgnoresTheEditsButNotSetPlacement) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  solid->SetTransformVector3({0.3, 0.3, 0.3});
  solid->SetFlags(C3dObject::kTransformLocked);
  const C3dTransform before = solid->GetPlacement();
  solid->Translate({1, 1, 1});
  solid->RotateAboutPoint({}, {0.7071, 0.7071, 0, 0});
  solid->SnapToGrid({1, 1, 1});
  solid->ResetRotationAndSize();
  solid->ResetPosition();
  solid->ResetRotation();
  solid->ResetSize();
  EXPECT_EQ(solid->GetPlacement().fPosition, before.fPosition);
  EXPECT_EQ(solid->GetPlacement().fScale, before.fScale);
  EXPECT_EQ(solid->GetPlacement().fRotation, before.fRotation);
  solid->SetPlacement({0, 0.5, 0}, {4, 4, 4}, {7, 8, 9});
  ExpectNear(solid->GetTransformVector2(), {0, 0.5, 0});
  ExpectNear(solid->GetPlacement().fScale, {2, 2, 2});
  ExpectNear(solid->GetTransformVector3(), {7, 8, 9});
}

TEST_F(PlacedObject, TheDerivedMatricesAreRebuiltOnlyFromDirtyBlocks) {
  CTestSolid* solid = NewSolid({});
  C3dTransform& placement = solid->GetPlacement();
  C3dTransform& reference = solid->GetReference();
  placement.fScale = {2, 3, 4};
  placement.SetRotation({0.3, -0.2, 0.1});
  placement.SetPosition({1, 2, 3});
  reference.SetPosition({0, 1, 0});
  reference.SetRotation({0, 0.5, 0});
  C34Matrix inverseReference;
  ASSERT_TRUE(reference.BuildMatrix().Invert(inverseReference));
  C34Matrix expected;
  C34Matrix::Multiply(expected, inverseReference, placement.BuildMatrix());
  ExpectNear(solid->GetObjectToWorld(), expected);
  C34Matrix product;
  C34Matrix::Multiply(product, solid->GetObjectToWorld(), solid->GetWorldToObject());
  ExpectNear(product, C34Matrix());
  EXPECT_FALSE(placement.fDirty || reference.fDirty);

  // A change that leaves the block clean is not seen until the block is marked.
  const C34Matrix before = solid->GetObjectToWorld();
  placement.fPosition = {9, 9, 9};
  EXPECT_EQ(solid->GetObjectToWorld(), before);
  placement.fDirty = 1;
  EXPECT_NE(solid->GetObjectToWorld(), before);
  // Reading an axis does not clean the block behind the derived matrices' back.
  placement.SetPosition({0, 0, 0});
  solid->GetAxisX();
  EXPECT_TRUE(placement.fDirty);
}

TEST_F(PlacedObject, RotationsTurnAboutTheirAxisOrPivot) {
  constexpr double kQuarter = std::numbers::pi / 2;
  C3dTransform block;
  block.Init();
  block.fPosition = {1, 0, 0};
  block.RotateY(1e-6);  // too small to count
  EXPECT_EQ(block.fRotation, (vector3<double>{}));
  block.RotateZ(kQuarter);
  ExpectNear(block.fRotation, {0, 0, kQuarter});
  ExpectNear(block.GetMatrix().Row(0), {0, 1, 0});
  ExpectNear(block.fPosition, {1, 0, 0});

  CTestSolid* solid = NewSolid({});
  solid->SetTransformVector3({2, 0, 0});
  const double h = std::sqrt(0.5);
  solid->RotateAboutPoint({1, 0, 0}, {h, 0, h, 0});  // a quarter turn about y through (1, 0, 0)
  const vector3<double> moved = solid->GetTransformVector3() - vector3<double>{1, 0, 0};
  EXPECT_NEAR(Dot(moved, moved), 1, 1e-9);
  EXPECT_NEAR(moved.y, 0, 1e-9);
  EXPECT_NEAR(moved.x, 0, 1e-9);
  ExpectNear(solid->GetAxisY(), {0, 1, 0});
}

// A scale along an axis about a point: the point stays, the object stretches along the axis alone,
// a world axis on a turned object shears it, and a locked object stays.
TEST_F(PlacedObject, AScaleAlongAnAxisStretchesAboutThePoint) {
  CTestSolid* solid = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  solid->SetTransformVector3({3, 1, 0});
  solid->ScaleAlongAxis({1, 1, 0}, {{1, 0, 0}, 2});
  ExpectNear(solid->GetTransformVector3(), {5, 1, 0});
  ExpectNear(solid->GetPlacement().fScale, {2, 1, 1});
  ExpectNear(solid->GetScaledSize(), {4, 2, 2});
  solid->ScaleAlongAxis({5, 1, 0}, {{0, 1, 0}, 0.5});
  ExpectNear(solid->GetScaledSize(), {4, 1, 2});

  // A mirror in the plane x = 6: the box lands on the other side, the same size.
  solid->ScaleAlongAxis({6, 0, 0}, {{1, 0, 0}, -1});
  C3dBox box = solid->WorldBox();
  ExpectNear(box.fMin, {5, 0.5, -1});
  ExpectNear(box.fMax, {9, 1.5, 1});

  // A world axis across a turned object: its box still doubles along x only.
  CTestSolid* turned = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  turned->SetTransformVector2({0, 0, 0.5});
  const C3dBox before = turned->WorldBox();
  turned->ScaleAlongAxis({}, {{1, 0, 0}, 2});
  box = turned->WorldBox();
  EXPECT_NEAR(box.fMax.x - box.fMin.x, 2 * (before.fMax.x - before.fMin.x), 1e-9);
  EXPECT_NEAR(box.fMax.y - box.fMin.y, before.fMax.y - before.fMin.y, 1e-9);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(std::isfinite(turned->GetObjectToWorld().m[i]));

  CTestSolid* locked = NewSolid({{-1, -1, -1}, {1, 1, 1}});
  locked->SetFlags(C3dObject::kTransformLocked);
  const C3dTransform kept = locked->GetPlacement();
  locked->ScaleAlongAxis({1, 0, 0}, {{1, 0, 0}, 3});
  EXPECT_EQ(locked->GetPlacement().fScale, kept.fScale);
  EXPECT_EQ(locked->GetPlacement().fPosition, kept.fPosition);
}

// Plug-ins hold objects by handle: the handle is the same each time and resolves to none once the
// object is gone.
TEST_F(PlacedObject, AnObjectsHandleLivesAsLongAsTheObject) {
  CTestSolid* solid = NewSolid({});
  const Handle32 handle = solid->GetHandle();
  ASSERT_NE(handle, kNoHandle);
  EXPECT_EQ(solid->GetHandle(), handle);
  EXPECT_EQ(LookupHandleAs<C3dObject>(handle, C3dObject::kHandleTag), solid);
  EXPECT_EQ(LookupHandle(handle, FourCC("matr")), nullptr);
  delete solid;
  EXPECT_EQ(LookupHandle(handle, C3dObject::kHandleTag), nullptr);
}

TEST_F(PlacedObject, SelectionIsFoundThroughTheOutermostGroup) {
  CTestSolid* loose = NewSolid({});
  CTestSolid* inner = NewSolid({});
  C3dGroup* group = NewGroup({inner});
  C3dObject* found = nullptr;
  EXPECT_EQ(C3dObject::FindFirstSelectedRoot(table, &found), 6);
  group->SetFlags(C3dObject::kSelected);
  EXPECT_EQ(C3dObject::FindFirstSelectedRoot(table, &found), 0);
  EXPECT_EQ(found, group);
  EXPECT_TRUE(inner->IsSelectedInHierarchy());
  EXPECT_FALSE(loose->IsSelectedInHierarchy());

  loose->SetFlags(C3dObject::kSelected);
  uint32_t index = 0;
  EXPECT_EQ(C3dObject::FindNextSelected(table, &found, &index), 0);
  EXPECT_EQ(found, loose);
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(C3dObject::FindNextSelected(table, &found, &index), 0);
  EXPECT_EQ(found, group);
  EXPECT_EQ(C3dObject::FindNextSelected(table, &found, &index), 6);
  uint32_t count = 0;
  EXPECT_EQ(C3dObject::CountObjects(table, &count), 0);
  EXPECT_EQ(count, 3u);

  CDynTable<C3dObject*> list(SRange{0, 4});
  EXPECT_EQ(C3dObject::AppendExpandingGroups(list, group, true), 0);
  ASSERT_EQ(list.GetCount(), 2u);
  EXPECT_EQ(list[0], inner);
  EXPECT_EQ(list[1], group);
}

TEST_F(PlacedObject, ACopyTakesTransformsFlagsAndTheDocumentWords) {
  CTestSolid* source = NewSolid({});
  CTestSolid* target = NewSolid({});
  source->GetPlacement().SetPosition({1, 2, 3});
  source->GetReference().SetRotation({0, 1, 0});
  source->SetFlags(0x18);
  source->SetStateFlags(0x4000);
  source->SetCreationWord(0, 5);
  {
    CHolder holder(source, true, false);
    StoreField<uint32_t>(source->GetData() + C3dObject::kDocumentWordsOffset + 4, 99);
  }
  ASSERT_EQ(source->CopyTo(*target), 0);
  EXPECT_EQ(target->GetFlags(), 0x18u);
  EXPECT_EQ(target->GetStateFlags(), 0x4000u);
  EXPECT_EQ(target->GetCreationWord(0), 5u);
  EXPECT_EQ(target->GetObjectToWorld(), source->GetObjectToWorld());
  CHolder holder(target, false, false);
  EXPECT_EQ(LoadField<uint32_t>(target->GetData() + C3dObject::kDocumentWordsOffset + 4), 99u);
  EXPECT_EQ(LoadField<uint32_t>(target->GetData() + C3dObject::kFlagsOffset), 0x18u);
}

TEST_F(PlacedObject, RayToObjectKeepsTheRayParameter) {
  CTestSolid* solid = NewSolid({});
  Place(solid, {2, 4, 8}, {1, 1, 1});
  CRenderStats stats;
  CRay ray = MakeRay(stats, {1, 1, 9}, {0, 0, -1});
  C3dObject::RayToObject(ray, solid->GetWorldToObject(), solid->GetObjectToWorld());
  ExpectNear(ray.fHit.fObjOrigin, {0, 0, 1});
  ExpectNear(ray.fHit.fObjDirection, {0, 0, -0.125});
  EXPECT_FALSE(solid->IsLight());
}

}  // namespace
