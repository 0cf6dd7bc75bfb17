#include "framework/core/cm_function.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/core/mem_recover.h"
#include "framework/core/notification.h"
#include "pools_fixture.h"

namespace {

using CallbackTableTest = PoolsTest;

// Each row's owner is a Probe; calls are recorded in the shared log.
struct Probe {
  std::vector<int>* log;
  int id;
  int32_t answer = 0;
};

int32_t Record(void* owner, void*, void*) {
  auto* probe = static_cast<Probe*>(owner);
  probe->log->push_back(probe->id);
  return probe->answer;
}

std::vector<int> NotifyOrder(std::initializer_list<int32_t> priorities) {
  std::vector<int> log;
  std::vector<Probe> probes;
  for (int32_t p : priorities) probes.push_back({&log, p});
  CNotification table(SRange{4, 4});
  for (Probe& probe : probes) EXPECT_TRUE(table.Subscribe(&probe, Record, probe.id));
  EXPECT_EQ(table.Notify("errors_", 1, 0), 0);
  return log;
}

TEST_F(CallbackTableTest, NotificationsGoInAscendingPriority) {
  EXPECT_EQ(NotifyOrder({5, 0x7FFFFFEE, -3}), (std::vector<int>{-3, 5, 0x7FFFFFEE}));
  // More than 2^31 apart: a subtraction would overflow and sort these the wrong way.
  EXPECT_EQ(NotifyOrder({-0x7FFFFFFF, 0x7FFFFFEE}), (std::vector<int>{-0x7FFFFFFF, 0x7FFFFFEE}));
  EXPECT_EQ(NotifyOrder({0x7FFFFFEE, -0x7FFFFFFF}), (std::vector<int>{-0x7FFFFFFF, 0x7FFFFFEE}));
}

TEST_F(CallbackTableTest, ANonZeroAnswerStopsTheBroadcast) {
  std::vector<int> log;
  Probe a{&log, 1}, b{&log, 2, 77}, c{&log, 3};
  CCmFunction table(SRange{4, 4});
  for (Probe* p : {&a, &b, &c}) ASSERT_TRUE(table.AddRow(p, Record, 0));
  EXPECT_EQ(table.Broadcast(nullptr), 77);
  EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

TEST_F(CallbackTableTest, AnUnsortedTableCallsRowsInTheOrderAdded) {
  std::vector<int> log;
  Probe a{&log, 9}, b{&log, -4}, c{&log, 1};
  CCmFunction heartbeat(SRange{4, 4});
  for (Probe* p : {&a, &b, &c}) ASSERT_TRUE(heartbeat.AddRow(p, Record, p->id));
  EXPECT_EQ(heartbeat.Broadcast(nullptr), 0);
  EXPECT_EQ(log, (std::vector<int>{9, -4, 1}));
}

TEST_F(CallbackTableTest, EmptyTableAnswersZeroAndRowsWithoutCallbackAnswerZero) {
  CCmFunction table(SRange{0, 4});
  EXPECT_EQ(table.Broadcast(nullptr), 0);
  EXPECT_EQ(table.FindEntry(this), nullptr);
  ASSERT_TRUE(table.AddEntry(nullptr));
  EXPECT_EQ(table.Broadcast(nullptr), 0);
}

TEST_F(CallbackTableTest, RemovingAnOwnerRemovesItsFirstRowOnly) {
  std::vector<int> log;
  Probe a{&log, 1}, b{&log, 2};
  CCmFunction table(SRange{4, 4});
  ASSERT_TRUE(table.AddRow(&a, Record, 10));
  ASSERT_TRUE(table.AddRow(&b, Record, 20));
  ASSERT_TRUE(table.AddRow(&a, Record, 30));
  EXPECT_TRUE(table.RemoveOwner(&a));
  ASSERT_EQ(table.GetCount(), 2u);
  EXPECT_EQ(table[0].priority, 20);
  EXPECT_EQ(table[1].priority, 30);
  EXPECT_EQ(table.FindEntry(&a)->priority, 30);
  Probe stranger{&log, 3};
  EXPECT_FALSE(table.RemoveOwner(&stranger));
}

TEST_F(CallbackTableTest, ATableWithoutGrowthTakesItsInitialRowsOnly) {
  CCmFunction table(SRange{4, 0});
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(table.AddEntry(nullptr)) << i;
  EXPECT_FALSE(table.AddEntry(nullptr));
  EXPECT_EQ(table.GetCount(), 4u);
}

struct Grower {
  CCmFunction* table;
  std::vector<int>* log;
  int id;
  int extraRows;
};

int32_t AddRowsWhileCalled(void* owner, void*, void*) {
  auto* g = static_cast<Grower*>(owner);
  g->log->push_back(g->id);
  // Enough rows to force the row storage to move under the running broadcast.
  for (int i = 0; i < g->extraRows; ++i) g->table->AddRow(nullptr, nullptr, 0);
  if (g->id == 1) g->table->AddRow(g + 1, AddRowsWhileCalled, 0);
  return 0;
}

TEST_F(CallbackTableTest, RowsAddedDuringABroadcastAreReachedInIt) {
  std::vector<int> log;
  CCmFunction table(SRange{1, 1});
  Grower growers[2] = {{&table, &log, 1, 50}, {&table, &log, 2, 0}};
  ASSERT_TRUE(table.AddRow(&growers[0], AddRowsWhileCalled, 0));
  EXPECT_EQ(table.Broadcast(nullptr), 0);
  EXPECT_EQ(log, (std::vector<int>{1, 2}));
}

struct NestState {
  CNotification* table;
  std::vector<int> log;
  bool subscribed = false;
};

struct Nester {
  NestState* state;
  int id;
};

int32_t SubscribeAndNotifyAgain(void* owner, void*, void*) {
  auto* n = static_cast<Nester*>(owner);
  n->state->log.push_back(n->id);
  if (n->id == 10 && !n->state->subscribed) {
    // A row of lower priority arrives during the walk, and a nested broadcast starts.
    n->state->subscribed = true;
    n->state->table->Subscribe(n + 1, SubscribeAndNotifyAgain, -100);
    n->state->table->Notify("inner", 0, 0);
  }
  return 0;
}

TEST_F(CallbackTableTest, NestedBroadcastDoesNotReorderTheOuterWalk) {
  CNotification table(SRange{4, 4});
  NestState state{&table, {}};
  Nester nesters[2] = {{&state, 10}, {&state, 20}};
  ASSERT_TRUE(table.Subscribe(&nesters[0], SubscribeAndNotifyAgain, 0));
  table.Notify("outer", 0, 0);
  // Sorting under the walk would have called 10 twice from the outer walk and skipped nothing else.
  EXPECT_EQ(state.log, (std::vector<int>{10, 10, 20, 20}));
  EXPECT_TRUE(table.IsUnsorted());
  state.log.clear();
  table.Notify("later", 0, 0);
  EXPECT_FALSE(table.IsUnsorted());
  EXPECT_EQ(state.log, (std::vector<int>{20, 10}));
}

struct Freed {
  CMemPool* pool;
  void* held;
  int calls = 0;
};

int32_t FreeOnRecover(void* owner, void* record, void*) {
  auto* f = static_cast<Freed*>(owner);
  ++f->calls;
  EXPECT_GT(*static_cast<SMemRecoverRecord*>(record)->request, 0u);
  f->pool->Free(f->held);
  f->held = nullptr;
  return 0;
}

TEST_F(CallbackTableTest, MemRecoverBecomesThePoolsRecoveryCallback) {
  CMemPool pool(4096);
  Freed freed{&pool, pool.Alloc(3000)};
  {
    CMemRecover recover(&pool, SRange{2, 2});
    EXPECT_EQ(pool.GetRecoveryContext(), &recover);
    ASSERT_TRUE(recover.Register(&freed, FreeOnRecover, 0));
    EXPECT_TRUE(recover.IsRegistered(&freed));
    uint32_t zero = 0;
    CMemRecover::Recover(&zero, 0, &recover);
    EXPECT_EQ(freed.calls, 0);
    void* p = pool.Alloc(3000);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(freed.calls, 1);
    pool.Free(p);
    EXPECT_TRUE(recover.Unregister(&freed));
  }
  EXPECT_EQ(pool.GetRecoveryCallback(), nullptr);
  EXPECT_EQ(pool.GetRecoveryContext(), nullptr);
}

}  // namespace
