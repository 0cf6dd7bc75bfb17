// Small numeric helpers shared by the noise kinds, blends, filters and colour maps.
#pragma once

#include <cmath>
#include <cstdint>

#include "framework/core/value_noise.h"

inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kPi = 3.141592653589793;

// Clamped to [0, 1]; NaN gives 0.
inline double Clamp01(double v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

// A colour byte from a double: truncated, clamped to 0..255, NaN giving 0. Truncating an
// out-of-range double to an integer is undefined, so every byte goes through here.
inline int32_t ClampByte(double v) { return v > 0 ? (v < 255 ? int32_t(v) : 255) : 0; }

// The smoothstep applied n times.
inline double SmoothstepTimes(double t, int n) {
  while (n-- > 0) t = Smoothstep(t);
  return t;
}

// v modulo 2π, in [0, 2π).
inline double WrapTwoPi(double v) {
  double r = std::fmod(v, kTwoPi);
  if (r < 0) r += kTwoPi;
  return r < kTwoPi ? r : 0;
}
