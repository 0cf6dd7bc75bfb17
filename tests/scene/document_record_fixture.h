// Scene things written into a real resource file the way saving a document does: moved into the
// document's environment, stored big-endian under their key, moved back, and read back by a fresh
// object over the stored resource. Helpers read the stored bytes and the record in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/byte_order.h"
#include "framework/core/resource_env.h"
#include "scene_fixture.h"

using Bytes = std::vector<uint8_t>;

// Over the fixture that makes the things (any scene fixture).
template <typename Base>
class DocumentRecordIn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    CFileSpec spec;
    ASSERT_EQ(spec.Set((this->folder + "/scene.qnc").c_str()), 0);
    document = std::make_unique<CResourceEnv>(spec, CFile::kModeReadWrite);
    ASSERT_TRUE(document->IsOpen()) << document->GetLastResult();
  }
  void TearDown() override {
    delete this->table;
    this->table = nullptr;
    document.reset();
    Base::TearDown();
  }

  // Saving's steps for one thing: paged in, moved into the document, its resource created, attached
  // under its key, written with release; then back into the working environment. The stored bytes.
  Bytes Save(C3dBase* thing) {
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
    EXPECT_TRUE(thing->SetEnvironment(this->ObjectsEnv())) << thing->GetError();
    SSpoolTableSpec working;
    working.SetForObjects(false, &key);
    EXPECT_TRUE(thing->Subscribe(working)) << thing->GetError();
    return bytes;
  }

  // The bytes the document holds under the key.
  Bytes Stored(const SSpoolKey& key) {
    CResEntry entry{};
    EXPECT_TRUE(document->GetResourceInfo(key, &entry)) << document->GetLastResult();
    CCmFile* file = document->GetCmFile();
    const uint32_t size = file->GetEntryField(entry.first);
    CMemBlock block(size, nullptr);
    EXPECT_EQ(file->ReadEntryToData(entry.first, block), 0);
    return Bytes(block.GetData(), block.GetData() + size);
  }
  // Puts other bytes under the key, as a damaged or foreign document would hold them.
  void Overwrite(const SSpoolKey& key, const Bytes& bytes) {
    CResEntry entry{};
    ASSERT_TRUE(document->GetResourceInfo(key, &entry)) << document->GetLastResult();
    CCmFile* file = document->GetCmFile();
    ASSERT_EQ(file->SetEntrySize(entry.first, uint32_t(bytes.size())), 0);
    CMemBlock block(uint32_t(bytes.size()), nullptr);
    std::memcpy(block.GetData(), bytes.data(), bytes.size());
    ASSERT_EQ(file->WriteEntryFromData(entry.first, block), 0);
  }

  // A fresh object of the class over the stored resource, as loading makes it, entered in a table.
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
  // Load, then paged in once so that its fields hold what was read.
  template <typename T>
  T* LoadAndRead(const SSpoolKey& stored, C3dBaseSys* into) {
    T* copy = Load<T>(stored, into);
    EXPECT_TRUE(copy->Lock()) << copy->GetError();
    copy->Unlock(false, false);
    return copy;
  }

  // The bytes the thing's swap entry holds.
  static Bytes Entry(C3dBase* thing) {
    CCmFile* file = thing->GetFile();
    const uint32_t size = file->GetEntryField(uint32_t(thing->GetDataEntry()));
    CMemBlock block(size, nullptr);
    EXPECT_EQ(file->ReadEntry(uint32_t(thing->GetDataEntry()), block), 0);
    return Bytes(block.GetData(), block.GetData() + size);
  }
  // The record in memory.
  static Bytes Record(C3dBase* thing) {
    CHolder holder(thing, false, false);
    return Bytes(thing->GetData(), thing->GetData() + thing->GetDataSize());
  }
  static uint32_t WordAt(const Bytes& bytes, size_t at) { return LoadField<uint32_t>(bytes.data() + at); }
  static uint32_t BigWordAt(const Bytes& bytes, size_t at) { return SwapLong(WordAt(bytes, at)); }
  static double DoubleAt(const Bytes& bytes, size_t at) { return LoadField<double>(bytes.data() + at); }
  static double BigDoubleAt(const Bytes& bytes, size_t at) { return SwapDouble(DoubleAt(bytes, at)); }

  std::unique_ptr<CResourceEnv> document;
};

using DocumentRecord = DocumentRecordIn<SceneTest>;
