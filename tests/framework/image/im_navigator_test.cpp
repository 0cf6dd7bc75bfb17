#include <gtest/gtest.h>

#include <memory>

#include "framework/image/image.h"
#include "framework/image/image8.h"
#include "image_fixture.h"
#include "tests/framework/core/resource_fixture.h"

namespace {

class ImNavigatorTest : public ResourceTest {};

TEST_F(ImNavigatorTest, TwoNavigatorsLockTheImageTwiceAndItStaysLockedUntilBothEnd) {
  auto image = SolidImage(4, 4, 7);
  auto first = std::make_unique<CImNavigator>(image.get(), nullptr, true, false);
  {
    CImNavigator second(image.get(), nullptr, false, false);
    ASSERT_TRUE(first->IsUsable() && second.IsUsable());
    EXPECT_EQ(image->GetLockCount(), 2u);
    EXPECT_EQ(image->GetUseCount(), 2u);
  }
  EXPECT_EQ(image->GetLockCount(), 1u);
  EXPECT_FALSE(image->PageOut());
  first.reset();
  EXPECT_EQ(image->GetLockCount(), 0u);
  EXPECT_EQ(image->GetUseCount(), 0u);
  EXPECT_TRUE(image->PageOut());
}

TEST_F(ImNavigatorTest, OnAWriteProtectedImageTheChangedFlagLeavesItClean) {
  {
    auto env = Open("pictures.res");
    ASSERT_EQ(StoreImage(*env, Key(kImageType, 1), 3, 3, [](uint32_t x, uint32_t) { return x; }), kNoErr);
  }
  auto env = Open("pictures.res", CFile::kModeRead);
  ASSERT_TRUE(env->IsOpen());
  SGridLayout grid;
  MakeImageGridSpec(grid, env.get(), 0, 0);
  CImage image(grid);
  SSpoolTableSpec spec;
  const SSpoolKey key = Key(kImageType, 1);
  spec.SetDefaults(true, &key, &ImageRecordTypeHandler);
  ASSERT_TRUE(image.Subscribe(spec));
  {
    CImNavigator nav(&image, nullptr, true, true);
    ASSERT_TRUE(nav.IsUsable());
    nav.Cells(0)[0].value = 99;
  }
  EXPECT_TRUE(image.IsReadOnly());
  EXPECT_FALSE(image.IsModified());
  EXPECT_TRUE(image.Unsubscribe());
}

TEST_F(ImNavigatorTest, AnEmptyAreaHasNoColumnsOrNoRows) {
  auto image = SolidImage(4, 4, 7);
  const SRect flat{2, 0, 2, 4};
  const SRect thin{0, 3, 4, 3};
  CImNavigator noRows(image.get(), &flat, true, false);
  CImNavigator noColumns(image.get(), &thin, true, false);
  EXPECT_TRUE(noRows.IsUsable() && noColumns.IsUsable());
  EXPECT_EQ(noRows.GetRows(), 0u);
  EXPECT_EQ(noColumns.GetColumns(), 0u);
}

TEST_F(ImNavigatorTest, An8BitNavigatorWalksTheImagesOwnAreaUnlessGivenOne) {
  SImage8Layout layout;
  MakeImage8GridSpec(layout, DataEnv(), 6, 5);
  EXPECT_EQ(layout.cellSize, 1u);
  EXPECT_EQ(layout.byteSize, 30u);
  CImage8 image(layout, SSpoolTableSpec{});
  ASSERT_TRUE(image.IsValid());
  EXPECT_EQ(image.GetArea(), (SRect{0, 0, 5, 6}));
  image.SetArea(SRect{1, 2, 4, 5});
  ASSERT_TRUE(image.SetClip(SRect{0, 0, 1, 1}));
  {
    CIm8Navigator nav(&image, nullptr, true, false);
    ASSERT_TRUE(nav.IsUsable());
    EXPECT_EQ(nav.GetRows(), 3u);
    EXPECT_EQ(nav.GetColumns(), 3u);
    nav.Cells(0)[0].value = 200;
  }
  const SRect whole = image.GetBounds();
  CIm8Navigator all(&image, &whole, false, false);
  EXPECT_EQ(all.Cells(1)[2].value, 200);
}

}  // namespace
