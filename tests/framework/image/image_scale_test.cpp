#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/image/image.h"
#include "image_fixture.h"

namespace {

class ImageScaleTest : public ImageTest {
 protected:
  void TearDown() override {
    source.reset();
    ImageTest::TearDown();
  }
  // Scales a source of sw × sh pixels, pixel(x, y), into a new image of dw × dh.
  std::unique_ptr<CImage> Scaled(uint32_t sw, uint32_t sh, const std::function<uint32_t(uint32_t, uint32_t)>& pixel,
                                 uint32_t dw, uint32_t dh, int32_t mode) {
    source = MakeImage(sw, sh, pixel);
    auto out = SolidImage(dw, dh, 0xDEADBEEF);
    EXPECT_TRUE(out->ScaleFrom(source.get(), mode));
    return out;
  }
  static uint32_t Coordinates(uint32_t x, uint32_t y) { return y << 16 | x; }

  std::unique_ptr<CImage> source;
};

TEST_F(ImageScaleTest, NearestReductionTakesEverySecondOrFourthPixel) {
  for (uint32_t factor : {2u, 4u}) {
    auto out = Scaled(256, 256, Coordinates, 256 / factor, 256 / factor, 0);
    const std::vector<uint32_t> pixels = Pixels(*out);
    const uint32_t side = 256 / factor;
    for (uint32_t y = 0; y < side; ++y)
      for (uint32_t x = 0; x < side; ++x) ASSERT_EQ(pixels[y * side + x], Coordinates(factor * x, factor * y));
  }
  // Shrinking one way and growing the other: columns 0 and 2, each row twice.
  auto out = Scaled(4, 2, Coordinates, 2, 4, 0);
  EXPECT_EQ(Pixels(*out), (std::vector<uint32_t>{Coordinates(0, 0), Coordinates(2, 0), Coordinates(0, 0),
                                                 Coordinates(2, 0), Coordinates(0, 1), Coordinates(2, 1),
                                                 Coordinates(0, 1), Coordinates(2, 1)}));
}

TEST_F(ImageScaleTest, NearestEnlargementRepeatsEachPixelEvenly) {
  auto out = Scaled(100, 100, Coordinates, 300, 300, 0);
  const std::vector<uint32_t> pixels = Pixels(*out);
  for (uint32_t y = 0; y < 300; ++y)
    for (uint32_t x = 0; x < 300; ++x) ASSERT_EQ(pixels[y * 300 + x], Coordinates(x / 3, y / 3)) << x << "," << y;
  out = Scaled(3, 1, Coordinates, 7, 1, 0);
  const uint32_t a = Coordinates(0, 0), b = Coordinates(1, 0), c = Coordinates(2, 0);
  EXPECT_EQ(Pixels(*out), (std::vector<uint32_t>{a, a, b, b, c, c, c}));
  out = Scaled(2, 3, Coordinates, 2, 7, 0);
  const std::vector<uint32_t> rows = Pixels(*out);
  for (uint32_t y = 0; y < 7; ++y) EXPECT_EQ(rows[2 * y] >> 16, y < 2 ? 0u : y < 4 ? 1u : 2u) << y;
}

TEST_F(ImageScaleTest, BoxAveragesAndTheBilinearFilter) {
  auto white = Scaled(200, 200, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; }, 100, 100, 1);
  EXPECT_EQ(Pixels(*white), std::vector<uint32_t>(100 * 100, 0xFFFFFFFF));
  auto checker = Scaled(200, 200, [](uint32_t x, uint32_t y) { return (x + y) & 1 ? 0u : 0x04080C10u; }, 100, 100, 1);
  EXPECT_EQ(Pixels(*checker), std::vector<uint32_t>(100 * 100, 0x02040608));

  // Shrinking by less than 2 filters bilinearly: every byte ⌊a + (b − a)·w / 256⌋ at 16.16 steps.
  auto pixel = [](uint32_t x, uint32_t y) { return (x * 37 + y * 11) * 0x01030507u; };
  auto out = Scaled(150, 150, pixel, 100, 100, 1);
  const uint64_t step = ((150u << 16) - 0x10001) / 99;
  auto mix = [](uint32_t a, uint32_t b, uint32_t w) {
    uint32_t r = 0;
    for (int s = 0; s < 32; s += 8) {
      const int32_t ca = int32_t((a >> s) & 0xFF), cb = int32_t((b >> s) & 0xFF);
      r |= uint32_t(ca + (((cb - ca) * int32_t(w)) >> 8)) << s;
    }
    return r;
  };
  const std::vector<uint32_t> pixels = Pixels(*out);
  for (uint32_t y = 0; y < 100; ++y) {
    for (uint32_t x = 0; x < 100; ++x) {
      const uint64_t fx = x * step, fy = y * step;
      const uint32_t c = uint32_t(fx >> 16), r = uint32_t(fy >> 16);
      const uint32_t wx = (fx >> 8) & 0xFF, wy = (fy >> 8) & 0xFF;
      const uint32_t top = mix(pixel(c, r), pixel(c + 1, r), wx);
      const uint32_t bottom = mix(pixel(c, r + 1), pixel(c + 1, r + 1), wx);
      ASSERT_EQ(pixels[y * 100 + x], mix(top, bottom, wy)) << x << "," << y;
    }
  }
}

TEST_F(ImageScaleTest, EqualSizesCopyAndAnotherModeChangesNothing) {
  auto pixel = [](uint32_t x, uint32_t y) { return 0xA5000000u | Coordinates(x, y); };
  for (int32_t mode : {0, 1, 2}) {
    auto out = Scaled(5, 4, pixel, 5, 4, mode);
    EXPECT_EQ(Pixels(*out), Pixels(*source)) << mode;
  }
  source = MakeImage(10, 10, pixel);
  auto out = SolidImage(5, 5, 0x12345678);
  ASSERT_TRUE(out->PageOut());
  EXPECT_FALSE(out->ScaleFrom(source.get(), 2));
  EXPECT_FALSE(out->ScaleFrom(source.get(), -1));
  EXPECT_EQ(Pixels(*out), std::vector<uint32_t>(25, 0x12345678));
  EXPECT_FALSE(out->IsModified());
}

TEST_F(ImageScaleTest, TheClipAreasAreWhatIsScaled) {
  source = MakeImage(8, 8, Coordinates);
  ASSERT_TRUE(source->SetClip(SRect{4, 4, 8, 8}));
  auto out = SolidImage(4, 4, 0);
  ASSERT_TRUE(out->SetClip(SRect{1, 1, 3, 3}));
  ASSERT_TRUE(out->ScaleFrom(source.get(), 0));
  const std::vector<uint32_t> pixels = Pixels(*out);
  EXPECT_EQ(pixels[1 * 4 + 1], Coordinates(4, 4));
  EXPECT_EQ(pixels[2 * 4 + 2], Coordinates(6, 6));
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[15], 0u);
}

TEST_F(ImageScaleTest, RowsOf40000PixelsResampleWithoutOverflow) {
  auto halves = [](uint32_t x, uint32_t) { return x < 20000 ? 0u : 0xFFFFFFFFu; };
  auto nearest = Scaled(40000, 1, [](uint32_t x, uint32_t) { return x; }, 20000, 1, 0);
  const std::vector<uint32_t> taken = Pixels(*nearest);
  for (uint32_t x = 0; x < 20000; ++x) ASSERT_EQ(taken[x], 2 * x);
  for (uint32_t width : {30000u, 50000u}) {
    auto smooth = Scaled(40000, 1, halves, width, 1, 1);
    const std::vector<uint32_t> pixels = Pixels(*smooth);
    EXPECT_EQ(pixels.front(), 0u);
    EXPECT_EQ(pixels.back(), 0xFFFFFFFFu);
    // Black up to the middle, white after it, mixed pixels only between.
    uint32_t mixed = 0;
    for (uint32_t x = 0; x < width; ++x) {
      ASSERT_TRUE(x == 0 || pixels[x] >= pixels[x - 1]) << x;
      mixed += pixels[x] != 0 && pixels[x] != 0xFFFFFFFF;
    }
    EXPECT_LE(mixed, 2u);
    EXPECT_EQ(pixels[width / 2 - 1], 0u);
    EXPECT_EQ(pixels[width / 2 + 1], 0xFFFFFFFFu);
  }
}

}  // namespace
