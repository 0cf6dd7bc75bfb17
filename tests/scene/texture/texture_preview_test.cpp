#include "scene/texture/texture_preview.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "framework/core/result_codes.h"
#include "scene/texture/texture_evaluate.h"
#include "tests/framework/image/image_fixture.h"
#include "texture_fixture.h"

namespace {

constexpr uint32_t kWidth = 16;

class TexturePreview : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    GetTextureEngine() = {};
  }
  void TearDown() override {
    GetTextureEngine() = {};
    ImageTest::TearDown();
  }

  // A grey ramp over the radial distance along x: every column a different colour.
  static STextureData Ramp(int32_t kinds = kKindValue | kKindColour, int32_t wanted = kKindValue,
                           int32_t frequency = 1) {
    STextureComponent c = MakeComponent(kinds, kRadial1);
    c.frequency[0] = c.frequency[1] = c.frequency[2] = frequency;
    c.colour = MakeColourOutput(6, 0x000000, 0x808080, 0xFFFFFF);
    STextureData data{};
    data.count = 1;
    data.outputFlags = wanted;
    for (STextureComponent& each : data.component) each = c;
    PrepareEvaluation(data, false);
    return data;
  }

  // What the sampler must put at column i of row y, evaluated the way it does.
  static STextureResult Expected(STextureData data, uint32_t i, uint32_t y) {
    std::fesetround(FE_DOWNWARD);
    STextureEngine& engine = GetTextureEngine();
    const double altitude = 1.0 - double(y) / kWidth;
    engine.altitude = altitude;
    engine.slope = double(i) / kWidth;
    engine.facing = 1.0 - engine.slope;
    data.outputFlags |= kKindColour;
    EvaluateTexture(0.2 * i / kWidth, 0.2 * altitude, 0, data);
    std::fesetround(FE_TONEAREST);
    return data.result;
  }

  static uint32_t Pixel(CImage& image, uint32_t x, uint32_t y) {
    CImNavigator nav(&image, nullptr, false, false);
    EXPECT_TRUE(nav.IsUsable());
    return nav.Cells(y)[x].value & 0x00FFFFFF;
  }

  static std::unique_ptr<CImage> Blank() {
    return MakeImage(kWidth, 8, [](uint32_t, uint32_t) { return 0x00123456u; });
  }
};

TEST_F(TexturePreview, TheEditorRowHoldsTheColourOfEveryColumn) {
  STextureData data = Ramp();
  const STextureData before = data;
  auto image = Blank();
  ASSERT_EQ(SampleForTextureEditor(data, *image, 3, 0), 0);
  EXPECT_TRUE(data.outputFlags & kKindColour);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  bool varies = false;
  for (uint32_t i = 0; i < kWidth; ++i) {
    EXPECT_EQ(Pixel(*image, i, 3), Expected(before, i, 3).colour) << i;
    varies |= Pixel(*image, i, 3) != Pixel(*image, 0, 3);
  }
  EXPECT_TRUE(varies);
  EXPECT_EQ(Pixel(*image, 0, 2), 0x123456u);  // other rows untouched
  EXPECT_EQ(Pixel(*image, 0, 4), 0x123456u);
}

TEST_F(TexturePreview, CoarseModesDrawFourByFourBlocks) {
  STextureData data = Ramp();
  auto image = Blank();
  ASSERT_EQ(SampleForTextureEditor(data, *image, 4, 2), 0);
  for (uint32_t y = 4; y < 8; ++y) {
    for (uint32_t i = 0; i < kWidth; ++i)
      EXPECT_EQ(Pixel(*image, i, y), Expected(Ramp(), i / 4 * 4, 4).colour) << i << "," << y;
  }
  EXPECT_EQ(Pixel(*image, 0, 3), 0x123456u);
  // A block at the bottom edge is cut to the rows that exist.
  EXPECT_EQ(SampleForTextureEditor(data, *image, 6, 3), 0);
}

TEST_F(TexturePreview, TheComposerFillsColourValueAndRelief) {
  STextureData data = Ramp();
  const STextureData before = data;
  auto colour = Blank();
  auto value = Blank();
  auto relief = Blank();
  ASSERT_EQ(SampleForComposer(data, *colour, *value, *relief, 1, 0), 0);
  for (uint32_t i = 0; i < kWidth; ++i) {
    const STextureResult r = Expected(before, i, 1);
    EXPECT_EQ(Pixel(*colour, i, 1), r.colour) << i;
    const uint32_t grey = uint32_t(std::trunc(254 * r.value));
    EXPECT_EQ(Pixel(*value, i, 1), grey << 16 | grey << 8 | grey) << i;
    EXPECT_EQ(Pixel(*relief, i, 1), 0x7F7F7Fu) << i;  // no component has bump
  }
  ASSERT_EQ(SampleForComposer(data, *colour, *value, *relief, 4, 2), 0);
  EXPECT_EQ(Pixel(*relief, 5, 6), 0u);
}

TEST_F(TexturePreview, ReliefFollowsTheBumpGradient) {
  STextureData data = Ramp(kKindValue | kKindColour | kKindBump, kKindValue | kKindBump, 40);
  const STextureData before = data;
  auto colour = Blank();
  auto value = Blank();
  auto relief = Blank();
  ASSERT_EQ(SampleForComposer(data, *colour, *value, *relief, 0, 0), 0);
  bool shaded = false;
  for (uint32_t i = 0; i < kWidth; ++i) {
    shaded |= Pixel(*relief, i, 0) != 0x7F7F7Fu;
    const STextureResult r = Expected(before, i, 0);
    const double g = 64 * (r.gradient[0] + 8 * r.gradient[1] + 5 * r.gradient[2]) + 128;
    const int32_t level = 255 - std::clamp(int32_t(std::trunc(g)), 0, 255);
    EXPECT_EQ(Pixel(*relief, i, 0), uint32_t(level) * 0x010101u) << i;
  }
  EXPECT_TRUE(shaded);
}

TEST_F(TexturePreview, ARowOutsideTheImageIsRefusedAndRoundingIsRestored) {
  STextureData data = Ramp();
  auto image = Blank();
  EXPECT_EQ(SampleForTextureEditor(data, *image, 8, 0), kErrInvalidParameter);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  auto other = Blank();
  EXPECT_EQ(SampleForComposer(data, *image, *other, *other, 99, 2), kErrInvalidParameter);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

}  // namespace
