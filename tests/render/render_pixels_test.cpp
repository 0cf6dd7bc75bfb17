#include "render/render_pixels.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/image/image_fixture.h"

namespace {

CImVector Pixel(uint32_t value) { return CImVector{value}; }

TEST(RenderPixels, BlendColourMixesChannelsAndKeepsTheStateByte) {
  const struct {
    uint32_t a, b;
    int32_t weight;
    uint32_t out, expected;
  } cases[] = {
      {0x80102030, 0xFF50A0F0, 0, 0x12345678, 0x80102030},    // whole a
      {0x80102030, 0xFF50A0F0, 255, 0x12345678, 0xFF50A0F0},  // whole b
      {0x80102030, 0xFF50A0F0, 999, 0, 0xFF50A0F0},
      {0x80102030, 0xFF50A0F0, 128, 0x12345678, 0x12306090},  // halfway, the out's top byte kept
      {0x00F00010, 0x00100010, 64, 0x7F000000, 0x7FB80010},    // down by a quarter, equal channels stay
      {0x000000FF, 0x00000000, 1, 0, 0x000000FE},             // rounding goes down
  };
  for (const auto& c : cases) {
    CImVector out = Pixel(c.out);
    BlendColour(Pixel(c.a), Pixel(c.b), c.weight, out);
    EXPECT_EQ(out.value, c.expected) << std::hex << c.a << " " << c.b << " " << std::dec << c.weight;
  }
}

TEST(RenderPixels, EdgeTestComparesTheCellAgainstItsReferenceAndTheDiagonal) {
  const uint32_t a = 0x80646464;
  const struct {
    uint32_t b, c, d;
    bool fires;
  } cases[] = {
      {0x80646464, 0x80646464, 0x80646464, false},
      {0x80787878, 0x80505050, 0x80646464, false},  // 20 either way
      {0x80797878, 0x80646464, 0x80646464, true},   // 21 in red
      {0x80646464, 0x80645064, 0x80646464, false},
      {0x80646464, 0x8064644F, 0x80646464, true},   // 21 in blue of c
      {0x80505050, 0x80646464, 0x80787878, true},   // d within 20 of a, 40 from b
      {0x00646464, 0x80646464, 0x80646464, true},   // a different state
      {0x80646464, 0x80646464, 0xFF646464, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(EdgeTest(Pixel(a), Pixel(c.b), Pixel(c.c), Pixel(c.d), 20), c.fires) << std::hex << c.b << " " << c.c;
}

TEST(RenderPixels, RectanglesAreClippedAndAreasCounted) {
  const SRect bounds{0, 0, 10, 20};
  EXPECT_EQ(ClippedRect(SRect{-5, 3, 4, 99}, bounds), (SRect{0, 3, 4, 20}));
  EXPECT_EQ(RectArea(SRect{0, 3, 4, 20}), 68u);
  EXPECT_EQ(RectArea(SRect{4, 3, 4, 20}), 0u);
  EXPECT_EQ(RectArea(ClippedRect(SRect{12, 0, 15, 5}, bounds)), 0u);
  EXPECT_EQ(RectArea(SRect{-2147483647 - 1, 0, 2147483647, 2}), uint64_t(4294967295u) * 2);
}

class RenderPixelImage : public SpoolAppTest {
 protected:
  std::vector<uint32_t> Read(CImage& image) {
    const SRect whole = image.GetBounds();
    CImNavigator nav(&image, &whole, false, false);
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
};

TEST_F(RenderPixelImage, ABilinearBlockRunsBetweenItsCornersAndStopsAtTheImage) {
  auto image = MakeImage(6, 5, [](uint32_t, uint32_t) { return 0x11111111u; });
  {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image.get(), &whole, true, false);
    FillBlockBilinear(nav, 0, 0, 4, Pixel(0x80000000), Pixel(0x00400000), Pixel(0x00000040), Pixel(0x00404040));
    // Clipped to two columns and one row at the image's corner; its weights run over what is left.
    FillBlockBilinear(nav, 4, 4, 4, Pixel(0x80000000), Pixel(0x00800000), Pixel(0x00008000), Pixel(0));
    FillBlockBilinear(nav, 6, 0, 4, Pixel(0), Pixel(0), Pixel(0), Pixel(0));
  }
  const std::vector<uint32_t> p = Read(*image);
  const auto at = [&](int x, int y) { return p[size_t(y) * 6 + size_t(x)]; };
  EXPECT_EQ(at(0, 0), 0x80000000u);
  EXPECT_EQ(at(1, 0), 0x80100000u);
  EXPECT_EQ(at(3, 0), 0x80300000u);
  EXPECT_EQ(at(0, 3), 0x80000030u);
  EXPECT_EQ(at(2, 2), 0x80201020u);
  EXPECT_EQ(at(3, 3), 0x80302430u);
  EXPECT_EQ(at(4, 0), 0x11111111u);  // outside the block
  EXPECT_EQ(at(4, 4), 0x80000000u);
  EXPECT_EQ(at(5, 4), 0x80400000u);
  EXPECT_EQ(at(5, 3), 0x11111111u);
}

TEST_F(RenderPixelImage, FillingAndInvertingStayInsideTheImage) {
  auto image = MakeImage(4, 3, [](uint32_t x, uint32_t y) { return 0x80000000u | (y << 4 | x); });
  const std::vector<uint32_t> before = Read(*image);
  {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image.get(), &whole, true, false);
    InvertImageRect(nav, SRect{-1, 2, 9, 9});
    InvertImageRect(nav, SRect{-1, 2, 9, 9});
  }
  EXPECT_EQ(Read(*image), before);
  {
    const SRect whole = image->GetBounds();
    CImNavigator nav(image.get(), &whole, true, false);
    InvertImageRect(nav, SRect{1, 1, 2, 2});
    FillImageRect(nav, SRect{2, -3, 7, 2}, Pixel(0x00ABCDEF), false);
  }
  const std::vector<uint32_t> after = Read(*image);
  EXPECT_EQ(after[1 * 4 + 1], 0x80FFFFEEu);
  EXPECT_EQ(after[2 * 4 + 0], 0x00ABCDEFu);
  EXPECT_EQ(after[2 * 4 + 1], 0x00ABCDEFu);
  EXPECT_EQ(after[2 * 4 + 2], before[2 * 4 + 2]);
  EXPECT_EQ(after[0], before[0]);
}

}  // namespace
