#include "scene/texture/texture_compile.h"

#include <gtest/gtest.h>

#include "framework/core/vector3.h"

namespace {

using Point = vector3<double>;

Point Apply(const SCompiledNoise& c, const Point& p) {
  return {c.m[0] * p.x + c.m[1] * p.y + c.m[2] * p.z, c.m[3] * p.x + c.m[4] * p.y + c.m[5] * p.z,
          c.m[6] * p.x + c.m[7] * p.y + c.m[8] * p.z};
}

void ExpectNear(const Point& actual, const Point& expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-9) << what;
}

TEST(TextureCompile, DecodesComponentCodes) {
  const struct {
    int32_t code, dimension, noise, blend, octaves;
  } cases[] = {
      {0x0A05, 1, 1, 1, 0},
      {0x0A0B, 3, 2, 1, 0},
      {26, 2, 6, 0, 0},
      {2 + 4 * 25 + 256 * (10 * 12 + 9), 2, 25, 12, 9},
      {4 * 63 + 256 * 75, 0, 63, 7, 5},
      {-1, 3, 63, 0, 9},  // −1 >> 8 is −1: no blend kind
      {-0x0A05 - 0x100, 3, 62, 0, 8},  // −2821 >> 8 is −12
  };
  for (const auto& c : cases) {
    SCompiledNoise compiled{};
    DecodeTextureComponent(c.code, compiled);
    EXPECT_EQ(compiled.dimension, c.dimension) << c.code;
    EXPECT_EQ(compiled.noise, c.noise) << c.code;
    EXPECT_EQ(compiled.blend, c.blend) << c.code;
    EXPECT_EQ(compiled.octaves, c.octaves) << c.code;
  }
}

TEST(TextureCompile, NoiseAndPhaseMatrices) {
  const Point p{0.5, -2, 3};
  STextureComponent component{};
  component.kinds = 5;
  component.frequency[0] = 2;
  component.frequency[1] = 3;
  component.frequency[2] = 4;
  CompileNoiseSpec(component);
  ExpectNear(Apply(component.compiledNoise, p), {1, -6, 12}, "frequencies (2, 3, 4)");
  EXPECT_EQ(component.gradientFlag, kKindBump);

  component.angleYZ = 90;
  CompileNoiseSpec(component);
  ExpectNear(Apply(component.compiledNoise, p), {1, 9, -8}, "a quarter turn in y-z");

  // The phase turns by another quarter in x-y and divides by 360.
  component.phase.frequency[0] = component.phase.frequency[1] = component.phase.frequency[2] = 360;
  CompilePhaseSpec(component);
  ExpectNear(Apply(component.compiledPhase, p), {-2, -0.5, 3}, "phase");

  SPhaseSpec global{};
  global.frequency[0] = global.frequency[1] = global.frequency[2] = 2;
  SCompiledNoise compiled{};
  CompileGlobalPhase(global, compiled);
  ExpectNear(Apply(compiled, p), {-4, -1, 6}, "global phase");
}

TEST(TextureCompile, CombineComponentKinds) {
  const struct {
    int32_t a, b, operation;
    int32_t colour, bump, value;
  } cases[] = {
      {2, 1, 0, 7, 0, 6},  // 3, then 7 under operation 0
      {2, 1, 3, 3, 0, 6},
      {2, 4, 2, 5, 6, 0},
      {2, 5, 0, 7, 6, 6},
      {1, 2, 3, 6, 0, 7},  // 2, then 6: the colour-less A
      {2, 2, 0, 1, 0, 0},
      {3, 2, 9, 1, 0, 7},
      {1, 1, 3, 0, 0, 1},
      {4, 1, 2, 0, 3, 6},
      {4, 3, 0, 6, 3, 6},
      {1, 4, 2, 0, 2, 7},
      {1, 4, 1, 0, 6, 7},
      {4, 4, 5, 0, 1, 0},
      {6, 7, 4, 1, 1, 6},
  };
  for (const auto& c : cases) {
    int32_t colour = -1, bump = -1, value = -1;
    EXPECT_EQ(CombineComponentKinds(c.a, c.b, colour, bump, value, c.operation), c.a | c.b);
    EXPECT_EQ(colour, c.colour) << c.a << ", " << c.b << " op " << c.operation;
    EXPECT_EQ(bump, c.bump) << c.a << ", " << c.b << " op " << c.operation;
    EXPECT_EQ(value, c.value) << c.a << ", " << c.b << " op " << c.operation;
  }
}

STextureData MakeData(int32_t count) {
  STextureData data{};
  data.count = count;
  for (STextureComponent& c : data.component) {
    c.kinds = 1;
    c.frequency[0] = c.frequency[1] = c.frequency[2] = 1;
  }
  return data;
}

TEST(TextureCompile, GradientFlagsFollowTheColourMaps) {
  STextureData data = MakeData(1);
  const int32_t maps[3] = {5, 6, 16};
  for (int i = 0; i < 3; ++i) {
    data.component[i].colour.mapKind = maps[i];
    data.component[i].kinds = i == 0 ? 7 : 3;
  }
  PrepareEvaluation(data, false);
  EXPECT_EQ(data.component[0].gradientFlag, 0);
  EXPECT_NE(data.component[1].gradientFlag, 0);  // also beyond the count
  EXPECT_NE(data.component[2].gradientFlag, 0);
  EXPECT_EQ(data.anyGradient, 0);

  PrepareEvaluation(data, true);
  EXPECT_EQ(data.component[0].gradientFlag, kKindBump);
  EXPECT_EQ(data.component[1].gradientFlag, 0);
  EXPECT_NE(data.anyGradient, 0);
}

TEST(TextureCompile, ConversionModes) {
  const struct {
    int32_t count;
    int32_t globalFormat;
    int32_t maps[3], formats[3];
    int32_t expected;
  } cases[] = {
      {1, 0, {6, 0, 0}, {64, 0, 0}, kConvertHLSToRGB},
      {1, 64, {6, 0, 0}, {0, 0, 0}, kConvertRGBToHLS},
      {1, 64, {0, 0, 0}, {0, 0, 0}, kConvertHLSToRGB},  // the global map's colours are HLS
      {1, 64, {6, 0, 0}, {64, 0, 0}, kConvertHLSToRGB},
      {1, 0, {6, 0, 0}, {0, 0, 0}, kConvertNone},
      {1, 0, {6, 0, 0}, {1, 0, 0}, kConvertNone},       // any format but 64 is RGB
      {1, 0, {6, 6, 0}, {0, 64, 0}, kConvertNone},      // component 2 is not in use
      {2, 0, {6, 6, 0}, {0, 64, 0}, kConvertHLSToRGB},
      {2, 0, {6, 6, 0}, {64, 0, 0}, kConvertHLSToRGB},  // a later matching component changes nothing
      {3, 64, {6, 6, 6}, {0, 64, 0}, kConvertRGBToHLS},
  };
  for (const auto& c : cases) {
    STextureData data = MakeData(c.count);
    data.colour.format = c.globalFormat;
    for (int i = 0; i < 3; ++i) {
      data.component[i].colour.mapKind = c.maps[i];
      data.component[i].colour.format = c.formats[i];
    }
    PrepareEvaluation(data, false);
    EXPECT_EQ(data.conversionMode, c.expected) << "count " << c.count << " global " << c.globalFormat;
  }
}

TEST(TextureCompile, PointTransformIsWarpedOnlyByARealGlobalPhase) {
  const struct {
    int32_t code, amount, expected;
  } cases[] = {
      {26, 5, kTransformWarped},
      {2, 5, kTransformPlain},  // noise number 0
      {26, 0, kTransformPlain},
      {26, -5, kTransformPlain},
      {4 * 40, 1, kTransformWarped},
  };
  for (const auto& c : cases) {
    STextureData data = MakeData(1);
    data.globalPhase.code = c.code;
    data.globalPhase.amount = c.amount;
    data.transform = 99;
    PrepareEvaluation(data, false);
    EXPECT_EQ(data.transform, c.expected) << c.code << " amount " << c.amount;
  }
}

TEST(TextureCompile, ProducedKindsUseOnlyTheComponentsInUse) {
  STextureData data = MakeData(2);
  data.component[0].kinds = 1;
  data.component[1].kinds = 2;
  data.component[2].kinds = 4;
  data.operation[0] = 3;
  data.operation[1] = 0;
  PrepareEvaluation(data, false);
  EXPECT_EQ(data.producedKinds, 3);
  EXPECT_EQ(data.colourMode[0], 6);
  EXPECT_EQ(data.valueMode[0], 7);

  data.count = 3;
  PrepareEvaluation(data, false);
  EXPECT_EQ(data.producedKinds, 7);
  EXPECT_EQ(data.bumpMode[1], 6);

  for (int32_t count : {0, 1, 4, -3}) {
    data.count = count;
    PrepareEvaluation(data, false);
    EXPECT_EQ(data.producedKinds, 1) << count;
  }
}

}  // namespace
