#include "framework/ui/soft_shadow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/mem_pool.h"
#include "framework/image/image.h"
#include "framework/image/image_record.h"
#include "platform/alloc.h"
#include "tests/framework/image/image_fixture.h"

namespace {

class SoftShadowTest : public ImageTest {
 protected:
  // MakeSoftShadow of the image into the data environment.
  std::unique_ptr<CImage> Shadow(CImage& source, const SSoftShadow& shadow) {
    SGridLayout grid;
    MakeImageGridSpec(grid, DataEnv(), 0, 0);
    SSpoolTableSpec spec;
    spec.SetDefaults(false, nullptr, &ImageRecordTypeHandler);
    return std::unique_ptr<CImage>(MakeSoftShadow(&source, grid, spec, shadow));
  }
  static SSoftShadow Spec(SPointHV displacement, uint32_t radius, float opacity, uint32_t mode, bool keepUnder,
                          const SRect& clip = {}, bool fade = false) {
    SSoftShadow shadow;
    MakeSoftShadowSpec(&shadow, displacement, radius, opacity, clip, fade, mode, keepUnder);
    return shadow;
  }
  // The top bytes of the image, row by row.
  static std::vector<std::vector<uint32_t>> Alphas(CImage& image) {
    const std::vector<uint32_t> pixels = Pixels(image);
    std::vector<std::vector<uint32_t>> rows(image.GetHeight());
    for (size_t i = 0; i < pixels.size(); ++i) rows[i / image.GetWidth()].push_back(pixels[i] >> 24);
    return rows;
  }
};

TEST(BlurLine, HalvingStepsOfTheThreeTapKernel) {
  struct SCase {
    std::vector<uint16_t> line;
    uint32_t radius;
    std::vector<uint16_t> blurred;
  } cases[] = {
      {{0, 0, 65535, 0, 0}, 1, {0, 16384, 32768, 16384, 0}},
      // Steps 5, 3, 2 and 1; each pass reads the line's ends as they were before it.
      {{0, 0, 0, 0, 0, 65535, 0, 0, 0, 0, 0, 0},
       5,
       {10752, 8448, 7936, 6656, 5888, 6400, 5120, 5120, 4864, 3584, 3328, 1536}},
      {{7, 8, 9}, 0, {7, 8, 9}},
  };
  for (SCase& c : cases) {
    std::vector<uint16_t> line = c.line;
    BlurLine(line.data(), uint32_t(line.size()), 1, c.radius);
    EXPECT_EQ(line, c.blurred) << c.radius;
    // The same line as a column of a buffer three values wide, the other columns untouched.
    std::vector<uint16_t> column(c.line.size() * 3, 1);
    for (size_t i = 0; i < c.line.size(); ++i) column[i * 3 + 1] = c.line[i];
    BlurLine(column.data() + 1, uint32_t(c.line.size()), 3, c.radius);
    for (size_t i = 0; i < c.line.size(); ++i) {
      EXPECT_EQ(column[i * 3 + 1], c.blurred[i]);
      EXPECT_EQ(column[i * 3], 1);
    }
  }
}

TEST(ShadowBufferRect, GrowsByTwiceTheRadiusAndAvoidsWidthsOfSixteen) {
  struct SCase {
    SRect placed;
    SPointHV displacement;
    uint32_t radius;
    bool made;
    SRect rect;
  } cases[] = {
      {{0, 0, 3, 5}, {0, 0}, 1, true, {-2, -2, 5, 7}},     // 9 wide
      {{0, 0, 3, 12}, {0, 0}, 1, true, {-2, -2, 5, 15}},   // 16, widened to 17
      {{10, 20, 14, 24}, {2, -3}, 0, true, {7, 22, 11, 26}},
      {{0, 0, 4, 4}, {0, 0}, 0x80000000u, false, {}},      // a radius that would wrap a 32-bit size
      {{0, 0, 4, 16380}, {0, 0}, 4, false, {}},             // wider than a buffer may be
      {{0, 0, 0, 0}, {0, 0}, 0, false, {}},
  };
  for (const SCase& c : cases) {
    SSoftShadow shadow;
    MakeSoftShadowSpec(&shadow, c.displacement, c.radius, 1.0f, {}, false, kShadowMask, false);
    SRect rect;
    ASSERT_EQ(ShadowBufferRect(c.placed, shadow, &rect), c.made) << c.radius;
    if (c.made) {
      EXPECT_EQ(rect, c.rect);
    }
  }
}

TEST_F(SoftShadowTest, ABlackSquareCastsItsBlurredShadowBesideItself) {
  auto square = SolidImage(4, 4, 0xFF000000);
  auto shadow = Shadow(*square, Spec({2, 2}, 1, 1.0f, 1, false));
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->GetOriginH(), 0);
  EXPECT_EQ(shadow->GetOriginV(), 0);
  // The coverage box (1, 1, 7, 7): the square's own pixels inside it lose their alpha, the rest
  // takes the coverage.
  const std::vector<std::vector<uint32_t>> expected = {
      {255, 255, 255, 255, 0, 0, 0},     {255, 0, 0, 0, 64, 48, 16},     {255, 0, 0, 0, 191, 143, 48},
      {255, 0, 0, 0, 255, 191, 64},      {0, 64, 191, 255, 255, 191, 64}, {0, 48, 143, 191, 191, 143, 48},
      {0, 16, 48, 64, 64, 48, 16},
  };
  EXPECT_EQ(Alphas(*shadow), expected);

  // Mode 2: four alphas to a pixel, the first in the top byte.
  auto mask = Shadow(*square, Spec({2, 2}, 1, 1.0f, kShadowMask, false));
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->GetWidth(), 2u);
  ASSERT_EQ(mask->GetHeight(), 7u);
  EXPECT_EQ(PixelAt(*mask, 0, 1), 0xFF000000u);
  EXPECT_EQ(PixelAt(*mask, 1, 1), 0x40301000u);
}

TEST_F(SoftShadowTest, AMaskTenPixelsWidePacksIntoThree) {
  // Alphas 10, 20, ... 100 in a row; radius 0 and keepUnder pass them through as they are.
  auto row = MakeImage(10, 1, [](uint32_t x, uint32_t) { return uint32_t(10 * (x + 1)) << 24; });
  auto mask = Shadow(*row, Spec({0, 0}, 0, 1.0f, kShadowMask, true));
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->GetWidth(), 3u);
  EXPECT_EQ(Pixels(*mask), (std::vector<uint32_t>{0x0A141E28, 0x323C4650, 0x5A640000}));
}

TEST_F(SoftShadowTest, OpacityScalesTheCoverageInsideTheBox) {
  auto square = SolidImage(3, 2, 0xFF102030);
  square->SetOrigin(5, 7);
  // Radius 0 with keepUnder: the source's alpha scaled by 0.5, the colours kept.
  auto half = Shadow(*square, Spec({0, 0}, 0, 0.5f, 1, true));
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->GetPlacedBounds(), (SRect{7, 5, 9, 8}));
  EXPECT_EQ(Pixels(*half), std::vector<uint32_t>(6, 0x7F102030));
  // Opacity 0: nothing inside the box.
  auto none = Shadow(*square, Spec({0, 0}, 1, 0.0f, 1, true));
  ASSERT_NE(none, nullptr);
  for (uint32_t pixel : Pixels(*none)) EXPECT_EQ(pixel >> 24, 0u);
  // Not a number counts as 0, more than 1 as 1.
  auto nan = Shadow(*square, Spec({0, 0}, 0, std::nanf(""), 1, true));
  auto more = Shadow(*square, Spec({0, 0}, 0, 7.5f, 1, true));
  ASSERT_NE(nan, nullptr);
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(Pixels(*nan), std::vector<uint32_t>(6, 0x00102030));
  EXPECT_EQ(Pixels(*more), std::vector<uint32_t>(6, 0xFF102030));
}

TEST_F(SoftShadowTest, ATransparentSourceGivesAnEmptyBox) {
  auto clear = SolidImage(6, 3, 0x00FFFFFF);
  clear->SetOrigin(-2, 4);
  auto shadow = Shadow(*clear, Spec({3, 3}, 2, 1.0f, 1, false));
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->GetPlacedBounds(), clear->GetPlacedBounds());
  EXPECT_EQ(Pixels(*shadow), Pixels(*clear));
  auto mask = Shadow(*clear, Spec({3, 3}, 2, 1.0f, kShadowMask, false));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->GetWidth(), 2u);
  EXPECT_EQ(Pixels(*mask), std::vector<uint32_t>(6, 0));
}

TEST_F(SoftShadowTest, AShadowCutByTheClipFadesToNothingAtTheCut) {
  auto square = SolidImage(10, 10, 0xFF000000);
  // The blurred box reaches (-1, -1, 11, 11); the clip cuts it at (0, 0, 10, 11).
  const SRect clip{0, 0, 10, 11};
  auto shadow = Shadow(*square, Spec({0, 0}, 1, 1.0f, 1, true, clip, true));
  ASSERT_NE(shadow, nullptr);
  const auto alphas = Alphas(*shadow);
  const int32_t top = shadow->GetOriginV(), left = shadow->GetOriginH();
  uint32_t strongest = 0;
  for (int32_t y = clip.top; y < clip.bottom; ++y) {
    for (int32_t x = clip.left; x < clip.right; ++x) {
      const uint32_t a = alphas[size_t(y - top)][size_t(x - left)];
      const bool outline = y == clip.top || y == clip.bottom - 1 || x == clip.left || x == clip.right - 1;
      if (outline) {
        EXPECT_EQ(a, 0u) << y << " " << x;
      }
      strongest = std::max(strongest, a);
    }
  }
  EXPECT_EQ(strongest, 255u);
  // Without the fade the outline keeps its shadow.
  auto unfaded = Shadow(*square, Spec({0, 0}, 1, 1.0f, 1, true, clip, false));
  ASSERT_NE(unfaded, nullptr);
  EXPECT_GT(Alphas(*unfaded)[size_t(clip.top - unfaded->GetOriginV())][size_t(1 - unfaded->GetOriginH())], 0u);
}

TEST_F(SoftShadowTest, AnOutlineOfFullCoverageIsNotScaled) {
  // The clip lies inside the opaque source: every value on the cut outline is 65535.
  auto square = SolidImage(10, 10, 0xFF000000);
  auto shadow = Shadow(*square, Spec({0, 0}, 0, 0.5f, 1, true, SRect{2, 2, 8, 8}, true));
  ASSERT_NE(shadow, nullptr);
  const auto alphas = Alphas(*shadow);
  for (int32_t y = 2; y < 8; ++y)
    for (int32_t x = 2; x < 8; ++x) EXPECT_EQ(alphas[size_t(y)][size_t(x)], 255u);
}

TEST_F(SoftShadowTest, TheShadowGoesUnderTranslucentPixelsOnly) {
  // Coverage 32768 in the first row, 255 in the second.
  const std::vector<uint16_t> buffer = {32768, 32768, 32768, 32768, 255, 255, 255, 255};
  const SRect rect{0, 0, 2, 4};
  const std::vector<uint32_t> pixels = {0, 0xFF123456, 0x80C86432, 0x01FFFFFF};
  auto image = MakeImage(4, 2, [&](uint32_t x, uint32_t) { return pixels[x]; });
  ASSERT_TRUE(CompositeShadowUnder(buffer.data(), rect, rect, image.get()));
  EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{0x80000000, 0xFF123456, 0xBF854221, 0x80010101, 0, 0xFF123456,
                                                   0x80C86432, 0x01FFFFFF}));
}

TEST_F(SoftShadowTest, EveryFailureFreesWhatWasMade) {
  auto square = SolidImage(12, 9, 0xFF000000);
  const uint32_t used = GetDataPool()->GetUsed();
  // Fail every allocation after the first n, for growing n: the buffer, the source's lock, the
  // result, the mask; each failure answers none and leaves the pool as it was.
  bool made = false;
  for (uint32_t n = 0; n < 200 && !made; ++n) {
    platform::FailAllocationsAfter(n, 1000);
    auto mask = Shadow(*square, Spec({3, 3}, 2, 1.0f, kShadowMask, false));
    platform::FailNextAllocations(0);
    made = mask != nullptr;
    if (!made) {
      EXPECT_EQ(GetDataPool()->GetUsed(), used) << n;
    }
  }
  EXPECT_TRUE(made);
}

}  // namespace
