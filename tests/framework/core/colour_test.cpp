#include "framework/core/colour.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math_reference.h"

namespace {

constexpr double kTolerance = 1e-6;

// Hues are compared modulo a full turn: red may be 0 or the whole turn.
void ExpectSameHue(double actual, double expected, double turn, const std::string& what) {
  const double d = std::fmod(std::fabs(actual - expected), turn);
  EXPECT_LE(std::min(d, turn - d), kTolerance * turn) << what << ": hue " << actual << " against " << expected;
}

std::string Describe(const char* kind, const std::vector<double>& row) {
  return std::string(kind) + "(" + std::to_string(row[0]) + ", " + std::to_string(row[1]) + ", " +
         std::to_string(row[2]) + ")";
}

using Conversion = void (*)(float, float, float, float&, float&, float&);

// Each row: three arguments, three results; hueColumn is the result holding a hue, or -1.
void ExpectAgreesWithColorsys(const char* kind, Conversion convert, int hueColumn, double turn) {
  const auto& rows = MathReference(kind);
  ASSERT_EQ(rows.size(), 216u) << kind;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 6u);
    float out[3];
    convert(float(row[0]), float(row[1]), float(row[2]), out[0], out[1], out[2]);
    for (int i = 0; i < 3; ++i) {
      if (i == hueColumn)
        ExpectSameHue(out[i], row[3 + i], turn, Describe(kind, row));
      else
        EXPECT_NEAR(out[i], row[3 + i], kTolerance) << Describe(kind, row) << " result " << i;
    }
  }
}

TEST(Colour, ConversionsAgreeWithColorsysOnTheGrid) {
  ExpectAgreesWithColorsys("rgb_hls", RGBToHLS, 0, 1);
  ExpectAgreesWithColorsys("hls_rgb", HLSToRGB, -1, 1);
  ExpectAgreesWithColorsys("rgb_hsv", RGBToHSV, 0, 360);
  ExpectAgreesWithColorsys("hsv_rgb", HSVToRGB, -1, 360);
}

TEST(Colour, KnownColours) {
  const struct {
    Conversion convert;
    const char* name;
    float in[3];
    float out[3];
  } cases[] = {
      {HSVToRGB, "HSVToRGB", {360, 1, 1}, {1, 0, 0}},
      {HSVToRGB, "HSVToRGB", {0, 1, 1}, {1, 0, 0}},
      {HSVToRGB, "HSVToRGB", {120, 0, 0.5f}, {0.5f, 0.5f, 0.5f}},  // a grey keeps its leftover hue
      {HSVToRGB, "HSVToRGB", {-120, 1, 1}, {0, 0, 1}},
      {HSVToRGB, "HSVToRGB", {480, 1, 1}, {0, 1, 0}},
      {RGBToHSV, "RGBToHSV", {0, 0, 1}, {240, 1, 1}},
      {RGBToHSV, "RGBToHSV", {1, 0, 1}, {300, 1, 1}},
      {RGBToHSV, "RGBToHSV", {0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
      {RGBToHLS, "RGBToHLS", {0.2f, 0.4f, 0.6f}, {0.583333f, 0.4f, 0.5f}},
      {RGBToHLS, "RGBToHLS", {0, 0, 0}, {0, 0, 0}},
      {RGBToHLS, "RGBToHLS", {0.3f, 0.3f, 0.3f}, {0, 0.3f, 0}},
      {HLSToRGB, "HLSToRGB", {1, 0.5f, 1}, {1, 0, 0}},
      {HLSToRGB, "HLSToRGB", {0, 0.5f, 1}, {1, 0, 0}},
      {HLSToRGB, "HLSToRGB", {1.0f / 3, 0.5f, 1}, {0, 1, 0}},
      {HLSToRGB, "HLSToRGB", {0.5f, 0, 1}, {0, 0, 0}},
      {HLSToRGB, "HLSToRGB", {-1.0f / 3, 0.5f, 1}, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    // Start from stale values: every conversion must write all three results.
    float out[3] = {7, 7, 7};
    c.convert(c.in[0], c.in[1], c.in[2], out[0], out[1], out[2]);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(out[i], c.out[i], kTolerance * std::max(1.0f, std::fabs(c.out[i])))
          << c.name << "(" << c.in[0] << ", " << c.in[1] << ", " << c.in[2] << ") result " << i;
  }
}

TEST(Colour, HueThatIsNotANumberCountsAsZero) {
  float r = 7, g = 7, b = 7;
  HSVToRGB(std::nanf(""), 1, 1, r, g, b);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
  HLSToRGB(std::nanf(""), 0.5f, 1, r, g, b);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 0);
}

}  // namespace
