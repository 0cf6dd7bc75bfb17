#include "plugins/3dmf/vendrix_nurb.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// Every sample costs its order squared: an order past this, far past what curves and patches are
// drawn with, is refused like an order past the points, so that a file's size bounds its work.
constexpr int64_t kMostOrder = 32;
constexpr int32_t kCurveSamples = 40;
constexpr double kCurveStep = 0.02564102564102564;  // 1/39
constexpr int32_t kPatchSamples = 20;
constexpr double kPatchStep = 0.05263157894736842;  // 1/19

struct SHomogeneous {
  double x = 0, y = 0, z = 0, w = 0;
};

std::vector<double> Widened(const std::vector<float>& values) { return {values.begin(), values.end()}; }

SHomogeneous ControlPoint(const std::vector<float>& points, size_t n) {
  return {points[4 * n], points[4 * n + 1], points[4 * n + 2], points[4 * n + 3]};
}

// False for a sum whose weight is 0 or that is not finite.
bool Project(const SHomogeneous& sum, SPoint* point) {
  if (sum.w == 0 || !std::isfinite(sum.w)) return false;
  *point = {sum.x / sum.w, sum.y / sum.w, sum.z / sum.w};
  return std::isfinite(point->x) && std::isfinite(point->y) && std::isfinite(point->z);
}

// The knot span and basis at sample s over the knots' range U[k-1] .. U[n].
struct SSample {
  int32_t span;
  std::vector<double> basis;
};

SSample Sample(const std::vector<double>& knots, int32_t n, int32_t k, int32_t s, double step) {
  const double t = knots[size_t(k - 1)] + (knots[size_t(n)] - knots[size_t(k - 1)]) * s * step;
  SSample sample;
  sample.span = FindKnotSpan(t, knots, n, k);
  BasisFunctions(t, sample.span, knots, k, sample.basis);
  return sample;
}

int32_t EmitSegments(SConversion& conversion, const std::vector<SPoint>& points) {
  int32_t result = kConverted;
  for (size_t s = 0; s + 1 < points.size() && result == kConverted; ++s)
    result = EmitTriangle(conversion, points[s], points[s + 1], points[s + 1]);
  return result;
}

// Two triangles per cell of the grid of samples × samples points, row by row.
int32_t EmitGrid(SConversion& conversion, const std::vector<SPoint>& points) {
  int32_t result = kConverted;
  for (int32_t i = 0; i + 1 < kPatchSamples && result == kConverted; ++i) {
    for (int32_t j = 0; j + 1 < kPatchSamples && result == kConverted; ++j) {
      const size_t a = size_t(i * kPatchSamples + j), b = a + 1, d = a + kPatchSamples, e = d + 1;
      result = EmitTriangle(conversion, points[b], points[d], points[a]);
      if (result == kConverted) result = EmitTriangle(conversion, points[b], points[e], points[d]);
    }
  }
  return result;
}

}  // namespace

int32_t FindKnotSpan(double t, const std::vector<double>& knots, int32_t n, int32_t k) {
  int32_t span = n - 1;
  if (knots[size_t(n)] != t) {
    span = n - 1 + k;
    if (!(t >= knots[size_t(span)]))
      while (span > 0 && !(knots[size_t(span)] <= t)) --span;
  }
  return std::min(std::max(span, k - 1), n - 1);
}

// The de Boor recursion over the span's k non-zero terms: the functions of each order from those of
// the order below, with the distances of t to the span's knots on either side shared by all of them
// and one division a term. basis[r] belongs to the function of knot index span - k + 1 + r; a term
// over an empty knot interval is 0.
void BasisFunctions(double t, int32_t span, const std::vector<double>& knots, int32_t k, std::vector<double>& basis) {
  basis.assign(size_t(k), 0);
  basis[0] = 1;
  std::vector<double> left(static_cast<size_t>(k)), right(static_cast<size_t>(k));
  for (int32_t j = 1; j < k; ++j) {
    left[size_t(j)] = t - knots[size_t(span + 1 - j)];
    right[size_t(j)] = knots[size_t(span + j)] - t;
    double saved = 0;
    for (int32_t r = 0; r < j; ++r) {
      const double interval = right[size_t(r + 1)] + left[size_t(j - r)];
      const double term = interval == 0 ? 0 : basis[size_t(r)] / interval;
      basis[size_t(r)] = saved + right[size_t(r + 1)] * term;
      saved = left[size_t(j - r)] * term;
    }
    basis[size_t(j)] = saved;
  }
}

int32_t ConvertNurbCurve(SConversion& conversion, const MetafileObject& curve) {
  const int64_t k = curve.fields[0].integers[0], n = curve.fields[1].integers[0];
  if (k > n || n > INT32_MAX || k > kMostOrder) return kConverted;
  try {
    const std::vector<float>& controls = curve.fields[2].floats;
    const std::vector<double> knots = Widened(curve.fields[3].floats);
    std::vector<SPoint> points(kCurveSamples);
    for (int32_t s = 0; s < kCurveSamples; ++s) {
      SSample sample = Sample(knots, int32_t(n), int32_t(k), s, kCurveStep);
      SHomogeneous sum;
      for (int32_t r = 0; r < k; ++r) {
        const SHomogeneous p = ControlPoint(controls, size_t(sample.span - k + 1 + r));
        const double weight = sample.basis[size_t(r)];
        sum = {sum.x + weight * p.x, sum.y + weight * p.y, sum.z + weight * p.z, sum.w + weight * p.w};
      }
      if (!Project(sum, &points[size_t(s)])) return kConverted;
    }
    return EmitSegments(conversion, points);
  } catch (const std::bad_alloc&) {
    return kConversionFailed;
  }
}

// Rows run along v, the points of a row along u.
int32_t ConvertNurbPatch(SConversion& conversion, const MetafileObject& patch) {
  const int64_t ku = patch.fields[0].integers[0], kv = patch.fields[1].integers[0];
  const int64_t rows = patch.fields[2].integers[0], columns = patch.fields[3].integers[0];
  if (ku > columns || kv > rows || rows > INT32_MAX || columns > INT32_MAX || ku > kMostOrder || kv > kMostOrder)
    return kConverted;
  try {
    const std::vector<float>& controls = patch.fields[4].floats;
    const std::vector<double> uKnots = Widened(patch.fields[5].floats), vKnots = Widened(patch.fields[6].floats);
    std::vector<SSample> uSamples;
    for (int32_t j = 0; j < kPatchSamples; ++j)
      uSamples.push_back(Sample(uKnots, int32_t(columns), int32_t(ku), j, kPatchStep));
    std::vector<SPoint> points(kPatchSamples * kPatchSamples);
    for (int32_t i = 0; i < kPatchSamples; ++i) {
      const SSample v = Sample(vKnots, int32_t(rows), int32_t(kv), i, kPatchStep);
      for (int32_t j = 0; j < kPatchSamples; ++j) {
        const SSample& u = uSamples[size_t(j)];
        SHomogeneous sum;
        for (int32_t a = 0; a < kv; ++a) {
          const size_t row = size_t(v.span - kv + 1 + a);
          for (int32_t b = 0; b < ku; ++b) {
            const SHomogeneous p = ControlPoint(controls, row * size_t(columns) + size_t(u.span - ku + 1 + b));
            const double weight = v.basis[size_t(a)] * u.basis[size_t(b)];
            sum = {sum.x + weight * p.x, sum.y + weight * p.y, sum.z + weight * p.z, sum.w + weight * p.w};
          }
        }
        if (!Project(sum, &points[size_t(i * kPatchSamples + j)])) return kConverted;
      }
    }
    return EmitGrid(conversion, points);
  } catch (const std::bad_alloc&) {
    return kConversionFailed;
  }
}
