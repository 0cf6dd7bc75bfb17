#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/byte_order.h"
#include "framework/core/dyn_table.h"
#include "framework/core/random.h"
#include "framework/core/rect.h"
#include "framework/core/vector3.h"
#include "pools_fixture.h"

namespace {

using DynTableTest = PoolsTest;

std::vector<int32_t> Contents(const CDynTable<int32_t>& table) {
  std::vector<int32_t> out;
  for (uint32_t i = 0; i < table.GetCount(); ++i) out.push_back(table[i]);
  return out;
}

TEST_F(DynTableTest, FullTableWithoutStepRefusesToGrow) {
  CDynTable<int32_t> table(SRange{2, 0});
  EXPECT_TRUE(table.Append(1));
  EXPECT_TRUE(table.Append(2));
  EXPECT_FALSE(table.Append(3));
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(table.GetCapacity(), 2u);
}

TEST_F(DynTableTest, GrowsByTheLargerOfShortfallAndStep) {
  CDynTable<int32_t> table(SRange{3, 16});
  ASSERT_TRUE(table.AppendN(nullptr, 2));
  ASSERT_TRUE(table.Append(7));  // full now
  ASSERT_TRUE(table.Append(8));  // one missing: grows by the step
  EXPECT_EQ(table.GetCapacity(), 19u);
  ASSERT_TRUE(table.AppendN(nullptr, 40));  // shortfall larger than the step
  EXPECT_EQ(table.GetCapacity(), 44u);
  EXPECT_EQ(table.GetCount(), 44u);
  EXPECT_EQ(table[2], 7);
  EXPECT_EQ(table[3], 8);
  EXPECT_EQ(table[43], 0);
}

// Filled record by record, a table grows by half its capacity once that is more than its step, so that
// it moves its records a few dozen times for a hundred thousand of them rather than thousands.
TEST_F(DynTableTest, ALargeTableGrowsByHalfItsCapacity) {
  CDynTable<int32_t> table(SRange{0, 8});
  uint32_t growths = 0, capacity = 0;
  for (int32_t v = 0; v < 100000; ++v) {
    ASSERT_TRUE(table.Append(v));
    if (table.GetCapacity() != capacity) {
      ++growths;
      if (capacity >= 16) {
        EXPECT_EQ(table.GetCapacity(), capacity + capacity / 2) << v;
      }
      capacity = table.GetCapacity();
    }
  }
  EXPECT_LT(growths, 30u);
  EXPECT_EQ(table[99999], 99999);
}

TEST_F(DynTableTest, InsertAtMovesRecordsUp) {
  CDynTable<int32_t> table(SRange{0, 4});
  for (int32_t v : {1, 2, 3}) ASSERT_TRUE(table.Append(v));
  const int32_t nine = 9;
  ASSERT_TRUE(table.InsertAt(0, &nine, 2));
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{9, 9, 1, 2, 3}));
  ASSERT_TRUE(table.InsertAt(table.GetCount(), &nine, 1));  // at the count: appends
  ASSERT_TRUE(table.InsertAt(3, nullptr, 1));
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{9, 9, 1, 0, 2, 3, 9}));
}

TEST_F(DynTableTest, AppendingARecordOfTheTableItselfSurvivesGrowth) {
  CDynTable<int32_t> table(SRange{1, 1});
  ASSERT_TRUE(table.Append(42));
  ASSERT_TRUE(table.Append(table[0]));
  ASSERT_TRUE(table.InsertAt(0, &table[1], 1));
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{42, 42, 42}));
}

TEST_F(DynTableTest, FillNStopsAtTheCount) {
  CDynTable<int32_t> table(SRange{8, 0});
  ASSERT_TRUE(table.AppendN(nullptr, 5));
  table.FillN(3, 6, 10);
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{0, 0, 0, 6, 6}));
  table.FillN(9, 1, 1);
  EXPECT_EQ(table.GetCount(), 5u);
}

TEST_F(DynTableTest, RemoveAtMovesRecordsDown) {
  CDynTable<int32_t> table(SRange{4, 4});
  for (int32_t v : {1, 2, 3, 4}) ASSERT_TRUE(table.Append(v));
  EXPECT_TRUE(table.RemoveAt(1));
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{1, 3, 4}));
  EXPECT_FALSE(table.RemoveAt(3));
  EXPECT_EQ(table.GetCapacity(), 4u);
}

TEST_F(DynTableTest, AFrozenTableFillsItsRoomThenRefusesAndTrimsToItsCount) {
  CDynTable<int32_t> table(SRange{0, 8});
  ASSERT_TRUE(table.Reserve(3));
  EXPECT_EQ(table.GetCapacity(), 8u);  // a shortfall below the step grows by the step
  table.SetStep(0);
  for (int32_t v : {1, 2, 3}) ASSERT_TRUE(table.Append(v));
  ASSERT_TRUE(table.Trim());
  EXPECT_EQ(table.GetCapacity(), 3u);
  EXPECT_EQ(Contents(table), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_FALSE(table.Append(4));
  table.Clear();
  ASSERT_TRUE(table.Trim());
  EXPECT_EQ(table.GetCapacity(), 0u);
  EXPECT_EQ(table.GetRecords(), nullptr);
}

TEST_F(DynTableTest, GrowthThatWouldWrapFailsAndChangesNothing) {
  struct SBig {
    uint8_t bytes[4096];
  };
  CDynTable<SBig> table(SRange{0, 0x7FFFFFFF});
  EXPECT_FALSE(table.AppendN(nullptr, 1));
  EXPECT_EQ(table.GetCount(), 0u);
  EXPECT_EQ(table.GetCapacity(), 0u);
}

TEST(ByteOrder, SwapsWordsAndDoubles) {
  EXPECT_EQ(SwapLong(0x11223344), 0x44332211u);
  const uint8_t stored[8] = {0x3F, 0xF0, 0, 0, 0, 0, 0, 0};
  uint32_t words[2];
  std::memcpy(words, stored, 8);
  EXPECT_EQ(SwapDouble(words[0], words[1]), 1.0);
  double d;
  std::memcpy(&d, stored, 8);
  EXPECT_EQ(SwapDouble(d), 1.0);
}

TEST(Random, FollowsTheTable) {
  SRandomState state{0, 1, 1};
  EXPECT_EQ(NextRandom(state), 0xC650D56Au);
  EXPECT_EQ(state.x, 0xC650D56Au);
  EXPECT_EQ(state.i, 2u);
  EXPECT_EQ(state.j, 0xC650D56Bu);
  EXPECT_EQ(NextRandom(state), 0xCD350955u);
  EXPECT_EQ(NextRandom(state), 0xD4C3F6CBu);
}

// A draw times 2^-32 lies in [0, 1), the largest draw too, which a single-precision product rounds to 1.
TEST(Random, UnitValuesStayBelowOne) {
  EXPECT_EQ(double(RandomScale), 1.0 / 4294967296.0);
  SRandomState zero{0xB430735A ^ 0x953A7214, 0, 0};  // the first draw is 0
  EXPECT_EQ(NextRandomUnit(zero), 0.0);
  SRandomState largest{~(0xB430735Au ^ 0x953A7214u), 0, 0};  // the first draw is 0xFFFFFFFF
  const double unit = NextRandomUnit(largest);
  EXPECT_LT(unit, 1.0);
  EXPECT_GT(unit, 0.9999999);
  EXPECT_EQ(float(0xFFFFFFFFu) * RandomScale, 1.0f);
}

TEST(ValueTypes, RectsRangesAndVectors) {
  SRect r;
  r.Set(1, 2, 3, 4);
  EXPECT_EQ(SRect::Add(r, SRect{10, 20, 10, 20}), (SRect{11, 22, 13, 24}));
  SRange range;
  EXPECT_EQ(range.SetFirstSecond(-1, -1), (SRange{-1, -1}));
  vector3<double> v;
  v.Set(1, 2, 3);
  vector3<double> w;
  w.Copy(v);
  EXPECT_EQ(w, v);
  w.Fill(0.5);
  EXPECT_EQ(w, (vector3<double>{0.5, 0.5, 0.5}));
}

}  // namespace
