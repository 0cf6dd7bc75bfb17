#include "framework/image/image8.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/image/image_display.h"
#include "image_fixture.h"
#include "platform/alloc.h"

namespace {

constexpr uint32_t kBackground = kSurfaceBackground;

class Image8Test : public ImageSurfaceTest {
 protected:
  template <typename F>
  std::unique_ptr<CImage8> Make(uint32_t width, uint32_t height, F index) {
    return MakeImage8(DataEnv(), width, height, index);
  }
  // The surface's pixels of the rectangle, row by row.
  std::vector<uint32_t> Shown(int32_t left, int32_t top, int32_t columns, int32_t rows) const {
    std::vector<uint32_t> pixels;
    for (int32_t y = top; y < top + rows; ++y)
      for (int32_t x = left; x < left + columns; ++x) pixels.push_back(surface.Pixel(x, y));
    return pixels;
  }
};

TEST_F(Image8Test, TheTableConvertsAtOnceAndTheDrawnColoursFollowOnlyWhenSynchronised) {
  auto image = Make(2, 2, [](uint32_t, uint32_t) { return 200; });
  auto wide = SolidImage(2, 2, 0x12345678);
  ASSERT_TRUE(image->ToImage32(wide.get()));
  EXPECT_EQ(Pixels(*wide), std::vector<uint32_t>(4, 0x00C8C8C8));
  ASSERT_TRUE(image->DrawTo(dc));
  EXPECT_EQ(Shown(0, 0, 2, 2), std::vector<uint32_t>(4, 0xC8C8C8));

  image->SetColor(200, 0x00FF0000, false);
  ASSERT_TRUE(image->ToImage32(wide.get()));
  EXPECT_EQ(Pixels(*wide), std::vector<uint32_t>(4, 0x00FF0000));
  ASSERT_TRUE(image->DrawTo(dc));
  EXPECT_EQ(Shown(0, 0, 2, 2), std::vector<uint32_t>(4, 0xC8C8C8));
  ASSERT_TRUE(image->SyncPalette());
  ASSERT_TRUE(image->DrawTo(dc));
  EXPECT_EQ(Shown(0, 0, 2, 2), std::vector<uint32_t>(4, 0xFF0000));

  // With refresh the colours follow at once; the table keeps all 32 bits for the conversion.
  image->SetColor(200, 0x7F00FF00, true);
  ASSERT_TRUE(image->DrawTo(dc));
  EXPECT_EQ(surface.Pixel(1, 1), 0x00FF00u);
  ASSERT_TRUE(image->ToImage32(wide.get()));
  EXPECT_EQ(PixelAt(*wide, 1, 1), 0x7F00FF00u);
  EXPECT_EQ(image->GetLockCount(), 0u);
}

TEST_F(Image8Test, ADrawShowsOnlyTheSourcePartInsideTheGridAtItsPlace) {
  // Grids of 4 and of 5 columns: rows of 4 bytes go to the platform in one block, others a row at a
  // time. Index (x, y) is 16·y + x + 1.
  for (uint32_t width : {4u, 5u}) {
    surface.Fill(0, 0, surface.Width(), surface.Height(), kBackground);
    auto image = Make(width, 3, [](uint32_t x, uint32_t y) { return 16 * y + x + 1; });
    // The source reaches one column left and one row above the grid: (0, 0) lands at (11, 21).
    ASSERT_TRUE(image->Draw(dc, SRect{-1, -1, 2, 3}, SRect{20, 10, 23, 14}));
    EXPECT_EQ(Shown(11, 21, 3, 2), (std::vector<uint32_t>{0x010101, 0x020202, 0x030303, 0x111111, 0x121212, 0x131313}))
        << width;
    EXPECT_EQ(Painted(), 6u) << width;
    // The area at the origin.
    surface.Fill(0, 0, surface.Width(), surface.Height(), kBackground);
    image->SetArea(SRect{1, 1, 3, 3});
    image->SetAreaOrigin(30, 5);
    ASSERT_TRUE(image->DrawTo(dc));
    EXPECT_EQ(Shown(31, 6, 2, 2), (std::vector<uint32_t>{0x121212, 0x131313, 0x222222, 0x232323})) << width;
    EXPECT_EQ(Painted(), 4u) << width;
    // Nothing of the source inside the grid: nothing drawn.
    ASSERT_TRUE(image->Draw(dc, SRect{3, 0, 5, 2}, SRect{0, 0, 2, 2}));
    EXPECT_EQ(Painted(), 4u) << width;
  }
}

TEST_F(Image8Test, ToImage32WorksOnTheOverlapOfTheAreaAtItsOriginAndTheClipAtItsOrigin) {
  auto image = Make(3, 2, [](uint32_t x, uint32_t y) { return 10 * y + x + 1; });
  image->SetAreaOrigin(2, 1);
  auto wide = SolidImage(5, 4, 0xEEEEEEEE);
  ASSERT_TRUE(image->ToImage32(wide.get()));
  EXPECT_EQ(PixelAt(*wide, 2, 1), 0x010101u);
  EXPECT_EQ(PixelAt(*wide, 4, 2), 0x0D0D0Du);
  EXPECT_EQ(PixelAt(*wide, 1, 1), 0xEEEEEEEEu);
  EXPECT_EQ(PixelAt(*wide, 2, 3), 0xEEEEEEEEu);
  // The 32-bit image placed at (3, 2) with a clip of its first column: only 8-bit pixel (1, 1).
  auto small = SolidImage(2, 2, 0xEEEEEEEE);
  small->SetOrigin(3, 2);
  ASSERT_TRUE(small->SetClip(SRect{0, 0, 2, 1}));
  ASSERT_TRUE(image->ToImage32(small.get()));
  EXPECT_EQ(Pixels(*small), (std::vector<uint32_t>{0x0C0C0C, 0xEEEEEEEE, 0xEEEEEEEE, 0xEEEEEEEE}));
  // An area beyond the grid converts only the grid's pixels.
  image->SetArea(SRect{0, 0, 9, 9});
  image->SetAreaOrigin(0, 0);
  auto big = SolidImage(6, 6, 0xEEEEEEEE);
  ASSERT_TRUE(image->ToImage32(big.get()));
  EXPECT_EQ(PixelAt(*big, 2, 1), 0x0D0D0Du);
  EXPECT_EQ(PixelAt(*big, 3, 0), 0xEEEEEEEEu);
  EXPECT_EQ(PixelAt(*big, 0, 2), 0xEEEEEEEEu);
}

TEST_F(Image8Test, WithoutBitmapInformationItConvertsButCannotDraw) {
  platform::FailNextAllocations(1);
  SImage8Layout layout;
  MakeImage8GridSpec(layout, DataEnv(), 2, 2);
  CImage8 image(layout);
  platform::FailNextAllocations(0);
  EXPECT_FALSE(image.HasBitmapInfo());
  EXPECT_FALSE(image.SyncPalette());
  image.SetColor(3, 0x123456, true);
  EXPECT_FALSE(image.DrawTo(dc));
  EXPECT_EQ(Painted(), 0u);
  auto wide = SolidImage(2, 2, 1);
  ASSERT_TRUE(image.ToImage32(wide.get()));
  EXPECT_EQ(Pixels(*wide), std::vector<uint32_t>(4, 0));
}

class Image8ScaleTest : public Image8Test {
 protected:
  // A source of sw × sh indices index(x, y) scaled into a new image of dw × dh filled with 0xEE.
  std::vector<uint8_t> Scaled(uint32_t sw, uint32_t sh, const std::function<uint32_t(uint32_t, uint32_t)>& index,
                              uint32_t dw, uint32_t dh, int32_t mode, bool* done = nullptr) {
    auto source = Make(sw, sh, index);
    auto out = Make(dw, dh, [](uint32_t, uint32_t) { return 0xEE; });
    const bool scaled = out->ScaleFrom(source.get(), mode);
    if (done) *done = scaled;
    else EXPECT_TRUE(scaled);
    return Indices(*out);
  }
};

TEST_F(Image8ScaleTest, NearestTakesAndRepeatsPixelsAsThe32BitFilter) {
  EXPECT_EQ(Scaled(3, 1, [](uint32_t x, uint32_t) { return x + 1; }, 7, 1, 0),
            (std::vector<uint8_t>{1, 1, 2, 2, 3, 3, 3}));
  const std::vector<uint8_t> half = Scaled(256, 256, [](uint32_t x, uint32_t y) { return (x ^ (y << 1)) & 0xFF; }, 128,
                                           128, 0);
  for (uint32_t y = 0; y < 128; ++y)
    for (uint32_t x = 0; x < 128; ++x) ASSERT_EQ(half[y * 128 + x], ((2 * x) ^ (4 * y)) & 0xFF) << x << "," << y;
}

TEST_F(Image8ScaleTest, BoxAveragesStayWithinAByteAndOtherModesAreRefused) {
  // (16384 × 101) >> 16 = 25.
  EXPECT_EQ(Scaled(2, 2, [](uint32_t x, uint32_t y) { return y ? (x ? 41 : 30) : (x ? 20 : 10); }, 1, 1, 1),
            (std::vector<uint8_t>{25}));
  auto white = [](uint32_t, uint32_t) { return 255; };
  EXPECT_EQ(Scaled(200, 200, white, 100, 100, 1), std::vector<uint8_t>(100 * 100, 255));
  // Blocks of 32 × 32: the reciprocal 65535 / 1024 + 1 alone would make 258 of them.
  EXPECT_EQ(Scaled(256, 256, white, 8, 8, 1), std::vector<uint8_t>(8 * 8, 255));
  // Less than 2 each way: bilinear, ⌊a + (b − a)·w / 256⌋ at the 16.16 steps.
  EXPECT_EQ(Scaled(2, 1, [](uint32_t x, uint32_t) { return x ? 200 : 100; }, 3, 1, 1),
            (std::vector<uint8_t>{100, 149, 199}));
  bool done = true;
  EXPECT_EQ(Scaled(4, 4, white, 2, 2, 2, &done), std::vector<uint8_t>(4, 0xEE));
  EXPECT_FALSE(done);
}

TEST_F(Image8ScaleTest, ItResamplesTheAreasNotTheGrids) {
  auto source = Make(6, 4, [](uint32_t x, uint32_t y) { return 10 * y + x; });
  source->SetArea(SRect{1, 2, 3, 4});
  auto out = Make(6, 6, [](uint32_t, uint32_t) { return 0; });
  out->SetArea(SRect{2, 1, 6, 5});
  ASSERT_TRUE(out->ScaleFrom(source.get(), 0));
  const std::vector<uint8_t> indices = Indices(*out);
  EXPECT_EQ(indices[2 * 6 + 1], 12);
  EXPECT_EQ(indices[2 * 6 + 3], 13);
  EXPECT_EQ(indices[5 * 6 + 4], 23);
  EXPECT_EQ(indices[1 * 6 + 1], 0);
  EXPECT_EQ(indices[2 * 6 + 5], 0);
}

}  // namespace
