#include "framework/core/resource_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/core/byte_reader.h"
#include "framework/core/cm_file.h"
#include "framework/core/holder.h"
#include "framework/core/mem_block.h"
#include "platform/file.h"
#include "resource_fixture.h"

namespace {

uint32_t BE32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes.at(at)) << 24 | uint32_t(bytes.at(at + 1)) << 16 | uint32_t(bytes.at(at + 2)) << 8 |
         bytes.at(at + 3);
}

// The entry's stored bytes, read through the composite file itself.
std::vector<uint8_t> EntryBytes(const CFileSpec& spec, uint32_t entry) {
  CCmFile file(spec);
  if (file.Open(CFile::kModeRead) != kNoErr) return {};
  CMemBlock block(file.GetEntryField(entry), nullptr);
  file.ReadEntryToData(entry, block);
  return {block.GetData(), block.GetData() + block.GetSize()};
}

TEST_F(ResourceTest, ANewFileHasItsReservedEntriesAndAnEmptyMasterTable) {
  {
    auto env = Open("new.res");
    ASSERT_TRUE(env->IsOpen()) << env->GetLastResult();
  }
  const std::vector<uint8_t> bytes = FileBytes("new.res");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 512), "Resource Composite File");
  EXPECT_EQ(BE32(bytes, 608), 128u);  // directory capacity
  EXPECT_EQ(BE32(bytes, 616), 128u);  // and its growth
  CCmFile file(Spec("new.res"));
  ASSERT_EQ(file.Open(CFile::kModeRead), kNoErr);
  EXPECT_EQ(file.GetInUse(), 18u);
  for (uint32_t n = 0; n < 16; ++n) {
    EXPECT_TRUE(file.IsEntryUsed(n)) << n;
    EXPECT_EQ(file.GetEntryField(n), 0u) << n;
  }
  file.Close();
  // Entry 17 holds the master table's header: record size 32, capacity 16, growth 16, count 0.
  const std::vector<uint8_t> header = EntryBytes(Spec("new.res"), 17);
  ASSERT_EQ(header.size(), 32u);
  EXPECT_EQ(BE32(header, 0), 32u);
  EXPECT_EQ(BE32(header, 4), 16u);
  EXPECT_EQ(BE32(header, 8), 16u);
  EXPECT_EQ(BE32(header, 12), 0u);

  for (uint32_t mode : {CFile::kModeRead, CFile::kModeReadWrite}) {
    auto env = Open("new.res", mode);
    EXPECT_TRUE(env->IsOpen()) << mode << ": " << env->GetLastResult();
  }
}

TEST_F(ResourceTest, AMissingFileIsCreatedOnlyForWriting) {
  for (uint32_t mode : {CFile::kModeRead, CFile::kModeWrite}) {
    auto env = Open("missing.res", mode);
    EXPECT_FALSE(env->IsOpen());
    EXPECT_EQ(env->GetLastResult(), kErrPermission);
    EXPECT_FALSE(std::filesystem::exists(Path("missing.res")));
  }
  std::ofstream(Path("short.res")) << std::string(600, 'x');
  auto env = Open("short.res");
  EXPECT_EQ(env->GetLastResult(), kErrCompositeExpected);
  EXPECT_TRUE(std::filesystem::exists(Path("short.res")));  // not ours to delete
}

TEST_F(ResourceTest, AResourceWrittenOnceReadsBackByName) {
  const std::vector<uint8_t> data = Bytes("ixtx0100 the errors list, byte for byte");
  {
    auto env = Open("r.res");
    ASSERT_EQ(StoreResource(*env, Key("ixtx", 128, "errors_"), data), kNoErr);
  }
  auto env = Open("r.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen()) << env->GetLastResult();
  SSpoolKey key = ByName("ixtx", "errors_");
  ASSERT_TRUE(env->FindResource(key));
  EXPECT_EQ(key.id, 128u);
  std::vector<uint8_t> back;
  ASSERT_EQ(LoadResource(*env, ByName("ixtx", "errors_"), &back), kNoErr);
  EXPECT_EQ(back, data);
  ASSERT_EQ(LoadResource(*env, Key("ixtx", 128), &back), kNoErr);
  EXPECT_EQ(back, data);
  CResEntry entry{};
  ASSERT_TRUE(env->GetResourceInfo(Key("ixtx", 128), &entry));
  EXPECT_STREQ(entry.name, "errors_");
  EXPECT_FALSE(env->GetResourceInfo(Key("ixtx", 129), &entry));
  EXPECT_EQ(env->GetLastResult(), kErrObjectNotFound);
  SSpoolKey absent = ByName("ixco", "errors_");
  EXPECT_FALSE(env->FindResource(absent));
  EXPECT_EQ(env->GetLastResult(), kErrObjectNotFound);
  EXPECT_FALSE(env->PutResource(Key("ixtx", 1)));
  EXPECT_EQ(env->GetLastResult(), kErrPermission);
}

TEST_F(ResourceTest, RefusalsLeaveNothingHalfEntered) {
  auto env = Open("r.res");
  CCmFile* file = env->GetCmFile();
  const uint32_t before = file->GetInUse();
  ASSERT_TRUE(env->PutResource(Key("ixtx", 128, "errors_")));
  EXPECT_EQ(file->GetInUse(), before + 4);  // the type's table and the resource
  EXPECT_EQ(env->GetMasterTable()->GetCount(), 1u);
  struct SCase {
    const char* what;
    SSpoolKey key;
    int32_t code;
  } cases[] = {
      {"same name, another number", Key("ixtx", 129, "errors_"), kErrObjectDuplicated},
      {"same number, another name", Key("ixtx", 128, "other_"), kErrObjectDuplicated},
      {"same number, no name", Key("ixtx", 128), kErrObjectDuplicated},
      {"reserved type", Key("ResRes:X", 1), kErrInvalidParameter},
  };
  for (const SCase& c : cases) {
    EXPECT_FALSE(env->PutResource(c.key)) << c.what;
    EXPECT_EQ(env->GetLastResult(), c.code) << c.what;
    EXPECT_EQ(file->GetInUse(), before + 4) << c.what;
  }
  // Unnamed resources differ by number only.
  ASSERT_TRUE(env->PutResource(Key("ixtx", 1)));
  ASSERT_TRUE(env->PutResource(Key("ixtx", 2)));
  ASSERT_TRUE(env->DeleteResource(Key("ixtx", 1)));
  ASSERT_TRUE(env->DeleteResource(Key("ixtx", 2)));

  SSpoolTableSpec spec;
  spec.SetDefaults(true, &cases[2].key, nullptr);
  CSubscriber first(SSpoolLayout{env.get(), 0, 0});
  CSubscriber second(SSpoolLayout{env.get(), 0, 0});
  ASSERT_TRUE(first.Subscribe(spec)) << first.GetError();
  EXPECT_FALSE(second.Subscribe(spec));
  EXPECT_EQ(second.GetError(), kErrObjectInUse);
  EXPECT_FALSE(env->DeleteResource(Key("ixtx", 128)));
  EXPECT_EQ(env->GetLastResult(), kErrObjectBusy);
  ASSERT_TRUE(first.Unsubscribe());
  ASSERT_TRUE(env->DeleteResource(Key("ixtx", 128)));
  EXPECT_EQ(env->GetMasterTable()->GetCount(), 0u);
  EXPECT_EQ(file->GetInUse(), before);
  EXPECT_FALSE(env->DeleteResource(Key("ixtx", 128)));
  EXPECT_EQ(env->GetLastResult(), kErrObjectNotFound);
}

// A read that passes through leaves the object as subscribing, locking and unsubscribing would: the
// data in memory, no backing store, no subscription (so the resource is free for the next), and the
// object free to move to another environment; it refuses what Subscribe refuses.
TEST_F(ResourceTest, ADetachedReadLeavesTheDataInMemoryAndTheResourceFree) {
  const std::vector<uint8_t> data = Bytes("a record read once and taken elsewhere");
  {
    auto env = Open("r.res");
    Store(*env, Key("objs", 7, "seven"), data);
  }
  auto env = Open("r.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen()) << env->GetLastResult();
  const SSpoolKey key = Key("objs", 7);
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, nullptr);
  CSubscriber read(SSpoolLayout{env.get(), 0, 0});
  ASSERT_TRUE(env->ReadDetached(&read, spec)) << read.GetError();
  EXPECT_FALSE(read.IsSubscribed());
  EXPECT_FALSE(read.IsBacked());
  EXPECT_FALSE(read.IsReadOnly());
  EXPECT_TRUE(read.IsResident());
  EXPECT_EQ(read.GetLockCount(), 0u);
  EXPECT_EQ(read.GetKey().id, 7u);
  {
    CHolder holder(&read, false, false);
    ASSERT_TRUE(holder.IsLocked());
    EXPECT_EQ(std::vector<uint8_t>(read.GetData(), read.GetData() + read.GetDataSize()), data);
  }
  CSubscriber subscribed(SSpoolLayout{env.get(), 0, 0});
  ASSERT_TRUE(subscribed.Subscribe(spec)) << subscribed.GetError();
  ASSERT_TRUE(read.SetEnvironment(app->GetObjectsEnv())) << read.GetError();
  CHolder moved(&read, false, false);
  ASSERT_TRUE(moved.IsLocked());
  EXPECT_EQ(std::vector<uint8_t>(read.GetData(), read.GetData() + read.GetDataSize()), data);

  const SSpoolKey missing = Key("objs", 8);
  SSpoolTableSpec missingSpec;
  missingSpec.SetDefaults(true, &missing, nullptr);
  SSpoolTableSpec unkeyed;
  unkeyed.SetDefaults(false, &key, nullptr);
  CSubscriber elsewhere(SSpoolLayout{app->GetObjectsEnv(), 0, 0});
  struct SCase {
    const char* what;
    CSubscriber* object;
    const SSpoolTableSpec* spec;
    int32_t code;
  } cases[] = {
      {"held subscribed", nullptr, &spec, kErrObjectInUse},
      {"no such resource", nullptr, &missingSpec, kErrObjectNotFound},
      {"no key", nullptr, &unkeyed, kErrUnexpectedStatus},
      {"subscribed already", &subscribed, &spec, kErrUnexpectedStatus},
      {"of another environment", &elsewhere, &spec, kErrUnexpectedStatus},
  };
  for (const SCase& c : cases) {
    CSubscriber fresh(SSpoolLayout{env.get(), 0, 0});
    CSubscriber* object = c.object ? c.object : &fresh;
    EXPECT_FALSE(env->ReadDetached(object, *c.spec)) << c.what;
    EXPECT_EQ(object->GetError(), c.code) << c.what;
    EXPECT_EQ(env->GetLastResult(), c.code) << c.what;
    if (!c.object) EXPECT_FALSE(fresh.IsBacked() || fresh.IsResident()) << c.what;
  }
  ASSERT_TRUE(subscribed.Unsubscribe());
}

// Many resources of one type, entered, deleted and entered again: each number and name still finds
// its own record, and a duplicate of any of them is still refused.
TEST_F(ResourceTest, ManyResourcesAreFoundByNumberAndNameThroughDeletionsAndAdditions) {
  auto env = Open("r.res");
  const auto name = [](uint32_t n) { return "thing " + std::to_string(n); };
  for (uint32_t n = 1; n <= 200; ++n) ASSERT_TRUE(env->PutResource(Key("objs", n, name(n).c_str()))) << n;
  for (uint32_t n = 10; n <= 200; n += 10) ASSERT_TRUE(env->DeleteResource(Key("objs", n))) << n;
  ASSERT_TRUE(env->PutResource(Key("objs", 20, "again")));
  EXPECT_FALSE(env->PutResource(Key("objs", 21, "again")));
  EXPECT_FALSE(env->PutResource(Key("objs", 55)));
  EXPECT_FALSE(env->PutResource(Key("objs", 999, name(77).c_str())));
  for (uint32_t n = 1; n <= 200; ++n) {
    CResEntry entry{};
    const bool gone = n % 10 == 0 && n != 20;
    EXPECT_EQ(env->GetResourceInfo(Key("objs", n), &entry), !gone) << n;
    if (gone) continue;
    EXPECT_EQ(entry.number, n);
    SSpoolKey byName = ByName("objs", n == 20 ? "again" : name(n).c_str());
    ASSERT_TRUE(env->FindResource(byName)) << n;
    EXPECT_EQ(byName.id, n);
  }
}

TEST_F(ResourceTest, NamesCountOnlyTheirFirst31AndTypesTheirFirst15Characters) {
  auto env = Open("r.res");
  const std::string name31(31, 'n');
  ASSERT_TRUE(env->PutResource(Key("a-type-of-fifteen", 1, (name31 + "A").c_str())));
  EXPECT_FALSE(env->PutResource(Key("a-type-of-fifteen", 2, (name31 + "B").c_str())));
  EXPECT_EQ(env->GetLastResult(), kErrObjectDuplicated);
  SSpoolKey key = ByName("a-type-of-fifteen-more", "");
  CopyCString(key.name, (name31 + "C").c_str(), sizeof key.name);
  ASSERT_TRUE(env->FindResource(key));
  EXPECT_EQ(key.id, 1u);
  EXPECT_EQ(env->GetMasterTable()->GetCount(), 1u);
}

// A damaged or foreign file may hold a number or a name in two rows of a type: every look-up takes
// the first, and only a subscription that names a row takes another.
TEST_F(ResourceTest, OfTwoRowsWithOneKeyTheFirstIsFound) {
  {
    auto env = Open("r.res");
    Store(*env, Key("ixtx", 5, "alpha"), Bytes("first"));
    Store(*env, Key("ixtx", 6, "beta"), Bytes("second"));
    CResTypeTable* rows = nullptr;
    ASSERT_TRUE(env->FindType("ixtx", &rows, nullptr));
    CHolder holder(rows, true, false);
    ASSERT_TRUE(holder.IsLocked());
    (*rows)[1].number = 5;
    CopyCString((*rows)[1].name, "alpha", sizeof (*rows)[1].name);
  }
  auto env = Open("r.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen()) << env->GetLastResult();
  std::vector<uint8_t> back;
  ASSERT_EQ(LoadResource(*env, Key("ixtx", 5), &back), kNoErr);
  EXPECT_EQ(back, Bytes("first"));
  ASSERT_EQ(LoadResource(*env, ByName("ixtx", "alpha"), &back), kNoErr);
  EXPECT_EQ(back, Bytes("first"));
  CResTypeTable* rows = nullptr;
  ASSERT_TRUE(env->FindType("ixtx", &rows, nullptr));
  CResEntry first{}, entry{};
  {
    CHolder holder(rows, false, false);
    first = (*rows)[0];
  }
  ASSERT_TRUE(env->GetResourceInfo(Key("ixtx", 5), &entry));
  EXPECT_EQ(entry.first, first.first);

  const SSpoolKey key = Key("ixtx", 5);
  const struct {
    int32_t row;
    int32_t code;
    const char* bytes;
  } cases[] = {{1, kNoErr, "second"}, {0, kNoErr, "first"}, {2, kErrObjectNotFound, ""}};
  for (const auto& c : cases) {
    CSubscriber object(SSpoolLayout{env.get(), 0, 0});
    SSpoolTableSpec spec;
    spec.SetDefaults(true, &key, nullptr);
    spec.resourceRow = c.row;
    EXPECT_EQ(object.Subscribe(spec), c.code == kNoErr) << c.row;
    if (c.code != kNoErr) {
      EXPECT_EQ(env->GetLastResult(), c.code) << c.row;
      continue;
    }
    CHolder holder(&object, false, false);
    ASSERT_TRUE(holder.IsLocked()) << c.row;
    EXPECT_EQ(std::string(object.GetData(), object.GetData() + object.GetDataSize()), c.bytes) << c.row;
  }
}

TEST_F(ResourceTest, TypesAndResourcesSurviveReopening) {
  {
    auto env = Open("r.res");
    for (uint32_t n = 0; n < 40; ++n)  // past the first table's 32 records
      ASSERT_EQ(StoreResource(*env, Key(n % 2 ? "odd" : "even", n), Bytes(std::to_string(n))), kNoErr) << n;
  }
  auto env = Open("r.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen()) << env->GetLastResult();
  EXPECT_EQ(env->GetMasterTable()->GetCount(), 2u);
  CResTypeTable* table = nullptr;
  ASSERT_TRUE(env->FindType("odd", &table, nullptr));
  EXPECT_EQ(table->GetCount(), 20u);
  std::vector<uint8_t> back;
  for (uint32_t n : {0u, 33u, 39u}) {
    ASSERT_EQ(LoadResource(*env, Key(n % 2 ? "odd" : "even", n), &back), kNoErr) << n;
    EXPECT_EQ(back, Bytes(std::to_string(n)));
  }
}

// A damaged count would have every lookup walk rows that are not there.
TEST_F(ResourceTest, StoredTablesMustHoldTheRowsTheirHeadersCount) {
  {
    auto env = Open("r.res");
    ASSERT_EQ(StoreResource(*env, Key("odd", 1), Bytes("1")), kNoErr);
    ASSERT_EQ(StoreResource(*env, Key("even", 2), Bytes("2")), kNoErr);
  }
  const std::vector<uint8_t> good = FileBytes("r.res");
  auto restore = [&] {
    std::ofstream(Path("r.res"), std::ios::binary).write(reinterpret_cast<const char*>(good.data()), long(good.size()));
  };
  // The good file with the capacity and count words of the table header in the entry given changed.
  auto recount = [&](uint32_t entry, uint32_t capacity, uint32_t count) {
    restore();
    CCmFile file(Spec("r.res"));
    ASSERT_EQ(file.Open(CFile::kModeReadWrite), kNoErr);
    CMemBlock header(32, nullptr);
    ASSERT_EQ(file.ReadEntryToData(entry, header), kNoErr);
    StoreBE32(header.GetData() + 4, capacity);
    StoreBE32(header.GetData() + 12, count);
    ASSERT_EQ(file.WriteEntryFromData(entry, header), kNoErr);
    ASSERT_EQ(file.Close(), kNoErr);
  };
  recount(CResourceEnv::kMasterEntry + 1, 64, 17);  // 16 rows stored
  EXPECT_EQ(Open("r.res", CFile::kModeRead)->GetLastResult(), kErrInvalidFormat);
  // Room for eight million rows would be taken before a row is read: only the stored rows' is, and
  // the table still grows.
  recount(CResourceEnv::kMasterEntry + 1, 0x800000, 2);
  {
    auto env = Open("r.res");
    ASSERT_TRUE(env->IsOpen());
    CHolder holder(env->GetMasterTable(), false, false);
    ASSERT_TRUE(holder.IsLocked());
    EXPECT_EQ(env->GetMasterTable()->GetCapacity(), 16u);
  }
  {
    auto env = Open("r.res");
    for (uint32_t i = 0; i < 20; ++i)
      ASSERT_EQ(StoreResource(*env, Key(("t" + std::to_string(i)).c_str(), 1), Bytes("x")), kNoErr) << i;
  }
  EXPECT_TRUE(Open("r.res", CFile::kModeRead)->FindType("t19", nullptr, nullptr));

  restore();
  CTypeEntry odd{};
  {
    auto env = Open("r.res", CFile::kModeRead);
    ASSERT_TRUE(env->IsOpen());
    CHolder holder(env->GetMasterTable(), false, false);
    ASSERT_TRUE(holder.IsLocked());
    odd = (*env->GetMasterTable())[0];
    ASSERT_EQ(std::string(odd.typeName), "odd");
  }
  recount(odd.second, 64, 33);  // 32 rows stored
  auto env = Open("r.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen());
  EXPECT_FALSE(env->FindType("odd", nullptr, nullptr));
  EXPECT_EQ(env->GetLastResult(), kErrInvalidFormat);
  EXPECT_TRUE(env->FindType("even", nullptr, nullptr));
}

// The master table converts its words to stored order for a write; a failed write must not leave
// them so in memory.
TEST_F(ResourceTest, AFailedWriteLeavesTheTablesInMachineOrder) {
  auto env = Open("r.res");
  ASSERT_TRUE(env->PutResource(Key("ixtx", 1)));
  CMasterTable* master = env->GetMasterTable();
  uint32_t first = 0;
  {
    CHolder holder(master, false, false);
    ASSERT_TRUE(holder.IsLocked());
    first = (*master)[0].first;
  }
  platform::SetTestFreeSpace(0);
  EXPECT_FALSE(master->WriteBack());
  EXPECT_EQ(master->GetError(), kErrDiskFull);
  platform::SetTestFreeSpace(-1);
  CHolder holder(master, false, false);
  ASSERT_TRUE(holder.IsLocked());
  EXPECT_EQ((*master)[0].first, first);
  EXPECT_EQ(first, 18u);
}

// The list a read-only document lacks comes from the application's own resource file.
TEST_F(ResourceTest, AKeyWithTheFallbackFlagSubscribesToTheApplicationsFile) {
  {
    auto system = Open("system.dat");
    ASSERT_EQ(StoreResource(*system, Key("ixtx", 130, "fragments_"), Bytes("from the system")), kNoErr);
    auto document = Open("doc.res");
    ASSERT_TRUE(document->IsOpen());
  }
  const CFileSpec systemSpec = Spec("system.dat");
  app->CAppl::OpenResourceEnvironment(&systemSpec);
  ASSERT_NE(app->GetResourceEnv(), nullptr);
  SSpoolKey key = Key("ixtx", 130);
  key.fallback = 1;
  SSpoolTableSpec spec;
  spec.SetDefaults(true, &key, nullptr);
  for (uint32_t mode : {CFile::kModeRead, CFile::kModeReadWrite}) {
    auto document = Open("doc.res", mode);
    CSubscriber object(SSpoolLayout{document.get(), 0, 0});
    const bool subscribed = object.Subscribe(spec);
    // Only a document opened for reading falls back.
    EXPECT_EQ(subscribed, mode == CFile::kModeRead) << mode;
    EXPECT_EQ(object.GetEnvironment(), subscribed ? static_cast<CSpoolSys*>(app->GetResourceEnv()) : document.get());
    EXPECT_EQ(document->GetLastResult(), subscribed ? kNoErr : kErrObjectNotFound);
    if (!subscribed) continue;
    CHolder holder(&object, false, false);
    ASSERT_TRUE(holder.IsLocked());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(object.GetData()), object.GetDataSize()), "from the system");
  }
  app->CAppl::CloseResourceEnvironment();
}

}  // namespace
