// The polygon triangulator that both import plug-ins link.
#include "plugins/dxf/triangulator.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace {

using SPoint = std::array<double, 3>;

struct SResult {
  int32_t answer;
  std::vector<int32_t> triangles;
  std::vector<SPoint> points;  // as the work record holds them afterwards
};

SResult TriangulatePoints(const std::vector<SPoint>& points, STriangulationMemory memory = {}) {
  TriangulationWork work;
  work.memory = memory;
  SResult result{InitTriangulation(work, int32_t(points.size())), {}, {}};
  if (result.answer == kTriangulated) {
    for (size_t i = 0; i < points.size(); ++i) {
      work.x[i] = points[i][0];
      work.y[i] = points[i][1];
      work.z[i] = points[i][2];
    }
    result.answer = Triangulate(work);
    result.triangles.assign(work.triangles, work.triangles + work.triangleCount * 3);
    for (int32_t i = 0; i < work.pointCount; ++i) result.points.push_back({work.x[i], work.y[i], work.z[i]});
  }
  FreeTriangulation(work);
  return result;
}

double TriangleArea(const SResult& result, size_t t) {
  const SPoint& a = result.points[size_t(result.triangles[t * 3])];
  const SPoint& b = result.points[size_t(result.triangles[t * 3 + 1])];
  const SPoint& c = result.points[size_t(result.triangles[t * 3 + 2])];
  const double ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
  const double vx = c[0] - a[0], vy = c[1] - a[1], vz = c[2] - a[2];
  const double x = uy * vz - uz * vy, y = uz * vx - ux * vz, z = ux * vy - uy * vx;
  return std::sqrt(x * x + y * y + z * z) / 2;
}

TEST(Triangulator, Answers) {
  const struct {
    const char* name;
    std::vector<SPoint> points;
    int32_t answer;
    std::vector<int32_t> triangles;
  } cases[] = {
      {"a square from its leftmost corner", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, kTriangulated,
       {1, 2, 3, 3, 0, 1}},
      {"five points on a line", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}}, kTriangulationNoPlane, {}},
      {"a fourth point repeating the first", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}}, kTriangulated, {0, 1, 2}},
      {"two points", {{0, 0, 0}, {1, 0, 0}}, kTriangulationTooFewPoints, {}},
      {"three points, two of them the same", {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}}, kTriangulationTooFewPoints, {}},
  };
  for (const auto& c : cases) {
    const SResult result = TriangulatePoints(c.points);
    EXPECT_EQ(result.answer, c.answer) << c.name;
    EXPECT_EQ(result.triangles, c.triangles) << c.name;
  }
}

// A concave polygon standing in the x-z plane: the notch must stay empty, and the pieces keep the
// polygon's turning sense.
TEST(Triangulator, ConcavePolygonsAreCutInsideTheirOutline) {
  const std::vector<SPoint> notch = {{0, 5, 0}, {4, 5, 0}, {4, 5, 4}, {2, 5, 1}, {0, 5, 4}};
  const SResult result = TriangulatePoints(notch);
  ASSERT_EQ(result.answer, kTriangulated);
  ASSERT_EQ(result.triangles.size(), 9u);
  double area = 0;
  for (size_t t = 0; t < 3; ++t) {
    area += TriangleArea(result, t);
    // The normal of every piece points the way the polygon's does (-y for this order).
    const SPoint& a = result.points[size_t(result.triangles[t * 3])];
    const SPoint& b = result.points[size_t(result.triangles[t * 3 + 1])];
    const SPoint& c = result.points[size_t(result.triangles[t * 3 + 2])];
    const double normalY = (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]);
    EXPECT_LT(normalY, 0) << "triangle " << t;
  }
  EXPECT_NEAR(area, 16 - 6, 1e-9);  // the 4 x 4 square less the notch of base 4 and height 3
}

TEST(Triangulator, ALargeConvexPolygonIsCutWithoutDeepCalls) {
  std::vector<SPoint> circle;
  constexpr int kPoints = 5000;
  for (int i = 0; i < kPoints; ++i) {
    const double angle = 2 * M_PI * i / kPoints;
    circle.push_back({1000 * std::cos(angle), 1000 * std::sin(angle), 0});
  }
  const SResult result = TriangulatePoints(circle);
  ASSERT_EQ(result.answer, kTriangulated);
  EXPECT_EQ(result.triangles.size(), size_t(kPoints - 2) * 3);
}

// The splitting rule as it reads, each sub-sequence a copy: at its leftmost vertex b (the first of
// equals), the diagonal goes to the leftmost vertex strictly inside (b, s, p) that lies left of the
// larger of s and p, or the ear (p, b, s) is cut; the part from b on is split first.
std::vector<int32_t> SplitAsTheRuleReads(const double* u, const double* v, int32_t n) {
  const auto side = [&](int32_t q, int32_t from, int32_t to) {
    const double cross = (u[to] - u[from]) * (v[q] - v[from]) - (v[to] - v[from]) * (u[q] - u[from]);
    return (cross > 0) - (cross < 0);
  };
  const auto inside = [&](int32_t q, int32_t a, int32_t b, int32_t c) {
    return side(q, a, b) == side(c, a, b) && side(q, b, c) == side(a, b, c) && side(q, c, a) == side(b, c, a);
  };
  std::vector<int32_t> triangles;
  std::vector<std::vector<int32_t>> pending(1, std::vector<int32_t>(size_t(n)));
  std::iota(pending[0].begin(), pending[0].end(), 0);
  while (!pending.empty()) {
    const std::vector<int32_t> sequence = pending.back();
    pending.pop_back();
    const int32_t m = int32_t(sequence.size());
    if (m == 3) {
      triangles.insert(triangles.end(), sequence.begin(), sequence.end());
      continue;
    }
    int32_t b = 0;
    for (int32_t k = 1; k < m; ++k)
      if (u[sequence[k]] < u[sequence[b]]) b = k;
    const int32_t p = (b + m - 1) % m, s = (b + 1) % m;
    int32_t a = u[sequence[s]] >= u[sequence[p]] ? s : p;
    for (int32_t j = 0; j < m; ++j)
      if (j != b && j != s && j != p && inside(sequence[j], sequence[b], sequence[s], sequence[p]) &&
          u[sequence[a]] > u[sequence[j]])
        a = j;
    if (a == s || a == p) {
      a = p;
      b = s;
    }
    const auto part = [&](int32_t from, int32_t to) {
      std::vector<int32_t> piece;
      for (int32_t k = from;; k = (k + 1) % m) {
        piece.push_back(sequence[k]);
        if (k == to) break;
      }
      return piece;
    };
    pending.push_back(part(a, b));
    pending.push_back(part(b, a));
  }
  return triangles;
}

// Polygons of every sort, simple or crossing, on a coarse grid so that many vertices share their u:
// the triangulator cuts each exactly as the rule reads.
TEST(Triangulator, CutsAsTheRuleReads) {
  std::mt19937 random(46);
  for (int round = 0; round < 400; ++round) {
    const int32_t n = 3 + int32_t(random() % 40);
    const bool star = round % 2 == 0;
    std::vector<double> angles(static_cast<size_t>(n));
    for (double& angle : angles) angle = double(random() % 3600) / 3600 * 2 * M_PI;
    std::sort(angles.begin(), angles.end());
    TriangulationWork work;
    ASSERT_EQ(InitTriangulation(work, n), kTriangulated);
    for (int32_t i = 0; i < n; ++i) {
      const double radius = 1 + double(random() % 8);
      const double x = star ? std::round(radius * std::cos(angles[size_t(i)])) : double(random() % 6);
      const double y = star ? std::round(radius * std::sin(angles[size_t(i)])) : double(random() % 6);
      // Every third polygon stands in a tilted plane.
      work.x[i] = x;
      work.y[i] = round % 3 == 0 ? y * 0.6 : y;
      work.z[i] = round % 3 == 0 ? y * 0.8 : 0;
    }
    if (Triangulate(work) == kTriangulated) {
      const std::vector<int32_t> cut(work.triangles, work.triangles + work.triangleCount * 3);
      EXPECT_EQ(cut, SplitAsTheRuleReads(work.u, work.v, work.pointCount)) << "round " << round;
      EXPECT_EQ(work.triangleCount, work.pointCount - 2) << "round " << round;
    }
    FreeTriangulation(work);
  }
}

// Twice the signed area of the polygon in its plane, and of every triangle of the result in the same
// plane (z = 0 for these tests).
double TwiceArea(const std::vector<SPoint>& points, const std::vector<int32_t>& corners) {
  double twice = 0;
  for (size_t k = 0; k < corners.size(); ++k) {
    const SPoint& a = points[size_t(corners[k])];
    const SPoint& b = points[size_t(corners[(k + 1) % corners.size()])];
    twice += a[0] * b[1] - b[0] * a[1];
  }
  return twice;
}

// A simple polygon is covered exactly: n - 2 triangles, each turning as the polygon turns, whose
// areas add up to the polygon's.
void ExpectCovered(const SResult& result, const char* name) {
  ASSERT_EQ(result.answer, kTriangulated) << name;
  const size_t n = result.points.size();
  ASSERT_EQ(result.triangles.size(), (n - 2) * 3) << name;
  std::vector<int32_t> ring(n);
  std::iota(ring.begin(), ring.end(), 0);
  const double whole = TwiceArea(result.points, ring);
  double sum = 0;
  size_t wrongWay = 0;
  for (size_t t = 0; t < n - 2; ++t) {
    const double twice = TwiceArea(result.points, {result.triangles.begin() + std::ptrdiff_t(3 * t),
                                                   result.triangles.begin() + std::ptrdiff_t(3 * t + 3)});
    wrongWay += twice * whole < 0;
    sum += twice;
  }
  EXPECT_EQ(wrongWay, 0u) << name;
  EXPECT_NEAR(sum, whole, 1e-6 * std::fabs(whole)) << name;
}

// A comb of that many vertices whose teeth hang from a bar towards the spine, below the line from the
// leftmost corner's neighbours: the splitting rule would visit every point for each tooth.
std::vector<SPoint> Comb(int32_t vertices) {
  const int32_t teeth = (vertices - 4) / 4;
  const double width = 2 * teeth + 1, height = 10;
  std::vector<SPoint> comb = {{0, 0, 0}, {width, 0, 0}, {width, height, 0}};
  for (int32_t k = teeth - 1; k >= 0; --k) {
    comb.push_back({2.0 * k + 2, height, 0});
    comb.push_back({2.0 * k + 2, 0.5, 0});
    comb.push_back({2.0 * k + 1, 0.5, 0});
    comb.push_back({2.0 * k + 1, height, 0});
  }
  comb.push_back({0, height, 0});
  return comb;
}

// Polygons on which the splitting rule would work too long are cut by ears: a convex one, whose every
// cut the rule makes at an ear, gets the rule's very triangles; a comb, a spiral and a zigzag of many
// points are covered exactly; a polygon that crosses itself still gives n - 2 triangles.
TEST(Triangulator, PolygonsTooLongForTheRuleAreCutByEars) {
  // Half a disc: its straight side sends the rule across every point of the arc for each cut.
  std::vector<SPoint> halfDisc = {{-1000, 0, 0}};
  constexpr int kArc = 2000;
  for (int i = 0; i <= kArc; ++i) {
    const double angle = M_PI * i / kArc;
    halfDisc.push_back({1000 * std::cos(angle), 1000 * std::sin(angle) + 1e-3 * (i == 0), 0});
  }
  {
    TriangulationWork work;
    ASSERT_EQ(InitTriangulation(work, int32_t(halfDisc.size())), kTriangulated);
    for (size_t i = 0; i < halfDisc.size(); ++i) {
      work.x[i] = halfDisc[i][0];
      work.y[i] = halfDisc[i][1];
      work.z[i] = halfDisc[i][2];
    }
    ASSERT_EQ(Triangulate(work), kTriangulated);
    const std::vector<int32_t> cut(work.triangles, work.triangles + work.triangleCount * 3);
    EXPECT_EQ(cut, SplitAsTheRuleReads(work.u, work.v, work.pointCount));
    FreeTriangulation(work);
  }
  ExpectCovered(TriangulatePoints(halfDisc), "half a disc");
  ExpectCovered(TriangulatePoints(Comb(100000)), "a comb of 100,000 vertices");

  std::vector<SPoint> spiral;
  constexpr int kTurns = 400;
  for (int i = 0; i < kTurns * 50; ++i) {
    const double angle = 2 * M_PI * i / 50, radius = 10 + 3 * angle;
    spiral.push_back({radius * std::cos(angle), radius * std::sin(angle), 0});
  }
  for (int i = kTurns * 50 - 1; i >= 0; --i) {
    const double angle = 2 * M_PI * i / 50, radius = 11 + 3 * angle;
    spiral.push_back({radius * std::cos(angle), radius * std::sin(angle), 0});
  }
  ExpectCovered(TriangulatePoints(spiral), "a spiral band of 40,000 vertices");

  std::vector<SPoint> zigzag = {{0, -1, 0}};
  for (int i = 0; i <= 30000; ++i) zigzag.push_back({double(i), i % 2 ? 5.0 : 1.0, 0});
  zigzag.push_back({30000, -1, 0});
  ExpectCovered(TriangulatePoints(zigzag), "a zigzag of 30,003 vertices");

  std::mt19937 random(7);
  std::vector<SPoint> tangle;
  for (int i = 0; i < 20000; ++i) tangle.push_back({double(random() % 1000), double(random() % 1000), 0});
  const SResult crossing = TriangulatePoints(tangle);
  ASSERT_EQ(crossing.answer, kTriangulated);
  EXPECT_EQ(crossing.triangles.size(), (crossing.points.size() - 2) * 3);
}

int gAllocations = 0;
int gFailAt = 0;

void* CountingAllocate(size_t bytes) { return ++gAllocations == gFailAt ? nullptr : std::malloc(bytes); }

TEST(Triangulator, EveryFailedAllocationAnswersOutOfMemory) {
  const std::vector<SPoint> polygon = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {2, 1, 0}, {0, 4, 0}, {-1, 2, 0}};
  const STriangulationMemory counting = {&CountingAllocate, &std::free};
  gFailAt = 0;
  gAllocations = 0;
  ASSERT_EQ(TriangulatePoints(polygon, counting).answer, kTriangulated);
  const int total = gAllocations;
  EXPECT_GE(total, 4) << "the arrays, the ring, the stack and the triangles";
  for (gFailAt = 1; gFailAt <= total; ++gFailAt) {
    gAllocations = 0;
    EXPECT_EQ(TriangulatePoints(polygon, counting).answer, kTriangulationOutOfMemory) << "allocation " << gFailAt;
  }
}

}  // namespace
