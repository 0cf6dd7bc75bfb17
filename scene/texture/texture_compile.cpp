#include "scene/texture/texture_compile.h"

#include <cmath>

#include "scene/texture/blend.h"
#include "scene/texture/noise.h"

namespace {

constexpr double kRadiansPerDegree = 0.01745329252;
constexpr double kPerTurn = 0.002777777778;

void CompilePhase(const SPhaseSpec& phase, double scale, SCompiledNoise& compiled) {
  SetNoiseMatrix(compiled, phase.angleXY + 90.0, phase.angleYZ, phase.frequency, scale);
  DecodeTextureComponent(phase.code, compiled);
}

// A component whose colours are in another format than the texture's needs its colour converted.
void ApplyConversionRule(STextureData& data, const STextureComponent& component) {
  const bool globalHLS = IsHLS(data.colour);
  if (component.colour.mapKind != 0 && IsHLS(component.colour) != globalHLS)
    data.conversionMode = globalHLS ? kConvertRGBToHLS : kConvertHLSToRGB;
  else if (globalHLS)
    data.conversionMode = kConvertHLSToRGB;
}

int32_t ColourMode(int32_t a, int32_t b, int32_t operation) {
  const bool aColour = a & kKindColour, bColour = b & kKindColour;
  if (!aColour && !bColour) return 0;
  int32_t mode = 0;
  if (a == 2 && b == 1) mode = 3;
  if (a == 2 && (b == 4 || b == 5)) mode = 5;
  if (b == 2 && a == 1) mode = 2;
  if (b == 2 && a == 4) mode = 4;
  if (b == 2 && a == 5) mode = 2;
  if (operation == 0) {
    if (aColour && !bColour) mode = 7;
    if (bColour) mode = 6;
  }
  if (!aColour && bColour) mode = 6;
  if (aColour && bColour) mode = 1;
  return mode;
}

int32_t BumpMode(int32_t a, int32_t b, int32_t operation) {
  const bool aBump = a & kKindBump, bBump = b & kKindBump;
  if (!aBump && !bBump) return 0;
  int32_t mode = 0;
  if (!aBump) mode = 6;
  if ((a == 1 || a == 3) && b == 4) mode = 2;
  if (a == 4 && (b == 1 || b == 3)) mode = 3;
  if ((operation == 0 || operation == 1) && bBump) mode = 6;
  if (aBump && bBump) mode = 1;
  return mode;
}

int32_t ValueMode(int32_t a, int32_t b) {
  const bool aValue = a & kKindValue, bValue = b & kKindValue;
  if (aValue && bValue) return 1;
  if (bValue) return 6;
  return aValue ? 7 : 0;
}

}  // namespace

void SetNoiseMatrix(SCompiledNoise& compiled, double angleXY, double angleYZ, const int32_t frequency[3], double scale) {
  const double a1 = angleXY * kRadiansPerDegree, a2 = angleYZ * kRadiansPerDegree;
  const double fx = frequency[0] * scale, fy = frequency[1] * scale, fz = frequency[2] * scale;
  const double c1 = std::cos(a1), s1 = std::sin(a1), c2 = std::cos(a2), s2 = std::sin(a2);
  const double m[9] = {fx * c1, fx * c2 * s1, -fx * s2 * s1, -fy * s1, fy * c2 * c1, fy * s2 * c1, 0, fz * s2, fz * c2};
  for (int i = 0; i < 9; ++i) compiled.m[i] = m[i];
}

void DecodeTextureComponent(int32_t code, SCompiledNoise& compiled) {
  compiled.noise = (code & 252) >> 2;
  compiled.dimension = code & 3;
  GetBlendFunction(code, compiled.octaves, compiled.blend);
}

void CompileNoiseSpec(STextureComponent& component) {
  SetNoiseMatrix(component.compiledNoise, component.angleXY, component.angleYZ, component.frequency, 1.0);
  DecodeTextureComponent(component.noiseCode, component.compiledNoise);
  component.gradientFlag = component.kinds & kKindBump;
}

void CompilePhaseSpec(STextureComponent& component) {
  CompilePhase(component.phase, kPerTurn, component.compiledPhase);
}

void CompileGlobalPhase(const SPhaseSpec& phase, SCompiledNoise& compiled) { CompilePhase(phase, 1.0, compiled); }

int32_t CombineComponentKinds(int32_t a, int32_t b, int32_t& colourMode, int32_t& bumpMode, int32_t& valueMode,
                              int32_t operation) {
  colourMode = ColourMode(a, b, operation);
  bumpMode = BumpMode(a, b, operation);
  valueMode = ValueMode(a, b);
  return a | b;
}

void PrepareEvaluation(STextureData& data, bool keepGradientFlags) {
  for (STextureComponent& component : data.component) {
    CompileNoiseSpec(component);
    CompilePhaseSpec(component);
  }
  CompileGlobalPhase(data.globalPhase, data.compiledGlobalPhase);
  if (!keepGradientFlags) {
    for (STextureComponent& component : data.component) component.gradientFlag = component.colour.mapKind >= 6;
  }

  const int32_t used = UsedComponents(data);
  data.conversionMode = kConvertNone;
  data.producedKinds = data.component[0].kinds;
  data.anyGradient = data.component[0].gradientFlag;
  ApplyConversionRule(data, data.component[0]);
  for (int32_t c = 1; c < used; ++c) {
    const STextureComponent& next = data.component[c];
    data.producedKinds = CombineComponentKinds(data.producedKinds, next.kinds, data.colourMode[c - 1],
                                               data.bumpMode[c - 1], data.valueMode[c - 1], data.operation[c - 1]);
    ApplyConversionRule(data, next);
    data.anyGradient |= next.gradientFlag;
  }

  const bool warps = GetNoiseFunction(data.compiledGlobalPhase.noise) != nullptr && data.globalPhase.amount > 0;
  data.transform = warps ? kTransformWarped : kTransformPlain;
}
