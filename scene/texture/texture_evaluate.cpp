#include "scene/texture/texture_evaluate.h"

#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "scene/texture/blend.h"
#include "scene/texture/colour_map.h"
#include "scene/texture/noise.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_filter.h"
#include "scene/texture/texture_math.h"

namespace {

using Point = vector3<double>;

constexpr double kOffset = 0.001;

Point Transform(const SCompiledNoise& block, const Point& p) {
  return {block.m[0] * p.x + block.m[1] * p.y + block.m[2] * p.z, block.m[3] * p.x + block.m[4] * p.y + block.m[5] * p.z,
          block.m[6] * p.x + block.m[7] * p.y + block.m[8] * p.z};
}

// Moves p by a phase warp: its x, then (for dimensions above 0) y and (above 1) z, each by the blend
// at the phase point rotated one axis further, as the previous blend left it.
void ApplyPhase(const SCompiledNoise& phase, double amount, Point& p) {
  const NoiseFunction noise = GetNoiseFunction(phase.noise);
  if (amount == 0 || !noise) return;
  const BlendFunction blend = BlendOfKind(phase.blend);
  const int32_t d = phase.dimension, octaves = phase.octaves;
  Point q = Transform(phase, p);
  p.x += amount * blend(noise, q, d, octaves);
  if (d == 0) return;
  Point turned{q.y, q.z, q.x};
  p.y += amount * blend(noise, turned, d, octaves);
  if (d == 1) return;
  q = {turned.z, turned.x, turned.y};
  turned = {q.z, q.x, q.y};
  p.z += amount * blend(noise, turned, d, octaves);
}

// The points of components [first, end): plain, or moved by the global phase first.
void TransformPoints(STextureData& data, const Point& p, int32_t first, int32_t end) {
  STextureEngine& engine = GetTextureEngine();
  // Any word but warped is plain; the data is not written, since render threads share it.
  const bool warped = data.transform == kTransformWarped;
  bool gradients = false;
  for (int32_t c = first; c < end; ++c) gradients |= data.component[c].gradientFlag != 0;

  Point moved = p, dx = p + Point{kOffset, 0, 0}, dy = p + Point{0, kOffset, 0}, dz = p + Point{0, 0, kOffset};
  if (warped) {
    const double amount = data.globalPhase.amount * (1.0 / 3600);
    ApplyPhase(data.compiledGlobalPhase, amount, moved);
    if (gradients) {
      for (Point* offset : {&dx, &dy, &dz}) ApplyPhase(data.compiledGlobalPhase, amount, *offset);
    }
  }
  for (int32_t c = first; c < end; ++c) {
    const SCompiledNoise& m = data.component[c].compiledNoise;
    engine.point[c] = Transform(m, moved);
    if (!data.component[c].gradientFlag) continue;
    if (warped) {
      engine.offsetX[c] = Transform(m, dx);
      engine.offsetY[c] = Transform(m, dy);
      engine.offsetZ[c] = Transform(m, dz);
    } else {
      engine.offsetX[c] = engine.point[c] + Point{m.m[0], m.m[3], m.m[6]} * kOffset;
      engine.offsetY[c] = engine.point[c] + Point{m.m[1], m.m[4], m.m[7]} * kOffset;
      engine.offsetZ[c] = engine.point[c] + Point{m.m[2], m.m[5], m.m[8]} * kOffset;
    }
  }
}

double SampleComponent(const STextureComponent& component, Point& point) {
  ApplyPhase(component.compiledPhase, component.phase.amount * 0.1, point);
  const SCompiledNoise& n = component.compiledNoise;
  const double v = BlendOfKind(n.blend)(GetNoiseFunction(n.noise), point, n.dimension, n.octaves);
  return ApplyTextureFilter(v, component.filter);
}

void SetMixFactor(int32_t operation, const STextureResult& a, const STextureResult& b) {
  STextureEngine& engine = GetTextureEngine();
  const Point& p = engine.point[0];
  double& f = engine.mixFactor;
  switch (operation) {
    case 8: f = a.value; break;
    case 9: f = b.value; break;
    case 10: f = engine.slope; break;
    case 11: f = Clamp01(engine.altitude); break;
    case 12: f = engine.facing; break;
    case 13: f = Smoothstep(Clamp01(4 * engine.slope - 0.125)); break;
    case 14: f = Clamp01(SmoothstepTimes(FractalValueNoise({p.x / 8, p.y / 4, p.z / 8}, 2), 2)); break;
    case 15: f = Clamp01(3 * (a.value - b.value)); break;
    case 16: f = Clamp01(3 * (b.value - a.value)); break;
    default: break;
  }
}

bool Mixes(int32_t operation) { return operation >= 8 && operation <= 16; }

int32_t ChannelRule(int32_t operation, int32_t a, int32_t b) {
  switch (operation) {
    case 2: return (a + b) >> 1;
    case 3: return (a * b) >> 8;
    case 6: return std::min(a + b, 255);
    case 7: return (a - b) & 255;
    case 17: return a < 128 ? (a * b) >> 7 : 255 - ((255 - a) * (255 - b) >> 7);
    case 18: return std::abs(a - b);
    default: return a;
  }
}

uint32_t ColourRule(int32_t operation, uint32_t a, uint32_t b, double aValue, double bValue, double f) {
  if (operation == 4) return aValue < bValue ? b : a;
  if (operation == 5) return bValue < aValue ? b : a;
  if (Mixes(operation)) return Mix2(a, b, f);
  return MakeColour(ChannelRule(operation, Red(a), Red(b)), ChannelRule(operation, Green(a), Green(b)),
                    ChannelRule(operation, Blue(a), Blue(b)));
}

double GradientRule(int32_t operation, double a, double b, double f) {
  switch (operation) {
    case 2: return (a + b) / 2;
    case 3: return a * b;
    case 6: return std::clamp(a + b, -1.0, 1.0);
    case 7:
    case 18: return a - b;
    case 17: return a >= 0 ? 1 - (1 - a) * (1 - b) : a * b;
    default: return Mixes(operation) ? a + (b - a) * f : a;
  }
}

double ValueRule(int32_t operation, double a, double b, double f) {
  switch (operation) {
    case 2: return (a + b) / 2;
    case 3: return a * b;
    case 4: return std::max(a, b);
    case 5: return std::min(a, b);
    case 6: return Clamp01(a + b - 0.5);
    case 7: return Clamp01(a - b);
    case 17: return a < 0.5 ? 2 * a * b : 1 - 2 * (1 - a) * (1 - b);
    case 18: return std::fabs(b - a);
    default: return Mixes(operation) ? a + (b - a) * f : a;
  }
}

void SetGradient(STextureResult& r, double gx, double gy, double gz) {
  r.gradient[0] = gx;
  r.gradient[1] = gy;
  r.gradient[2] = gz;
}

uint32_t GreyOfValue(double v) { return Grey(ClampByte(255 * v)); }

void CombineColours(const SColorOutput& aOutput, const SColorOutput& bOutput, STextureResult& a, STextureResult& b,
                    int32_t operation, int32_t mode) {
  const STextureEngine& engine = GetTextureEngine();
  const Point& at = engine.point[0];
  const bool toHLS = IsHLS(bOutput), formatsDiffer = IsHLS(aOutput) != toHLS;
  uint32_t bColour;
  switch (mode) {
    case 1:
      if (formatsDiffer) a.colour = ConvertColourFormat(a.colour, toHLS);
      if (operation == 1) {
        SColorOutput onRunning = bOutput;
        onRunning.colour[0] = a.colour;
        a.colour = MapValueToColor(onRunning, b.value, at);
        return;
      }
      bColour = MapValueToColor(bOutput, b.value, at);
      break;
    case 2:
      bColour = MapValueToColor(bOutput, b.value, at);
      a.colour = GreyOfValue(a.value);
      break;
    case 3:
      bColour = GreyOfValue(b.value);
      a.value = b.value;
      break;
    case 4:
      bColour = MapValueToColor(bOutput, b.value, at);
      a.colour = NormalColour(a.gradient[0], a.gradient[1], a.gradient[2]);
      break;
    case 5:
      SetGradient(a, b.gradient[0], b.gradient[1], b.gradient[2]);
      bColour = NormalColour(b.gradient[0], b.gradient[1], b.gradient[2]);
      break;
    case 6: a.colour = MapValueToColor(bOutput, b.value, at); return;
    default: return;
  }
  if (mode != 1 && formatsDiffer) a.colour = ConvertColourFormat(a.colour, toHLS);
  a.colour = ColourRule(operation, a.colour, bColour, a.value, b.value, engine.mixFactor);
}

void CombineGradients(STextureResult& a, STextureResult& b, int32_t operation, int32_t mode, double f) {
  if (mode == 6) return SetGradient(a, b.gradient[0], b.gradient[1], b.gradient[2]);
  if (mode == 2) SetGradient(a, a.value, a.value, a.value);
  if (mode == 3) SetGradient(b, b.value, b.value, b.value);
  if (mode < 1 || mode > 3) return;
  if (operation == 4 || operation == 5) {
    const bool takeB = operation == 4 ? a.value < b.value : b.value < a.value;
    if (takeB) SetGradient(a, b.gradient[0], b.gradient[1], b.gradient[2]);
    return;
  }
  for (int i = 0; i < 3; ++i) a.gradient[i] = GradientRule(operation, a.gradient[i], b.gradient[i], f);
}

double ColourChannelGradient(int32_t channel) { return (channel - 128) / 256.0; }

void SetGradientFromColour(STextureResult& r) {
  SetGradient(r, ColourChannelGradient(Red(r.colour)), ColourChannelGradient(Green(r.colour)),
              ColourChannelGradient(Blue(r.colour)));
}

}  // namespace

void EvaluateComponentNoise(const STextureComponent& component, STextureResult& sample, int32_t c) {
  STextureEngine& engine = GetTextureEngine();
  sample.value = SampleComponent(component, engine.point[c]);
  if (!component.gradientFlag) return;
  const double gx = SampleComponent(component, engine.offsetX[c]) - sample.value;
  const double gy = SampleComponent(component, engine.offsetY[c]) - sample.value;
  const double gz = SampleComponent(component, engine.offsetZ[c]) - sample.value;
  const double length = FastSqrt(0.5 / (component.compiledNoise.octaves % 10 + 1) + gx * gx + gy * gy + gz * gz);
  SetGradient(sample, gx / length, gy / length, gz / length);
}

void CombineComponents(const SColorOutput& aOutput, const SColorOutput& bOutput, STextureResult& a, STextureResult b,
                       int32_t operation, int32_t colourMode, int32_t bumpMode, int32_t valueMode) {
  if (operation < 0 || operation > 18) operation = 0;
  SetMixFactor(operation, a, b);
  const double f = GetTextureEngine().mixFactor;
  CombineColours(aOutput, bOutput, a, b, operation, colourMode);
  CombineGradients(a, b, operation, bumpMode, f);
  if (valueMode == 7) return;
  a.value = valueMode == 6 ? b.value : ValueRule(operation, a.value, b.value, f);
}

void ConvertTextureOutput(STextureResult& result, int32_t produced, int32_t wanted, const SColorOutput& global) {
  const Point& at = GetTextureEngine().point[0];
  const bool wantValue = wanted & kKindValue, wantColour = wanted & kKindColour, wantGradient = wanted & kKindBump;
  switch (produced) {
    case 1:
      if (wantColour) result.colour = MapValueToColor(global, result.value, at);
      if (wantGradient) SetGradient(result, result.value, result.value, result.value);
      return;
    case 2:
      if (wantValue) result.value = (Red(result.colour) + Green(result.colour) + Blue(result.colour)) / 765.0;
      if (wantGradient) SetGradientFromColour(result);
      break;
    case 3:
      if (wantGradient) SetGradientFromColour(result);
      break;
    case 4: {
      if (wantColour) result.colour = NormalColour(result.gradient[0], result.gradient[1], result.gradient[2]);
      const double sum = result.gradient[0] + result.gradient[1] + result.gradient[2];
      if (wantValue) result.value = Clamp01((sum + 1.5) / 3);
      break;
    }
    case 5:
      if (wantColour) result.colour = MapValueToColor(global, result.value, at);
      return;
    case 6:
    case 7: break;
    default: return;
  }
  if (wantColour && global.mapKind != 0)
    result.colour = Mix2(result.colour, MapValueToColor(global, result.value, at), 0.25);
}

void EvaluateTexture(double x, double y, double z, STextureData& data) { data.result = TextureResultAt(x, y, z, data); }

STextureResult TextureResultAt(double x, double y, double z, STextureData& data) {
  const STextureEngine& engine = GetTextureEngine();
  const int32_t used = UsedComponents(data);
  TransformPoints(data, {x, y, z}, 0, used);
  STextureResult result{};
  const STextureComponent& first = data.component[0];
  EvaluateComponentNoise(first, result, 0);
  if (first.kinds & kKindColour) result.colour = MapValueToColor(first.colour, result.value, engine.point[0]);
  for (int32_t c = 1; c < used; ++c) {
    STextureResult next{};
    EvaluateComponentNoise(data.component[c], next, c);
    CombineComponents(data.component[c - 1].colour, data.component[c].colour, result, next, data.operation[c - 1],
                      data.colourMode[c - 1], data.bumpMode[c - 1], data.valueMode[c - 1]);
  }
  if (data.producedKinds & kKindValue) result.value = ApplyTextureFilter(result.value, data.filter);
  ConvertTextureOutput(result, data.producedKinds, data.outputFlags, data.colour);
  if (data.outputFlags & kKindColour && data.conversionMode != kConvertNone)
    result.colour = ConvertColourFormat(result.colour, data.conversionMode == kConvertRGBToHLS);
  return result;
}

void EvaluateTextureComponent(double u, double v, double w, STextureData& data) { EvaluateTexture(u, v, w, data); }

void EvaluateComponentAt(double x, double y, double z, STextureData& data, int32_t index) {
  const int32_t c = index >= 1 && index <= 3 ? index - 1 : 0;
  TransformPoints(data, {x, y, z}, c, c + 1);
  STextureResult result{};
  const STextureComponent& component = data.component[c];
  EvaluateComponentNoise(component, result, c);
  if (component.kinds & kKindColour) {
    result.colour = MapValueToColor(component.colour, result.value, GetTextureEngine().point[c]);
    if (IsHLS(component.colour)) result.colour = ConvertColourFormat(result.colour, false);
  } else {
    result.colour = Grey(ClampByte(254 * result.value));
  }
  data.result = result;
}
