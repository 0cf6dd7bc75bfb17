#include "framework/image/image_display.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/image/image.h"
#include "image_fixture.h"
#include "platform/device_context.h"
#include "platform/surface.h"

namespace {

constexpr uint32_t kBackground = kSurfaceBackground;

class ImageDisplayTest : public ImageSurfaceTest {
 protected:
  void SetUp() override {
    ImageSurfaceTest::SetUp();
    // Pixel (x, y) is 0x80 in the top byte and (y, x) in red and blue.
    image = MakeImage(4, 3, [](uint32_t x, uint32_t y) { return Color(x, y) | 0x80000000u; });
  }
  void TearDown() override {
    SetTestEightBitDisplay(false);
    image.reset();
    ImageSurfaceTest::TearDown();
  }
  static uint32_t Color(uint32_t x, uint32_t y) { return (y + 1) << 16 | 0x100 | (x + 1); }
  // Whether the image's pixels (x0.., y0..) of the given size lie on the surface at (left, top).
  bool Shows(int32_t left, int32_t top, uint32_t x0, uint32_t y0, uint32_t columns, uint32_t rows) {
    for (uint32_t y = 0; y < rows; ++y)
      for (uint32_t x = 0; x < columns; ++x)
        if (surface.Pixel(left + int32_t(x), top + int32_t(y)) != Color(x0 + x, y0 + y)) return false;
    return true;
  }

  std::unique_ptr<CImage> image;
};

TEST_F(ImageDisplayTest, DrawToPutsTheClipAreaAtTheOrigin) {
  image->SetOrigin(10, 20);
  ASSERT_TRUE(image->DrawTo(dc));
  EXPECT_TRUE(Shows(10, 20, 0, 0, 4, 3));
  EXPECT_EQ(Painted(), 12u);
  EXPECT_EQ(image->GetLockCount(), 0u);
}

TEST_F(ImageDisplayTest, DrawAtAndDrawRectPlaceTheClipAreaAndTheRectangle) {
  ASSERT_TRUE(image->SetClip(SRect{1, 1, 3, 3}));
  ASSERT_TRUE(image->DrawAt(dc, 5, 6));
  EXPECT_TRUE(Shows(5, 6, 1, 1, 2, 2));
  EXPECT_EQ(Painted(), 4u);
  ASSERT_TRUE(image->DrawRect(dc, SRect{0, 2, 2, 4}));
  EXPECT_TRUE(Shows(2, 0, 2, 0, 2, 2));
  EXPECT_EQ(Painted(), 8u);
}

TEST_F(ImageDisplayTest, OnlyThePartOfTheSourceInsideTheImageIsDrawnAtItsOwnPlace) {
  // One row above and two columns left of the image: the destination is cut by as much.
  ASSERT_TRUE(image->Draw(dc, SRect{-1, -2, 3, 4}, SRect{20, 10, 24, 16}));
  EXPECT_TRUE(Shows(12, 21, 0, 0, 4, 3));
  EXPECT_EQ(Painted(), 12u);
  // Stretched twice: the cut is twice as large in the destination.
  surface.Fill(0, 0, 40, 40, kBackground);
  ASSERT_TRUE(image->Draw(dc, SRect{-1, -1, 3, 4}, SRect{0, 0, 8, 10}));
  EXPECT_EQ(surface.Pixel(2, 2), Color(0, 0));
  EXPECT_EQ(surface.Pixel(3, 3), Color(0, 0));
  EXPECT_EQ(surface.Pixel(9, 7), Color(3, 2));
  EXPECT_EQ(Painted(), 4u * 3 * 4);
  surface.Fill(0, 0, 40, 40, kBackground);
  ASSERT_TRUE(image->Draw(dc, SRect{3, 0, 9, 9}, SRect{0, 0, 6, 9}));
  EXPECT_EQ(Painted(), 0u);
}

TEST_F(ImageDisplayTest, ThroughTheFlipGuardTheSameIsDrawnAndThePixelsStay) {
  const std::vector<uint32_t> before = Pixels(*image);
  SetTestEightBitDisplay(true);
  ASSERT_TRUE(image->Draw(dc, SRect{0, 1, 3, 4}, SRect{5, 5, 8, 8}));
  EXPECT_TRUE(Shows(5, 5, 1, 0, 3, 3));
  EXPECT_EQ(Pixels(*image), before);
}

TEST_F(ImageDisplayTest, AFlipGuardTurnsItsAreaUpsideDownWhileItLives) {
  const std::vector<uint32_t> before = Pixels(*image);
  {
    const SRect area{0, 1, 3, 3};
    CImFlipGuard guard(image.get(), &area);
    const std::vector<uint32_t> flipped = Pixels(*image);
    EXPECT_EQ(flipped[0 * 4 + 1], before[2 * 4 + 1]);
    EXPECT_EQ(flipped[2 * 4 + 2], before[0 * 4 + 2]);
    EXPECT_EQ(flipped[1 * 4 + 1], before[1 * 4 + 1]);
    EXPECT_EQ(flipped[0], before[0]);
  }
  EXPECT_EQ(Pixels(*image), before);
}

}  // namespace
