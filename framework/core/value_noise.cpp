#include "framework/core/value_noise.h"

#include <cmath>

namespace {

constexpr int32_t Permuted(int32_t i) { return kNoisePermutation[i & 255]; }

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

double Blend(double t, bool smooth) { return smooth ? Smoothstep(t) : t; }

// The first step of every chain: a row of the x cell.
int32_t Row(int32_t ix) { return Permuted(ix) + (ix >> 8); }

}  // namespace

double LatticeFloor(double v) {
  const double whole = std::trunc(v);
  return v < 0 ? whole - 1 : whole;
}

int32_t LatticeIndex(double wholeNumber) {
  if (!std::isfinite(wholeNumber)) return 0;
  double r = std::fmod(wholeNumber, 65536.0);
  if (r < 0) r += 65536.0;
  return int32_t(r) & 0xFFFF;
}

SLatticeCell LatticeCell(double v) {
  const double cell = LatticeFloor(v);
  return {LatticeIndex(cell), v - cell};
}

int32_t LatticeValue(int32_t i) { return Permuted(Row(i)); }

double LatticeNoise(double x, double y, double z, int32_t d, bool smooth) {
  if (d < 0 || d > 2 || !std::isfinite(x) || (d >= 1 && !std::isfinite(y)) || (d == 2 && !std::isfinite(z)))
    return 0;
  const SLatticeCell cx = LatticeCell(x);
  const int32_t ix = cx.index;
  const double sx = Blend(cx.fraction, smooth);
  if (d == 0) return Lerp(LatticeValue(ix), LatticeValue(ix + 1), sx);

  const int32_t a = Row(ix), b = Row(ix + 1);
  const SLatticeCell cy = LatticeCell(y);
  const int32_t iy = cy.index;
  const double sy = Blend(cy.fraction, smooth);
  if (d == 1) {
    const double y0 = Lerp(Permuted(a + iy), Permuted(b + iy), sx);
    const double y1 = Lerp(Permuted(a + iy + 1), Permuted(b + iy + 1), sx);
    return Lerp(y0, y1, sy);
  }

  const SLatticeCell cz = LatticeCell(z);
  const int32_t iz = cz.index;
  const double sz = Blend(cz.fraction, smooth);
  const int32_t aa = Permuted(a + iy) + (iy >> 8) + iz, ab = Permuted(a + iy + 1) + ((iy + 1) >> 8) + iz;
  const int32_t ba = Permuted(b + iy) + (iy >> 8) + iz, bb = Permuted(b + iy + 1) + ((iy + 1) >> 8) + iz;
  const double near = Lerp(Lerp(Permuted(aa), Permuted(ba), sx), Lerp(Permuted(ab), Permuted(bb), sx), sy);
  const double far =
      Lerp(Lerp(Permuted(aa + 1), Permuted(ba + 1), sx), Lerp(Permuted(ab + 1), Permuted(bb + 1), sx), sy);
  return Lerp(near, far, sz);
}

double ValueNoise(double x, double y, double z, int32_t d) {
  return LatticeNoise(x, y, z, d, true) * kLatticeScale;
}
