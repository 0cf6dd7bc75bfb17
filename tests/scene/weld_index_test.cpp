#include "scene/weld_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "scene/triangle_mesh.h"

namespace {

constexpr double kDistance = C3dTriangleMesh::kWeldDistance;

// What the mesh did before it had an index: the first stored point within the distance on every axis.
uint32_t FirstWithin(const std::vector<vector3<double>>& points, const vector3<double>& p) {
  for (uint32_t i = 0; i < points.size(); ++i) {
    const vector3<double>& q = points[i];
    if (std::fabs(q.x - p.x) < kDistance && std::fabs(q.y - p.y) < kDistance && std::fabs(q.z - p.z) < kDistance)
      return i;
  }
  return CWeldIndex::kNotFound;
}

// Points are stored as the mesh stores them, and each new point is looked for before it joins the
// stored ones, as a mesh built triangle by triangle does; the index must find what the walk finds.
void ExpectSameAsWalk(const std::vector<vector3<double>>& sequence, const std::string& what) {
  CWeldIndex index(kDistance);
  std::vector<vector3<double>> stored;
  for (size_t n = 0; n < sequence.size(); ++n) {
    const vector3<double>& p = sequence[n];
    const uint32_t found =
        index.Find(reinterpret_cast<const uint8_t*>(stored.data()), sizeof(vector3<double>), uint32_t(stored.size()), p);
    ASSERT_EQ(found, FirstWithin(stored, p)) << what << ", point " << n;
    if (found == CWeldIndex::kNotFound) stored.push_back(p);
  }
}

TEST(WeldIndex, FindsWhatAWalkOverEveryPointFinds) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double cell = 16 * kDistance;
  std::mt19937_64 random(5);
  auto near = [&](const vector3<double>& p, double spread) {
    std::uniform_real_distribution<double> d(-spread, spread);
    return vector3<double>{p.x + d(random), p.y + d(random), p.z + d(random)};
  };
  struct SCase {
    const char* what;
    std::vector<vector3<double>> points;
  } cases[] = {
      {"equal points and points just inside and outside the distance",
       {{0, 0, 0}, {0, 0, 0}, {0.9e-10, 0, 0}, {1e-10, 0, 0}, {0, -0.99e-10, 0.5e-10}, {1.5e-10, 0, 0}, {-0.0, 0, 0}}},
      {"points on both sides of a cell's border",
       {{cell, 0, 0}, {cell - 0.5e-10, 0, 0}, {cell + 0.5e-10, 0, 0}, {-cell + 0.2e-10, cell - 0.2e-10, 0},
        {-cell - 0.2e-10, cell + 0.2e-10, 0}, {cell * 3 - 0.99e-10, 0, 0}}},
      {"a later point between two stored ones welds to the first",
       {{0, 0, 0}, {1.8e-10, 0, 0}, {0.9e-10, 0, 0}, {0.95e-10, 0, 0}}},
      {"far from the origin, where neighbouring doubles lie further apart than the distance",
       {{1e7, -3e9, 2.5e15}, {1e7, -3e9, 2.5e15}, {std::nextafter(1e7, 2e7), -3e9, 2.5e15}, {1e300, 1e300, -1e300},
        {1e300, 1e300, -1e300}, {5e5, 5e5, 5e5}, {5e5 + 1e-10, 5e5, 5e5}, {std::nextafter(5e5, 1e6), 5e5, 5e5}}},
      {"infinities and what is not a number weld to nothing",
       {{inf, 0, 0}, {inf, 0, 0}, {nan, 1, 1}, {nan, 1, 1}, {0, -inf, 0}, {1, 1, 1}, {1, 1, 1}}},
  };
  for (const SCase& c : cases) ExpectSameAsWalk(c.points, c.what);

  // Clusters of points within a few distances of each other, around centres at every scale.
  std::vector<vector3<double>> clusters;
  std::uniform_real_distribution<double> scale(-12, 8);
  for (int centre = 0; centre < 300; ++centre) {
    const vector3<double> at = near({0, 0, 0}, std::pow(10.0, scale(random)));
    for (int i = 0; i < 6; ++i) clusters.push_back(near(at, 3 * kDistance));
    clusters.push_back(at);
  }
  ExpectSameAsWalk(clusters, "random clusters");
}

// An array that shrank (the mesh emptied and built again) is taken in again; points changed in place
// count once the index is told.
TEST(WeldIndex, TakesTheArrayInAgainAfterItShrankOrWasForgotten) {
  std::vector<vector3<double>> stored{{1, 2, 3}, {4, 5, 6}};
  CWeldIndex index(kDistance);
  const auto find = [&](const vector3<double>& p) {
    return index.Find(reinterpret_cast<const uint8_t*>(stored.data()), sizeof(vector3<double>), uint32_t(stored.size()), p);
  };
  EXPECT_EQ(find({4, 5, 6}), 1u);
  stored = {{7, 8, 9}};
  EXPECT_EQ(find({7, 8, 9}), 0u);
  EXPECT_EQ(find({1, 2, 3}), CWeldIndex::kNotFound);
  stored[0] = {1, 2, 3};
  index.Forget();
  EXPECT_EQ(find({1, 2, 3}), 0u);
  EXPECT_EQ(find({7, 8, 9}), CWeldIndex::kNotFound);
}

}  // namespace
