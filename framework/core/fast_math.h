// Logarithm, power of two and square roots for the per-ray and per-pixel code: a table lookup and
// a short polynomial instead of library calls; the square roots are the processor's own instruction,
// correctly rounded and cheaper than any refinement of a guess, with the callers' limits kept.
#pragma once

#include <cmath>
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

// The square roots are inline: the tracer takes several at a time for independent vectors, and they
// overlap only when the compiler sees them.

// √x; 0 for x ≤ 1e-150 and for NaN.
inline double FastSqrt(double x) { return x > 1e-150 ? std::sqrt(x) : 0; }

// 1/√x; +∞ for x ≤ 1e-150 and for NaN.
inline double FastInvSqrt(double x) {
  return x > 1e-150 ? 1 / std::sqrt(x) : std::numeric_limits<double>::infinity();
}
