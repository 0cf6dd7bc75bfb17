// Records written through a CStoredKindEnv, which stores them as a resource environment does:
// big-endian, swapped on every write and read. Helpers read the stored bytes and read a record back
// into a second thing.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/byte_order.h"
#include "scene_fixture.h"

using Bytes = std::vector<uint8_t>;

class StoredRecord : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    stored = std::make_unique<CStoredKindEnv>();
    ASSERT_TRUE(stored->IsOpen());
  }
  void TearDown() override {
    delete table;
    table = nullptr;
    stored.reset();
    SceneTest::TearDown();
  }

  // Writes the thing's record through its handler and answers the bytes its entry holds.
  static Bytes Write(C3dBase* thing) {
    EXPECT_TRUE(thing->Lock());
    EXPECT_TRUE(thing->Unlock(true, true)) << thing->GetError();
    return Entry(thing);
  }
  static Bytes Entry(C3dBase* thing) {
    CCmFile* file = thing->GetFile();
    const uint32_t size = file->GetEntryField(uint32_t(thing->GetDataEntry()));
    CMemBlock block(size, nullptr);
    EXPECT_EQ(file->ReadEntry(uint32_t(thing->GetDataEntry()), block), 0);
    return Bytes(block.GetData(), block.GetData() + size);
  }
  static Bytes Record(C3dBase* thing) {
    CHolder holder(thing, false, false);
    return Bytes(thing->GetData(), thing->GetData() + thing->GetDataSize());
  }
  static uint32_t WordAt(const Bytes& bytes, size_t at) { return LoadField<uint32_t>(bytes.data() + at); }
  static uint32_t BigWordAt(const Bytes& bytes, size_t at) { return SwapLong(WordAt(bytes, at)); }
  static double DoubleAt(const Bytes& bytes, size_t at) { return LoadField<double>(bytes.data() + at); }
  static double BigDoubleAt(const Bytes& bytes, size_t at) { return SwapDouble(DoubleAt(bytes, at)); }

  // A second thing of the same class over the first one's stored entries, sized by them, as a reader
  // would make it.
  template <typename T>
  T* ReadBack(C3dBase* written, C3dBaseSys* into) {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(stored.get(), key, spec);
    T* copy = new T(key);
    EXPECT_TRUE(copy->AttachToFile(written->GetFile(), uint32_t(written->GetDataEntry()),
                                   uint32_t(written->GetHeaderEntry()), true, &C3dBase::HandleMessage));
    EXPECT_EQ(into->AddObject(copy), 0);
    return copy;
  }

  std::unique_ptr<CStoredKindEnv> stored;
};
