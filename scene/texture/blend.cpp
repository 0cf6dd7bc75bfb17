#include "scene/texture/blend.h"

#include <algorithm>
#include <cmath>

#include "framework/core/value_noise.h"
#include "scene/texture/texture_math.h"

namespace {

using Point = vector3<double>;

double FractalSum(NoiseFunction noise, Point& p, int32_t d, int32_t octaves, double growth) {
  double v = noise(p, d), weight = 1, total = 1;
  for (int32_t i = 0; i < octaves; ++i) {
    p *= 0.5;
    weight *= growth;
    v += noise(p, d) * weight;
    total += weight;
  }
  return v / total;
}

// Kinds 0, 1 and 2.
template <int Growth10>
double FractalSumKind(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  return FractalSum(noise, p, d, octaves, Growth10 / 10.0);
}

// Kind 3.
double WeightedMaximum(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  double v = noise(p, d), weight = 1;
  for (int32_t i = 0; i < octaves; ++i) {
    p = {0.656 * p.x - 0.11533333333 * p.y + 425, 0.656 * p.y + 0.11533333333 * p.x + 733, 0.6666 * p.z + 523};
    weight *= 1.5;
    v = std::max(v, noise(p, d) * weight);
  }
  return v / weight;
}

// Kind 4: each octave's weight follows the previous one's value.
double Multifractal(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  if (octaves <= 0) return noise(p, d);
  double scale = 0.5;
  for (int32_t i = 2; i < octaves; ++i) scale *= 0.5;
  Point q = p * scale;
  double v = noise(q, d), previous = v, weight = 1, total = 1;
  for (int32_t i = 0; i < octaves; ++i) {
    q = Point{0.9396 * q.x - 0.342 * q.y, 0.9396 * q.y + 0.342 * q.x, q.z} * 2;
    weight *= 0.65;
    previous = (previous + 0.1) * noise(q, d) * weight;
    v += previous;
    total += weight;
  }
  return v / total;
}

Point Drift(const Point& p, double factor) {
  return Point{0.984 * p.x - 0.173 * p.y + 425, 0.984 * p.y + 0.173 * p.x + 733, p.z + 523} * factor;
}

// Kind 5.
double DriftingSum(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  Point q = p;
  double v = noise(q, d), weight = 1, total = 1;
  for (int32_t i = 0; i < octaves; ++i) {
    q = Drift(q, 0.65);
    weight *= 1.8;
    v += noise(q, d) * weight;
    total += weight;
  }
  return v / total;
}

// Kind 6.
double DriftingMinimum(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  Point q = p;
  double v = noise(q, d);
  for (int32_t i = 0; i < octaves; ++i) {
    q = Drift(q, 0.75);
    v = std::min(v, noise(q, d));
  }
  return v;
}

// Kind 7.
double DriftingProduct(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  double v = noise(p, d);
  for (int32_t i = 0; i < octaves; ++i) {
    p = Drift(p, 0.6);
    v *= noise(p, d);
  }
  return v;
}

// Kind 8: the noise's steepness between two nearby points.
double Edges(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  const double gain = octaves + 8;
  Point q = p + Point{0.15, 0.15, 0.15};
  const auto edge = [&] { return std::min(1.0, std::fabs(noise(p, d) - noise(q, d)) * gain); };
  double v = edge(), weight = 1, total = 1;
  for (int32_t i = 0; i < octaves; ++i) {
    p *= 0.5;
    q *= 0.5;
    weight *= 1.8;
    v += edge() * weight;
    total += weight;
  }
  return v / total;
}

// Kinds 9 and 10: the noise at p and at axis-swapped copies of p and of p/2, folded by pick.
template <bool Maximum>
double Folded(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  const auto pick = [](double a, double b) { return Maximum ? std::max(a, b) : std::min(a, b); };
  const auto swapA = [](const Point& q) { return Point{-q.z, q.y, q.x}; };
  const auto swapB = [d](const Point& q) { return d == 0 ? Point{-q.y, q.x, q.z} : Point{q.x, q.z, q.y}; };
  double m = noise(p, d);
  if (octaves <= 0) return m;
  m = pick(m, noise(swapA(p), d));
  if (octaves == 1) return m;
  m = pick(m, noise(swapB(p), d));
  if (octaves == 2) return m;
  const Point half = p * 0.5;
  double h = noise(half, d);
  if (octaves == 3) return (h + m) / 2;
  h = pick(h, noise(swapA(half), d));
  if (octaves == 4) return (h + m) / 2;
  h = pick(h, noise(swapB(half), d));
  return (h + m) / 2;
}

// Kind 11: the point turns about a circle of radius 12 by the warped value noise at p/4.
double Swirl(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  const double angle = WarpedValueNoise(p * 0.25, 2) * kTwoPi;
  Point r = Point{12 * std::cos(angle) + p.x, 12 * std::sin(angle) + p.y, p.z} * 0.5;
  return FractalSum(noise, r, d, octaves, 1.8);
}

// Kind 12: x is given back to the caller as it came.
double DriftingMaximum(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  const double x = p.x;
  double v = noise(p, d);
  for (int32_t i = 0; i < octaves; ++i) {
    p = p * 0.95 + Point{331.33, 331.33, 331.33};
    v = std::max(v, noise(p, d));
  }
  p.x = x;
  return v;
}

template <BlendFunction Kind>
double WithNoise(NoiseFunction noise, Point& p, int32_t d, int32_t octaves) {
  return noise ? Kind(noise, p, d, octaves) : 0.5;
}

constexpr BlendFunction kBlends[13] = {
    WithNoise<FractalSumKind<20>>, WithNoise<FractalSumKind<18>>, WithNoise<FractalSumKind<15>>,
    WithNoise<WeightedMaximum>,    WithNoise<Multifractal>,       WithNoise<DriftingSum>,
    WithNoise<DriftingMinimum>,    WithNoise<DriftingProduct>,    WithNoise<Edges>,
    WithNoise<Folded<true>>,       WithNoise<Folded<false>>,      WithNoise<Swirl>,
    WithNoise<DriftingMaximum>,
};

}  // namespace

void GetBlendFunction(int32_t code, int32_t& octaves, int32_t& blendKind) {
  const int32_t q = code >> 8;
  octaves = (q % 10 + 10) % 10;
  blendKind = q / 10;
  if (blendKind < 1 || blendKind > 12) blendKind = 0;
}

BlendFunction BlendOfKind(int32_t kind) { return kBlends[kind >= 1 && kind <= 12 ? kind : 0]; }
