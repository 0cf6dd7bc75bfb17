// Scene things written into a real resource file the way saving a document does: moved into the
// document's environment, stored big-endian under their key, and read back by a fresh object.
#include <gtest/gtest.h>

#include "document_record_fixture.h"

namespace {

TEST_F(DocumentRecord, ASphereRoundTripsThroughAResourceFile) {
  C3dSphere* sphere = NewSphere({2, 3, 4}, {5, 6, 7});
  ASSERT_NE(sphere, nullptr);
  sphere->SetFlags(0x11);
  sphere->SetStateFlags(0x20048);

  const Bytes bytes = Save(sphere);
  ASSERT_EQ(bytes.size(), 749u);
  EXPECT_EQ(Bytes(bytes.begin() + 128, bytes.begin() + 136), (Bytes{'3', 'd', 'o', 'b', 's', 'p', 'h', 'r'}));
  EXPECT_EQ(BigWordAt(bytes, 136), 0x11u);
  EXPECT_EQ(BigWordAt(bytes, 140), 0x20048u);
  EXPECT_EQ(Save(sphere), bytes);  // the record came back in machine order: the same bytes again

  C3dBaseSys fresh(ObjectsEnv());
  C3dSphere* copy = Load<C3dSphere>(sphere->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetFlags(), 0x11u);
  EXPECT_EQ(copy->GetStateFlags(), 0x20048u);
  EXPECT_EQ(copy->GetObjectToWorld(), sphere->GetObjectToWorld());
  delete copy;
}

TEST_F(DocumentRecord, AGroupStoresItsMembersBigEndian) {
  C3dSphere* a = NewSphere();
  C3dSphere* b = NewSphere({1, 1, 1}, {4, 0, 0});
  C3dGroup* group = NewGroup({a, b});
  const Bytes bytes = Save(group);
  ASSERT_EQ(bytes.size(), 808u + 2 * 12);
  EXPECT_EQ(bytes[801], 1);
  EXPECT_EQ(BigWordAt(bytes, 804), 2u);
  EXPECT_EQ(BigWordAt(bytes, 816), a->GetId());
  EXPECT_EQ(BigWordAt(bytes, 828), b->GetId());

  C3dBaseSys fresh(ObjectsEnv());
  C3dGroup* copy = Load<C3dGroup>(group->GetKey(), &fresh);
  ASSERT_TRUE(copy->Lock()) << copy->GetError();
  copy->Unlock(false, false);
  EXPECT_EQ(copy->GetBox(), group->GetBox());
  delete copy;

  // A record flagged as in machine order would be swapped out of it.
  Bytes unflagged = bytes;
  unflagged[801] = 0;
  Overwrite(group->GetKey(), unflagged);
  C3dGroup* refused = Load<C3dGroup>(group->GetKey(), &fresh);
  EXPECT_FALSE(refused->Lock());
  EXPECT_EQ(refused->GetError(), 2);
  delete refused;
}

}  // namespace
