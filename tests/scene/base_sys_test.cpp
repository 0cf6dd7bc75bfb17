#include "scene/base_sys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/core/byte_reader.h"
#include "framework/core/result_codes.h"
#include "platform/alloc.h"
#include "scene/base_spool_table.h"
#include "scene_fixture.h"

namespace {

using ObjectTable = SceneTest;

std::vector<int32_t> RowKeys(C3dBaseSys& table) {
  CHolder holder(&table, false, false);
  std::vector<int32_t> keys;
  for (uint32_t row = 0; row < table.GetCount(); ++row) keys.push_back(table[row].sortKey);
  return keys;
}

void Name(C3dBase* thing, const char* name) {
  CHolder holder(thing, true, false);
  ASSERT_TRUE(holder.IsLocked());
  std::strcpy(reinterpret_cast<char*>(thing->GetData()), name);
}

// A stored table header: four big-endian words, then 16 zero bytes.
CMemBlock Header(uint32_t rowSize, uint32_t capacity, uint32_t step, uint32_t count) {
  CMemBlock block(32, nullptr);
  std::memset(block.GetData(), 0, 32);
  StoreBE32(block.GetData(), rowSize);
  StoreBE32(block.GetData() + 4, capacity);
  StoreBE32(block.GetData() + 8, step);
  StoreBE32(block.GetData() + 12, count);
  return block;
}

TEST_F(ObjectTable, AddingAThingTwiceIsRefusedAndLeavesOneRow) {
  CTestSolid* solid = MakeObject<CTestSolid>(nullptr);
  ASSERT_NE(solid, nullptr);
  EXPECT_EQ(table->AddObject(solid), 0);
  EXPECT_EQ(table->AddObject(solid), 15);
  EXPECT_EQ(table->GetCount(), 1u);
  EXPECT_EQ(solid->GetOwningTable(), table);
  C3dBaseSys other(ObjectsEnv());
  EXPECT_EQ(other.AddObject(solid), 15);
  EXPECT_EQ(other.GetCount(), 0u);
}

// A table that refuses a thing keeps no row of it, and the thing can join another.
TEST_F(ObjectTable, AThingTheTableRefusesLeavesNoRow) {
  class CRefusing : public C3dBaseSys {
   public:
    using C3dBaseSys::C3dBaseSys;

   protected:
    int32_t OnObjectAdded(C3dBase*) override { return 12; }
  } refusing(ObjectsEnv());
  CTestSolid* solid = MakeObject<CTestSolid>(nullptr);
  EXPECT_EQ(refusing.AddObject(solid), 12);
  EXPECT_EQ(refusing.GetCount(), 0u);
  EXPECT_EQ(table->AddObject(solid), 0);
  EXPECT_EQ(table->GetCount(), 1u);
}

// A table that cannot grow for want of memory says so: the user reads "out of memory", not an
// expansion error, and nothing is left half added.
TEST_F(ObjectTable, ARowThatFindsNoMemoryIsOutOfMemory) {
  CTestSolid* solid = MakeObject<CTestSolid>(nullptr);
  ASSERT_NE(solid, nullptr);
  platform::FailNextAllocations(100);
  const int32_t refused = table->AddObject(solid);
  platform::FailNextAllocations(0);
  EXPECT_EQ(refused, kErrOutOfMemory);
  EXPECT_EQ(table->GetCount(), 0u);
  EXPECT_EQ(solid->GetOwningTable(), nullptr);
  EXPECT_EQ(table->AddObject(solid), 0);
}

TEST_F(ObjectTable, RowsAreSortedByKeyBeforeANameSearch) {
  struct SCase {
    std::vector<int32_t> added, sorted;
  } cases[] = {
      {{5, 0x3FFFFFFF, 2}, {2, 5, 0x3FFFFFFF}},
      // The difference of these two overflows 32 bits.
      {{0x7FFFFFFF, -5}, {-5, 0x7FFFFFFF}},
  };
  for (const SCase& c : cases) {
    C3dBaseSys rows(ObjectsEnv());
    std::vector<C3dBase*> things;
    for (int32_t key : c.added) {
      things.push_back(MakeObject<CTestSolid>(nullptr));
      Name(things.back(), "twin");
      ASSERT_EQ(rows.AddObject(things.back(), key), 0);
    }
    C3dBase* found = nullptr;
    ASSERT_EQ(rows.FindObject("twin", CTestSolid::kFamily, CTestSolid::kClassTag, &found), 0);
    EXPECT_EQ(RowKeys(rows), c.sorted);
    EXPECT_EQ(found, things[std::find(c.added.begin(), c.added.end(), c.sorted[0]) - c.added.begin()]);
  }
}

TEST_F(ObjectTable, FindObjectMatchesTagsAndTheRecordName) {
  C3dBase* found = reinterpret_cast<C3dBase*>(1);
  EXPECT_EQ(table->FindObject("a", CTestSolid::kFamily, CTestSolid::kClassTag, &found), 6);
  EXPECT_EQ(found, nullptr);
  CTestSolid* a = NewSolid({});
  CTestSolid* b = NewSolid({});
  Name(a, "alpha");
  Name(b, "beta");
  EXPECT_EQ(table->FindObject("beta", CTestSolid::kFamily, CTestSolid::kClassTag, &found), 0);
  EXPECT_EQ(found, b);
  EXPECT_EQ(table->FindObject("beta", CTestSolid::kFamily, FourCC("sphr"), &found), 6);
  EXPECT_EQ(table->FindObject("gamma", CTestSolid::kFamily, CTestSolid::kClassTag, &found), 6);
}

TEST_F(ObjectTable, FindByTagAndIdMatchesTheFamilyOfAnyClass) {
  CTestSolid* solid = MakeObject<CTestSolid>(table);
  C3dGroup* group = MakeObject<C3dGroup>(table);
  C3dMaterial* material = MakeObject<C3dMaterial>(table);
  C3dBase* found = nullptr;
  EXPECT_EQ(table->FindByTagAndId(FourCC("3dob"), solid->GetId(), &found), 0);
  EXPECT_EQ(found, solid);
  EXPECT_EQ(table->FindByTagAndId(FourCC("3dob"), group->GetId(), &found), 0);
  EXPECT_EQ(found, group);
  EXPECT_EQ(table->FindByTagAndId(FourCC("3dob"), material->GetId(), &found), 6);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(table->FindByTagAndId(FourCC("matr"), material->GetId(), &found), 0);
  EXPECT_EQ(table->FindByTagAndId(FourCC("3dob"), 999, &found), 6);
}

TEST_F(ObjectTable, RemovingTheOnlyRowWithShrinkLeavesNoStorage) {
  CTestSolid* solid = NewSolid({});
  CTestSolid stranger(SObjectKey{});
  EXPECT_EQ(table->RemoveObject(&stranger, false, false), 6);
  EXPECT_EQ(table->RemoveObject(solid, false, true), 0);
  EXPECT_EQ(table->GetCount(), 0u);
  EXPECT_EQ(table->GetCapacity(), 0u);
  EXPECT_EQ(solid->GetOwningTable(), nullptr);
  EXPECT_EQ(table->RemoveObject(solid, false, false), 6);
  delete solid;
}

TEST_F(ObjectTable, ADeletedThingTakesItsRowWithIt) {
  CTestSolid* first = NewSolid({});
  CTestSolid* second = NewSolid({});
  delete first;
  ASSERT_EQ(table->GetCount(), 1u);
  CHolder holder(table, false, false);
  EXPECT_EQ((*table)[0].object, second);
}

TEST_F(ObjectTable, RemoveRowsGoesFromTheLastIndexAndDeletes) {
  std::vector<CTestSolid*> solids;
  for (int i = 0; i < 4; ++i) solids.push_back(NewSolid({}));
  CDynTable<uint32_t> rows(SRange{0, 4});
  for (uint32_t row : {1u, 3u}) rows.Append(row);
  EXPECT_EQ(table->RemoveRows(rows, true, false), 0);
  CHolder holder(table, false, false);
  ASSERT_EQ(table->GetCount(), 2u);
  EXPECT_EQ((*table)[0].object, solids[0]);
  EXPECT_EQ((*table)[1].object, solids[2]);
}

TEST_F(ObjectTable, CollectionsEmptyTheListUnlessAppending) {
  C3dSphere* sphere = NewSphere();
  C3dGroup* group = NewGroup();
  C3dBaseSpoolTable list(ObjectsEnv());
  ASSERT_TRUE(list.IsValid());
  // The sphere's material is a thing of the table too.
  EXPECT_EQ(table->CollectByType(FourCC("matr"), &list, false), 0);
  EXPECT_EQ(list.GetCount(), 1u);
  EXPECT_EQ(table->CollectByType(FourCC("3dob"), &list, false), 0);
  EXPECT_EQ(list.GetCount(), 2u);
  EXPECT_EQ(table->CollectByTypeAndKind(FourCC("3dob"), FourCC("grou"), &list, true), 0);
  ASSERT_EQ(list.GetCount(), 3u);
  CHolder holder(&list, false, false);
  EXPECT_EQ(list.At(0), sphere);
  EXPECT_EQ(list.At(1), group);
  EXPECT_EQ(list.At(2), group);
  holder.Release();
  EXPECT_EQ(table->CollectByTypeExcept(FourCC("3dob"), &list, FourCC("3dob"), FourCC("grou"), false), 0);
  ASSERT_EQ(list.GetCount(), 1u);
  uint32_t count = 0;
  EXPECT_EQ(table->CountByTags(FourCC("3dob"), FourCC("sphr"), &count), 0);
  EXPECT_EQ(count, 1u);
}

TEST_F(ObjectTable, NewIdsCountUpAndSkipTheIdsThingsBring) {
  std::vector<uint32_t> ids;
  for (int i = 0; i < 3; ++i) ids.push_back(NewSolid({})->GetId());
  EXPECT_EQ(ids, (std::vector<uint32_t>{1, 2, 3}));
  CTestSolid* brought = MakeObject<CTestSolid>(nullptr);
  brought->SetId(7);
  ASSERT_EQ(table->AddObject(brought), 0);
  EXPECT_EQ(brought->GetId(), 7u);
  EXPECT_EQ(NewSolid({})->GetId(), 8u);
  EXPECT_TRUE(table->HasId(7));
  EXPECT_FALSE(table->HasId(4));
}

TEST_F(ObjectTable, AStoredHeaderMustHoldThirtyTwoByteRowsAndRoomForItsCount) {
  struct SCase {
    uint32_t rowSize, capacity, count;
    bool accepted;
  } cases[] = {{32, 4, 3, true}, {33, 4, 3, false}, {32, 2, 3, false}, {4, 4, 3, false}};
  for (const SCase& c : cases) {
    C3dBaseSys rows(ObjectsEnv());
    CMemBlock header = Header(c.rowSize, c.capacity, 32, c.count);
    EXPECT_EQ(C3dBaseSys::HandleMessage(&rows, kSpoolApplyHeader, &header) & 0xFF, c.accepted ? 1u : 0u);
    EXPECT_EQ(rows.GetError(), c.accepted ? 0 : 16) << c.rowSize;
  }
  uint32_t size = 0;
  C3dBaseSys::HandleMessage(table, kSpoolHeaderSize, &size);
  EXPECT_EQ(size, 32u);
}

TEST_F(ObjectTable, PointerListsCheckTheirHeaderAndLockEveryThing) {
  C3dBaseSpoolTable list(ObjectsEnv());
  CMemBlock wrong = Header(4, 4, 32, 1);
  EXPECT_EQ(C3dBaseSpoolTable::HandleMessage(&list, kSpoolApplyHeader, &wrong) & 0xFF, 0u);
  EXPECT_EQ(list.GetError(), 16);
  CMemBlock right = Header(sizeof(void*), 4, 32, 1);
  EXPECT_EQ(C3dBaseSpoolTable::HandleMessage(&list, kSpoolApplyHeader, &right) & 0xFF, 1u);

  C3dBaseSpoolTable things(ObjectsEnv());
  EXPECT_EQ(things.LockAll(), 0);
  CTestSolid* a = NewSolid({});
  CTestSolid* b = NewSolid({});
  ASSERT_EQ(table->CollectByType(FourCC("3dob"), &things, false), 0);
  {
    SLockAllGuard guard(&things, false, false);
    EXPECT_TRUE(guard.IsLocked());
    EXPECT_EQ(a->GetLockCount(), 1u);
    EXPECT_EQ(b->GetLockCount(), 1u);
  }
  EXPECT_EQ(a->GetLockCount(), 0u);
  EXPECT_EQ(b->GetLockCount(), 0u);
}

}  // namespace
