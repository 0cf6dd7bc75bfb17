#include "framework/core/mem_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/alloc.h"
#include "pools_fixture.h"

namespace {

struct SRecoveryLog {
  CMemPool* pool = nullptr;
  int calls = 0;
  uint32_t lastRequest = 0;
  void* nested = nullptr;  // an allocation made from inside the callback
  size_t nestedSize = 0;
};

uint32_t LogRecovery(uint32_t* request, uint32_t zero, void* context) {
  auto* log = static_cast<SRecoveryLog*>(context);
  EXPECT_EQ(zero, 0u);
  ++log->calls;
  log->lastRequest = *request;
  if (log->nestedSize) log->nested = log->pool->Alloc(log->nestedSize);
  return 0;
}

TEST(MemPool, ZeroSizeIsNoStorage) {
  CMemPool pool(1000);
  void* p = pool.Alloc(0);
  EXPECT_EQ(p, kNoStorage);
  EXPECT_EQ(pool.GetUsed(), 0u);
  pool.Free(p);
  EXPECT_EQ(pool.GetUsed(), 0u);
}

TEST(MemPool, CountsTheAllocatorsBlockSizeAndZeroFills) {
  CMemPool pool(1 << 20);
  auto* p = static_cast<unsigned char*>(pool.Alloc(13));
  ASSERT_NE(p, nullptr);
  const size_t block = platform::AllocBlockSize(p);
  EXPECT_GE(block, 13u);
  EXPECT_EQ(pool.GetUsed(), block);
  EXPECT_EQ(pool.GetFreeBytes(), (1u << 20) - block);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(p[i], 0);
  pool.Free(p);
  EXPECT_EQ(pool.GetUsed(), 0u);
}

TEST(MemPool, ARequestThatFillsTheBudgetExactlySucceeds) {
  // The budget is fixed after a probe so that used + size lands exactly on it.
  CMemPool probe(1 << 20);
  void* first = probe.Alloc(100);
  const uint32_t used = probe.GetUsed();
  probe.Free(first);

  CMemPool pool(used + 64);
  void* a = pool.Alloc(100);
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(pool.GetUsed(), used);
  void* b = pool.Alloc(64);
  EXPECT_NE(b, nullptr);
  pool.Free(a);
  pool.Free(b);
}

TEST(MemPool, OverBudgetCallsRecoveryOnceThenFails) {
  CMemPool pool(1000);
  SRecoveryLog log{&pool};
  pool.SetRecovery(LogRecovery, &log);
  EXPECT_EQ(pool.Alloc(1001), nullptr);
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.lastRequest, 1001u);
  EXPECT_EQ(pool.GetUsed(), 0u);
}

TEST(MemPool, WithoutRecoveryOverBudgetIsNull) {
  CMemPool pool(10);
  EXPECT_EQ(pool.Alloc(11), nullptr);
}

TEST(MemPool, AllocationInsideRecoveryGetsNoRecoveryOfItsOwn) {
  CMemPool pool(1000);
  SRecoveryLog log{&pool};
  log.nestedSize = 5000;  // over budget too: must not recurse into the callback
  pool.SetRecovery(LogRecovery, &log);
  EXPECT_EQ(pool.Alloc(2000), nullptr);
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.nested, nullptr);
}

uint32_t FreeHeld(uint32_t*, uint32_t, void* context) {
  auto* held = static_cast<std::pair<CMemPool*, void*>*>(context);
  held->first->Free(held->second);
  held->second = nullptr;
  return 0;
}

TEST(MemPool, RetrySucceedsWhenRecoveryFreedEnough) {
  CMemPool pool(4096);
  std::pair<CMemPool*, void*> held{&pool, pool.Alloc(3000)};
  ASSERT_NE(held.second, nullptr);
  pool.SetRecovery(FreeHeld, &held);
  void* p = pool.Alloc(3000);
  EXPECT_NE(p, nullptr);
  EXPECT_EQ(held.second, nullptr);
  pool.Free(p);
}

TEST(MemPool, PoolsAreCreatedAndDestroyedInOrder) {
  EXPECT_EQ(GetDefaultPool(), nullptr);
  ASSERT_TRUE(CMemPool::CreatePools(100, 200, 300));
  ASSERT_NE(GetDefaultPool(), nullptr);
  EXPECT_EQ(GetDefaultPool()->GetBudget(), 100u);
  EXPECT_EQ(GetObjectPool()->GetBudget(), 200u);
  EXPECT_EQ(GetDataPool()->GetBudget(), 300u);
  EXPECT_TRUE(CMemPool::DestroyPools());
  EXPECT_EQ(GetDefaultPool(), nullptr);
  EXPECT_EQ(GetObjectPool(), nullptr);
  EXPECT_EQ(GetDataPool(), nullptr);
}

struct SZeroCheck : CBaseObject {
  int values[16];
};

TEST_F(PoolsTest, ObjectsComeZeroFilledOutsideEveryBudget) {
  const uint32_t before = GetDefaultPool()->GetUsed();
  std::vector<SZeroCheck*> objects;
  for (int i = 0; i < 8; ++i) {
    auto* o = new SZeroCheck;
    ASSERT_NE(o, nullptr);
    for (int v : o->values) EXPECT_EQ(v, 0);
    o->values[3] = 7;
    objects.push_back(o);
  }
  for (SZeroCheck* o : objects) delete o;
  EXPECT_EQ(GetDefaultPool()->GetUsed(), before);
}

TEST(MemFill, FillsBytesAndWords) {
  unsigned char buf[23];
  MemFill(buf, 0xAB, sizeof buf);
  for (unsigned char c : buf) EXPECT_EQ(c, 0xAB);
  MemFillLong(buf, 0x01020304, 10);  // two whole words; the rest untouched
  uint32_t word;
  std::memcpy(&word, buf + 4, 4);
  EXPECT_EQ(word, 0x01020304u);
  EXPECT_EQ(buf[8], 0xAB);
  MemMove(buf + 1, buf, 8);
  std::memcpy(&word, buf + 5, 4);
  EXPECT_EQ(word, 0x01020304u);
}

}  // namespace
