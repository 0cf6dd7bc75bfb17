// The sky & fog palette's drawn controls: the sun ball's shading and highlight, and the cloud
// cross-section.
#include <gtest/gtest.h>

#include "presets/sky_fog_drawing.h"
#include "tests/framework/image/image_fixture.h"

namespace {

using SkyFogDrawingTest = ImageTest;

constexpr uint32_t kBackground = 0x00123456;

uint32_t At(CImage& image, uint32_t x, uint32_t y) { return Pixels(image)[y * image.GetWidth() + x]; }

CImVector Colour(uint32_t value) {
  CImVector c;
  c.value = value;
  return c;
}

uint32_t Brightness(uint32_t pixel) { return (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF); }

TEST_F(SkyFogDrawingTest, DepthTableEnds) {
  EXPECT_EQ(GetSunDepthTable()[0], 1023);
  EXPECT_EQ(GetSunDepthTable()[1023], 21);
}

TEST_F(SkyFogDrawingTest, SunBallCentreAndBackground) {
  struct SCase {
    uint32_t colour;
    uint32_t centre;
  };
  for (const SCase& c : {SCase{0x00FFFFFF, 0x00F0F0F0}, {0x00000000, 0x00818181}}) {
    auto image = SolidImage(64, 64, kBackground);
    ASSERT_TRUE(DrawSunBall(image.get(), 0, 0, Colour(c.colour)));
    EXPECT_EQ(At(*image, 32, 32), c.centre) << std::hex << c.colour;
    EXPECT_EQ(At(*image, 0, 0), kBackground) << "outside the ball";
    EXPECT_EQ(At(*image, 63, 63), kBackground);
    EXPECT_NE(At(*image, 32, 2), kBackground) << "inside, near the rim";
  }
}

TEST_F(SkyFogDrawingTest, HighlightFollowsTheControlPoint) {
  auto image = SolidImage(64, 64, kBackground);
  ASSERT_TRUE(DrawSunBall(image.get(), 50, 0, Colour(0x00808080)));
  EXPECT_GT(Brightness(At(*image, 52, 32)), Brightness(At(*image, 12, 32))) << "right of the centre";
  ASSERT_TRUE(DrawSunBall(image.get(), 0, 50, Colour(0x00808080)));
  EXPECT_GT(Brightness(At(*image, 32, 12)), Brightness(At(*image, 32, 52))) << "above the centre";
  ASSERT_TRUE(DrawSunBall(image.get(), 0, -50, Colour(0x00808080)));
  EXPECT_LT(Brightness(At(*image, 32, 12)), Brightness(At(*image, 32, 52)));

  auto tiny = SolidImage(1, 1, kBackground);
  EXPECT_TRUE(DrawSunBall(tiny.get(), 0, 0, Colour(0)));
  EXPECT_EQ(At(*tiny, 0, 0), kBackground);
}

TEST_F(SkyFogDrawingTest, FlatCloudFillsTheLowerHalfWhateverTheTexture) {
  for (double answer : {0.0, 0.3, 1.0}) {
    auto image = SolidImage(64, 40, kBackground);
    ASSERT_TRUE(DrawCloudProfile(image.get(), 50, 100, 0, [answer](double, double, double) { return answer; }));
    for (uint32_t x = 0; x < 64; ++x) {
      EXPECT_EQ(At(*image, x, 18), kProfileSky) << x;
      EXPECT_EQ(At(*image, x, 21), kProfileCloud) << x;
    }
  }
}

TEST_F(SkyFogDrawingTest, CloudThicknessFollowsTheTextureAndAmplitude) {
  // The texture answers 1 on the right half: full amplitude fills those columns, none on the left.
  auto image = SolidImage(64, 40, kBackground);
  double lastU = 0;
  ASSERT_TRUE(DrawCloudProfile(image.get(), 0, 200, 500, [&lastU](double u, double v, double w) {
    EXPECT_DOUBLE_EQ(v, 30000);
    EXPECT_DOUBLE_EQ(w, 107.0);
    lastU = u;
    return u > 0 ? 1.0 : 0.0;
  }));
  EXPECT_DOUBLE_EQ(lastU, 2.0 * 63 / 64) << "the last column of the work picture";
  EXPECT_EQ(At(*image, 60, 1), kProfileCloud);
  EXPECT_EQ(At(*image, 4, 30), kProfileSky);
}

}  // namespace
