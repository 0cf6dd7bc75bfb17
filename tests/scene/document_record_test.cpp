// Scene things written into a real resource file the way saving a document does: moved into the
// document's environment, stored big-endian under their key, and read back by a fresh object.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/core/byte_order.h"
#include "framework/core/byte_reader.h"
#include "framework/core/resource_env.h"
#include "scene_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DocumentRecord : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    CFileSpec spec;
    ASSERT_EQ(spec.Set((folder + "/scene.qnc").c_str()), 0);
    document = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(document->IsOpen()) << document->GetLastResult();
  }
  void TearDown() override {
    delete table;
    table = nullptr;
    document.reset();
    SceneTest::TearDown();
  }

  // Saving's steps for one thing: paged in, moved into the document, its resource created, attached
  // under its key, written with release; then back into the working environment.
  template <typename T>
  Bytes Save(T* thing) {
    EXPECT_TRUE(thing->Lock()) << thing->GetError();
    thing->Unlock(false, false);
    SSpoolKey key = thing->GetKey();
    // Saving again writes over the resource that exists.
    if (!document->PutResource(key)) {
      EXPECT_EQ(document->GetLastResult(), kErrObjectDuplicated);
    }
    key.isNew = 1;
    EXPECT_TRUE(thing->SetEnvironment(document.get())) << thing->GetError();
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &key);
    EXPECT_TRUE(thing->Subscribe(spec)) << thing->GetError();
    EXPECT_TRUE(thing->Lock()) << thing->GetError();
    EXPECT_TRUE(thing->Unlock(true, true)) << thing->GetError();
    const Bytes bytes = Stored(key);

    key.isNew = 0;
    EXPECT_TRUE(thing->SetEnvironment(ObjectsEnv())) << thing->GetError();
    SSpoolTableSpec working;
    working.SetForObjects(false, &key);
    EXPECT_TRUE(thing->Subscribe(working)) << thing->GetError();
    return bytes;
  }

  Bytes Stored(const SSpoolKey& key) {
    CResEntry entry{};
    EXPECT_TRUE(document->GetResourceInfo(key, &entry)) << document->GetLastResult();
    CCmFile* file = document->GetCmFile();
    const uint32_t size = file->GetEntryField(entry.first);
    CMemBlock block(size, nullptr);
    EXPECT_EQ(file->ReadEntryToData(entry.first, block), 0);
    return Bytes(block.GetData(), block.GetData() + size);
  }

  // A fresh object of the class over the stored resource, as loading makes it.
  template <typename T>
  T* Load(const SSpoolKey& stored, C3dBaseSys* into) {
    SObjectKey key;
    SSpoolTableSpec unused;
    MakeCreationKey<T>(document.get(), key, unused);
    T* copy = new T(key);
    SSpoolKey spoolKey = stored;
    spoolKey.isNew = 0;
    SSpoolTableSpec spec;
    spec.SetForObjects(true, &spoolKey);
    EXPECT_TRUE(copy->Subscribe(spec)) << copy->GetError();
    EXPECT_EQ(into->AddObject(copy), 0);
    return copy;
  }

  static uint32_t BigWordAt(const Bytes& bytes, size_t at) { return SwapLong(LoadField<uint32_t>(bytes.data() + at)); }
  static double BigDoubleAt(const Bytes& bytes, size_t at) { return SwapDouble(LoadField<double>(bytes.data() + at)); }

  std::unique_ptr<CResourceEnv> document;
};

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
}

}  // namespace
