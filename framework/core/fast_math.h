// Logarithm, power of two and square roots for the per-ray and per-pixel code: a table lookup and
// a short polynomial, or fixed Newton steps from a bit-level first guess, instead of library calls.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

// log2 x; −∞ for x ≤ 1e-307 and for NaN.
double FastLog2(double x);
// 2^x; +∞ for x ≥ 1024; 0 below about −1021 (no subnormal results), for −∞ and for NaN.
double FastExp2(double x);

// √x; 0 for x at most about 1e-18 (the bits of x as a signed integer not above 0x219392EF), for
// every negative value and for NaN.
float FastSqrtFloat(float x);
// floor(√x). With useCache, a query within one of the previous root is answered from a
// process-wide cache of the neighbouring squares, and the cache follows it.
uint32_t IntSqrt(uint32_t x, bool useCache);

// The square roots are inline: the tracer takes several at a time for independent vectors, and their
// Newton steps interleave only when the compiler sees them.
namespace fast_math {

// Newton's step towards 1/√x, with h = x/2.
template <typename T>
T NewtonStep(T y, T h) {
  return y * (T(1.5) - h * y * y);
}

// The high word carries the guess; the low word is kept from x.
inline double InvSqrtFirstGuess(double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  const uint32_t high = uint32_t(bits >> 32);
  const uint64_t guess = 0x5FE732F7u - (high & ~1u) / 2;
  return std::bit_cast<double>(guess << 32 | (bits & 0xFFFFFFFFu));
}

// Three Newton steps; the caller folds in the fourth.
inline double InvSqrtThreeSteps(double x, double h) {
  double y = InvSqrtFirstGuess(x);
  for (int i = 0; i < 3; ++i) y = NewtonStep(y, h);
  return y;
}

}  // namespace fast_math

// √x; 0 for x ≤ 1e-150 and for NaN.
inline double FastSqrt(double x) {
  if (!(x > 1e-150)) return 0;
  if (x == std::numeric_limits<double>::infinity()) return x;
  const double h = x * 0.5;
  return x * fast_math::NewtonStep(fast_math::InvSqrtThreeSteps(x, h), h);
}

// 1/√x; +∞ for x ≤ 1e-150 and for NaN.
inline double FastInvSqrt(double x) {
  if (!(x > 1e-150)) return std::numeric_limits<double>::infinity();
  if (x == std::numeric_limits<double>::infinity()) return 0;
  const double h = x * 0.5;
  return fast_math::NewtonStep(fast_math::InvSqrtThreeSteps(x, h), h);
}
