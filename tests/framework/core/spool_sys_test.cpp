#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/core/mem_recover.h"
#include "framework/core/result_codes.h"
#include "spool_fixture.h"

namespace {

namespace fs = std::filesystem;

using SpoolSysTest = SpoolAppTest;
using Tables = std::vector<std::unique_ptr<CSpoolTable>>;

constexpr uint32_t kBig = 64 * 1024;

uint32_t Seed(size_t i) { return uint32_t(i + 1) << 20; }

// Resident tables are always the most recently used ones: no table is out while an older one is in.
void ExpectOutInLeastRecentlyUsedOrder(const Tables& byAge) {
  bool sawResident = false;
  for (size_t i = 0; i < byAge.size(); ++i) {
    if (byAge[i]->IsResident()) sawResident = true;
    else EXPECT_FALSE(sawResident) << "table " << i << " went out before an older one";
  }
}

size_t FirstResident(const Tables& tables) {
  size_t i = 0;
  while (i < tables.size() && !tables[i]->IsResident()) ++i;
  return i;
}

TEST_F(SpoolSysTest, PressurePagesTheLeastRecentlyLockedTablesOutAndEachComesBackWhole) {
  Tables tables;
  for (size_t i = 0; i < 8; ++i) {
    tables.push_back(NewTable(DataEnv(), kBig));
    Fill(*tables[i], Seed(i));
    EXPECT_TRUE(tables[i]->IsResident());
    ExpectOutInLeastRecentlyUsedOrder(tables);
  }
  const size_t oldest = FirstResident(tables);
  ASSERT_GT(oldest, 0u);
  ASSERT_LT(oldest + 1, tables.size());
  EXPECT_LE(GetDataPool()->GetUsed(), kDataBudget);

  // Touching the oldest resident table makes the next one the first to go.
  ASSERT_TRUE(Holds(*tables[oldest], Seed(oldest)));
  ASSERT_TRUE(Holds(*tables[oldest - 1], Seed(oldest - 1)));
  EXPECT_TRUE(tables[oldest]->IsResident());
  EXPECT_FALSE(tables[oldest + 1]->IsResident());

  for (size_t i = 0; i < tables.size(); ++i) EXPECT_TRUE(Holds(*tables[i], Seed(i))) << i;
}

TEST_F(SpoolSysTest, LockedAndPinnedTablesStayIn) {
  Tables tables;
  for (size_t i = 0; i < 2; ++i) {
    tables.push_back(NewTable(DataEnv(), kBig));
    Fill(*tables[i], Seed(i));
  }
  CHolder locked(tables[0].get(), false, false);
  ASSERT_TRUE(locked.IsLocked());
  tables[1]->SetPinned(true);
  for (size_t i = 2; i < 8; ++i) {
    tables.push_back(NewTable(DataEnv(), kBig));
    Fill(*tables[i], Seed(i));
    EXPECT_TRUE(tables[0]->IsResident());
    EXPECT_TRUE(tables[1]->IsResident());
  }
  EXPECT_FALSE(tables[2]->IsResident());
  tables[1]->SetPinned(false);
  locked.Release();
  for (size_t i = 0; i < tables.size(); ++i) EXPECT_TRUE(Holds(*tables[i], Seed(i))) << i;
}

TEST_F(SpoolSysTest, PurgeCounts) {
  Tables tables;
  for (size_t i = 0; i < 3; ++i) {
    tables.push_back(NewTable(DataEnv(), 4096));
    Fill(*tables[i], Seed(i));
  }
  uint32_t bytes = 0;
  ASSERT_TRUE(DataEnv()->GetTotalBytes(&bytes));
  EXPECT_EQ(bytes, 3 * 4096u);

  // Fewer bytes than one table: exactly the least recently used one goes.
  uint32_t wanted = 100;
  ASSERT_TRUE(DataEnv()->Purge(&wanted));
  EXPECT_EQ(wanted, 0u);
  EXPECT_FALSE(tables[0]->IsResident());
  EXPECT_TRUE(tables[1]->IsResident() && tables[2]->IsResident());

  // Everything locked: nothing goes and the count stays.
  {
    CHolder a(tables[1].get(), false, false), b(tables[2].get(), false, false);
    wanted = 5000;
    ASSERT_TRUE(DataEnv()->Purge(&wanted));
    EXPECT_EQ(wanted, 5000u);
    ASSERT_TRUE(DataEnv()->GetPageableBytes(&bytes));
    EXPECT_EQ(bytes, 0u);
  }
  ASSERT_TRUE(DataEnv()->GetResidentBytes(&bytes));
  EXPECT_EQ(bytes, 2 * 4096u);

  // A count reached partway through the second table stops there at 0.
  Holds(*tables[0], Seed(0));
  wanted = 4096 + 10;
  ASSERT_TRUE(DataEnv()->Purge(&wanted));
  EXPECT_EQ(wanted, 0u);
  EXPECT_FALSE(tables[1]->IsResident() || tables[2]->IsResident());
  EXPECT_TRUE(tables[0]->IsResident());

  uint32_t freed = 0;
  ASSERT_TRUE(DataEnv()->PurgeAll(&freed));
  EXPECT_EQ(freed, 4096u);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(Holds(*tables[i], Seed(i)));
}

TEST_F(SpoolSysTest, TheDataPoolDropsDiscardableDataBeforeWritingDataOut) {
  auto dropped = NewTable(DiscardEnv(), kBig);
  EXPECT_FALSE(dropped->IsBacked());
  EXPECT_EQ(dropped->GetPool(), GetDataPool());
  Tables kept;
  kept.push_back(NewTable(DataEnv(), kBig));
  Fill(*kept[0], Seed(0));
  Fill(*dropped, Seed(9));  // more recently used than the data table, yet the first to go
  for (size_t i = 1; dropped->IsResident() && i < 8; ++i) {
    kept.push_back(NewTable(DataEnv(), kBig));
    Fill(*kept[i], Seed(i));
    if (!dropped->IsResident()) {
      EXPECT_TRUE(kept[0]->IsResident());
    }
  }
  EXPECT_FALSE(dropped->IsResident());
  EXPECT_TRUE(Holds(*dropped, 0, true));
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_TRUE(Holds(*kept[i], Seed(i)));
}

TEST_F(SpoolSysTest, AFailedPageOutIsReportedAndThePurgeGoesOn) {
  struct SFailing {
    static uint32_t Handle(CSpoolMem* object, uint32_t message, void* argument) {
      if (message == kSpoolBeforeWrite) {
        object->SetError(kErrIO);
        return 0;
      }
      return SpoolDefaultTypeHandler(object, message, argument);
    }
  };
  SSpoolTableSpec failing;
  failing.recordHandler = &SFailing::Handle;
  auto stuck = NewTable(DataEnv(), 4096, failing);
  auto next = NewTable(DataEnv(), 4096);
  Fill(*stuck, 1);
  Fill(*next, 2);
  uint32_t wanted = 1;
  ASSERT_TRUE(DataEnv()->Purge(&wanted));
  EXPECT_EQ(wanted, 0u);
  EXPECT_TRUE(stuck->IsResident());
  EXPECT_FALSE(next->IsResident());
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, BuiltInMessageFor(kErrIO));
  EXPECT_FALSE(DataEnv()->WriteBackAll());
  EXPECT_TRUE(Holds(*stuck, 1));
}

TEST_F(SpoolSysTest, SubscribingGivesTwoEntriesAndUnsubscribingDeletesThem) {
  CCmFile* file = DataEnv()->GetFile();
  const uint32_t inUse = file->GetInUse();
  auto table = NewTable(DataEnv(), 64);
  ASSERT_TRUE(table->IsSubscribed());
  EXPECT_EQ(table->GetFile(), file);
  EXPECT_TRUE(DataEnv()->IsSubscribed(table.get()));
  EXPECT_EQ(file->GetInUse(), inUse + 2);
  const auto data = uint32_t(table->GetDataEntry());
  const auto header = uint32_t(table->GetHeaderEntry());
  EXPECT_TRUE(file->IsEntryUsed(data) && file->IsEntryUsed(header));
  int32_t priority = 0;
  ASSERT_TRUE(DataEnv()->GetPriority(table.get(), &priority));
  EXPECT_EQ(priority, 0x3FFFFFFF);

  // Twice: the object refuses before the environment sees it.
  EXPECT_FALSE(table->Subscribe(SSpoolTableSpec{}));
  EXPECT_EQ(table->GetError(), kErrUnexpectedStatus);
  EXPECT_EQ(file->GetInUse(), inUse + 2);
  EXPECT_EQ(DataEnv()->GetSubscriberTable()->GetCount(), 1u);

  ASSERT_TRUE(table->Unsubscribe());
  EXPECT_FALSE(table->IsSubscribed() || table->IsBacked());
  EXPECT_FALSE(file->IsEntryUsed(data) || file->IsEntryUsed(header));
  EXPECT_EQ(file->GetInUse(), inUse);
  EXPECT_FALSE(DataEnv()->IsSubscribed(table.get()));

  SSpoolTableSpec keyed;
  keyed.keyed = 1;
  EXPECT_FALSE(table->Subscribe(keyed));
  EXPECT_EQ(table->GetError(), kErrInvalidParameter);
  EXPECT_EQ(file->GetInUse(), inUse);

  // The discard environment keeps its objects unbacked.
  auto discarded = NewTable(DiscardEnv(), 64);
  EXPECT_TRUE(discarded->IsSubscribed());
  EXPECT_FALSE(discarded->IsBacked());
  EXPECT_EQ(DiscardEnv()->GetFile()->GetInUse(), 0u);
}

TEST_F(SpoolSysTest, PrioritiesAndOrdering) {
  auto a = NewTable(DataEnv(), 64);
  auto b = NewTable(DataEnv(), 64);
  DataEnv()->ClearChanged();
  EXPECT_TRUE(DataEnv()->SetPriority(a.get(), 0x3FFFFFFF));
  EXPECT_FALSE(DataEnv()->IsChanged());
  EXPECT_TRUE(DataEnv()->SetPriority(a.get(), 0x50000000));
  EXPECT_TRUE(DataEnv()->IsChanged());
  DataEnv()->SetOrdering(CSpoolSys::kByPriority);
  Fill(*a, 1);
  Fill(*b, 2);
  Holds(*a, 1);  // most recently used, but the higher priority goes last
  uint32_t wanted = 1;
  ASSERT_TRUE(DataEnv()->Purge(&wanted));
  EXPECT_FALSE(DataEnv()->IsChanged());
  EXPECT_FALSE(b->IsResident());
  EXPECT_TRUE(a->IsResident());
}

// Subscribers that leave, in any order, leave the others found with their priorities, and a purge
// still takes the least recently used first.
TEST_F(SpoolSysTest, SubscribersLeavingInAnyOrderLeaveTheOthersInPlace) {
  Tables tables;
  for (size_t i = 0; i < 8; ++i) {
    tables.push_back(NewTable(DataEnv(), 1024));
    ASSERT_TRUE(DataEnv()->SetPriority(tables[i].get(), int32_t(i)));
  }
  for (size_t gone : {0, 5, 7, 2}) {
    ASSERT_TRUE(tables[gone]->Unsubscribe());
    EXPECT_FALSE(DataEnv()->IsSubscribed(tables[gone].get()));
  }
  Tables kept;
  for (size_t i : {1, 3, 4, 6}) {
    int32_t priority = -1;
    EXPECT_TRUE(DataEnv()->IsSubscribed(tables[i].get())) << i;
    EXPECT_TRUE(DataEnv()->GetPriority(tables[i].get(), &priority)) << i;
    EXPECT_EQ(priority, int32_t(i));
    kept.push_back(std::move(tables[i]));
  }
  for (size_t i = kept.size(); i-- > 0;) Fill(*kept[i], Seed(i));  // the first the most recently used
  std::reverse(kept.begin(), kept.end());
  uint32_t wanted = 1;
  ASSERT_TRUE(DataEnv()->Purge(&wanted));
  EXPECT_FALSE(kept[0]->IsResident());
  ExpectOutInLeastRecentlyUsedOrder(kept);
  EXPECT_EQ(DataEnv()->GetSubscriberTable()->GetCount(), 4u);
}

TEST_F(SpoolSysTest, SetEnvironmentMovesTheDataToAnotherPool) {
  auto table = NewTable(ObjectsEnv(), 4096);
  EXPECT_EQ(table->GetPool(), GetObjectPool());
  Fill(*table, 70);
  ASSERT_TRUE(table->PageOut());
  const uint32_t objectsInUse = ObjectsEnv()->GetFile()->GetInUse();
  const uint32_t objectsUsed = GetObjectPool()->GetUsed();

  ASSERT_TRUE(table->SetEnvironment(DataEnv()));
  EXPECT_EQ(table->GetEnvironment(), DataEnv());
  EXPECT_EQ(table->GetPool(), GetDataPool());
  EXPECT_FALSE(table->IsSubscribed());
  EXPECT_EQ(ObjectsEnv()->GetFile()->GetInUse(), objectsInUse - 2);
  EXPECT_EQ(GetObjectPool()->GetUsed(), objectsUsed);
  ASSERT_TRUE(table->Subscribe(SSpoolTableSpec{}));
  EXPECT_TRUE(table->IsModified());
  ASSERT_TRUE(table->PageOut());
  EXPECT_TRUE(Holds(*table, 70));
}

// Resident data changes pools by account: the storage stays where it is, and each pool's use moves
// by the block.
TEST_F(SpoolSysTest, SetEnvironmentKeepsResidentStorageAndMovesItsAccount) {
  auto table = NewTable(ObjectsEnv(), 4096);
  Fill(*table, 41);
  ASSERT_TRUE(table->IsResident());
  const uint8_t* storage = table->GetStorage();
  const uint32_t objectsUsed = GetObjectPool()->GetUsed();
  const uint32_t dataUsed = GetDataPool()->GetUsed();

  ASSERT_TRUE(table->SetEnvironment(DataEnv()));
  EXPECT_EQ(table->GetStorage(), storage);
  EXPECT_EQ(table->GetPool(), GetDataPool());
  EXPECT_EQ(table->CMemBlock::GetPool(), GetDataPool());
  EXPECT_GE(objectsUsed - GetObjectPool()->GetUsed(), 4096u);
  EXPECT_EQ(GetDataPool()->GetUsed() - dataUsed, objectsUsed - GetObjectPool()->GetUsed());
  ASSERT_TRUE(table->Subscribe(SSpoolTableSpec{}));
  ASSERT_TRUE(table->PageOut());
  EXPECT_EQ(GetDataPool()->GetUsed(), dataUsed);
  EXPECT_TRUE(Holds(*table, 41));
}

TEST_F(SpoolSysTest, SetEnvironmentChangesNothingWhenTheNewPoolIsFull) {
  auto filler = NewTable(ObjectsEnv(), 200 * 1024);
  CHolder held(filler.get(), false, false);
  ASSERT_TRUE(held.IsLocked());
  auto table = NewTable(DataEnv(), 100 * 1024);
  Fill(*table, 3);
  ASSERT_TRUE(table->PageOut());
  const int32_t entry = table->GetDataEntry();
  EXPECT_FALSE(table->SetEnvironment(ObjectsEnv()));
  EXPECT_EQ(table->GetError(), kErrOutOfMemory);
  EXPECT_TRUE(table->IsSubscribed());
  EXPECT_EQ(table->GetEnvironment(), DataEnv());
  EXPECT_EQ(table->GetDataEntry(), entry);
  EXPECT_FALSE(table->IsPinned());
  EXPECT_TRUE(Holds(*table, 3));

  CHolder locked(table.get(), false, false);
  EXPECT_FALSE(table->SetEnvironment(ObjectsEnv()));
  EXPECT_EQ(table->GetError(), kErrUnexpectedStatus);
}

TEST_F(SpoolSysTest, TheApplicationsEnvironments) {
  struct SCase {
    CSpoolEnv* env;
    CMemPool* pool;
    uint32_t kind;
    uintmax_t fileBytes;
    uint32_t capacity;
  } cases[] = {
      {ObjectsEnv(), GetObjectPool(), kSwapKind, 2204, 64},
      {DiscardEnv(), GetDataPool(), kDiscardKind, 2204, 64},
      {DataEnv(), GetDataPool(), kSwapKind, 3740, 128},
  };
  for (const SCase& c : cases) {
    EXPECT_TRUE(c.env->IsReady());
    EXPECT_EQ(c.env->GetPool(), c.pool);
    EXPECT_EQ(c.env->GetKind(), c.kind);
    EXPECT_EQ(c.env->GetOrdering(), CSpoolSys::kByStamp);
    EXPECT_TRUE(c.env->GetDeleteFile());
    EXPECT_EQ(c.env->GetSubscriberTable()->GetCapacity(), c.capacity);
    EXPECT_EQ(fs::file_size(c.env->GetFile()->GetSpec().GetPath()), c.fileBytes);
  }
  // Discardable data goes first in the data pool; the objects pool has its own table.
  CMemRecover* data = app->GetDataMemRecover();
  ASSERT_NE(data->FindEntry(static_cast<CSpoolSys*>(DiscardEnv())), nullptr);
  EXPECT_EQ(data->FindEntry(static_cast<CSpoolSys*>(DiscardEnv()))->priority, 0x3FFFFBFF);
  EXPECT_EQ(data->FindEntry(static_cast<CSpoolSys*>(DataEnv()))->priority, 0x400003FF);
  EXPECT_EQ(data->FindEntry(static_cast<CSpoolSys*>(ObjectsEnv())), nullptr);
  EXPECT_EQ(app->GetObjectsMemRecover()->FindEntry(static_cast<CSpoolSys*>(ObjectsEnv()))->priority, 0x3FFFFFFF);
  EXPECT_EQ(FileCount(folder), 3u);
}

TEST_F(SpoolSysTest, ASwapEnvironmentDeletesOnlyTheFileItCreated) {
  const std::string path = folder + "/kept.ord";
  CFileSpec spec;
  ASSERT_EQ(spec.Set(path.c_str()), 0);
  {
    CSpoolEnv made(&spec, nullptr, SRange{16, 8}, 0, false, nullptr, 0);
    ASSERT_TRUE(made.IsOpen());
    EXPECT_TRUE(made.GetDeleteFile());
    EXPECT_TRUE(fs::exists(path));
  }
  EXPECT_FALSE(fs::exists(path));
  {
    CSpoolEnv made(&spec, nullptr, SRange{16, 8}, 0, false, nullptr, 0);
    made.SetDeleteFile(false);
  }
  {
    CSpoolEnv opened(&spec, nullptr, SRange{16, 8}, 0, false, nullptr, 0);
    ASSERT_TRUE(opened.IsOpen());
    EXPECT_FALSE(opened.GetDeleteFile());
    EXPECT_EQ(opened.GetFile()->GetCapacity(), 32u);
    EXPECT_EQ(opened.GetFile()->GetStep(), 16u);
    // A second environment cannot have a file that one holds.
    CSpoolEnv refused(&spec, nullptr, SRange{16, 8}, 0, false, nullptr, 0);
    EXPECT_FALSE(refused.IsValid());
    EXPECT_EQ(refused.GetOpenResult(), kErrPermission);
    EXPECT_EQ(refused.GetFile(), nullptr);
  }
  EXPECT_TRUE(fs::exists(path));
}

// A temporary folder that is missing or is a file gives no name for a fresh swap file: the
// environment says so and stays closed.
TEST_F(SpoolSysTest, ASwapEnvironmentWithoutAUsableTemporaryFolderStaysClosed) {
  const std::string file = folder + "/a file";
  std::ofstream(file) << "not a folder";
  for (const std::string& unusable : {folder + "/missing", file}) {
    setenv("TMPDIR", unusable.c_str(), 1);
    CSpoolEnv env(nullptr, nullptr, SRange{4, 4}, 0, false, nullptr, 0);
    EXPECT_FALSE(env.IsOpen()) << unusable;
    EXPECT_FALSE(env.IsValid()) << unusable;
    EXPECT_EQ(env.GetOpenResult(), kErrFileNotFound) << unusable;
    EXPECT_EQ(env.GetFile(), nullptr) << unusable;
  }
  setenv("TMPDIR", folder.c_str(), 1);
}

// A fresh swap file is named after the program and its process; one that a process now gone left
// behind is deleted when the process first makes a swap file in that folder, while those of running
// processes, those another process holds locked and anything else stay. (The fixture's own
// environments made theirs in its folder already: the left files go into a fresh one.)
TEST_F(SpoolSysTest, FreshSwapFilesNameTheirProcessAndTheLeftOnesOfGoneProcessesGo) {
  const std::string fixtureFolder = folder;
  folder += "/fresh";
  ASSERT_TRUE(fs::create_directory(folder));
  setenv("TMPDIR", folder.c_str(), 1);
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string gone = std::to_string(child);
  const std::string alive = std::to_string(getpid());
  const std::vector<std::string> left = {"quarn2-render." + gone + ".1.pool", "Quarn2." + gone + ".12.pool"};
  const std::vector<std::string> kept = {"quarn2-render." + alive + ".7.pool", "held." + gone + ".2.pool",
                                         "notes.pool", "quarn2-render." + gone + ".1.tmp",
                                         "quarn2-render." + gone + ".x.pool"};
  for (const std::string& name : left) std::ofstream(folder + "/" + name) << "left";
  for (const std::string& name : kept) std::ofstream(folder + "/" + name) << "kept";
  const int held = open((folder + "/held." + gone + ".2.pool").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_SH), 0);

  CSpoolEnv env(nullptr, nullptr, SRange{4, 4}, 0, false, nullptr, 0);
  ASSERT_TRUE(env.IsOpen());
  const std::string path = env.GetFile()->GetSpec().GetPath();
  const std::string own = folder + "/framework_core_tests." + alive + ".";
  EXPECT_EQ(path.rfind(own, 0), 0u) << path;
  EXPECT_TRUE(path.ends_with(".pool")) << path;
  for (const std::string& name : left) EXPECT_FALSE(fs::exists(folder + "/" + name)) << name;
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(folder + "/" + name)) << name;
  close(held);
  setenv("TMPDIR", fixtureFolder.c_str(), 1);
}

// Objects outliving their environment forget it and its file instead of pointing at them.
TEST_F(SpoolSysTest, ObjectsLeftInADestroyedEnvironmentLetItGo) {
  auto* env = new CSpoolEnv(nullptr, nullptr, SRange{4, 4}, 0, false, nullptr, 0);
  ASSERT_TRUE(env->IsValid());
  STableLayout layout;
  layout.SetSized(env, 4, 4);
  CSpoolTable table(layout, SSpoolTableSpec{});
  ASSERT_TRUE(table.IsSubscribed());
  Fill(table, 8);
  delete env;
  EXPECT_FALSE(table.IsSubscribed() || table.IsBacked());
  EXPECT_EQ(table.GetEnvironment(), nullptr);
  EXPECT_TRUE(Holds(table, 8));
}

}  // namespace
