// The polygon triangulator that both import plug-ins link.
#include "plugins/dxf/triangulator.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
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
  EXPECT_GT(total, 7) << "six arrays, the triangles and the cutting";
  for (gFailAt = 1; gFailAt <= total; ++gFailAt) {
    gAllocations = 0;
    EXPECT_EQ(TriangulatePoints(polygon, counting).answer, kTriangulationOutOfMemory) << "allocation " << gFailAt;
  }
}

}  // namespace
