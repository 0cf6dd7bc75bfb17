#include <gtest/gtest.h>

#include "framework/core/result_codes.h"
#include "framework/core/sg_navigator.h"
#include "spool_fixture.h"

namespace {

using SpoolGridTest = SpoolAppTest;

std::unique_ptr<CSpoolGrid> NewGrid(CSpoolSys* env, uint32_t width, uint32_t height, int32_t h = 0, int32_t v = 0) {
  SGridLayout layout;
  MakeImageGridSpec(layout, env, width, height);
  auto grid = std::make_unique<CSpoolGrid>(layout, SSpoolTableSpec{});
  EXPECT_TRUE(grid->IsValid());
  grid->SetOrigin(h, v);
  return grid;
}

TEST_F(SpoolGridTest, ANewGridAndItsLayout) {
  SGridLayout layout;
  MakeImageGridSpec(layout, DataEnv(), 7, 5);
  EXPECT_EQ(layout.environment, DataEnv());
  EXPECT_EQ(layout.byteSize, 140u);
  EXPECT_EQ(layout.headerBytes, 0u);
  EXPECT_EQ(layout.cellSize, 4u);
  EXPECT_EQ(layout.stride, 0u);
  CSpoolGridT<uint32_t> grid(layout, SSpoolTableSpec{});
  EXPECT_EQ(grid.GetStride(), 28u);
  EXPECT_EQ(grid.GetDataSize(), 140u);
  EXPECT_EQ(grid.GetClip(), (SRect{0, 0, 5, 7}));

  CSpoolGrid::InitDescriptor(layout, DataEnv(), 2, 7, 5, 16);
  EXPECT_EQ(layout.byteSize, 80u);
  ASSERT_TRUE(grid.SetClip(SRect{1, 1, 2, 2}));
  ASSERT_TRUE(grid.Allocate(2, 6, 3, 16, false, true));
  EXPECT_EQ(grid.GetDataSize(), 48u);
  EXPECT_EQ(grid.GetClip(), (SRect{0, 0, 3, 6}));
}

TEST_F(SpoolGridTest, ShapesThatWouldOverrunTheStorageAreRefused) {
  struct SCase {
    uint32_t cellSize, width, height, stride;
  } cases[] = {
      {4, 10, 2, 8},             // stride shorter than a row
      {4, 0x10000, 0x10000, 0},  // data beyond 32 bits
      {1, 0x80000000u, 1, 0},    // a side beyond the clip rectangle's range
  };
  for (const SCase& c : cases) {
    SGridLayout layout;
    CSpoolGrid::InitDescriptor(layout, DataEnv(), c.cellSize, c.width, c.height, c.stride);
    EXPECT_FALSE(layout.UpdateByteSize());
    CSpoolGrid grid(layout, SSpoolTableSpec{});
    EXPECT_FALSE(grid.IsValid());
    EXPECT_EQ(grid.GetError(), kErrInvalidSize);
    EXPECT_EQ(grid.GetDataSize(), 0u);

    auto fine = NewGrid(DataEnv(), 2, 2);
    EXPECT_FALSE(fine->Allocate(c.cellSize, c.width, c.height, c.stride, false, true));
    EXPECT_EQ(fine->GetWidth(), 2u);
  }
}

TEST_F(SpoolGridTest, SetClipCutsToTheGrid) {
  struct SCase {
    SRect asked;
    bool kept;
    SRect clip;
  } cases[] = {
      {{2, 3, 5, 6}, true, {2, 3, 5, 6}},
      {{-4, -1, 5, 20}, true, {0, 0, 5, 10}},
      {{20, 20, 30, 30}, false, {20, 20, 10, 10}},
      {{3, 3, 3, 8}, false, {3, 3, 3, 8}},
  };
  auto grid = NewGrid(DataEnv(), 10, 10);
  for (const SCase& c : cases) {
    EXPECT_EQ(grid->SetClip(c.asked), c.kept);
    EXPECT_EQ(grid->GetClip(), c.clip);
  }
}

TEST_F(SpoolGridTest, CommonAreaInEachGridsCoordinates) {
  auto a = NewGrid(DataEnv(), 10, 10);
  auto b = NewGrid(DataEnv(), 10, 10, 5, 3);
  SRect inA, inB;
  ASSERT_TRUE(a->CommonArea(*b, &inA, &inB));
  EXPECT_EQ(inA, (SRect{3, 5, 10, 10}));
  EXPECT_EQ(inB, (SRect{0, 0, 7, 5}));

  auto c = NewGrid(DataEnv(), 10, 10, -2, 4);
  SRect inC;
  ASSERT_TRUE(a->CommonArea3(*b, *c, &inA, &inB, &inC));
  EXPECT_EQ(inA, (SRect{4, 5, 10, 8}));
  EXPECT_EQ(inC, (SRect{0, 7, 6, 10}));

  // Side by side, and far apart: nothing in common.
  auto beside = NewGrid(DataEnv(), 10, 10, 10, 0);
  EXPECT_FALSE(a->CommonArea(*beside, &inA, &inB));
  EXPECT_EQ(inA, SRect{});
  auto far = NewGrid(DataEnv(), 10, 10, INT32_MAX, INT32_MIN);
  EXPECT_FALSE(a->CommonArea(*far, &inA, &inB));
  EXPECT_EQ(IntersectRect(SRect{0, 0, 4, 4}, SRect{2, -1, 9, 3}), (SRect{2, 0, 4, 3}));
}

TEST_F(SpoolGridTest, ANavigatorWalksTheClipAndHoldsTheGridLocked) {
  auto grid = NewGrid(DataEnv(), 6, 4);
  ASSERT_TRUE(grid->SetClip(SRect{1, 2, 3, 5}));
  {
    CSgNavigatorT<uint32_t> nav(grid.get(), nullptr, true, false);
    ASSERT_TRUE(nav.IsUsable());
    EXPECT_EQ(grid->GetLockCount(), 1u);
    EXPECT_EQ(nav.GetRows(), 2u);
    EXPECT_EQ(nav.GetColumns(), 3u);
    for (uint32_t r = 0; r < nav.GetRows(); ++r) {
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) nav.Cells(r)[x] = 10 * r + x + 1;
    }
    EXPECT_FALSE(grid->PageOut());
  }
  EXPECT_EQ(grid->GetLockCount(), 0u);
  EXPECT_TRUE(grid->IsModified());
  ASSERT_TRUE(grid->PageOut());

  const SRect whole = grid->GetBounds();
  CSgNavigatorT<uint32_t> nav(grid.get(), &whole, false, false);
  ASSERT_TRUE(nav.IsUsable());
  const uint32_t expected[4][6] = {{0}, {0, 0, 1, 2, 3, 0}, {0, 0, 11, 12, 13, 0}, {0}};
  for (uint32_t r = 0; r < 4; ++r) {
    for (uint32_t x = 0; x < 6; ++x) EXPECT_EQ(nav.Cells(r)[x], expected[r][x]) << r << "," << x;
  }
}

TEST_F(SpoolGridTest, ANavigatorWhoseLockFailsIsNotUsable) {
  auto filler = NewTable(DataEnv(), 200 * 1024);
  CHolder held(filler.get(), false, false);
  ASSERT_TRUE(held.IsLocked());
  auto grid = NewGrid(DataEnv(), 128, 128);  // 64 KiB that the pool cannot give
  CSgNavigator nav(grid.get(), nullptr, true, false);
  EXPECT_FALSE(nav.IsUsable());
  EXPECT_FALSE(nav.IsAttached());
  EXPECT_EQ(grid->GetError(), kErrOutOfMemory);
  EXPECT_EQ(grid->GetLockCount(), 0u);
}

TEST_F(SpoolGridTest, TheSaverPutsOriginAndClipBack) {
  auto grid = NewGrid(DataEnv(), 10, 10, 4, 5);
  ASSERT_TRUE(grid->SetClip(SRect{1, 1, 6, 6}));
  {
    CSgStSaver saver(grid.get());
    grid->SetOrigin(-3, 9);
    grid->SetClip(SRect{0, 0, 2, 2});
  }
  EXPECT_EQ(grid->GetOriginH(), 4);
  EXPECT_EQ(grid->GetOriginV(), 5);
  EXPECT_EQ(grid->GetClip(), (SRect{1, 1, 6, 6}));

  // A new origin, and with reset the whole grid as the clip, for the saver's life.
  {
    CSgStSaver saver(grid.get(), 20, 30, true);
    EXPECT_EQ(grid->GetOriginH(), 20);
    EXPECT_EQ(grid->GetOriginV(), 30);
    EXPECT_EQ(grid->GetClip(), (SRect{0, 0, 10, 10}));
  }
  EXPECT_EQ(grid->GetOriginH(), 4);
  EXPECT_EQ(grid->GetClip(), (SRect{1, 1, 6, 6}));
  CSgStSaver none(nullptr, 1, 2, true);
}

TEST_F(SpoolGridTest, TheClipSaverTakesAPlacedRectangleCutToTheGrid) {
  auto grid = NewGrid(DataEnv(), 10, 10, 4, 5);
  ASSERT_TRUE(grid->SetClip(SRect{1, 1, 6, 6}));
  struct SCase {
    SRect placed;
    SRect clip;
  } cases[] = {
      {{7, 6, 9, 8}, {2, 2, 4, 4}},        // less the origin (4, 5)
      {{0, 0, 100, 100}, {0, 0, 10, 10}},  // cut to the grid
      {{9, 9, 9, 20}, {1, 1, 6, 6}},       // empty: the clip stays
      {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {0, 0, 10, 10}},
  };
  for (const SCase& c : cases) {
    {
      CSgAcSaver saver(grid.get(), c.placed);
      EXPECT_EQ(grid->GetClip(), c.clip);
    }
    EXPECT_EQ(grid->GetClip(), (SRect{1, 1, 6, 6}));
  }
  grid->ClipToBounds();
  EXPECT_EQ(grid->GetClip(), (SRect{0, 0, 10, 10}));
  CSgAcSaver none(nullptr, SRect{0, 0, 1, 1});
}

}  // namespace
