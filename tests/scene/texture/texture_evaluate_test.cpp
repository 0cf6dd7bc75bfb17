#include "scene/texture/texture_evaluate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "scene/texture/colour_map.h"
#include "texture_fixture.h"

namespace {

constexpr uint32_t kGreyRamp[3] = {0x000000, 0x808080, 0xFFFFFF};

class TextureEvaluation : public TextureTest {};

TEST_F(TextureEvaluation, ValueNoiseThroughAGreyRamp) {
  STextureComponent c = MakeComponent(3, kValueNoise3);
  c.colour = MakeColourOutput(6, kGreyRamp[0], kGreyRamp[1], kGreyRamp[2]);
  STextureData data = MakeTexture(1, 3, c);
  PrepareEvaluation(data, false);
  EvaluateTexture(0, 0, 0, data);
  EXPECT_NEAR(data.result.value, 214 / 255.0, 1e-9);
  EXPECT_EQ(data.result.colour, 0x00D6D6D6u);  // 128 + trunc(127·(2·214/255 − 1))
}

TEST_F(TextureEvaluation, ValueOnlyTextureAskedForColourUsesTheGlobalMap) {
  STextureData data = MakeTexture(1, 2, MakeComponent(1, kValueNoise3));
  data.filter = {7, 0, 0.75f, 0};
  data.colour = MakeColourOutput(5, 0x123456, 0, 0);
  PrepareEvaluation(data, false);
  EvaluateTexture(0, 0, 0, data);
  EXPECT_NEAR(data.result.value, 0.75 * 214 / 255, 1e-9);  // the global filter
  EXPECT_EQ(data.result.colour, Grey(160));

  data.colour.mapKind = 0;
  EvaluateTexture(0, 0, 0, data);
  EXPECT_EQ(data.result.colour, 0x123456u);
}

TEST_F(TextureEvaluation, ColourOnlyTextureAskedForValue) {
  const struct {
    uint32_t colour;
    double value;
  } cases[] = {{0xFFFFFF, 1.0}, {0x000000, 0.0}, {0x102030, (16 + 32 + 48) / 765.0}};
  for (const auto& c : cases) {
    STextureComponent component = MakeComponent(2, kValueNoise3);
    component.colour = MakeColourOutput(0, c.colour, 0, 0);
    STextureData data = MakeTexture(1, 1, component);
    PrepareEvaluation(data, false);
    EvaluateTexture(0.3, 0.6, 0.9, data);
    EXPECT_NEAR(data.result.value, c.value, 1e-9) << std::hex << c.colour;
  }
}

TEST_F(TextureEvaluation, BumpOnlyTextureAskedForColourCentresOn128) {
  STextureData flat = MakeTexture(1, 2, MakeComponent(4, kNoNoise));
  PrepareEvaluation(flat, true);
  EvaluateTexture(0.3, 0.4, 0.5, flat);
  EXPECT_EQ(flat.result.colour, 0x808080u);

  // The radial noise rises along every axis here: each byte at or above 128, x the steepest.
  STextureData slope = MakeTexture(1, 2, MakeComponent(4, kRadial3));
  PrepareEvaluation(slope, true);
  EvaluateTexture(0.3, 0.2, 0.1, slope);
  const uint32_t colour = slope.result.colour;
  EXPECT_GT(Red(colour), Green(colour));
  EXPECT_GT(Green(colour), 128);
  EXPECT_GE(Blue(colour), 128);
}

// Offsets of 0.001 along the texture's axes become the matrix's columns; the gradient is normalised
// with the octave term 0.5/(octaves + 1).
TEST_F(TextureEvaluation, GradientOfAComponent) {
  STextureComponent c = MakeComponent(5, kRadial3);
  c.frequency[0] = 2;
  STextureData data = MakeTexture(1, 5, c);
  PrepareEvaluation(data, true);
  EvaluateTexture(0.15, 0.4, 0, data);
  EXPECT_NEAR(data.result.value, 0.5, 1e-9);
  EXPECT_NEAR(data.result.gradient[0], 0.0017006644354, 1e-6);
  EXPECT_NEAR(data.result.gradient[1], 0.0011318767914, 1e-6);
  EXPECT_NEAR(data.result.gradient[2], 0.0000014142092, 1e-6);
}

// The sky's cloud layers evaluate through their own entry: the same value and gradient.
TEST_F(TextureEvaluation, TheSkysEntryEvaluatesTheWholeTexture) {
  STextureComponent c = MakeComponent(5, kRadial3);
  c.frequency[0] = 2;
  STextureData data = MakeTexture(1, 5, c);
  PrepareEvaluation(data, true);
  STextureData reference = data;
  EvaluateTexture(0.15, 0.4, 0.7, reference);
  EvaluateTextureComponent(0.15, 0.4, 0.7, data);
  // Packed doubles are read into locals before comparing.
  const double value = data.result.value, expectedValue = reference.result.value;
  EXPECT_EQ(value, expectedValue);
  for (int i = 0; i < 3; ++i) {
    const double gradient = data.result.gradient[i], expected = reference.result.gradient[i];
    EXPECT_EQ(gradient, expected) << i;
    if (i == 0) {
      EXPECT_NE(gradient, 0);
    }
  }
}

TEST_F(TextureEvaluation, PhaseWarpsMoveThePoint) {
  // A quarter turn in x-y takes (0.3, 0.4, 0) to (0.4, −0.3, 0), whose one-dimensional radial value
  // 0.4 moves x; the component then reads |0.7|.
  STextureComponent c = MakeComponent(1, kRadial1);
  STextureData plain = MakeTexture(1, 1, c);
  PrepareEvaluation(plain, false);
  EvaluateTexture(0.3, 0.4, 0, plain);
  EXPECT_NEAR(plain.result.value, 0.3, 1e-9);

  STextureData global = plain;
  global.globalPhase = {kRadial1, 3600, 0, 0, {1, 1, 1}};
  PrepareEvaluation(global, false);
  EXPECT_EQ(global.transform, kTransformWarped);
  EvaluateTexture(0.3, 0.4, 0, global);
  EXPECT_NEAR(global.result.value, 0.7, 1e-9);

  // In two dimensions (0.1, 0.2) turns to (0.2, −0.1): x moves by its length, then y by the length
  // of the point turned one axis further, (−0.1, 0).
  global.globalPhase.code = kRadial1 + 1;
  global.component[0].noiseCode = kRadial1 + 1;
  PrepareEvaluation(global, false);
  EvaluateTexture(0.1, 0.2, 0, global);
  EXPECT_NEAR(global.result.value, std::hypot(0.1 + std::sqrt(0.05), 0.2 + 0.1), 1e-9);

  STextureData local = plain;
  local.component[0].phase = {kRadial1, 10, 0, 0, {360, 360, 360}};
  PrepareEvaluation(local, false);
  EvaluateTexture(0.3, 0.4, 0, local);
  EXPECT_NEAR(local.result.value, 0.7, 1e-9);
}

// The other operations and components hold values that would change the result if they were read.
TEST_F(TextureEvaluation, UnusedOperationsAndComponentsAreNotRead) {
  STextureComponent c = MakeComponent(3, kValueNoise3);
  c.colour = MakeColourOutput(6, kGreyRamp[0], kGreyRamp[1], kGreyRamp[2]);
  STextureData reference = MakeTexture(1, 7, c);
  reference.component[1] = reference.component[2] = STextureComponent{};
  PrepareEvaluation(reference, false);
  EvaluateTexture(0.7, 0.2, 1.3, reference);

  STextureData count1 = MakeTexture(1, 7, c);
  count1.operation[0] = 3;
  count1.operation[1] = 18;
  count1.component[1] = MakeComponent(4, kRadial3);
  count1.component[2] = MakeComponent(2, kRadial3);
  PrepareEvaluation(count1, false);
  EvaluateTexture(0.7, 0.2, 1.3, count1);
  EXPECT_EQ(0, std::memcmp(&count1.result, &reference.result, sizeof(STextureResult)));

  for (int32_t count : {0, 4, -1}) {
    count1.count = count;
    PrepareEvaluation(count1, false);
    EvaluateTexture(0.7, 0.2, 1.3, count1);
    EXPECT_EQ(0, std::memcmp(&count1.result, &reference.result, sizeof(STextureResult))) << count;
  }

  STextureData count2 = MakeTexture(2, 7, c);
  count2.operation[0] = 2;
  count2.component[1] = MakeComponent(1, kRadial3);
  PrepareEvaluation(count2, false);
  EvaluateTexture(0.7, 0.2, 1.3, count2);
  const STextureResult two = count2.result;
  count2.operation[1] = 3;
  count2.component[2] = MakeComponent(4, kRadial3);
  PrepareEvaluation(count2, false);
  EvaluateTexture(0.7, 0.2, 1.3, count2);
  EXPECT_EQ(0, std::memcmp(&count2.result, &two, sizeof(STextureResult)));
  EXPECT_NE(0, std::memcmp(&two, &reference.result, sizeof(STextureResult)));
}

TEST_F(TextureEvaluation, ComponentAtEvaluatesOneComponent) {
  STextureComponent first = MakeComponent(3, kValueNoise3);
  first.colour = MakeColourOutput(6, kGreyRamp[0], kGreyRamp[1], kGreyRamp[2]);
  STextureData data = MakeTexture(3, 7, first);
  data.component[1] = MakeComponent(1, kRadial3);
  PrepareEvaluation(data, false);

  EvaluateComponentAt(0.3, 0.4, 0, data, 2);
  EXPECT_NEAR(data.result.value, 0.5, 1e-9);
  EXPECT_EQ(data.result.colour, Grey(127));  // trunc(254 · 0.5)

  EvaluateComponentAt(0, 0, 0, data, 1);
  const STextureResult one = data.result;
  EXPECT_NEAR(one.value, 214 / 255.0, 1e-9);
  EXPECT_EQ(one.colour, 0xD6D6D6u);
  for (int32_t index : {0, 4, -2}) {
    EvaluateComponentAt(0, 0, 0, data, index);
    EXPECT_EQ(0, std::memcmp(&data.result, &one, sizeof(STextureResult))) << index;
  }

  // Colours given as hue, lightness and saturation come back as red, green and blue.
  data.component[2] = MakeComponent(2, kNoNoise);
  data.component[2].colour = MakeColourOutput(0, 0x0080FF, 0, 0, kColourFormatHLS);
  PrepareEvaluation(data, false);
  EvaluateComponentAt(0, 0, 0, data, 3);
  EXPECT_EQ(data.result.colour, 0xFF0101u);
}

TEST_F(TextureEvaluation, ConversionToHLSAfterEvaluation) {
  STextureComponent c = MakeComponent(2, kNoNoise);
  c.colour = MakeColourOutput(0, 0x00FF00, 0, 0);
  STextureData data = MakeTexture(1, 2, c);
  data.colour.format = kColourFormatHLS;
  PrepareEvaluation(data, false);
  EXPECT_EQ(data.conversionMode, kConvertHLSToRGB);  // no colour map: the global format decides
  data.component[0].colour.mapKind = 1;              // red from the value 0.5, in RGB
  PrepareEvaluation(data, false);
  ASSERT_EQ(data.conversionMode, kConvertRGBToHLS);
  EvaluateTexture(0, 0, 0, data);
  // (127, 255, 0): hue (1 + 128/255)/6, lightness 0.5, saturation 1.
  EXPECT_EQ(data.result.colour, 0x4080FFu);
}

STextureResult MakeSample(uint32_t colour, double gradient, double value) {
  return {colour, {gradient, gradient, gradient}, value};
}

class TextureCombine : public TextureTest {};

// Running value a = 0.25 (colour 64, gradient 0.25) with the next b = 0.75 (colour 192, gradient
// 0.75), every mode combining both.
TEST_F(TextureCombine, Operations) {
  const struct {
    int32_t operation;
    double value;
    int32_t channel;
    double gradient;
  } cases[] = {
      {0, 0.25, 64, 0.25},   {1, 0.25, 64, 0.25},     {2, 0.5, 128, 0.5},      {3, 0.1875, 48, 0.1875},
      {4, 0.75, 192, 0.75},  {5, 0.25, 64, 0.25},     {6, 0.5, 255, 1.0},      {7, 0, 128, -0.5},
      {8, 0.375, 96, 0.375},  // mix factor: a's value
      {9, 0.625, 160, 0.625},  // mix factor: b's value
      {15, 0.25, 64, 0.25},   // clamp(3·(a − b)) = 0
      {16, 0.75, 192, 0.75},  // clamp(3·(b − a)) = 1
      {17, 0.375, 96, 0.8125}, {18, 0.5, 128, -0.5},
      {19, 0.25, 64, 0.25},  {-1, 0.25, 64, 0.25},  // outside the table: as 0
  };
  const SColorOutput aOutput = MakeColourOutput(0, 0x404040, 0, 0);
  const SColorOutput bOutput = MakeColourOutput(0, 0xC0C0C0, 0, 0);
  for (const auto& c : cases) {
    STextureResult a = MakeSample(0x404040, 0.25, 0.25);
    CombineComponents(aOutput, bOutput, a, MakeSample(0xC0C0C0, 0.75, 0.75), c.operation, 1, 1, 1);
    EXPECT_NEAR(a.value, c.value, 1e-9) << "operation " << c.operation;
    EXPECT_EQ(a.colour, Grey(c.channel)) << "operation " << c.operation;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a.gradient[i], c.gradient, 1e-9) << "operation " << c.operation;
  }
}

TEST_F(TextureCombine, MixFactorsFromTheSurface) {
  const struct {
    int32_t operation;
    double altitude, slope, facing;
    double value;
  } cases[] = {
      {10, 0, 0.5, 0, 0.5},
      {11, 2, 0, 0, 0.75},  // altitude clamped to 1
      {12, 0, 0, 0.25, 0.375},
      {13, 0, 0.15625, 0, 0.5},  // S(4·slope − 0.125) = S(0.5)
  };
  const SColorOutput output = MakeColourOutput(0, 0, 0, 0);
  for (const auto& c : cases) {
    GetTextureEngine().altitude = c.altitude;
    GetTextureEngine().slope = c.slope;
    GetTextureEngine().facing = c.facing;
    STextureResult a = MakeSample(0, 0, 0.25);
    CombineComponents(output, output, a, MakeSample(0, 0, 0.75), c.operation, 0, 0, 1);
    EXPECT_NEAR(a.value, c.value, 1e-9) << "operation " << c.operation;
  }
}

TEST_F(TextureCombine, EqualValuesUnderMaximumKeepTheRunningColourAndGradient) {
  const SColorOutput output = MakeColourOutput(0, 0x202020, 0, 0);
  STextureResult a = MakeSample(0x123456, 0.3, 0.5);
  CombineComponents(output, output, a, MakeSample(0xABCDEF, -0.7, 0.5), 4, 1, 1, 1);
  EXPECT_EQ(a.colour, 0x123456u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a.gradient[i], 0.3, 0);
}

TEST_F(TextureCombine, ColourModes) {
  const SColorOutput rgb = MakeColourOutput(0, 0xC0C0C0, 0, 0);
  const SColorOutput redFromValue = MakeColourOutput(1, 0x000000, 0, 0);
  const SColorOutput hls = MakeColourOutput(0, 0x0080FF, 0, 0, kColourFormatHLS);
  const struct {
    const char* what;
    SColorOutput aOutput, bOutput;
    uint32_t running;
    int32_t operation, mode;
    uint32_t colour;
    double value;
  } cases[] = {
      // B's map with the running colour in place of its first colour: red from b's value.
      {"operation 1", rgb, redFromValue, 0x404040, 1, 1, 0xBF4040, 0.25},
      {"value then colour", rgb, rgb, 0x404040, 2, 2, Grey((63 + 192) >> 1), 0.25},
      {"colour then value", rgb, rgb, 0x404040, 2, 3, Grey((64 + 191) >> 1), 0.75},
      {"only the next colour", rgb, rgb, 0x404040, 3, 6, 0xC0C0C0, 0.25},
      {"keep", rgb, rgb, 0x404040, 2, 7, 0x404040, 0.25},
      {"none", rgb, rgb, 0x404040, 2, 0, 0x404040, 0.25},
      // The running colour, read as hue 0 and lightness and saturation 64/255, becomes RGB first.
      {"formats differ", hls, rgb, 0x004040, 0, 1, 0x503030, 0.25},
  };
  for (const auto& c : cases) {
    STextureResult a = MakeSample(c.running, 0, 0.25);
    CombineComponents(c.aOutput, c.bOutput, a, MakeSample(0xC0C0C0, 0, 0.75), c.operation, c.mode, 0, 7);
    EXPECT_EQ(a.colour, c.colour) << c.what << std::hex << " got " << a.colour;
    EXPECT_NEAR(a.value, c.value, 1e-9) << c.what;
  }
}

TEST_F(TextureCombine, BumpModes) {
  const SColorOutput output = MakeColourOutput(0, 0, 0, 0);
  const struct {
    int32_t mode, operation;
    double gradient;
  } cases[] = {
      {6, 2, -0.5},  // B's gradient
      {2, 2, (0.25 - 0.5) / 2},  // a's value as its gradient
      {3, 2, (0.1 + 0.75) / 2},  // b's value as its gradient
      {0, 2, 0.1},
  };
  for (const auto& c : cases) {
    STextureResult a = MakeSample(0, 0.1, 0.25);
    CombineComponents(output, output, a, MakeSample(0, -0.5, 0.75), c.operation, 0, c.mode, 7);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a.gradient[i], c.gradient, 1e-9) << "mode " << c.mode;
  }

  // Colour mode 5: the running result takes the next gradient, and its colour the normal's bytes.
  STextureResult a = MakeSample(0x404040, 0.1, 0.25);
  CombineComponents(output, output, a, MakeSample(0, 0, 0.75), 0, 5, 0, 7);
  EXPECT_EQ(a.colour, 0x404040u);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a.gradient[i], 0, 0);
  CombineComponents(output, output, a, MakeSample(0, 0, 0.75), 2, 5, 0, 7);
  EXPECT_EQ(a.colour, Grey((64 + 128) >> 1));
}

TEST_F(TextureCombine, ConvertTextureOutput) {
  const SColorOutput none = MakeColourOutput(0, 0x123456, 0, 0);
  const SColorOutput greyMap = MakeColourOutput(5, 0, 0, 0);
  const struct {
    const char* what;
    int32_t produced, wanted;
    SColorOutput global;
    STextureResult in, out;
  } cases[] = {
      {"value as gradient", 1, 4, none, {0, {0, 0, 0}, 0.3}, {0, {0.3, 0.3, 0.3}, 0.3}},
      {"value as colour", 1, 2, greyMap, {0, {0, 0, 0}, 0.5}, {Grey(127), {0, 0, 0}, 0.5}},
      {"colour as gradient", 2, 4, none, {0x80C040, {}, 0}, {0x80C040, {0, 0.25, -0.25}, 0}},
      {"colour as value", 2, 1, none, {0xFFFFFF, {}, 0}, {0xFFFFFF, {}, 1}},
      {"colour and value as gradient", 3, 4, none, {0x80C040, {}, 0.5}, {0x80C040, {0, 0.25, -0.25}, 0.5}},
      {"bump as value", 4, 1, none, {0, {0.3, 0.2, -0.1}, 0}, {0, {0.3, 0.2, -0.1}, 1.9 / 3}},
      {"bump as value, clamped", 4, 1, none, {0, {1, 1, 1}, 0}, {0, {1, 1, 1}, 1}},
      {"flat bump as colour", 4, 2, none, {0, {0, 0, 0}, 0}, {0x808080, {0, 0, 0}, 0}},
      {"value and bump as colour", 5, 2, greyMap, {0, {0.5, 0, 0}, 1}, {0xFFFFFF, {0.5, 0, 0}, 1}},
      // A quarter of the way toward the global map's grey of the value.
      {"colour mixed toward the global map", 3, 2, greyMap, {0x000000, {}, 1}, {Grey(63), {}, 1}},
      {"all kinds mixed too", 7, 2, greyMap, {0xFFFFFF, {}, 0}, {Grey(255 - 63), {}, 0}},
      {"nothing produced", 0, 7, greyMap, {0x111111, {}, 0.5}, {0x111111, {}, 0.5}},
  };
  for (const auto& c : cases) {
    STextureResult r = c.in;
    ConvertTextureOutput(r, c.produced, c.wanted, c.global);
    EXPECT_EQ(r.colour, c.out.colour) << c.what << std::hex << " got " << r.colour;
    EXPECT_NEAR(r.value, c.out.value, 1e-9) << c.what;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(r.gradient[i], c.out.gradient[i], 1e-9) << c.what;
  }
}

}  // namespace
