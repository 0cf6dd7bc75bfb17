// The sub-editor's previews: the packed code, the full and the fast transforms, and the cubes they
// draw, down to single pixels.
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "editors/material/component_preview.h"
#include "framework/image/image.h"
#include "scene/texture/texture_compile.h"
#include "tests/panels/panels_fixture.h"

namespace {

constexpr int32_t kSide = kComponentPreviewSide;

class ComponentPreview : public PanelsTest {
 protected:
  void SetUp() override {
    PanelsTest::SetUp();
    if (HasFatalFailure()) return;
    int32_t error = 0;
    image.reset(NewDataImage(kSide, kSide, &error));
    ASSERT_NE(image, nullptr) << error;
  }
  void TearDown() override {
    image.reset();
    PanelsTest::TearDown();
  }

  static SComponentPreviewParams Params(int8_t noise, int32_t dimension, int32_t octaves, int8_t mode, int32_t xy,
                                        int32_t yz, int32_t fx, int32_t fy, int32_t fz) {
    SComponentPreviewParams p;
    p.noiseType = noise;
    p.dimension = dimension;
    p.octaves = octaves;
    p.mode = mode;
    p.angleXY = xy;
    p.angleYZ = yz;
    p.frequency[0] = fx;
    p.frequency[1] = fy;
    p.frequency[2] = fz;
    return p;
  }
  std::vector<uint32_t> Pixels() {
    std::vector<uint32_t> out;
    CImNavigator pixels(image.get(), nullptr, false, false);
    EXPECT_TRUE(pixels.IsUsable());
    for (uint32_t r = 0; pixels.IsUsable() && r < uint32_t(kSide); ++r) {
      for (uint32_t c = 0; c < uint32_t(kSide); ++c) out.push_back(pixels.Cells(r)[c].value);
    }
    return out;
  }
  uint32_t At(int32_t row, int32_t column) { return Pixels()[size_t(row * kSide + column)]; }

  std::unique_ptr<CImage> image;
};

TEST_F(ComponentPreview, ACodePacksItsFourPartsAndTheEngineReadsThemBack) {
  const int32_t code = PackComponentCode(2, 6, 3, 2);
  EXPECT_EQ(code, 5914);
  EXPECT_EQ(code, 0x171A);
  SCompiledNoise decoded{};
  DecodeTextureComponent(code, decoded);
  EXPECT_EQ(decoded.noise, 6);
  EXPECT_EQ(decoded.blend, 2);
  EXPECT_EQ(decoded.octaves, 3);
  EXPECT_EQ(decoded.dimension, 2);
  // A mode far out of the menu's range wraps as a stored 32-bit code does, without overflowing.
  EXPECT_EQ(PackComponentCode(3, 63, 9, 838860), int32_t(uint32_t(3 + 4 * (63 + 64 * (9 + 10 * 838860LL)))));
}

TEST_F(ComponentPreview, TheTransformsAreTheIdentityAndTheDiagonalWithoutAngles) {
  const SPreviewTransform full = FullPreviewTransform(Params(0, 2, 0, 0, 0, 0, 160, 160, 160));
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(full.m[i], i % 4 == 0 ? 1.0 : 0.0, 1e-6) << i;
  const SFastPreviewTransform fast = FastPreviewTransform(Params(0, 2, 0, 0, 0, 0, 100, 100, 100));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(fast.m[i], i % 4 == 0 ? 1100 : 0) << i;
}

TEST_F(ComponentPreview, TheFastCubeShowsItsStripesPixelByPixel) {
  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 2, 0, 0, 0, 0, 100, 100, 100)));
  // Face y = 0 at (-60, 0, 26): levels 1, 0 and 3, the largest 3, times 25.
  EXPECT_EQ(At(0, 0), 0x00B4B4B4u);
  EXPECT_EQ(At(40, 10), 0x007F7F7Fu);
  // The corner samples (0, 0, 0).
  EXPECT_EQ(At(26, 34), 0x00FFFFFFu);

  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 2, 0, 0, 30, 20, 0, 0, 0)));
  for (uint32_t pixel : Pixels()) ASSERT_EQ(pixel, 0x00FFFFFFu);
}

// Dimension 0 draws the stripes of X alone: the other frequencies change nothing, as they do with 1.
TEST_F(ComponentPreview, TheDimensionDecidesWhichAxesDrawStripes) {
  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 0, 0, 0, 15, 25, 400, 100, 100)));
  const std::vector<uint32_t> xOnly = Pixels();
  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 0, 0, 0, 15, 25, 400, 900, 300)));
  EXPECT_EQ(Pixels(), xOnly);
  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 1, 0, 0, 15, 25, 400, 900, 300)));
  EXPECT_NE(Pixels(), xOnly);
}

// Frequencies past what 32-bit products hold: the sanitizers stay quiet, and 10,000,000 draws what the
// stripe rule gives computed wholly in 64 bits.
TEST_F(ComponentPreview, HugeFrequenciesRenderAsTheSixtyFourBitRuleSays) {
  const auto reference = [](int64_t f, int32_t row, int32_t column) {
    const int64_t m = f * 11;
    const int32_t u = column - 34, v = 26 - row;
    int64_t p[3];
    int64_t weight;
    if (u < 0 && v < 0) p[0] = u, p[1] = v, p[2] = 0, weight = 16;
    else if (v < u) p[0] = 0, p[1] = v - u, p[2] = u, weight = 10;
    else p[0] = u - v, p[1] = 0, p[2] = v, weight = 25;
    int64_t level = 0;
    for (int64_t t : p) {
      const int64_t index = (((m * t) >> 12) + 131072) % 8;
      level = std::max<int64_t>(level, kStripeLevels[index < 0 ? index + 8 : index]);
    }
    return uint32_t(255 - level * weight) * 0x010101u;
  };
  ASSERT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 2, 0, 0, 0, 0, 10000000, 10000000, 10000000)));
  const std::vector<uint32_t> pixels = Pixels();
  for (int32_t r = 0; r < kSide; ++r) {
    for (int32_t c = 0; c < kSide; ++c) ASSERT_EQ(pixels[size_t(r * kSide + c)], reference(10000000, r, c)) << r << " " << c;
  }
  EXPECT_TRUE(RenderFastComponentPreview(image.get(), Params(0, 2, 0, 0, 45, 45, INT32_MAX, INT32_MAX, INT32_MIN)));
  EXPECT_TRUE(RenderComponentPreview(image.get(), Params(6, 2, 3, 0, 45, 45, INT32_MAX, INT32_MAX, INT32_MIN)));
}

// Noise type 0 has no noise function: every blend answers 0.5, which each face weighs.
TEST_F(ComponentPreview, TheFullCubeWeighsTheComponentsValueByFace) {
  ASSERT_TRUE(RenderComponentPreview(image.get(), Params(0, 2, 3, 0, 10, 20, 160, 160, 160)));
  EXPECT_EQ(At(40, 10), 175u * 0x010101u) << "face z = 0";
  EXPECT_EQ(At(40, 50), 205u * 0x010101u) << "face x = 0";
  EXPECT_EQ(At(0, 0), 128u * 0x010101u) << "face y = 0";
}

TEST_F(ComponentPreview, TheOctaveCountIsHeldToZeroToEight) {
  const SComponentPreviewParams base = Params(6, 2, 0, 0, 30, 15, 300, 200, 250);
  for (auto [given, held] : {std::pair{-3, 0}, std::pair{12, 8}}) {
    SComponentPreviewParams params = base;
    params.octaves = given;
    ASSERT_TRUE(RenderComponentPreview(image.get(), params));
    const std::vector<uint32_t> drawn = Pixels();
    ASSERT_TRUE(DrawPreviewCube(image.get(), PackComponentCode(2, 6, held, 0), FullPreviewTransform(params)));
    EXPECT_EQ(drawn, Pixels()) << given;
  }
}

TEST_F(ComponentPreview, AnImageSmallerThanTheCubeIsRefused) {
  int32_t error = 0;
  std::unique_ptr<CImage> small(NewDataImage(kSide, kSide - 1, &error));
  ASSERT_NE(small, nullptr);
  EXPECT_FALSE(RenderComponentPreview(small.get(), Params(0, 2, 0, 0, 0, 0, 100, 100, 100)));
  EXPECT_FALSE(RenderFastComponentPreview(small.get(), Params(0, 2, 0, 0, 0, 0, 100, 100, 100)));
  EXPECT_FALSE(RenderFastComponentPreview(nullptr, Params(0, 2, 0, 0, 0, 0, 100, 100, 100)));
}

}  // namespace
