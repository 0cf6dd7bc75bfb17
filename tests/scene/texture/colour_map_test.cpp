#include "scene/texture/colour_map.h"

#include <gtest/gtest.h>

#include <limits>

#include "texture_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

class ColourMap : public TextureTest {};

// Colours (16, 32, 48), grey 128 and white. At the origin the fractal value noise is 214/255.
TEST_F(ColourMap, Kinds) {
  const struct {
    int32_t kind;
    double v;
    double altitude, slope, facing;
    uint32_t expected;
  } cases[] = {
      {0, 0.7, 0, 0, 0, 0x102030},
      {1, 0.5, 0, 0, 0, 0x7F2030},
      {2, 0.5, 0, 0, 0, 0x107F30},
      {3, 0.5, 0, 0, 0, 0x10207F},
      {3, 2.0, 0, 0, 0, 0x1020FF},
      {3, -1.0, 0, 0, 0, 0x102000},
      {4, 0.125, 0, 0, 0, MakeColour(33, 47, 60)},
      {5, 0.5, 0, 0, 0, 0x7F7F7F},
      {6, 0.125, 0, 0, 0, MakeColour(44, 56, 68)},
      {6, 0.25, 0, 0, 0, MakeColour(72, 80, 88)},
      {6, 0.75, 0, 0, 0, MakeColour(191, 191, 191)},
      {6, 1.5, 0, 0, 0, kWhite},
      {6, -0.5, 0, 0, 0, 0x102030},
      {7, 0.25, 0, 0, 0, MakeColour(115, 123, 131)},  // jitter (214/255 − 0.5)·127 on each channel
      {8, 0.1, 0, 0, 0, MakeColour(8, 48, 110)},
      {8, 0.9, 0, 0, 0, kWhite},
      {8, 0.9, 0, 1.5, 0, MakeColour(223, 223, 223)},
      {9, 0, 0, 0, 0, MakeColour(132, 136, 140)},
      {10, 0.25, 0, 0, 0, MakeColour(150, 150, 150)},
      {11, 1, 0, 0, 0, MakeColour(252, 90, 11)},  // (sin(channel/2) + 1)·127
      {12, 0.125, 0, 0, 0, MakeColour(108, 101, 68)},
      {13, 0.5, 2, 0, 0, kWhite},
      {13, 0.5, -1, 0, 0, 0xE0E040},
      {13, 0.5, -0.05, 0, 0, 0xFFE07F},
      {13, 0.125, 0.5, 0.5, 0, MakeColour(33, 47, 60)},
      {14, 0.5, 1, 0, 0, kWhite},
      {14, 0.125, 0, 0.1, 0, MakeColour(33, 47, 60)},
      {15, 0.5, 0, 0.5, 0, MakeColour(110, 113, 115)},
      {16, 0.5, 0, 0, 0.5, MakeColour(110, 113, 115)},
      {17, 0.5, 0, 0, 0, 0x102030},
      {-3, 0.5, 0, 0, 0, 0x102030},
  };
  for (const auto& c : cases) {
    GetTextureEngine().altitude = c.altitude;
    GetTextureEngine().slope = c.slope;
    GetTextureEngine().facing = c.facing;
    const SColorOutput output = MakeColourOutput(c.kind, 0x102030, 0x808080, kWhite);
    EXPECT_EQ(MapValueToColor(output, c.v, {0, 0, 0}), c.expected)
        << "kind " << c.kind << " at " << c.v << std::hex << " got " << MapValueToColor(output, c.v, {0, 0, 0});
  }
}

// Every byte comes from a clamped conversion, so values far out of range or not a number give
// colours, never undefined conversions.
TEST_F(ColourMap, OutOfRangeValuesGiveValidColours) {
  const double values[] = {std::numeric_limits<double>::quiet_NaN(), 1e300, -1e300,
                           std::numeric_limits<double>::infinity()};
  for (int32_t kind = 0; kind <= 16; ++kind)
    for (double v : values) {
      const uint32_t colour = MapValueToColor(MakeColourOutput(kind, 0x102030, 0x808080, kWhite), v, {0.5, 1, 2});
      EXPECT_EQ(colour >> 24, 0u) << kind;
    }
  EXPECT_EQ(MapValueToColor(MakeColourOutput(5, 0, 0, 0), std::numeric_limits<double>::quiet_NaN(), {}), 0u);
}

TEST_F(ColourMap, MixAndNormal) {
  EXPECT_EQ(Mix2(0x000000, 0xFFFFFF, 0.5), Grey(127));
  EXPECT_EQ(Mix2(0xFFFFFF, 0x000000, 0.5), Grey(128));
  EXPECT_EQ(Mix2(0x102030, 0x405060, 0), 0x102030u);
  EXPECT_EQ(Mix2(0x102030, 0x405060, 1), 0x405060u);
  EXPECT_EQ(Mix2(0x102030, 0x405060, std::numeric_limits<double>::quiet_NaN()), 0x102030u);
  EXPECT_EQ(NormalColour(0, 0, 0), 0x808080u);
  EXPECT_EQ(NormalColour(1, 0, -1), MakeColour(218, 128, 38));  // 128·1/√2.005 = 90.4
  EXPECT_EQ(NormalColour(std::numeric_limits<double>::quiet_NaN(), 0, 0), 0u);  // NaN bytes clamp to 0
}

}  // namespace
