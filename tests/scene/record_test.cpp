// The stored records of scene things, read at the byte level as a resource file holds them:
// big-endian, swapped on every write and read.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/byte_reader.h"
#include "document_record_fixture.h"
#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/square.h"
#include "scene/torus.h"

namespace {

void Transform(C3dTransform& block, double seed) {
  block.fScale = {seed + 1, seed + 2, seed + 3};
  block.fShear = {seed + 4, seed + 5, seed + 6};
  block.fRotation = {seed + 7, seed + 8, seed + 9};
  block.fPosition = {seed + 10, seed + 11, seed + 12};
  block.fDirty = 1;
}

TEST_F(DocumentRecord, ASphereIsStoredBigEndianExceptWhereItStaysInMachineOrder) {
  C3dSphere* sphere = NewSphere();
  ASSERT_NE(sphere, nullptr);
  sphere->SetFlags(0x11);
  sphere->SetStateFlags(0x20048);
  Transform(sphere->GetReference(), 0.5);
  Transform(sphere->GetPlacement(), 20.25);
  const C3dTransform placement = sphere->GetPlacement();

  const Bytes first = Save(sphere);
  ASSERT_EQ(first.size(), 749u);
  EXPECT_EQ(Bytes(first.begin() + 128, first.begin() + 136), (Bytes{'3', 'd', 'o', 'b', 's', 'p', 'h', 'r'}));
  EXPECT_EQ(BigWordAt(first, 136), 0x11u);
  EXPECT_EQ(BigWordAt(first, 140), 0x20048u);
  const size_t reference = 152;
  const double expected[] = {1.5, 2.5, 3.5};  // scale
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(BigDoubleAt(first, reference + 8 * i), expected[i]);
    EXPECT_EQ(BigDoubleAt(first, reference + 48 + 8 * i), 7.5 + i);   // rotation
    EXPECT_EQ(BigDoubleAt(first, reference + 72 + 8 * i), 10.5 + i);  // position
  }
  EXPECT_EQ(BigDoubleAt(first, reference + 24), 4.5);  // shear x
  EXPECT_EQ(DoubleAt(first, reference + 32), 5.5);     // shear y and z stay
  EXPECT_EQ(DoubleAt(first, reference + 40), 6.5);
  EXPECT_EQ(first[reference + 288], 1);
  Bytes placed(C3dTransform::kStoredSize);
  placement.Store(placed.data());
  EXPECT_EQ(Bytes(first.begin() + 444, first.begin() + 736), placed);

  // After the write the record is in machine order again, and a second write gives the same bytes.
  const Bytes memory = Record(sphere);
  EXPECT_EQ(WordAt(memory, 136), 0x11u);
  EXPECT_EQ(DoubleAt(memory, reference), 1.5);
  EXPECT_EQ(Save(sphere), first);

  C3dBaseSys fresh(ObjectsEnv());
  C3dSphere* copy = Load<C3dSphere>(sphere->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetFlags(), 0x11u);
  EXPECT_EQ(copy->GetStateFlags(), 0x20048u);
  EXPECT_EQ(copy->GetReference().fScale, sphere->GetReference().fScale);
  EXPECT_EQ(copy->GetReference().fShear, sphere->GetReference().fShear);
  EXPECT_EQ(copy->GetReference().fPosition, sphere->GetReference().fPosition);
  EXPECT_EQ(copy->GetPlacement().fRotation, placement.fRotation);
  EXPECT_EQ(copy->GetPlacement().fPosition, placement.fPosition);
  EXPECT_EQ(copy->GetObjectToWorld(), sphere->GetObjectToWorld());
  delete copy;
}

TEST_F(DocumentRecord, TheSwapEnvironmentNeverSwapsNorReloads) {
  C3dSphere* sphere = NewSphere();
  sphere->SetFlags(0x11);
  ASSERT_TRUE(sphere->Lock());
  sphere->Unlock(true, false);
  ASSERT_TRUE(sphere->PageOut()) << sphere->GetError();
  const Bytes swapped = Entry(sphere);
  ASSERT_EQ(swapped.size(), 749u);
  EXPECT_EQ(WordAt(swapped, 128), FourCC("3dob"));
  EXPECT_EQ(WordAt(swapped, 136), 0x11u);
  // Fields changed while the record is out stay as they are when it comes back.
  sphere->SetFlags(0x08);
  ASSERT_TRUE(sphere->Lock());
  sphere->Unlock(false, false);
  EXPECT_EQ(sphere->GetFlags(), 0x19u);
}

TEST_F(DocumentRecord, AGroupStoresItsMembersAsTagsAndIds) {
  C3dGroup* group = MakeObject<C3dGroup>(table);
  ASSERT_NE(group, nullptr);
  C3dSphere* a = NewSphere();
  C3dSphere* b = NewSphere({1, 1, 1}, {4, 0, 0});
  ASSERT_EQ(group->AddChild(a), 0);
  ASSERT_EQ(group->AddChild(b), 0);

  const Bytes bytes = Save(group);
  ASSERT_EQ(bytes.size(), 808u + 2 * 12);
  EXPECT_EQ(bytes[801], 1);
  EXPECT_EQ(BigWordAt(bytes, 804), 2u);
  for (int i = 0; i < 2; ++i) {
    const C3dSphere* member = i == 0 ? a : b;
    EXPECT_EQ(BigWordAt(bytes, 808 + 12 * i), FourCC("3dob"));
    EXPECT_EQ(BigWordAt(bytes, 812 + 12 * i), FourCC("sphr"));
    EXPECT_EQ(BigWordAt(bytes, 816 + 12 * i), member->GetId());
  }
  EXPECT_EQ(BigDoubleAt(bytes, 748 + 24), 5.0);  // maximum x of the box
  EXPECT_EQ(Record(group)[801], 0);

  C3dBaseSys fresh(ObjectsEnv());
  C3dGroup* copy = Load<C3dGroup>(group->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetBox(), group->GetBox());
  EXPECT_EQ(copy->GetMemberCount(), 0u);  // members are linked after the whole document is read
  delete copy;
}

TEST_F(DocumentRecord, AGroupWhoseMemberCountDoesNotFitItsRecordIsRefused) {
  C3dGroup* group = MakeObject<C3dGroup>(table);
  ASSERT_EQ(group->AddChild(NewSphere()), 0);
  Bytes bytes = Save(group);
  StoreBE32(bytes.data() + 804, 3);
  Overwrite(group->GetKey(), bytes);

  C3dBaseSys fresh(ObjectsEnv());
  C3dGroup* copy = Load<C3dGroup>(group->GetKey(), &fresh);
  EXPECT_FALSE(copy->Lock());
  EXPECT_EQ(copy->GetError(), 2);
  delete copy;
}

TEST(RecordSwap, SwappingTwiceRestoresEveryByte) {
  // The record of a sphere with recognisable words everywhere.
  Bytes record(749);
  for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(i * 7 + 3);
  const Bytes original = record;
  C3dSphere sphere{SObjectKey{}};
  ASSERT_TRUE(sphere.SwapRecord(record.data(), uint32_t(record.size())));
  EXPECT_NE(record, original);
  record[152 + 288] = original[152 + 288];  // the swap marks the reference transform dirty
  ASSERT_TRUE(sphere.SwapRecord(record.data(), uint32_t(record.size())));
  record[152 + 288] = original[152 + 288];
  EXPECT_EQ(record, original);
  EXPECT_FALSE(sphere.SwapRecord(record.data(), 700));
}

// ---- primitives and the camera

TEST_F(DocumentRecord, ShapesWithoutParametersKeepThePlacedObjectsRecordAndOneByte) {
  C3dObject* shapes[] = {MakeShape<C3dCube>(table),   MakeShape<C3dPyramid>(table), MakeShape<C3dPlane>(table),
                         MakeShape<C3dSquare>(table), MakeShape<C3dCircle>(table),  MakeShape<C3dCone>(table),
                         MakeShape<C3dCylinder>(table)};
  for (C3dObject* shape : shapes) {
    Transform(shape->GetPlacement(), 1.25);
    shape->SetFlags(0x11);
    shape->SetStateFlags(0x48);
    const Bytes bytes = Save(shape);
    ASSERT_EQ(bytes.size(), 749u) << shape->TypeName();
    EXPECT_EQ(bytes[748], 0) << shape->TypeName();
    EXPECT_EQ(BigWordAt(bytes, 132), shape->GetClass()) << shape->TypeName();
    EXPECT_EQ(BigWordAt(bytes, 136), 0x11u) << shape->TypeName();

    C3dBaseSys fresh(ObjectsEnv());
    C3dObject* copy = nullptr;
    switch (shape->GetClass()) {
      case FourCC("cube"): copy = LoadAndRead<C3dCube>(shape->GetKey(), &fresh); break;
      case FourCC("pyra"): copy = LoadAndRead<C3dPyramid>(shape->GetKey(), &fresh); break;
      case FourCC("plne"): copy = LoadAndRead<C3dPlane>(shape->GetKey(), &fresh); break;
      case FourCC("sqre"): copy = LoadAndRead<C3dSquare>(shape->GetKey(), &fresh); break;
      case FourCC("circ"): copy = LoadAndRead<C3dCircle>(shape->GetKey(), &fresh); break;
      case FourCC("cone"): copy = LoadAndRead<C3dCone>(shape->GetKey(), &fresh); break;
      default: copy = LoadAndRead<C3dCylinder>(shape->GetKey(), &fresh); break;
    }
    EXPECT_EQ(copy->GetFlags(), 0x11u) << shape->TypeName();
    EXPECT_EQ(copy->GetStateFlags(), 0x48u) << shape->TypeName();
    EXPECT_EQ(copy->GetObjectToWorld(), shape->GetObjectToWorld()) << shape->TypeName();
  }

  // Their byte swap is the placed object's alone: the last byte stays.
  Bytes record(749);
  for (size_t i = 0; i < record.size(); ++i) record[i] = uint8_t(i * 7 + 3);
  Bytes reference = record;
  ASSERT_TRUE(CTestSolid{SObjectKey{}}.SwapRecord(reference.data(), 749));
  for (C3dObject* shape : shapes) {
    Bytes swapped = record;
    ASSERT_TRUE(shape->SwapRecord(swapped.data(), 749)) << shape->TypeName();
    EXPECT_EQ(swapped, reference) << shape->TypeName();
  }
}

TEST_F(DocumentRecord, ATorusStoresItsRadiiBigEndian) {
  C3dTorus* torus = MakeShape<C3dTorus>(table);
  torus->SetMinorRadius(1);
  torus->SetMajorRadius(3);
  const Bytes bytes = Save(torus);
  ASSERT_EQ(bytes.size(), 764u);
  EXPECT_EQ(BigDoubleAt(bytes, 748), 1.0);
  EXPECT_EQ(BigDoubleAt(bytes, 756), 3.0);
  EXPECT_EQ(DoubleAt(Record(torus), 748), 1.0);

  C3dBaseSys fresh(ObjectsEnv());
  C3dTorus* copy = LoadAndRead<C3dTorus>(torus->GetKey(), &fresh);
  EXPECT_EQ(copy->GetMinorRadius(), 1);
  EXPECT_EQ(copy->GetMajorRadius(), 3);
  EXPECT_EQ(copy->LocalBox(), (C3dBox{{-4, -1, -4}, {4, 1, 4}}));

  std::vector<uint8_t> shortRecord(763);
  EXPECT_FALSE(torus->SwapRecord(shortRecord.data(), 763));
}

TEST_F(DocumentRecord, ACameraStoresItsViewPartlyBigEndian) {
  C3dCamera* camera = MakeObject<C3dCamera>(table);
  ASSERT_NE(camera, nullptr);
  SCameraView& view = camera->GetView();
  view.direction = {0.6, 0, 0.8};
  view.up = {0, 1, 0.5};
  view.target = {7, 8, 9};
  view.reserved = 10;
  view.fieldAngle = 0.75;
  view.scale = 2;
  view.aspect = 1.5;
  view.offsetX = 0.125;
  view.offsetY = -0.25;
  view.extentX = 3;
  view.extentY = 4;
  const Bytes bytes = Save(camera);
  ASSERT_EQ(bytes.size(), 884u);
  const double swapped[] = {0.6, 0, 0.8, 0, 1, 0.5, 7, 8, 9};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(BigDoubleAt(bytes, 748 + 8 * i), swapped[i]) << i;
  EXPECT_EQ(DoubleAt(bytes, 820), 10);
  EXPECT_EQ(BigDoubleAt(bytes, 828), 0.75);
  EXPECT_EQ(BigDoubleAt(bytes, 836), 2);
  EXPECT_EQ(BigDoubleAt(bytes, 844), 1.5);
  EXPECT_EQ(DoubleAt(bytes, 852), 0.125);
  EXPECT_EQ(DoubleAt(bytes, 860), -0.25);
  EXPECT_EQ(DoubleAt(bytes, 868), 3);
  EXPECT_EQ(DoubleAt(bytes, 876), 4);

  C3dBaseSys fresh(ObjectsEnv());
  C3dCamera* copy = LoadAndRead<C3dCamera>(camera->GetKey(), &fresh);
  EXPECT_EQ(copy->GetView(), view);

  std::vector<uint8_t> shortRecord(883);
  EXPECT_FALSE(camera->SwapRecord(shortRecord.data(), 883));
}

}  // namespace
