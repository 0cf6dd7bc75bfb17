#include "framework/core/mem_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/core/navigator.h"
#include "framework/core/rect.h"
#include "framework/core/scanner.h"
#include "pools_fixture.h"
#include "temp_dir_fixture.h"

namespace {

using MemBlockTest = PoolsTest;

void FillPattern(CMemBlock& block) {
  for (uint32_t i = 0; i < block.GetAllocated(); ++i) block.GetStorage()[i] = uint8_t(i + 1);
}

TEST_F(MemBlockTest, NewBlockIsZeroedAndOwned) {
  CMemBlock block(32, nullptr, 8);
  ASSERT_TRUE(block.IsOwned());
  EXPECT_EQ(block.GetPool(), GetDefaultPool());
  EXPECT_EQ(block.GetAllocated(), 40u);
  EXPECT_EQ(block.GetHeaderBytes(), 8u);
  EXPECT_EQ(block.GetData(), block.GetStorage() + 8);
  for (uint32_t i = 0; i < 40; ++i) EXPECT_EQ(block.GetStorage()[i], 0);
}

TEST_F(MemBlockTest, DeferredOrFailedBlockStaysEmpty) {
  CMemBlock deferred(32, nullptr, 0, true);
  EXPECT_FALSE(deferred.IsOwned());
  CMemPool tiny(16);
  CMemBlock tooBig(64, &tiny);
  EXPECT_FALSE(tooBig.IsOwned());
  CMemBlock wraps(0xFFFFFFF0u, nullptr, 0x20);
  EXPECT_FALSE(wraps.IsOwned());
}

TEST_F(MemBlockTest, ResizeToTheSameSize) {
  CMemBlock block(16, nullptr, 4);
  FillPattern(block);
  uint8_t* storage = block.GetStorage();
  ASSERT_TRUE(block.Resize(16, true));
  EXPECT_EQ(block.GetStorage(), storage);
  EXPECT_EQ(block.GetData()[15], 20);
  ASSERT_TRUE(block.Resize(16, false));
  EXPECT_EQ(block.GetStorage(), storage);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(block.GetData()[i], 0) << i;
  EXPECT_EQ(block.GetStorage()[3], 4);  // header untouched
}

TEST_F(MemBlockTest, GrowAndShrinkKeepHeaderAndData) {
  struct Case {
    uint32_t newSize;
    bool keep;
  } cases[] = {{64, true}, {64, false}, {5, true}, {5, false}};
  for (const Case& c : cases) {
    CMemBlock block(16, nullptr, 4);
    FillPattern(block);
    ASSERT_TRUE(block.Resize(c.newSize, c.keep));
    EXPECT_EQ(block.GetSize(), c.newSize);
    EXPECT_EQ(block.GetAllocated(), c.newSize + 4);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(block.GetStorage()[i], i + 1) << "header " << i;
    for (uint32_t i = 0; i < c.newSize; ++i) {
      const uint8_t expected = (c.keep && i < 16) ? uint8_t(i + 5) : 0;
      EXPECT_EQ(block.GetData()[i], expected) << c.newSize << (c.keep ? " keep " : " clear ") << i;
    }
  }
}

TEST_F(MemBlockTest, ResizeTheBudgetCannotHoldLeavesTheBlockIntact) {
  CMemPool pool(200);
  CMemBlock block(100, &pool);
  ASSERT_TRUE(block.IsOwned());
  FillPattern(block);
  EXPECT_FALSE(block.Resize(250, true));
  EXPECT_EQ(block.GetSize(), 100u);
  EXPECT_EQ(block.GetAllocated(), 100u);
  for (uint32_t i = 0; i < 100; ++i) ASSERT_EQ(block.GetData()[i], uint8_t(i + 1));
}

TEST_F(MemBlockTest, CopiesAssignAndSwap) {
  CMemBlock a(8, nullptr, 2);
  FillPattern(a);
  CMemBlock copy(a);
  ASSERT_TRUE(copy.IsOwned());
  EXPECT_NE(copy.GetStorage(), a.GetStorage());
  EXPECT_EQ(std::memcmp(copy.GetStorage(), a.GetStorage(), 10), 0);

  CMemBlock b(4, nullptr);
  ASSERT_TRUE(b.Assign(a));
  EXPECT_EQ(b.GetSize(), 8u);
  EXPECT_EQ(b.GetHeaderBytes(), 2u);
  EXPECT_EQ(std::memcmp(b.GetStorage(), a.GetStorage(), 10), 0);

  CMemBlock small(3, nullptr);
  EXPECT_EQ(small.CopyContents(a), 3u);
  EXPECT_EQ(small.GetData()[2], 5);

  uint8_t* aStorage = a.GetStorage();
  uint8_t* smallStorage = small.GetStorage();
  a.RaiseUseCount();
  EXPECT_TRUE(a.SwapContents(small));
  EXPECT_EQ(a.GetStorage(), smallStorage);
  EXPECT_EQ(small.GetStorage(), aStorage);
  EXPECT_EQ(a.GetSize(), 3u);
  EXPECT_EQ(a.GetUseCount(), 1u);  // use counts stay with the block
  a.LowerUseCount();
}

TEST_F(MemBlockTest, ReleaseReturnsTheStorage) {
  CMemPool pool(1 << 16);
  {
    CMemBlock block(1000, &pool);
    EXPECT_GT(pool.GetUsed(), 0u);
    block.Release();
    EXPECT_FALSE(block.IsOwned());
    EXPECT_EQ(pool.GetUsed(), 0u);
    ASSERT_TRUE(block.Init(10, &pool));
  }
  EXPECT_EQ(pool.GetUsed(), 0u);
}

TEST_F(MemBlockTest, SetStringCopiesWithTerminator) {
  CMemBlock block(8, nullptr);
  block.SetString("abc");
  EXPECT_STREQ(reinterpret_cast<char*>(block.GetData()), "abc");
  block.SetString(nullptr);
  EXPECT_STREQ(reinterpret_cast<char*>(block.GetData()), "");
  block.SetString("much too long");
  EXPECT_STREQ(reinterpret_cast<char*>(block.GetData()), "much to");
}

TEST_F(MemBlockTest, ScannerCoversARangeAndHoldsTheBlock) {
  CMemBlock block(40, nullptr);
  {
    const SRange range{2, 7};
    CScanner scanner(&block, 4, &range);
    EXPECT_TRUE(scanner.IsAttached());
    EXPECT_EQ(block.GetUseCount(), 1u);
    EXPECT_EQ(scanner.GetCursor(), block.GetData() + 8);
    EXPECT_EQ(scanner.GetCount(), 5u);
    int steps = 0;
    while (scanner.Next()) ++steps;
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(scanner.GetCursor(), block.GetData() + 24);
    CScanner all(&block, 4);
    EXPECT_EQ(all.GetCount(), 10u);
    EXPECT_EQ(block.GetUseCount(), 2u);
  }
  EXPECT_EQ(block.GetUseCount(), 0u);
  CScanner detached(nullptr, 4);
  EXPECT_FALSE(detached.IsAttached());
}

TEST_F(MemBlockTest, NavigatorStartsAtTheAreasFirstCell) {
  CMemBlock block(10 * 6 * 4, nullptr);  // 10 cells wide, 6 rows, 4-byte cells
  {
    const SRect area{2, 3, 5, 9};  // rows 2..4, columns 3..8
    CNavigator nav(&block, 4, 10, &area);
    EXPECT_EQ(block.GetUseCount(), 1u);
    EXPECT_EQ(nav.GetStride(), 40u);
    EXPECT_EQ(nav.GetCursor(), block.GetData() + 3 * 4 + 2 * 40);
    EXPECT_EQ(nav.GetColumns(), 6u);
    EXPECT_EQ(nav.GetRows(), 3u);
    EXPECT_EQ(nav.Row(1), nav.GetCursor() + 40);

    CNavigator whole(&block, 4, 8, nullptr, 48);  // padded rows
    EXPECT_EQ(whole.GetRows(), 5u);
    EXPECT_EQ(whole.GetColumns(), 8u);

    const SRect outside{4, 8, 60, 99};  // clipped to the grid
    CNavigator clipped(&block, 4, 10, &outside);
    EXPECT_EQ(clipped.GetRows(), 2u);
    EXPECT_EQ(clipped.GetColumns(), 2u);
  }
  EXPECT_EQ(block.GetUseCount(), 0u);
}

// The pool holds the new storage alone but not the old and the new at once: the old contents are
// parked in a temporary file while the old storage is given back.
class MemBlockSpillTest : public TempDirTest {
 protected:
  static constexpr uint32_t kHeader = 16;
  CMemPool pool_{6000};
};

TEST_F(MemBlockSpillTest, ResizeThroughATemporaryFile) {
  struct Case {
    uint32_t newSize;
    bool keep;
  } cases[] = {{5000, true}, {5000, false}, {3500, true}};
  for (const Case& c : cases) {
    CMemBlock block(3000, &pool_, kHeader);
    ASSERT_TRUE(block.IsOwned());
    FillPattern(block);
    ASSERT_TRUE(block.Resize(c.newSize, c.keep)) << c.newSize;
    EXPECT_EQ(block.GetSize(), c.newSize);
    EXPECT_EQ(block.GetHeaderBytes(), kHeader);
    for (uint32_t i = 0; i < kHeader; ++i) ASSERT_EQ(block.GetStorage()[i], uint8_t(i + 1)) << "header " << i;
    for (uint32_t i = 0; i < c.newSize; ++i) {
      const uint8_t expected = (c.keep && i < 3000) ? uint8_t(i + kHeader + 1) : 0;
      ASSERT_EQ(block.GetData()[i], expected) << c.newSize << (c.keep ? " keep " : " clear ") << i;
    }
    EXPECT_EQ(TempFileCount(), 0u);
  }
}

TEST_F(MemBlockSpillTest, TooLargeEvenAloneKeepsTheOldContents) {
  CMemBlock block(3000, &pool_, kHeader);
  FillPattern(block);
  EXPECT_FALSE(block.Resize(7000, true));
  EXPECT_EQ(block.GetSize(), 3000u);
  for (uint32_t i = 0; i < block.GetAllocated(); ++i) ASSERT_EQ(block.GetStorage()[i], uint8_t(i + 1)) << i;
  EXPECT_EQ(TempFileCount(), 0u);
}

TEST_F(MemBlockSpillTest, NoTemporaryFileNoResize) {
  platform::SetTestDeniedFolder(tmp_);
  CMemBlock block(3000, &pool_, kHeader);
  FillPattern(block);
  uint8_t* storage = block.GetStorage();
  EXPECT_FALSE(block.Resize(5000, true));
  EXPECT_EQ(block.GetStorage(), storage);
  EXPECT_EQ(block.GetData()[2999], uint8_t(3000 + kHeader));
}

void* gEaten = nullptr;  // reachable, so the exiting child reports no leak

// Something takes the freed storage before the block can have it back: the program cannot go on.
TEST_F(MemBlockSpillTest, LosingTheOldStorageIsFatal) {
  static int calls = 0;
  calls = 0;
  pool_.SetRecovery(
      [](uint32_t*, uint32_t, void* context) -> uint32_t {
        if (++calls == 2) gEaten = static_cast<CMemPool*>(context)->Alloc(4000);
        return 0;
      },
      &pool_);
  CMemBlock block(3000, &pool_, kHeader);
  EXPECT_EXIT(block.Resize(7000, true), ::testing::ExitedWithCode(1),
              "Cache block reallocation failure. Very rare, but fatal.");
}

}  // namespace
