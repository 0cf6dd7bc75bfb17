#include "framework/core/root_solvers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "framework/core/fast_math.h"

namespace {

constexpr double kZero = 1e-10;

bool IsZero(double v) { return v > -kZero && v < kZero; }

double CubeRoot(double v) {
  const double magnitude = std::fabs(v);
  if (magnitude < 1e-150) return 0;
  const double root = FastExp2(FastLog2(magnitude) / 3);
  return v < 0 ? -root : root;
}

// 1/lead, or 0 when lead is 0 or so small that its reciprocal overflows.
double Reciprocal(double lead) {
  if (lead == 0 || !std::isfinite(1 / lead)) return 0;
  return 1 / lead;
}

// y² + b·y + c = 0 into roots[0..1]; a touching root counts once.
int SolveMonicQuadratic(double b, double c, double* roots) {
  const double h = b / 2;
  const double e = h * h - c;
  if (IsZero(e)) {
    roots[0] = -h;
    return 1;
  }
  if (e < 0) return 0;
  const double s = std::sqrt(e);
  roots[0] = s - h;
  roots[1] = -s - h;
  return 2;
}

}  // namespace

int SolveQuadratic(double a, double b, double c, double roots[2]) {
  if (std::fabs(a) < kZero) return 0;
  if (4 * a * c >= b * b) return 0;
  const double s = FastSqrt(b * b - 4 * a * c);
  const double r0 = (-b - s) / (2 * a), r1 = (s - b) / (2 * a);
  roots[0] = std::min(r0, r1);
  roots[1] = std::max(r0, r1);
  return 2;
}

int SolveCubic(const double c[4], double roots[3]) {
  const double inverse = Reciprocal(c[3]);
  if (inverse == 0) return 0;
  const double a = c[2] * inverse, b = c[1] * inverse, d = c[0] * inverse;
  const double p = (b - a * a / 3) / 3;
  const double q = (2.0 / 27 * a * a * a - a * b / 3 + d) / 2;
  const double discriminant = q * q + p * p * p;

  int count;
  if (IsZero(discriminant)) {
    if (IsZero(q)) {
      roots[0] = 0;
      count = 1;
    } else {
      const double u = CubeRoot(-q);
      roots[0] = 2 * u;
      roots[1] = -u;
      count = 2;
    }
  } else if (discriminant < 0) {
    // The fast root can push the ratio a rounding step past ±1.
    const double ratio = std::clamp(-q / FastSqrt(-p * p * p), -1.0, 1.0);
    const double phi = std::acos(ratio) / 3;
    const double t = 2 * FastSqrt(-p);
    roots[0] = t * std::cos(phi);
    roots[1] = -t * std::cos(phi + std::numbers::pi / 3);
    roots[2] = -t * std::cos(phi - std::numbers::pi / 3);
    count = 3;
  } else {
    const double s = FastSqrt(discriminant);
    roots[0] = CubeRoot(s - q) - CubeRoot(s + q);
    count = 1;
  }
  for (int i = 0; i < count; ++i) roots[i] -= a / 3;
  return count;
}

int SolveQuartic(const double c[5], double roots[4]) {
  const double inverse = Reciprocal(c[4]);
  if (inverse == 0) return 0;
  const double a = c[3] * inverse, b = c[2] * inverse, d = c[1] * inverse, e = c[0] * inverse;
  const double a2 = a * a;
  const double p = b - 0.375 * a2;
  const double q = (0.125 * a2 - 0.5 * b) * a + d;
  const double r = e + (0.0625 * b - 0.01171875 * a2) * a2 - 0.25 * d * a;

  int count;
  if (IsZero(r)) {
    const double depressed[4] = {q, p, 0, 1};
    count = SolveCubic(depressed, roots);
    roots[count++] = 0;
  } else {
    const double resolvent[4] = {r * p / 2 - q * q / 8, -r, -p / 2, 1};
    double z[3];
    SolveCubic(resolvent, z);
    double u = z[0] * z[0] - r, v = 2 * z[0] - p;
    for (double* w : {&u, &v}) {
      if (IsZero(*w))
        *w = 0;
      else if (*w < 0)
        return 0;
      else
        *w = FastSqrt(*w);
    }
    count = SolveMonicQuadratic(q < 0 ? -v : v, z[0] - u, roots);
    count += SolveMonicQuadratic(q < 0 ? v : -v, z[0] + u, roots + count);
  }
  for (int i = 0; i < count; ++i) roots[i] -= a / 4;
  return count;
}
