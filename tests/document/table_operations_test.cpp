// Writing a table, moving things between tables, giving up shared things, and preparing objects.
#include <gtest/gtest.h>

#include <set>

#include "document_fixture.h"
#include "framework/core/ix_loader.h"

namespace {

using TableOperations = DocumentTest;

TEST_F(TableOperations, AnEmptyTableWritesNothingAndShowsNoProgress) {
  static uint32_t messages = 0;
  messages = 0;
  ASSERT_TRUE(ProgressSubscribe(this, [](void*, void*, void*) -> int32_t {
    ++messages;
    return 0;
  }));
  EXPECT_EQ(table->WriteDocument(document.get()), 0);
  ProgressUnsubscribe(this);
  EXPECT_EQ(messages, 0u);
  EXPECT_TRUE(Records(document.get()).empty());
}

TEST_F(TableOperations, WritingTwiceIntoOneDocumentWritesOverTheRecords) {
  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  C3dGroup* group = NewGroup({sphere, MakeShape<C3dSphere>(table)});
  SetName(sphere, "first");
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  const size_t records = Records(document.get()).size();
  SetName(sphere, "second");
  ASSERT_EQ(group->RemoveChild(sphere), 0);
  ASSERT_EQ(table->WriteDocument(document.get()), 0);
  EXPECT_EQ(Records(document.get()).size(), records);
  C3dBaseSys read(ObjectsEnv());
  ASSERT_EQ(read.ReadDocument(document.get(), 0), 0);
  EXPECT_EQ(NameOf(Find(&read, sphere)), "second");
  EXPECT_EQ(static_cast<C3dGroup*>(Find(&read, group))->GetMemberCount(), 1u);
  // Every thing is back where it lives, and is written again as it was.
  for (C3dBase* thing : Things(table)) EXPECT_EQ(thing->GetEnvironment(), ObjectsEnv());
}

TEST_F(TableOperations, MovingAllWithRenumberGivesFreshIds) {
  C3dBaseSys target(ObjectsEnv());
  for (int i = 0; i < 6; ++i) MakeShape<C3dCube>(&target);
  std::vector<C3dBase*> moved = {MakeObject<C3dSphere>(table), MakeObject<C3dSphere>(table),
                                 MakeObject<C3dCamera>(table)};
  ASSERT_EQ(table->MoveAllTo(&target, true), 0);
  EXPECT_TRUE(Things(table).empty());
  const std::vector<C3dBase*> rows = Things(&target);
  ASSERT_EQ(rows.size(), 15u);
  // From the last row to the first, each with the target's next id.
  EXPECT_EQ(rows[12], moved[2]);
  EXPECT_EQ(rows[14], moved[0]);
  for (uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[12 + i]->GetId(), 13u + i);
    EXPECT_EQ(rows[12 + i]->GetOwningTable(), &target);
  }

  // Without renumber the ids stay, unless the target holds them already.
  C3dBaseSys empty(ObjectsEnv());
  C3dBaseSys third(ObjectsEnv());
  C3dBase* kept = MakeObject<C3dSphere>(&empty);
  C3dBase* clashing = MakeObject<C3dSphere>(&empty);
  for (int i = 0; i < 3; ++i) MakeObject<C3dCube>(&third);
  const uint32_t keptId = kept->GetId() + 100;
  kept->SetId(keptId);
  ASSERT_EQ(empty.MoveAllTo(&third, false), 0);
  EXPECT_EQ(kept->GetId(), keptId);
  EXPECT_NE(clashing->GetId(), 2u);
  std::set<uint32_t> ids;
  for (C3dBase* thing : Things(&third)) EXPECT_TRUE(ids.insert(thing->GetId()).second);
}

TEST_F(TableOperations, ATransferToTheTableThatOwnsTheThingDoesNothing) {
  C3dSphere* sphere = MakeObject<C3dSphere>(table);
  EXPECT_EQ(table->TransferObject(sphere, table), 0);
  EXPECT_EQ(sphere->GetOwningTable(), table);
  EXPECT_EQ(Things(table).size(), 1u);
  C3dBaseSys target(ObjectsEnv());
  EXPECT_EQ(table->TransferObject(sphere, &target), 0);
  EXPECT_EQ(sphere->GetOwningTable(), &target);
  EXPECT_TRUE(Things(table).empty());
}

TEST_F(TableOperations, ReleasingASharedThingCountsItsUses) {
  C3dTexture* stored = NewTexture(kKindValue, 9);
  const SSpoolKey key = StoreTexture(stored);
  delete stored;
  CBaseTexture* first = nullptr;
  CBaseTexture* second = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 9, document.get(), &first, true), 0);
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 9, document.get(), &second, true), 0);
  ASSERT_EQ(first, second);
  ASSERT_EQ(SharedUseCount(first), 2u);

  ASSERT_TRUE(first->Lock());
  C3dBase* thing = first;
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 17);
  EXPECT_EQ(thing, first);
  first->Unlock(false, false);

  const Handle32 handle = first->GetHandle();
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 0);
  EXPECT_EQ(thing, nullptr);
  EXPECT_EQ(SharedUseCount(first), 1u);
  thing = first;
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 0);
  EXPECT_EQ(thing, nullptr);
  EXPECT_EQ(LookupHandle(handle, C3dTexture::kClassTag), nullptr);

  // A stored thing nobody shares, a thing outside any document, a thing without an environment.
  C3dTexture* loose = Load<C3dTexture>(key, table);
  thing = loose;
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 6);
  C3dSphere* working = MakeObject<C3dSphere>(table);
  thing = working;
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 14);
  SObjectKey nowhere;
  nowhere.Set(nullptr, C3dSphere::kFamily, C3dSphere::kClassTag, C3dSphere::kTypeName);
  C3dSphere unplaced(nowhere);
  thing = &unplaced;
  EXPECT_EQ(C3dBaseSys::ReleaseShared(thing), 16);
}

// A stored texture with one use, deleted from its table, is deleted once.
TEST_F(TableOperations, ATableGivesUpOneUseOfEachTextureItHolds) {
  C3dTexture* stored = NewTexture(kKindValue, 12);
  StoreTexture(stored);
  delete stored;
  CBaseTexture* shared = nullptr;
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 12, document.get(), &shared, true), 0);
  ASSERT_EQ(CBaseTexture::CopyByTag(C3dTexture::kClassTag, 12, document.get(), &shared, true), 0);
  {
    C3dBaseSys holding(ObjectsEnv());
    ASSERT_EQ(holding.AddObject(shared), 0);
  }
  EXPECT_EQ(SharedUseCount(shared), 1u);
  const Handle32 handle = shared->GetHandle();
  {
    C3dBaseSys holding(ObjectsEnv());
    ASSERT_EQ(holding.AddObject(shared), 0);
  }
  EXPECT_EQ(LookupHandle(handle, C3dTexture::kClassTag), nullptr);

  // A working texture that a material elsewhere counts outlives the table, until that use goes too.
  C3dTexture* texture = NewTexture();
  C3dMaterial* source = MakeObject<C3dMaterial>(nullptr);
  C3dMaterial* copy = MakeObject<C3dMaterial>(nullptr);
  {
    CHolder holder(source, true, false);
    source->GetRecord().sources[C3dMaterial::kDiffusionSource] = 1;
  }
  ASSERT_EQ(source->SetChannelTexture(texture, 0), 0);
  ASSERT_EQ(copy->CopyFrom(*source), 0);
  ASSERT_TRUE(copy->IsUseCounted(0));
  delete source;
  {
    C3dBaseSys holding(ObjectsEnv());
    ASSERT_EQ(holding.AddObject(texture), 0);
  }
  EXPECT_EQ(texture->GetOwnUseCount(), 0u);
  EXPECT_EQ(copy->GetChannelTexture(0), texture);
  delete copy;
}

// Objects whose preparation the test decides.
class CPreparedSolid : public CTestSolid {
 public:
  using CTestSolid::CTestSolid;
  int32_t Prepare() override {
    ++prepared;
    return answer;
  }
  int32_t answer = 0;
  int prepared = 0;
};

TEST_F(TableOperations, PreparingStopsAtTheFirstError) {
  CPreparedSolid* first = MakeObject<CPreparedSolid>(table);
  CPreparedSolid* failing = MakeObject<CPreparedSolid>(table);
  CPreparedSolid* last = MakeObject<CPreparedSolid>(table);
  failing->answer = 9;
  EXPECT_EQ(table->PrepareObjects(), 9);
  EXPECT_EQ(first->prepared, 1);
  EXPECT_EQ(failing->prepared, 1);
  EXPECT_EQ(last->prepared, 0);
  failing->answer = 0;
  EXPECT_EQ(table->PrepareObjects(), 0);
  EXPECT_EQ(last->prepared, 1);
}

}  // namespace
