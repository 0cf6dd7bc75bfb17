#include "scene/texture/texture_filter.h"

#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_math.h"

namespace {

// The first of the levels 0, 1/c, ..., (c − 1)/c at or above v; 1 when none is. Found directly rather
// than by walking all c levels, since a stored count can be as large as 2^31 − 1.
double Steps(double v, int32_t count) {
  if (count <= 0) return 1.0;
  const double c = count;
  if (!(v <= (c - 1) / c)) return 1.0;
  const double guess = std::ceil(v * c);
  double i = guess > 0 ? guess : 0;
  while (i > 0 && v <= (i - 1) / c) i -= 1;
  while (!(v <= i / c)) i += 1;
  return i / c;
}

// The fraction of v, taken from below also for v ≤ 0, where 0 maps to 1.
double SmoothSaw(double v) {
  const double f = v > 0 ? v - std::trunc(v) : 1 - (-v - std::trunc(-v));
  return Smoothstep(f);
}

double SoftAbsolute(double v) {
  v = Clamp01(std::fabs(v));
  return v < 0.5 ? (v + 0.5) * v : v;
}

double Power(double x, float exponent, double b) {
  if (exponent == 2.0f) return Clamp01(x * x + b);
  if (exponent == 0.5f) return Clamp01(FastSqrt(x) + b);
  return Clamp01(std::pow(x, double(exponent)) + b);
}

double AltitudeBand(double x, const STextureFilter& filter, const STextureEngine& surface) {
  const double e = (surface.altitude - 0.33) * 4;
  const double t = (surface.altitude * 1.2 - filter.count * surface.slope * 0.5) * filter.a + filter.b * x;
  if (e <= 0) return 0;
  return e < 1 ? Clamp01(e * t) : Clamp01(t);
}

double SnowLine(double x, const STextureFilter& filter, const STextureEngine& surface) {
  const double k = std::max(0.0, 0.9 - filter.count * surface.slope);
  return SmoothstepTimes(Clamp01(k * (filter.a * x + filter.b + surface.altitude)), 2);
}

}  // namespace

double ApplyTextureFilter(double x, const STextureFilter& filter) {
  const STextureEngine& surface = GetTextureEngine();
  const double a = filter.a, b = filter.b;
  switch (filter.kind) {
    case 0: return x;
    case 1: return Steps(a * x + b, filter.count);
    case 2: return SmoothSaw(a * x + b);
    case 3: return Clamp01((std::sin(a * x) + 1) / 2 + b);
    case 4: return SoftAbsolute(a * x + b);
    case 5: return Power(x, filter.a, b);
    case 6: return std::exp(-((x + b) * a) * ((x + b) * a));
    case 7: return Clamp01(a * x + b);
    case 8: return AltitudeBand(x, filter, surface);
    case 9: return Clamp01((a * surface.slope + b) * x);
    case 10: return Clamp01((a * surface.altitude + b) * x);
    case 11: return Clamp01((a * surface.facing + b) * x);
    case 12: return SmoothstepTimes(Clamp01(a * x + b), 2);
    case 13: return SnowLine(x, filter, surface);
    default: return 0.0;
  }
}
