#include "framework/core/id_index.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Ids as documents bring them: counted up, scattered, and the extremes; an id entered twice keeps its
// first row, and everything stays found while the index grows past several capacities.
TEST(IdIndex, FindsEveryIdThroughGrowthAndKeepsTheFirstRow) {
  CIdIndex index;
  EXPECT_EQ(index.Find(0), nullptr);
  const uint32_t extremes[] = {0, 1, UINT32_MAX, 0x80000000u};
  uint32_t row = 0;
  for (const uint32_t id : extremes) index.Insert(id, row++);
  for (uint32_t id = 2; id < 5000; ++id) index.Insert(id, row++);
  for (uint32_t i = 0; i < 5000; ++i) index.Insert(0x9E3779B9u * i + 7, row++);
  const uint32_t entered = index.GetCount();
  index.Insert(1, 999999);
  EXPECT_EQ(index.GetCount(), entered);
  ASSERT_NE(index.Find(1), nullptr);
  EXPECT_EQ(*index.Find(1), 1u);
  for (uint32_t i = 0; i < 4; ++i) {
    ASSERT_NE(index.Find(extremes[i]), nullptr);
    EXPECT_EQ(*index.Find(extremes[i]), i);
  }
  for (uint32_t id = 2; id < 5000; ++id) {
    ASSERT_TRUE(index.Contains(id)) << id;
    EXPECT_EQ(*index.Find(id), id + 2);
  }
  EXPECT_FALSE(index.Contains(5000));
  index.Clear();
  EXPECT_EQ(index.GetCount(), 0u);
  EXPECT_FALSE(index.Contains(2));
  index.Insert(2, 5);
  EXPECT_EQ(*index.Find(2), 5u);
}

}  // namespace
