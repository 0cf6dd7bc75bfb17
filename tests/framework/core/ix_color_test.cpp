#include "framework/core/ix_color.h"

#include <gtest/gtest.h>

#include "framework/core/ix_loader.h"
#include "framework/core/table_iter.h"
#include "resource_fixture.h"

namespace {

using IxColorTest = ResourceTest;

TEST_F(IxColorTest, ColoursByIndexAndSet) {
  auto env = Open("doc.res");
  Store(*env, Key("ixco", 1, "plain_"), Compiled("ixco", "0 0x11223344\n1 0xFF\n"));
  Store(*env, Key("ixco", 2), Compiled("ixco", "sets 1\n0 1\n1 2\n2 3\n3 4\n"));
  Store(*env, Key("ixco", 3), Compiled("ixco", ""));
  struct SCase {
    uint32_t number;
    uint32_t index;
    int32_t result;
    uint32_t colour;
  } cases[] = {
      {1, 0, kNoErr, 0x11223344}, {1, 1, kNoErr, 0xFF},     {1, 2, kErrObjectNotFound, 0},
      {2, 1, kNoErr, 4},          {2, 2, kErrObjectNotFound, 0}, {3, 0, kErrObjectNotFound, 0},
      {3, CIxColor::kNone, kNoErr, 0},
  };
  for (const SCase& c : cases) {
    CIxColor list(env.get(), c.number, c.index);
    uint32_t colour = 7;
    EXPECT_EQ(list.GetColor(&colour), c.result) << c.number << " " << c.index;
    EXPECT_EQ(colour, c.colour) << c.number << " " << c.index;
  }
  CIxColor byName(env.get(), "plain_", 1);
  uint32_t colour = 0;
  EXPECT_EQ(byName.GetColor(&colour), kNoErr);
  EXPECT_EQ(colour, 0xFFu);
}

TEST_F(IxColorTest, MalformedListsAreRefused) {
  auto env = Open("doc.res");
  std::vector<uint8_t> odd = Compiled("ixco", "0 1\n");
  odd.push_back(0);
  std::vector<uint8_t> threeSets = Compiled("ixco", "0 1\n1 2\n");
  threeSets[23] = 2;
  Store(*env, Key("ixco", 1), odd);
  Store(*env, Key("ixco", 2), threeSets);
  Store(*env, Key("ixtx", 3), Compiled("ixtx", "0 \"a\"\n"));
  EXPECT_EQ(CIxColor(env.get(), 1, 0).GetResult(), kErrInvalidFormat);
  EXPECT_EQ(CIxColor(env.get(), 2, 0).GetResult(), kErrTooFewEntries);
  EXPECT_EQ(CIxColor(env.get(), 3, 0).GetResult(), kErrObjectNotFound);
  EXPECT_EQ(CIxColor(nullptr, 1, 0).GetResult(), kErrInvalidParameter);
  CSubscriber* object = nullptr;
  SIndexedRef swap{DataEnv(), Key("ixco", 1), true};
  EXPECT_EQ(LoadIndexedResource(&object, swap, IndexedSpec(&CIxColor::HandleRecord)), kErrUnexpectedType);
  EXPECT_EQ(object, nullptr);
}

TEST_F(IxColorTest, TwoListsShareOneResourceObject) {
  auto env = Open("doc.res");
  Store(*env, Key("ixco", 1), Compiled("ixco", "0 5\n"));
  {
    CIxColor first(env.get(), 1, 0);
    CIxColor second(env.get(), 1, 0);
    EXPECT_EQ(first.GetResource(), second.GetResource());
    EXPECT_EQ(SharedUseCount(first.GetResource()), 2u);
  }
  EXPECT_EQ(env->GetSharedTable()->GetCount(), 0u);
}

TEST(TableIter, StepsToTheLastRecordAndStops) {
  struct STable {
    uint32_t count;
    uint32_t GetCount() const { return count; }
  };
  uint32_t index = 7;
  CIndex::Clear(index);
  EXPECT_EQ(index, 0u);
  EXPECT_FALSE(CTableIter::Next(STable{0}, index));
  EXPECT_FALSE(CTableIter::Next(STable{1}, index));
  EXPECT_TRUE(CTableIter::Next(STable{3}, index));
  EXPECT_TRUE(CTableIter::Next(STable{3}, index));
  EXPECT_FALSE(CTableIter::Next(STable{3}, index));
  EXPECT_EQ(index, 2u);
}

}  // namespace
