#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "framework/core/result_codes.h"
#include "spool_fixture.h"

namespace {

// A record-type handler that counts its messages and, while `failWrites` is set, refuses to write
// (message 6) as a full disk would.
struct SCountingHandler {
  static inline std::array<uint32_t, 11> calls{};
  static inline bool failWrites = false;

  static uint32_t Handle(CSpoolMem* object, uint32_t message, void* argument) {
    if (message < calls.size()) ++calls[message];
    if (message == kSpoolBeforeWrite && failWrites) {
      object->SetError(kErrDiskFull);
      return 0;
    }
    return SpoolDefaultTypeHandler(object, message, argument);
  }
  static SSpoolTableSpec Spec() {
    calls = {};
    failWrites = false;
    SSpoolTableSpec spec;
    spec.recordHandler = &Handle;
    return spec;
  }
};

// Remembers the arguments of a holder's failure callback.
struct SSeenFailure {
  static inline CHolder* holder = nullptr;
  static inline uint32_t zero = 1;
  static uint32_t OnFailure(CHolder* h, uint32_t z) {
    holder = h;
    zero = z;
    return 0;
  }
};

using SpoolMemTest = SpoolAppTest;

TEST_F(SpoolMemTest, LockingTwiceAndUnlockingTwiceLeavesItResidentAndPageable) {
  auto table = NewTable(DataEnv(), 256);
  EXPECT_FALSE(table->IsResident());
  const uint64_t stamp = table->GetStamp();
  ASSERT_TRUE(table->Lock());
  ASSERT_TRUE(table->Lock());
  EXPECT_GT(table->GetStamp(), stamp);
  EXPECT_EQ(table->GetLockCount(), 2u);
  EXPECT_FALSE(table->IsPageable());
  EXPECT_TRUE(table->Unlock(false, false));
  EXPECT_FALSE(table->IsPageable());
  EXPECT_TRUE(table->Unlock(false, false));
  EXPECT_TRUE(table->IsResident());
  EXPECT_EQ(table->GetLockCount(), 0u);
  EXPECT_TRUE(table->IsPageable());
}

TEST_F(SpoolMemTest, FlushWritesOnlyModifiedData) {
  auto table = NewTable(DataEnv(), 256, SCountingHandler::Spec());
  ASSERT_TRUE(table->Lock());
  EXPECT_TRUE(table->Unlock(false, true));
  EXPECT_EQ(SCountingHandler::calls[kSpoolWriteData], 0u);

  ASSERT_TRUE(table->Lock());
  EXPECT_TRUE(table->Unlock(true, false));
  EXPECT_TRUE(table->IsModified());
  EXPECT_EQ(SCountingHandler::calls[kSpoolWriteData], 0u);
  ASSERT_TRUE(table->Lock());
  EXPECT_TRUE(table->Unlock(false, true));
  EXPECT_FALSE(table->IsModified());
  EXPECT_EQ(SCountingHandler::calls[kSpoolWriteData], 1u);
  EXPECT_EQ(DataEnv()->GetFile()->GetEntryField(uint32_t(table->GetDataEntry())), 256u);
  // Has-header is clear in swap environments: the header is never written.
  EXPECT_EQ(SCountingHandler::calls[kSpoolWriteHeader], 0u);
}

TEST_F(SpoolMemTest, AReadOnlyFileIgnoresDirtyAndRefusesNewEntries) {
  const std::string path = folder + "/stored.cmf";
  CFileSpec spec;
  ASSERT_EQ(spec.Set(path.c_str()), 0);
  CCmFile file(spec);
  ASSERT_EQ(file.Create(SRange{8, 8}), 0);
  ASSERT_EQ(file.Open(CFile::kModeReadWrite), 0);
  uint32_t data = 0, header = 0;
  ASSERT_EQ(file.NewEntry(&data), 0);
  ASSERT_EQ(file.NewEntry(&header), 0);
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.Open(CFile::kModeRead), 0);

  CSpoolMem object(16, nullptr, 0);
  ASSERT_TRUE(object.AttachToFile(&file, data, header, false, nullptr));
  EXPECT_TRUE(object.IsReadOnly());
  ASSERT_TRUE(object.Lock());
  EXPECT_TRUE(object.Unlock(true, true));
  EXPECT_FALSE(object.IsModified());
  EXPECT_FALSE(object.WriteHeader());
  EXPECT_EQ(object.GetError(), kErrPermission);
  ASSERT_TRUE(object.ReleaseBacking(false));

  CSpoolMem other(16, nullptr, 0);
  EXPECT_FALSE(other.SaveToFile(&file, nullptr));
  EXPECT_EQ(other.GetError(), kErrPermission);
  EXPECT_FALSE(other.IsBacked());
}

TEST_F(SpoolMemTest, UnbackedObjectsTakeTheirSizeAtTheNextLockAndComeBackAsZeros) {
  CSpoolMem object(16, nullptr, 0);
  EXPECT_EQ(object.GetPool(), GetDataPool());
  ASSERT_TRUE(object.Resize(64, true, false));
  EXPECT_FALSE(object.IsResident());
  EXPECT_EQ(object.GetDataSize(), 64u);
  ASSERT_TRUE(object.Lock());
  EXPECT_EQ(object.GetSize(), 64u);
  EXPECT_TRUE(object.Unlock(false, false));
  EXPECT_TRUE(Holds(object, 0, true));

  Fill(object, 5);
  EXPECT_TRUE(Holds(object, 5));
  ASSERT_TRUE(object.PageOut());
  EXPECT_FALSE(object.IsResident());
  EXPECT_TRUE(Holds(object, 0, true));
}

TEST_F(SpoolMemTest, ResizeOfResidentDataKeepsItAndMarksItModified) {
  auto table = NewTable(DataEnv(), 64);
  Fill(*table, 100);
  ASSERT_TRUE(table->PageOut());
  // Backed and not resident: without defer the data comes in to be resized.
  ASSERT_TRUE(table->Resize(128, true, false));
  EXPECT_TRUE(table->IsResident());
  EXPECT_TRUE(table->IsModified());
  CHolder holder(table.get(), false, false);
  ASSERT_TRUE(holder.IsLocked());
  const auto* words = reinterpret_cast<const uint32_t*>(table->GetData());
  EXPECT_EQ(words[15], 115u);
  EXPECT_EQ(words[16], 0u);
}

TEST_F(SpoolMemTest, AFailedWriteKeepsTheDataUntilAWriteSucceeds) {
  auto table = NewTable(DataEnv(), 1024, SCountingHandler::Spec());
  Fill(*table, 40);
  SCountingHandler::failWrites = true;

  ASSERT_TRUE(table->Lock());
  EXPECT_FALSE(table->Unlock(false, true));
  EXPECT_EQ(table->GetError(), kErrDiskFull);
  EXPECT_TRUE(table->IsModified());
  EXPECT_EQ(table->GetLockCount(), 0u);
  EXPECT_FALSE(table->WriteBack());
  EXPECT_TRUE(table->IsModified());
  EXPECT_FALSE(table->PageOut());
  EXPECT_TRUE(table->IsResident());

  {
    CHolder holder(table.get(), true, true, &SSeenFailure::OnFailure);
    ASSERT_TRUE(holder.IsLocked());
    holder.Release();
    EXPECT_EQ(SSeenFailure::holder, &holder);
    EXPECT_EQ(SSeenFailure::zero, 0u);
  }

  SCountingHandler::failWrites = false;
  EXPECT_TRUE(table->WriteBack());
  EXPECT_FALSE(table->IsModified());
  ASSERT_TRUE(table->PageOut());
  EXPECT_TRUE(Holds(*table, 40));
}

TEST_F(SpoolMemTest, TheDefaultFailureHandlerReportsTheError) {
  auto table = NewTable(DataEnv(), 64, SCountingHandler::Spec());
  SCountingHandler::failWrites = true;
  { CHolder holder(table.get(), true, true); }
  ASSERT_FALSE(platform::headless::ShownBoxes().empty());
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, BuiltInMessageFor(kErrDiskFull));
}

TEST_F(SpoolMemTest, AHeaderEntryOfTheWrongSizeLeavesTheObjectDetached) {
  CCmFile* file = DataEnv()->GetFile();
  uint32_t data = 0, header = 0;
  ASSERT_EQ(file->NewEntry(&data), 0);
  ASSERT_EQ(file->NewEntry(&header), 0);
  ASSERT_EQ(file->SetEntrySize(header, 7), 0);
  SDynTableLayout layout;
  layout.SetSized(DataEnv(), 4, 8);
  CSpoolDynTable<uint32_t> table(layout);
  EXPECT_FALSE(table.AttachToFile(file, data, header, true, &CSpoolDynTable<uint32_t>::HandleMessage));
  EXPECT_EQ(table.GetError(), kErrInvalidFormat);
  EXPECT_EQ(table.GetFile(), nullptr);
  EXPECT_EQ(table.GetDataEntry(), -1);
  EXPECT_EQ(table.GetHeaderEntry(), -1);
  EXPECT_EQ(table.GetHandler(), nullptr);
}

// A table stored with its header is read back whole by another table attached with reload.
TEST_F(SpoolMemTest, AStoredHeaderReloadsCapacityStepAndCount) {
  SDynTableLayout layout;
  layout.SetSized(DataEnv(), 4, 4);
  layout.range = SRange{4, 3};
  SSpoolTableSpec spec;
  spec.recordHandler = &CSpoolDynTable<uint32_t>::HandleMessage;
  CSpoolDynTable<uint32_t> stored(layout, spec);
  ASSERT_TRUE(stored.IsValid());
  stored.SetHasHeader(true);
  for (uint32_t v = 10; v < 15; ++v) ASSERT_TRUE(stored.Append(&v));
  ASSERT_TRUE(stored.WriteBack());
  CCmFile* file = DataEnv()->GetFile();
  EXPECT_EQ(file->GetEntryField(uint32_t(stored.GetHeaderEntry())), 32u);

  CSpoolDynTable<uint32_t> loaded(layout);
  ASSERT_TRUE(loaded.AttachToFile(file, uint32_t(stored.GetDataEntry()), uint32_t(stored.GetHeaderEntry()), true,
                                  &CSpoolDynTable<uint32_t>::HandleMessage));
  EXPECT_FALSE(loaded.IsResident());
  EXPECT_EQ(loaded.GetCapacity(), 7u);
  EXPECT_EQ(loaded.GetStep(), 3u);
  EXPECT_EQ(loaded.GetCount(), 5u);
  {
    CHolder holder(&loaded, false, false);
    ASSERT_TRUE(holder.IsLocked());
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(loaded[i], 10 + i);
  }
  ASSERT_TRUE(loaded.ReleaseBacking(false));
  EXPECT_TRUE(file->IsEntryUsed(uint32_t(stored.GetDataEntry())));
}

TEST_F(SpoolMemTest, FillCopyAndSwapWorkOnTheWholeData) {
  auto a = NewTable(DataEnv(), 64);
  auto b = NewTable(DataEnv(), 32);
  ASSERT_TRUE(a->FillLong(0xA5A5A5A5));
  Fill(*b, 300);
  ASSERT_TRUE(b->PageOut());
  uint32_t copied = 0;
  ASSERT_TRUE(a->CopyFrom(*b, &copied));
  EXPECT_EQ(copied, 32u);
  {
    CHolder holder(a.get(), false, false);
    const auto* words = reinterpret_cast<const uint32_t*>(a->GetData());
    EXPECT_EQ(words[7], 307u);
    EXPECT_EQ(words[8], 0xA5A5A5A5u);
  }

  const int32_t aEntry = a->GetDataEntry();
  ASSERT_TRUE(a->SwapData(*b));
  EXPECT_EQ(a->GetDataSize(), 32u);
  EXPECT_EQ(b->GetDataSize(), 64u);
  EXPECT_EQ(b->GetDataEntry(), aEntry);
  EXPECT_TRUE(Holds(*a, 300));
  ASSERT_TRUE(b->Clear());
  EXPECT_TRUE(Holds(*b, 0, true));
}

}  // namespace
