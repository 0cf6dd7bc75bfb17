#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "framework/core/byte_reader.h"
#include "framework/core/c_string.h"
#include "framework/core/result_codes.h"
#include "spool_fixture.h"

namespace {

using SpoolTableTest = SpoolAppTest;
using Table = CSpoolDynTable<uint32_t>;

std::unique_ptr<Table> NewDynTable(CSpoolSys* env, uint32_t capacity, int32_t step) {
  SDynTableLayout layout;
  layout.SetSized(env, 4, capacity);
  layout.range = SRange{int32_t(capacity), step};
  auto table = std::make_unique<Table>(layout, SSpoolTableSpec{});
  EXPECT_TRUE(table->IsValid());
  return table;
}

std::vector<uint32_t> Records(Table& table) {
  CHolder holder(&table, false, false);
  if (!holder.IsLocked()) return {};
  return std::vector<uint32_t>(table.GetRecords(), table.GetRecords() + table.GetCount());
}

TEST_F(SpoolTableTest, AppendGrowsByTheLargerOfShortfallAndStep) {
  auto table = NewDynTable(DataEnv(), 2, 64);
  ASSERT_TRUE(table->Append(nullptr, 0));
  EXPECT_FALSE(table->IsResident());  // nothing to do, nothing touched

  const uint32_t seven = 7;
  ASSERT_TRUE(table->Append(&seven, 2));
  EXPECT_EQ(table->GetCapacity(), 2u);
  ASSERT_TRUE(table->Append(&seven));
  EXPECT_EQ(table->GetCapacity(), 66u);
  EXPECT_EQ(table->GetCount(), 3u);
  ASSERT_TRUE(table->Append(nullptr, 100));
  EXPECT_EQ(table->GetCapacity(), 130u);
  EXPECT_EQ(table->GetDataSize(), 130u * 4);
  std::vector<uint32_t> expected(103, 0);
  expected[0] = expected[1] = expected[2] = 7;
  EXPECT_EQ(Records(*table), expected);

  // The grown table pages out and in whole.
  ASSERT_TRUE(table->PageOut());
  EXPECT_EQ(Records(*table), expected);
}

// A table that is never stored with its room grows by half its capacity once that beats its step;
// every other keeps growing by the step, so that a stored table holds no more room than before.
TEST_F(SpoolTableTest, AGeometricTableGrowsByHalfItsCapacity) {
  struct SGeometric : Table {
    using Table::Table;
    using Table::SetGeometric;
  };
  SDynTableLayout layout;
  layout.SetSized(DataEnv(), 4, 0);
  layout.range = SRange{0, 8};
  SGeometric geometric(layout, SSpoolTableSpec{});
  geometric.SetGeometric(true);
  auto stepped = NewDynTable(DataEnv(), 0, 8);
  uint32_t growths = 0, capacity = 0;
  for (uint32_t v = 0; v < 20000; ++v) {
    ASSERT_TRUE(geometric.Append(&v));
    ASSERT_TRUE(stepped->Append(&v));
    if (geometric.GetCapacity() != capacity) {
      ++growths;
      if (capacity >= 16) {
        EXPECT_EQ(geometric.GetCapacity(), capacity + capacity / 2) << v;
      }
      capacity = geometric.GetCapacity();
    }
  }
  EXPECT_LT(growths, 25u);
  EXPECT_EQ(stepped->GetCapacity(), 20000u);
  EXPECT_EQ(Records(geometric), Records(*stepped));
}

TEST_F(SpoolTableTest, AFullTableWithoutStepRefusesAndStaysAsItWas) {
  auto table = NewDynTable(DataEnv(), 2, 0);
  const uint32_t one = 1;
  ASSERT_TRUE(table->Append(&one, 2));
  EXPECT_FALSE(table->Append(&one));
  EXPECT_EQ(table->GetCount(), 2u);
  EXPECT_EQ(table->GetCapacity(), 2u);
}

TEST_F(SpoolTableTest, SetRangeAndRemoveAtStayWithinTheCount) {
  auto table = NewDynTable(DataEnv(), 8, 8);
  for (uint32_t v = 1; v <= 5; ++v) ASSERT_TRUE(table->Append(&v));
  ASSERT_TRUE(table->SetRange(3, 9, 10));
  EXPECT_EQ(Records(*table), (std::vector<uint32_t>{1, 2, 3, 9, 9}));
  EXPECT_FALSE(table->RemoveAt(5));
  EXPECT_FALSE(table->RemoveAt(6));
  ASSERT_TRUE(table->RemoveAt(1, 2));
  EXPECT_EQ(Records(*table), (std::vector<uint32_t>{1, 9, 9}));
  ASSERT_TRUE(table->RemoveAt(1, 50));
  EXPECT_EQ(Records(*table), (std::vector<uint32_t>{1}));
  // What was removed reads as zero when the count grows again.
  ASSERT_TRUE(table->Append(nullptr, 2));
  EXPECT_EQ(Records(*table), (std::vector<uint32_t>{1, 0, 0}));
}

TEST_F(SpoolTableTest, TheStoredHeaderIsFourBigEndianWordsAndIsChecked) {
  auto table = NewDynTable(DataEnv(), 6, 3);
  const uint32_t v = 4;
  ASSERT_TRUE(table->Append(&v, 5));
  uint32_t size = 0;
  ASSERT_TRUE(Table::HandleMessage(table.get(), kSpoolHeaderSize, &size));
  EXPECT_EQ(size, 32u);
  CMemBlock header(32, nullptr);
  ASSERT_TRUE(Table::HandleMessage(table.get(), kSpoolFillHeader, &header));
  CByteReader in(header.GetData(), 32);
  uint32_t words[4];
  for (uint32_t& w : words) ASSERT_TRUE(in.ReadBE32(&w));
  EXPECT_EQ(std::vector<uint32_t>(words, words + 4), (std::vector<uint32_t>{4, 6, 3, 5}));

  struct SCase {
    uint32_t recordSize, capacity, step, count;
    bool accepted;
  } cases[] = {
      {4, 10, 2, 10, true},  {8, 10, 2, 3, false},         {4, 10, 2, 11, false},
      {4, 0, 0, 0, true},    {4, 0x40000000, 1, 0, false},
  };
  for (const SCase& c : cases) {
    auto reader = NewDynTable(DataEnv(), 1, 1);
    StoreBE32(header.GetData(), c.recordSize);
    StoreBE32(header.GetData() + 4, c.capacity);
    StoreBE32(header.GetData() + 8, c.step);
    StoreBE32(header.GetData() + 12, c.count);
    EXPECT_EQ(Table::HandleMessage(reader.get(), kSpoolApplyHeader, &header) & 0xFF, c.accepted ? 1u : 0u)
        << c.recordSize << " " << c.capacity << " " << c.count;
    if (c.accepted) {
      EXPECT_EQ(reader->GetCapacity(), c.capacity);
      EXPECT_EQ(reader->GetStep(), c.step);
      EXPECT_EQ(reader->GetCount(), c.count);
    } else {
      EXPECT_EQ(reader->GetError(), kErrInvalidParameter);
      EXPECT_EQ(reader->GetCapacity(), 1u);
    }
  }
}

TEST_F(SpoolTableTest, SizesBeyond32BitsAreRefused) {
  STableLayout layout;
  layout.SetSized(DataEnv(), 0x10000, 0x10000);
  EXPECT_FALSE(layout.UpdateByteSize());
  EXPECT_EQ(layout.byteSize, 0xFFFFFFFFu);
  CSpoolTable huge(layout, SSpoolTableSpec{});
  EXPECT_FALSE(huge.IsValid());
  EXPECT_FALSE(huge.IsSubscribed());
  EXPECT_EQ(huge.GetError(), kErrInvalidSize);
  EXPECT_EQ(huge.GetDataSize(), 0u);

  auto table = NewTable(DataEnv(), 16);
  EXPECT_FALSE(table->SetSize(0x10000, 0x10000, true, true));
  EXPECT_EQ(table->GetError(), kErrInvalidSize);
  EXPECT_EQ(table->GetRecordCount(), 4u);

  // A typed table takes only its own record size.
  layout.SetSized(DataEnv(), 8, 4);
  CSpoolTableT<uint32_t> typed(layout);
  EXPECT_FALSE(typed.IsValid());
  EXPECT_EQ(typed.GetError(), kErrInvalidParameter);
}

TEST_F(SpoolTableTest, LayoutsAndTheUsableTest) {
  SPtrTableLayout pointers;
  pointers.Set(DataEnv(), 10, 5);
  EXPECT_EQ(pointers.recordSize, sizeof(void*));
  EXPECT_EQ(pointers.byteSize, 10 * sizeof(void*));
  EXPECT_EQ(pointers.range, (SRange{10, 5}));
  STableLayout swapped;
  swapped.SetSwapped(DataEnv(), 12, 3);
  STableLayout counted;
  counted.Set(DataEnv(), 3, 12);
  EXPECT_EQ(swapped.recordSize, 12u);
  EXPECT_EQ(swapped.recordCount, 3u);
  EXPECT_EQ(counted.recordSize, 12u);
  EXPECT_EQ(counted.byteSize, 36u);

  CSpoolTable table(swapped, SSpoolTableSpec{});
  EXPECT_TRUE(table.IsUsable());
  ASSERT_TRUE(table.SetSize(6, 5, true, true));
  EXPECT_EQ(table.GetDataSize(), 30u);
}

TEST(NamedEntry, KeepsAtMost32CharactersAndTheZero) {
  struct SCase {
    const char* name;
    std::string kept;
  } cases[] = {
      {"grass", "grass"},
      {nullptr, ""},
      {"0123456789012345678901234567890123456789", "01234567890123456789012345678901"},
  };
  for (const SCase& c : cases) {
    SNamedEntry entry;
    std::memset(static_cast<void*>(&entry), 0x55, sizeof entry);
    entry.Set(c.name, 0x01020304, 0x0506, 7);
    EXPECT_EQ(std::string(entry.name), c.kept);
    EXPECT_EQ(entry.name[32], 0);
    EXPECT_EQ(entry.flag, 7);
    EXPECT_EQ(entry.number16, 0x0506);
    EXPECT_EQ(entry.number32, 0x01020304u);
  }
  EXPECT_EQ(offsetof(SNamedEntry, flag), 33u);
  EXPECT_EQ(offsetof(SNamedEntry, number32), 36u);
}

TEST(SpoolKey, SetCutsTheTypeNameAndClearsTheName) {
  SSpoolKey key;
  std::memset(static_cast<void*>(&key), 0x55, sizeof key);
  key.Set("ImageIV32ARGBwithmore", 12, true);
  EXPECT_EQ(std::string(key.typeName), "ImageIV32ARGBwi");
  EXPECT_EQ(key.id, 12u);
  EXPECT_EQ(key.name[0], 0);
  EXPECT_EQ(key.byName, 0);
  EXPECT_EQ(key.fallback, 1);
  EXPECT_EQ(offsetof(SSpoolKey, name), 20u);
  EXPECT_EQ(offsetof(SSpoolKey, byName), 52u);
}

TEST(CopyCString, CutsToTheRoom) {
  char field[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(CopyCString(field, "ab", sizeof field), 2u);
  EXPECT_STREQ(field, "ab");
  EXPECT_EQ(CopyCString(field, "abcdef", sizeof field), 3u);
  EXPECT_STREQ(field, "abc");
  EXPECT_EQ(CopyCString(field, "zz", 0), 0u);
  EXPECT_STREQ(field, "abc");
}

}  // namespace
