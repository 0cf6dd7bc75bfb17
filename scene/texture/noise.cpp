#include "scene/texture/noise.h"

#include <algorithm>
#include <cmath>

#include "framework/core/fast_math.h"
#include "framework/core/value_noise.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_math.h"

namespace {

using Point = vector3<double>;

constexpr double kInvPi = 0.31830988618;
constexpr double kCos60 = 0.5;
constexpr double kSin60 = 0.866025;

int32_t Permuted(int32_t i) { return kNoisePermutation[i & 255]; }

double Noise(const Point& p, int32_t d) { return ValueNoise(p.x, p.y, p.z, d); }

double RawNoise1(double v) { return LatticeNoise(v, 0, 0, 0, true); }

// The lattice value of a cell, chained through the permutation over its d + 1 indices.
int32_t CellValue(int32_t i, int32_t j, int32_t k, int32_t d) {
  if (d == 0) return LatticeValue(i);
  const int32_t v = Permuted(Permuted(i) + j + (i >> 8));
  return d == 1 ? v : Permuted(v + k + (j >> 8));
}

bool ReadsOnlyFinite(const Point& p, int32_t d) {
  return std::isfinite(p.x) && (d < 1 || std::isfinite(p.y)) && (d < 2 || std::isfinite(p.z));
}

template <NoiseFunction Kind>
double Checked(const Point& p, int32_t d) {
  return d >= 0 && d <= 2 && ReadsOnlyFinite(p, d) ? Kind(p, d) : 0.0;
}

// Kinds 3 and 13 know only the line (d = 0) and the plane (any d above 0).
template <NoiseFunction Kind>
double CheckedPlane(const Point& p, int32_t d) {
  return d >= 0 && ReadsOnlyFinite(p, std::min(d, 1)) ? Kind(p, d) : 0.0;
}

double SoftMaximum(double raw) {
  const double m = raw * 0.01176470586;
  return 1 - std::exp(-m * m);
}

// Kind 1.
double SineProduct(const Point& p, int32_t d) {
  double v = 1;
  for (int32_t a = 0; a <= d; ++a) v *= (1 - std::sin(p[a])) / 2;
  return v;
}

// The checker's period is 3217 steps of 1/512; the lower 1608 are "on".
bool CheckerOn(double coordinate) {
  const double k = std::trunc(512 * coordinate);
  const double step = k < 0 ? 3216 - std::fmod(-k, 3217) : std::fmod(k, 3217);
  return step < 1608;
}

// Kind 2.
double Checker(const Point& p, int32_t d) {
  if (d == 0) return CheckerOn(p.x) ? 1 : 0;
  int32_t on = 0;
  for (int32_t a = 0; a <= d; ++a) on += CheckerOn(p[a]);
  return on % 2 == 0 ? 1 : 0;
}

bool InFirstHalfTurn(double u) { return WrapTwoPi(u) < kPi; }

// Kind 3.
double TriangleChecker(const Point& p, int32_t d) {
  if (d == 0) return InFirstHalfTurn(p.x) ? 1 : 0;
  const int32_t s = InFirstHalfTurn(kCos60 * p.x + kSin60 * p.y) + InFirstHalfTurn(kCos60 * p.x - kSin60 * p.y) +
                    InFirstHalfTurn(p.x);
  return s % 2 == 1 ? 1 : 0;
}

int32_t CellOfPi(double v) { return LatticeIndex(std::trunc(v * kInvPi)); }

// Kind 4.
double Cells(const Point& p, int32_t d) {
  return CellValue(CellOfPi(p.x), CellOfPi(p.y), CellOfPi(p.z), d) * kLatticeScale;
}

// Kind 5.
double LinearValueNoise(const Point& p, int32_t d) { return LatticeNoise(p.x, p.y, p.z, d, false) * kLatticeScale; }

// Kinds 6 and 26.
double ValueNoiseKind(const Point& p, int32_t d) { return Noise(p, d); }

// Kind 7.
double DisturbedWaves(const Point& p, int32_t d) {
  double disturbance = 0, sum = 0;
  for (int32_t a = 0; a <= d; ++a) {
    disturbance += RawNoise1(p[a]);
    sum += p[a];
  }
  const double t = WrapTwoPi(disturbance * 0.03137254902 + sum);
  const double w = t / kPi;
  return Clamp01(t > kPi ? 2 - w : w);
}

struct SVortexField {
  double size;
  double twist;
};

// Adds to (du, dv) how the field turns (u, v). Each cell of the field holds one vortex centred
// between a quarter and three quarters of the cell on each axis; its radius reaches the nearest
// side of the cell, so that the turn fades to nothing before the cell ends and cells meet smoothly.
void AddVortex(double u, double v, SVortexField field, double& du, double& dv) {
  const SLatticeCell cu = LatticeCell(u / field.size), cv = LatticeCell(v / field.size);
  const double centreU = field.size * (0.25 + 0.5 * kLatticeScale * CellValue(cu.index, cv.index, 0, 1));
  const double centreV = field.size * (0.25 + 0.5 * kLatticeScale * CellValue(cu.index, cv.index, 1, 2));
  const double radius = std::min({centreU, field.size - centreU, centreV, field.size - centreV});
  const double ru = cu.fraction * field.size - centreU, rv = cv.fraction * field.size - centreV;
  const double distance = FastSqrt(ru * ru + rv * rv);
  if (distance >= radius) return;
  const double f = (radius - distance) / radius;
  const double angle = field.twist * f * f * f * f;
  const double c = std::cos(angle), s = std::sin(angle);
  du += ru * c - rv * s - ru;
  dv += ru * s + rv * c - rv;
}

constexpr SVortexField kPlaneFields[] = {{80, 8}, {170, 6}, {280, 7}, {120, -9}, {320, 12}};
constexpr SVortexField kDepthFields[] = {{80, 8}, {170, 6}, {120, 9}};

// Kind 8.
double Whirls(const Point& p, int32_t d) {
  Point offset;
  if (d == 0) {
    for (int i = 0; i < 4; ++i) AddVortex(p.x, 0, kPlaneFields[i], offset.x, offset.y);
    return LatticeNoise(p.x + offset.x, offset.y, 0, 1, true) * 2 / 765;
  }
  if (d == 2) {
    const double angle = 0.2 * FastSqrt(p.x * p.x + p.z * p.z) + 2;
    const double c = std::cos(angle), s = std::sin(angle);
    offset.x += 0.2 * (p.x * c - p.z * s);
    offset.z += 0.2 * (p.x * s + p.z * c);
    for (const SVortexField& field : kDepthFields) AddVortex(p.z, p.y + 40, field, offset.z, offset.y);
  }
  for (const SVortexField& field : kPlaneFields) AddVortex(p.x, p.y, field, offset.x, offset.y);
  return FractalValueNoise(p + offset, d);
}

// One spot per cell of side 20, centred 5 to 14 into the cell on each axis.
double Spot(const Point& q, int32_t d) {
  int32_t index[3] = {0, 0, 0};
  double local[3] = {0, 0, 0};
  for (int32_t a = 0; a <= d; ++a) {
    const SLatticeCell cell = LatticeCell(q[a] / 20);
    index[a] = cell.index;
    local[a] = cell.fraction * 20;
  }
  double squared = 0;
  for (int32_t a = 0; a <= d; ++a) {
    const double centre = 5 + CellValue(index[0], index[1], index[2], a) % 10;
    squared += (local[a] - centre) * (local[a] - centre);
  }
  return std::exp(-0.95 * FastSqrt(squared));
}

// Kind 11.
double DoubleSpots(const Point& p, int32_t d) {
  const Point q = p * 2.5;
  return std::min(1.0, Spot(q, d) + Spot(q + Point{210.31, -210.35, 210.37}, d));
}

// Kind 12.
double RefinedSineCells(const Point& p, int32_t d) {
  Point q = p * 0.5 + Point{0.5, 0.5, 0.5};
  const double thresholds[] = {0.1, 0.6, 0.9};
  for (double threshold : thresholds) {
    if (Cells(q, d) <= threshold) break;
    q *= 2;
  }
  double v = 1;
  for (int32_t a = 0; a <= d; ++a) v *= std::sin(q[a]);
  return std::fabs(v);
}

// Kind 13.
double HexagonalCells(const Point& p, int32_t d) {
  const auto h = [](double u) { return LatticeValue(CellOfPi(u)); };
  if (d == 0) return h(p.x) * kLatticeScale;
  return (h(p.x) + h(kCos60 * p.x + kSin60 * p.y) + h(kCos60 * p.x - kSin60 * p.y)) * kLatticeScale * 0.3333333333;
}

// Kind 14.
double AxisSoftMaximum(const Point& p, int32_t d) {
  double m = 0;
  for (int32_t a = 0; a <= d; ++a) m = std::max(m, RawNoise1(p[a]));
  return SoftMaximum(m);
}

// Kind 15.
double BandedBlotches(const Point& p, int32_t d) {
  const double v = Clamp01(1.5 * Noise(p * 0.25, d) + 0.4 * Noise(p, d) - 0.5);
  const double w = Clamp01(std::fabs(SmoothstepTimes(v, 3) - 0.5) * 2.3);
  return SmoothstepTimes(w, 2);
}

// Kind 16.
double HexagonalSoftMaximum(const Point& p, int32_t d) {
  double m = RawNoise1(p.x);
  if (d >= 1) {
    m = std::max({m, RawNoise1(kCos60 * p.x + kSin60 * p.y), RawNoise1(kCos60 * p.x - kSin60 * p.y)});
  }
  if (d == 2) {
    m = std::max({m, RawNoise1(kCos60 * p.z + kSin60 * p.y), RawNoise1(kCos60 * p.z - kSin60 * p.y)});
  }
  return SoftMaximum(m);
}

constexpr double kRippleX[6] = {-210, 150, -320, -70, -270, 104};
constexpr double kRippleY[6] = {-207, 310, 197, -128, 453, -300};
constexpr double kRippleZ[6] = {234, -107, 326, 38, -154, -433};

// Kind 17.
double Ripples(const Point& p, int32_t d) {
  double sum = 0, frequency = 0.7, amplitude = 0.2;
  for (int k = 0; k < 6; ++k) {
    const Point offset = p - Point{kRippleX[k], kRippleY[k], kRippleZ[k]};
    double squared = offset.x * offset.x;
    if (d >= 1) squared += offset.y * offset.y;
    if (d == 2) squared += offset.z * offset.z;
    sum += (std::sin(std::sqrt(squared) * frequency) + 1) * amplitude;
    frequency *= 1.4285714285714286;
    amplitude *= 0.7;
  }
  return std::min(sum, 1.0);
}

// Kind 18.
double Marble(const Point& p, int32_t d) {
  const double s = Noise(p, d) + Noise({-0.25 * p.x + 0.433018 * p.y, -0.433018 * p.x - 0.25 * p.y, p.z}, d);
  return Clamp01(ValueNoise(12 * s, 0, 0, 0));
}

// Kind 19.
double TriangleWaves(const Point& p, int32_t d) {
  double v = 1;
  for (int32_t a = 0; a <= d; ++a) {
    const double t = WrapTwoPi(p[a]);
    const double w = t / kPi;
    v *= t > kPi ? 2 - w : w;
  }
  return v;
}

// Kind 20.
double SharpenedBlotches(const Point& p, int32_t d) {
  return SmoothstepTimes(Clamp01(0.5 * Noise(p, d) + 1.5 * Noise(p * 0.25, d) - 0.5), 3);
}

// The band lattice of the strata: lattice values at the integers whose bits under the mask are
// clear, 0 between them, interpolated with the smoothstep. The cell is the lattice's floor, so a
// negative coordinate interpolates within its cell rather than beyond it.
double Band(double t, int32_t mask) {
  const SLatticeCell cell = LatticeCell(t);
  const auto at = [mask](int32_t i) { return (i & mask) == 0 ? LatticeValue(i) : 0; };
  const double low = at(cell.index);
  return low + (at(cell.index + 1) - low) * Smoothstep(cell.fraction);
}

// Kind 21.
double Strata(const Point& p, int32_t d) {
  const double a = ValueNoise(p.x / 2, p.z / 2, 0, 1);
  const double b = ValueNoise(p.z / 10, p.x / 10, p.y / 10, 2);
  const double c = ValueNoise(p.x / 10, p.z / 10, p.y / 10 + 12.7, 2);
  const double u = a + 7 * c, w = a + 8 * b;
  double m = std::max(Band(p.y / 2 + u, 3), Band(p.y / 2 + w + 2.5, 7));
  if (d >= 1) m = std::max(m, Band(p.x / 2 + u, 3));
  if (d == 2) m = std::max(m, Band(p.z / 2 + w, 3));
  const double rise = (255 - m) * 4 / 255;
  const double e = 1 - std::exp(-rise * rise) - 0.2 * Noise(p, 2);
  const double t = Band(0.2 * (p.x + w), 3) * kLatticeScale;
  return std::max(0.0, e - Noise(p * 0.75, 2) * t);
}

// Kind 22.
double VaryingScale(const Point& p, int32_t d) {
  double a, b, t;
  if (d == 0) {
    a = Noise(p, 0);
    b = Noise({1.2 * p.x + 77.33, 0, 0}, 0);
    t = Noise({0.075 * p.x + 177.66, 0, 0}, 0);
  } else {
    Point q{(kCos60 * p.x + kSin60 * p.y) * 0.0333, (kCos60 * p.y - kSin60 * p.x) * 0.0333, 0.0333 * p.z};
    const double s1 = (Noise(q, d) + 1) * 0.5;
    q += Point{123.15, 123.15, 123.15};
    const double s2 = (Noise(q, d) + 2) * 0.5;
    a = Noise(p * s2, d);
    b = Noise(Point{kCos60 * p.x - kSin60 * p.y, kCos60 * p.y + kSin60 * p.x, p.z} * s1, d);
    t = Noise(Point{kCos60 * p.x + kSin60 * p.y, kCos60 * p.x - kSin60 * p.y, p.z} * 0.33, d);
  }
  return a + (b - a) * t;
}

// Moves q twice in its x-y plane by angles from the value noise.
Point Wander(Point q) {
  const double a = kTwoPi * Noise(q * 0.125, 2);
  q.x += std::cos(a);
  q.y -= std::sin(a);
  const double b = kTwoPi * Noise(q * 0.06, 2);
  q.x += std::cos(b);
  q.y -= std::sin(b);
  return q;
}

// A bubble in every cell whose indices are all even, its height from the cell's lattice value; the
// lattice shifts by a fraction picked from the unit cell around q.
double Bubble(const Point& q, int32_t d) {
  const int32_t fx = LatticeIndex(LatticeFloor(q.x)), fy = LatticeIndex(LatticeFloor(q.y));
  const int32_t fz = LatticeIndex(LatticeFloor(q.z));
  int32_t shift;
  if (d == 0)
    shift = LatticeValue(fx);
  else if (d == 1)
    shift = kNoisePermutation[2 * (((fx ^ fy) * 21) & 127)];
  else
    shift = Permuted((fy ^ fx) * 42 - (fz ^ fx) * 107);
  const double sigma = shift / 256.0;

  int32_t index[3] = {0, 0, 0};
  double squared = 0;
  for (int32_t a = 0; a <= d; ++a) {
    const double u = q[a] - sigma;
    const SLatticeCell cell = LatticeCell(u);
    if (cell.index & 1) return 0;
    index[a] = cell.index;
    double f = LatticeCell(u + 0.5).fraction;
    if (f > 0.5) f = 1 - f;
    squared += f * f;
  }
  squared *= 4;
  if (squared >= 1) return 0;
  const double height = CellValue(index[0], index[1], index[2], d) / 512.0 + 0.5;
  double dome = std::sqrt(1 - squared);
  if (dome < 0.5) dome = (dome + 0.5) * dome;
  return height * dome;
}

// Kind 23.
double WarpedCellMaximum(const Point& p, int32_t d) {
  const Point offsets[] = {{0, 0, 0}, {9, 120, 332}, {822.5, 821.5, 441}, {321.5, 555.5, 842.5}};
  const int count = d == 2 ? 4 : 2;
  double best = 0;
  for (int k = 0; k < count; ++k) best = std::max(best, Bubble(Wander(p + offsets[k]), d));
  return best;
}

// Kind 24: the distance to the nearest cell face, in a cell split again (up to twice) where the
// lattice value is high.
double SubdividedCells(const Point& p, int32_t d) {
  Point q{p.x / 4 + 0.5, p.y / 4 + 0.5, p.z / 4 + 0.875};
  for (int depth = 1;; ++depth) {
    int32_t index[3] = {0, 0, 0};
    double nearest = 0.5;
    for (int32_t a = 0; a <= d; ++a) {
      const SLatticeCell cell = LatticeCell(q[a]);
      index[a] = cell.index;
      nearest = std::min(nearest, cell.fraction > 0.5 ? 1 - cell.fraction : cell.fraction);
    }
    if (CellValue(index[0], index[1], index[2], d) <= 128 || depth >= 3) return 2 * nearest;
    q *= 2;
  }
}

// Kind 25.
double Radial(const Point& p, int32_t d) {
  double squared = 0;
  for (int32_t a = 0; a <= d; ++a) squared += p[a] * p[a];
  return Clamp01(std::sqrt(squared));
}

constexpr NoiseFunction kKinds[27] = {
    nullptr,
    Checked<SineProduct>,
    Checked<Checker>,
    CheckedPlane<TriangleChecker>,
    Checked<Cells>,
    Checked<LinearValueNoise>,
    Checked<ValueNoiseKind>,
    Checked<DisturbedWaves>,
    Checked<Whirls>,
    Checked<FractalValueNoise>,
    Checked<WarpedValueNoise>,
    Checked<DoubleSpots>,
    Checked<RefinedSineCells>,
    CheckedPlane<HexagonalCells>,
    Checked<AxisSoftMaximum>,
    Checked<BandedBlotches>,
    Checked<HexagonalSoftMaximum>,
    Checked<Ripples>,
    Checked<Marble>,
    Checked<TriangleWaves>,
    Checked<SharpenedBlotches>,
    Checked<Strata>,
    Checked<VaryingScale>,
    Checked<WarpedCellMaximum>,
    Checked<SubdividedCells>,
    Checked<Radial>,
    Checked<ValueNoiseKind>,
};

}  // namespace

NoiseFunction GetNoiseFunction(int32_t n) {
  if (n >= 0 && n <= 26) return kKinds[n];
  return kKinds[5];
}

void InitNoiseTables() {
  STextureEngine& engine = GetTextureEngine();
  engine.altitude = 0;
  engine.slope = 0;
  engine.facing = 0;
}

double FractalValueNoise(const vector3<double>& p, int32_t d) {
  const double x = p.x, y = p.y, z = p.z;
  return ValueNoise(2 * x, 2 * y, 2 * z, d) * 0.06666666667 +
         ValueNoise(kCos60 * x + kSin60 * y, -kSin60 * x + kCos60 * y, z, d) * 0.13333333333 +
         ValueNoise(-0.25 * x + 0.433 * y, -0.433 * x - 0.25 * y, 0.5 * z, d) * 0.26666666667 +
         ValueNoise(-0.17675 * x - 0.17675 * y, 0.17675 * x - 0.17675 * y, 0.25 * z, d) * 0.53333333333;
}

double WarpedValueNoise(const vector3<double>& p, int32_t d) {
  Point q1{kCos60 * p.x + kSin60 * p.y, -kSin60 * p.x + kCos60 * p.y, p.z};
  PlaneWarp(q1.x, q1.y);
  Point q2{-0.17675 * p.x - 0.17675 * p.y, 0.17675 * p.x - 0.17675 * p.y, 0.25 * p.z};
  PlaneWarp(q2.y, q2.x);
  return Noise(q1, d) * 0.33333333335 + Noise(q2, d) * 0.66666666667;
}

void PlaneWarp(double& u, double& v) {
  constexpr double kFrequency = 1.2, kAmplitude = 3.0 / 512;
  u += LatticeNoise(u * kFrequency, v * kFrequency, 0, 1, true) * kAmplitude;
  v += LatticeNoise((v + 125.37) * kFrequency, (u + 205.55) * kFrequency, 0, 1, true) * kAmplitude;
}
