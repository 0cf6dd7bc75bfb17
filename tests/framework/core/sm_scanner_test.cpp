#include "framework/core/sm_scanner.h"

#include <gtest/gtest.h>

#include "framework/core/result_codes.h"
#include "framework/core/st_scanner.h"
#include "spool_fixture.h"

namespace {

struct SPair {
  uint32_t a;
  uint32_t b;
};

class ScannerTest : public SpoolAppTest {
 protected:
  std::unique_ptr<CSpoolTable> NewPairs(uint32_t count) {
    STableLayout layout;
    layout.SetSized(DataEnv(), sizeof(SPair), count);
    auto table = std::make_unique<CSpoolTable>(layout, SSpoolTableSpec{});
    EXPECT_TRUE(table->IsValid());
    return table;
  }
};

TEST_F(ScannerTest, WithoutARangeEveryRecordIsCoveredAndTheTableStaysLocked) {
  auto table = NewPairs(10);
  {
    CStScannerT<SPair> scanner(table.get(), nullptr, true, false);
    ASSERT_TRUE(scanner.IsUsable());
    EXPECT_EQ(scanner.GetCount(), 10u);  // 80 bytes / 8
    EXPECT_EQ(table->GetLockCount(), 1u);
    CSmScanner second(table.get(), 4, nullptr, false, false);
    EXPECT_EQ(second.GetCount(), 20u);
    EXPECT_EQ(table->GetLockCount(), 2u);
    uint32_t i = 0;
    do {
      scanner.Record()->a = i++;
    } while (scanner.Next());
    EXPECT_EQ(i, 10u);
  }
  EXPECT_EQ(table->GetLockCount(), 0u);
  EXPECT_TRUE(table->IsModified());
  const SRange range{3, 6};
  CStScannerT<SPair> part(table.get(), &range, false, false);
  ASSERT_TRUE(part.IsUsable());
  EXPECT_EQ(part.GetCount(), 3u);
  EXPECT_EQ(part.Record()->a, 3u);
}

TEST_F(ScannerTest, AScannerWhoseLockFailsIsNotUsable) {
  auto filler = NewTable(DataEnv(), 200 * 1024);
  CHolder held(filler.get(), false, false);
  ASSERT_TRUE(held.IsLocked());
  auto table = NewPairs(64 * 1024 / sizeof(SPair));
  CStScanner scanner(table.get(), nullptr, true, false);
  EXPECT_FALSE(scanner.IsUsable());
  EXPECT_EQ(table->GetError(), kErrOutOfMemory);
  EXPECT_EQ(table->GetLockCount(), 0u);
}

}  // namespace
