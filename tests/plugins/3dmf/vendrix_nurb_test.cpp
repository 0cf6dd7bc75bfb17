// The NURB sampler's basis by the de Boor recursion, against the triangular recurrence as the
// description of the format reads it, and the bound on the order.
#include "plugins/3dmf/vendrix_nurb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// The k basis values at t for the span, order by order, each value split between its two neighbours
// with the weight (t - U[j]) / (U[j+m-1] - U[j]), 0 over an empty interval.
std::vector<double> BasisAsTheRecurrenceReads(double t, int32_t span, const std::vector<double>& knots, int32_t k) {
  std::vector<double> basis(size_t(k), 0);
  basis[size_t(k - 1)] = 1;
  const auto ratio = [](double numerator, double interval) { return interval == 0 ? 0 : numerator / interval; };
  for (int32_t m = 2; m <= k; ++m) {
    for (int32_t r = k - m; r < k; ++r) {
      const int32_t j = span - k + 1 + r;
      const double rising = ratio(t - knots[size_t(j)], knots[size_t(j + m - 1)] - knots[size_t(j)]);
      const double falling = r + 1 < k ? ratio(knots[size_t(j + m)] - t, knots[size_t(j + m)] - knots[size_t(j + 1)]) : 0;
      basis[size_t(r)] = rising * basis[size_t(r)] + (r + 1 < k ? falling * basis[size_t(r + 1)] : 0);
    }
  }
  return basis;
}

// Knots rising, with repeats, or in no order at all (which the format allows and the sampler takes as
// they come), for orders 2 to 12: the same values within 1e-9.
TEST(VendrixNurb, TheDeBoorRecursionGivesTheRecurrencesValues) {
  std::mt19937 random(11);
  for (int round = 0; round < 600; ++round) {
    const int32_t k = 2 + int32_t(random() % 11), n = k + int32_t(random() % 8);
    std::vector<double> knots(size_t(n + k));
    for (double& knot : knots) knot = double(random() % 7);
    if (round % 3 != 0) std::sort(knots.begin(), knots.end());
    const double t = knots[size_t(k - 1)] + (knots[size_t(n)] - knots[size_t(k - 1)]) * double(random() % 40) / 39;
    const int32_t span = FindKnotSpan(t, knots, n, k);
    std::vector<double> basis;
    BasisFunctions(t, span, knots, k, basis);
    const std::vector<double> expected = BasisAsTheRecurrenceReads(t, span, knots, k);
    ASSERT_EQ(basis.size(), expected.size());
    for (size_t r = 0; r < basis.size(); ++r)
      EXPECT_NEAR(basis[r], expected[r], 1e-9 * std::max(1.0, std::fabs(expected[r]))) << "round " << round << " term " << r;
  }
}

int gTriangles = 0;
int32_t CountTriangle(uint32_t, uint32_t, const float*, const float*, const float*) {
  ++gTriangles;
  return 0;
}

MetafileObject Curve(int64_t order, int64_t points) {
  MetafileObject curve;
  curve.classCode = MetafileCode("nrbc");
  curve.fields.resize(4);
  curve.fields[0].integers = {order};
  curve.fields[1].integers = {points};
  for (int64_t i = 0; i < points; ++i) curve.fields[2].floats.insert(curve.fields[2].floats.end(), {float(i), 0, 0, 1});
  for (int64_t i = 0; i < order + points; ++i) curve.fields[3].floats.push_back(float(i));
  return curve;
}

MetafileObject Patch(int64_t uOrder, int64_t vOrder, int64_t rows, int64_t columns) {
  MetafileObject patch;
  patch.classCode = MetafileCode("nrbp");
  patch.fields.resize(7);
  patch.fields[0].integers = {uOrder};
  patch.fields[1].integers = {vOrder};
  patch.fields[2].integers = {rows};
  patch.fields[3].integers = {columns};
  for (int64_t i = 0; i < rows * columns; ++i)
    patch.fields[4].floats.insert(patch.fields[4].floats.end(), {float(i % columns), float(i / columns), 0, 1});
  for (int64_t i = 0; i < uOrder + columns; ++i) patch.fields[5].floats.push_back(float(i));
  for (int64_t i = 0; i < vOrder + rows; ++i) patch.fields[6].floats.push_back(float(i));
  return patch;
}

// Every sample costs the order squared: past order 32 an object sends nothing, as one whose order is
// past its points does, and the import goes on.
TEST(VendrixNurb, OrdersPastThirtyTwoSendNothing) {
  SConversion conversion;
  ResetGroups(conversion);
  conversion.addTriangle = &CountTriangle;
  const struct {
    const char* name;
    MetafileObject object;
    int triangles;
  } cases[] = {
      {"a curve of order 32", Curve(32, 40), 39},
      {"a curve of order 33", Curve(33, 40), 0},
      {"a curve of order and points 10,000", Curve(10000, 10000), 0},
      {"a patch of orders 32 and 2", Patch(32, 2, 2, 32), 722},
      {"a patch of orders 2 and 33", Patch(2, 33, 33, 2), 0},
  };
  for (const auto& c : cases) {
    gTriangles = 0;
    const int32_t answer = c.object.classCode == MetafileCode("nrbc") ? ConvertNurbCurve(conversion, c.object)
                                                                       : ConvertNurbPatch(conversion, c.object);
    EXPECT_EQ(answer, kConverted) << c.name;
    EXPECT_EQ(gTriangles, c.triangles) << c.name;
  }
}

}  // namespace
