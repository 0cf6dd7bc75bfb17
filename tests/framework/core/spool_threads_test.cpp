// Spool objects locked from several threads at once, as a render's threads lock what its holds left
// out: no lock count is lost, the data of a locked object never leaves memory, and tables that do not
// all fit their pool page in and out while other threads read, each coming back whole. Test.sh runs
// these under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "spool_fixture.h"

namespace {

using SpoolThreads = SpoolAppTest;

constexpr int kThreads = 8;

TEST_F(SpoolThreads, LocksFromManyThreadsNeverLoseACount) {
  auto table = NewTable(DataEnv(), 1024);
  Fill(*table, 7);
  ASSERT_TRUE(table->Lock());
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 5000; ++i) {
        if (!table->Lock()) {
          ++wrong;
          continue;
        }
        if (reinterpret_cast<const uint32_t*>(table->GetData())[100] != 107) ++wrong;
        if (!table->Unlock(false, false)) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(table->GetLockCount(), 1u);
  EXPECT_TRUE(table->Unlock(false, false));
  EXPECT_EQ(table->GetLockCount(), 0u);
  EXPECT_TRUE(table->IsPageable());
}

// Twelve tables of 24 KB in a pool of 256 KB: every lock that needs room pages others out, never one
// that a thread holds, and each table reads back its own pattern whichever thread paged it in.
TEST_F(SpoolThreads, TablesLargerThanThePoolPageWhileOtherThreadsRead) {
  constexpr int kTables = 12;
  std::vector<std::unique_ptr<CSpoolTable>> tables;
  for (int i = 0; i < kTables; ++i) {
    tables.push_back(NewTable(DataEnv(), 24 * 1024));
    Fill(*tables.back(), uint32_t(i) << 20);
  }
  std::atomic<int> refused{0}, wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        const int k = (t * 5 + i * 7) % kTables;
        CSpoolTable& table = *tables[size_t(k)];
        if (!table.Lock()) {
          ++refused;
          continue;
        }
        const auto* words = reinterpret_cast<const uint32_t*>(table.GetData());
        for (uint32_t w = 0; w < table.GetDataSize() / 4; w += 97) {
          if (words[w] != (uint32_t(k) << 20) + w) ++wrong;
        }
        table.Unlock(false, false);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  // Eight tables locked at once fit the pool: no thread was refused for another's.
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(wrong, 0);
  for (int i = 0; i < kTables; ++i) {
    EXPECT_EQ(tables[size_t(i)]->GetLockCount(), 0u) << i;
    EXPECT_TRUE(Holds(*tables[size_t(i)], uint32_t(i) << 20)) << i;
  }
}

// A table that another thread keeps locked stays in through a purge of everything; unlocked, it goes.
TEST_F(SpoolThreads, ATableLockedOnAnotherThreadIsNeverPagedOut) {
  auto kept = NewTable(DataEnv(), 64 * 1024);
  Fill(*kept, 3);
  std::atomic<bool> locked{false}, release{false};
  std::thread holder([&] {
    locked = kept->Lock();
    while (!release) std::this_thread::yield();
    kept->Unlock(false, false);
  });
  while (!locked) std::this_thread::yield();
  uint32_t freed = 0;
  ASSERT_TRUE(DataEnv()->PurgeAll(&freed));
  EXPECT_TRUE(kept->IsResident());
  EXPECT_EQ(kept->GetLockCount(), 1u);
  release = true;
  holder.join();
  ASSERT_TRUE(DataEnv()->PurgeAll(&freed));
  EXPECT_FALSE(kept->IsResident());
  EXPECT_TRUE(Holds(*kept, 3));
}

}  // namespace
