// Rays over height fields: the tile pyramid, the walk, the two triangles per cell, the reflection of a
// symmetric terrain and the clip heights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

#include "height_field_fixture.h"

namespace {

using HeightFieldRays = HeightFieldTest;

// A ray given in the field's object space, as the world sees it.
CRay ObjectRay(C3dHeightField* field, CRenderStats& stats, const Point& origin, const Point& direction) {
  return MakeRay(stats, field->GetObjectToWorld().TransformPoint(origin), direction);
}

TEST(HeightFieldShift, TheWholeRangeStaysBelowTheSide) {
  const struct {
    uint32_t n;
    int32_t shift;
  } cases[] = {{16, 12}, {32, 11}, {64, 10}, {128, 9}, {256, 8}, {512, 7}, {1024, 6},
               {20, 12}, {100, 10}, {10, 13}, {2048, 5}, {1, 16}};
  for (const auto& c : cases) {
    EXPECT_EQ(CHeightFieldGrid::TileShift(c.n), c.shift) << c.n;
    EXPECT_LT(65535u >> CHeightFieldGrid::TileShift(c.n), std::max(c.n, 1u)) << c.n;
  }
}

TEST_F(HeightFieldRays, TheTilesHoldTheSmallestAndLargestHeights) {
  C3dHeightField* field = FieldOf(20, [](uint32_t x, uint32_t z) { return x == 17 && z == 3 ? 60000 : 100 + x; });
  CHeightFieldGrid& tiles = const_cast<CHeightFieldGrid&>(*field->GetTiles());
  EXPECT_EQ(CHeightFieldGrid::TileShift(20), 12);
  EXPECT_EQ(tiles.GetLevelSide(0), 20u);
  // 20 samples need a second tile per side for their last four cells.
  ASSERT_EQ(tiles.GetLevelSide(1), 2u);
  CHolder fine(&tiles.GetLevel(0), false, false);
  CHolder coarse(&tiles.GetLevel(1), false, false);
  EXPECT_EQ(tiles.GetLevel(0)[2 * 20 + 16], 60000u << 16 | 116);  // its corner (17, 3) is the peak
  EXPECT_EQ(tiles.GetLevel(0)[19 * 20 + 19], 119u << 16 | 119);   // beyond the last sample: clamped
  EXPECT_EQ(tiles.GetLevel(1)[0], 116u << 16 | 100);  // its last cells reach sample 16
  EXPECT_EQ(tiles.GetLevel(1)[1], 60000u << 16 | 116);
}

TEST_F(HeightFieldRays, AFlatFieldIsHitFromAbove) {
  C3dHeightField* field = Grey128();
  EXPECT_EQ(field->GetReference().fPosition, (Point{8, 8, 8}));
  CRenderStats stats;
  CRay ray = ObjectRay(field, stats, {7.5, 100, 7.5}, {0, -1, 0});
  ASSERT_TRUE(field->Intersect(ray));
  EXPECT_NEAR(ray.fHitT, 93, 1e-9);
  ExpectNear(ray.fHit.fObjPoint, {7.5, 7, 7.5});
  ExpectNear(ray.fHit.fNormal, {0, 1, 0}, 1e-6);
  ExpectNear(ray.fHit.fShadingNormal, {0, 1, 0}, 1e-6);
  EXPECT_NEAR(ray.fHit.fU, 0.5, 1e-9);
  EXPECT_NEAR(ray.fHit.fV, 0.5, 1e-9);
  ExpectNear(ray.fHit.fTangentV, {0, 0, 1});
  EXPECT_EQ(stats.fHits, 1u);

  // The pivot: with the identity placement the terrain's centre stands at the world's origin.
  ExpectRayCase(*field, {"world", {-0.5, 100, -0.5}, {0, -1, 0}, 0, true, 101});
  CRay world = MakeRay(stats, {-0.5, 100, -0.5}, {0, -1, 0});
  ASSERT_TRUE(field->Intersect(world));
  EXPECT_NEAR(world.fHit.fPoint.y, -1, 1e-9);
  ExpectRayCase(*field, {"beside", {9, 100, 0}, {0, -1, 0}, 0, false, 0});
  // From below a ray meets the underside.
  ExpectRayCase(*field, {"upward", {-0.5, -100, -0.5}, {0, 1, 0}, 0, true, 99});
}

TEST(HeightFieldWalk, CellBoundariesAheadOfTheRay) {
  const struct {
    int32_t factor, cell, step;
    double origin, inverse, boundary;
  } cases[] = {{16, 1, 1, 20, 1, 12}, {16, 1, -1, 20, -1, 4}, {1, 3, 1, 3.25, 2, 1.5}, {1, 3, -1, 3.25, -4, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(CHeightFieldGrid::NextBoundary(c.factor, c.cell, c.step, c.origin, c.inverse), c.boundary) << c.cell;
  EXPECT_EQ(CHeightFieldGrid::NextBoundary(1, 3, 0, 3.25, 0), HUGE_VAL);
}

TEST_F(HeightFieldRays, AVerticalRayStaysInItsColumn) {
  C3dHeightField* field = FieldOf(32, [](uint32_t x, uint32_t z) { return 1000 * x + 700 * z; });
  for (const double x : {3.5, 17.25, 30.75}) {
    CRenderStats stats;
    CRay ray = ObjectRay(field, stats, {x, 300, 20.5}, {0, -1, 0});
    ASSERT_TRUE(field->Intersect(ray)) << x;
    EXPECT_NEAR(ray.fHit.fObjPoint.x, x, 1e-9);
    EXPECT_NEAR(ray.fHit.fObjPoint.z, 20.5, 1e-9);
  }
}

// The walk against the plain test of every triangle of every cell with the same arithmetic: nearest
// hits and all crossings are the same, bit for bit, for rays of every kind over rough terrains, plain
// and symmetric, clipped and not.
class HeightFieldWalkReference : public HeightFieldRays {
 protected:
  struct SFound {
    double t;
    Point point;
    int32_t cx, cz, triangle;
    bool reflected;
    bool operator==(const SFound&) const = default;
  };

  // Every accepted triangle crossing, as the grid's own test accepts it.
  static std::vector<SFound> AllCrossings(const std::vector<CHFUnit>& heights, uint32_t n, const SHeightQuery& q) {
    const int32_t shift = CHeightFieldGrid::TileShift(n), last = int32_t(n) - 1;
    const auto h = [&](int32_t x, int32_t z) {
      return double(heights[size_t(std::min(z, last)) * n + size_t(std::min(x, last))] >> shift);
    };
    const double low = q.tNear - 0.1 * std::fabs(q.tNear), high = q.tFar + 0.1 * std::fabs(q.tFar);
    const double reflection = 2 * q.lower;
    std::vector<SFound> found;
    for (int32_t cz = 0; cz <= last; ++cz) {
      for (int32_t cx = 0; cx <= last; ++cx) {
        for (int mirrored = 0; mirrored <= (q.symmetric ? 1 : 0); ++mirrored) {
          const auto y = [&](double v) { return mirrored ? reflection - v : v; };
          const Point p0{double(cx), y(h(cx, cz)), double(cz)}, p1{cx + 1.0, y(h(cx + 1, cz)), double(cz)};
          const Point p2{cx + 1.0, y(h(cx + 1, cz + 1)), cz + 1.0}, p3{double(cx), y(h(cx, cz + 1)), cz + 1.0};
          for (int triangle = 0; triangle < 2; ++triangle) {
            const Point& first = triangle ? p1 : p0;
            const Point m = triangle ? Cross(p3 - p1, p2 - p1) : Cross(p3 - p0, p1 - p0);
            const double facing = Dot(m, q.direction);
            if (facing == 0) continue;
            const double t = -(Dot(m, q.origin) - Dot(m, first)) / facing;
            if (t < low || t > high) continue;
            const Point p = q.origin + q.direction * t;
            const double height = mirrored ? reflection - p.y : p.y;
            if (height > q.upper || height < q.lower) continue;
            const double diagonal = cx + cz + 1.0;
            const bool inside = triangle ? p.x <= cx + 1 && p.z <= cz + 1 && p.x + p.z >= diagonal
                                         : p.x >= cx && p.z >= cz && p.x + p.z <= diagonal;
            if (inside) found.push_back({t, p, cx, cz, triangle, mirrored == 1});
          }
        }
      }
    }
    return found;
  }

  static bool Collect(void* context, const SHeightHit& hit) {
    static_cast<std::vector<SFound>*>(context)->push_back(
        {hit.t, hit.point, hit.cellX, hit.cellZ, hit.triangle, hit.reflected});
    return true;
  }
};

TEST_F(HeightFieldWalkReference, EveryRayMeetsWhatTheTrianglesGive) {
  std::mt19937 random(11);
  const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  int hits = 0, rays = 0;
  for (const uint32_t n : {40u, 64u}) {
    for (const bool symmetric : {false, true}) {
      std::vector<CHFUnit> heights(size_t(n) * n);
      for (CHFUnit& v : heights) v = CHFUnit(std::uniform_int_distribution<int>(20000, 45000)(random));
      C3dHeightField* field = FieldOf(n, [&](uint32_t x, uint32_t z) { return heights[size_t(z) * n + x]; }, symmetric);
      CHeightFieldGrid& grid = const_cast<CHeightFieldGrid&>(*field->GetTiles());
      const double top = double(n) * 45000 / 65536;
      std::optional<Point> surface;
      for (int i = 0; i < 400; ++i) {
        SHeightQuery q;
        q.symmetric = symmetric;
        q.lower = n * (i % 3 ? C3dHeightField::kDefaultLowerClip : 0.37);
        q.upper = n * (i % 5 ? C3dHeightField::kDefaultUpperClip : 0.52);
        // Rays from above, from among the heights, level ones, vertical ones, ones along an axis, and
        // ones leaving the last point hit upwards, as shadow rays leave the surface.
        const int kind = i % 6;
        q.origin = {uniform(-5, n + 5), kind == 1 ? uniform(0.2, 0.6) * n : uniform(top, 2.0 * n), uniform(-5, n + 5)};
        q.direction = {uniform(-1, 1), kind == 2 ? 0 : uniform(-1, 0.3), uniform(-1, 1)};
        if (kind == 3) q.direction.x = q.direction.z = 0;
        if (kind == 4) q.direction.z = 0;
        if (kind == 5 && surface) {
          q.origin = *surface;
          q.direction.y = uniform(0.05, 1);
        }
        if (kind == 3 && i % 2) q.direction.y = -q.direction.y - 0.1;
        // A ray along neither x nor z looks kNoCrossing along itself, so its direction is of unit length.
        q.direction *= 1 / std::sqrt(Dot(q.direction, q.direction));
        const C3dBox box = field->LocalBox();
        double entry = 0, exit = 0;
        if (!box.IntersectRay(q.origin, q.direction, entry, exit)) continue;
        ++rays;
        q.tNear = std::max(entry, 0.0001);
        q.tFar = exit;
        if (q.tNear > q.tFar) continue;
        std::vector<SFound> all = AllCrossings(heights, n, q);
        SHeightHit hit;
        bool found = false;
        {
          CHolder holder(field, false, false);
          found = grid.Intersect(field->GetGrid(), q, &hit);
        }
        const auto nearest = std::min_element(all.begin(), all.end(), [](auto& a, auto& b) { return a.t < b.t; });
        ASSERT_EQ(found, nearest != all.end()) << n << " ray " << i;
        if (found) {
          ++hits;
          surface = hit.point;
          EXPECT_EQ((SFound{hit.t, hit.point, hit.cellX, hit.cellZ, hit.triangle, hit.reflected}), *nearest)
              << n << " ray " << i;
        }
        std::vector<SFound> spans;
        q.spans = true;
        q.onHit = Collect;
        q.context = &spans;
        {
          CHolder holder(field, false, false);
          grid.Intersect(field->GetGrid(), q, nullptr);
        }
        const auto byT = [](const SFound& a, const SFound& b) {
          return a.t != b.t ? a.t < b.t : a.cx != b.cx ? a.cx < b.cx : a.cz != b.cz ? a.cz < b.cz : a.triangle < b.triangle;
        };
        std::sort(spans.begin(), spans.end(), byT);
        std::sort(all.begin(), all.end(), byT);
        EXPECT_EQ(spans, all) << n << " ray " << i;
      }
    }
  }
  // The rays are not all misses, nor all hits.
  EXPECT_GT(hits, rays / 4);
  EXPECT_LT(hits, rays);
}

// Every cell of fields whose side is no multiple of 16 is hit, at the height its triangles have there.
TEST_F(HeightFieldRays, EveryCellIsHitFromAbove) {
  for (uint32_t n : {20u, 10u}) {
    const auto height = [](uint32_t x, uint32_t z) { return 1000 * x + 1500 * z; };
    C3dHeightField* field = FieldOf(n, height);
    const int32_t shift = CHeightFieldGrid::TileShift(n);
    const auto h = [&](uint32_t x, uint32_t z) {
      return double(height(std::min(x, n - 1), std::min(z, n - 1)) >> shift);
    };
    for (uint32_t cz = 0; cz < n; ++cz) {
      for (uint32_t cx = 0; cx < n; ++cx) {
        CRenderStats stats;
        CRay ray = ObjectRay(field, stats, {cx + 0.5, 200, cz + 0.5}, {0, -1, 0});
        ASSERT_TRUE(field->Intersect(ray)) << n << ": " << cx << ", " << cz;
        // The centre lies on the diagonal between the cell's corners (x + 1, z) and (x, z + 1).
        EXPECT_NEAR(ray.fHit.fObjPoint.y, (h(cx + 1, cz) + h(cx, cz + 1)) / 2, 1e-9) << n << ": " << cx << ", " << cz;
      }
    }
  }
}

// A raised sample makes the largest height of its tiles; a ray level with it is no candidate.
TEST_F(HeightFieldRays, ARayGrazingATileTopIsNoCandidate) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t z) { return x == 8 && z == 8 ? 65535 : 32767; });
  const struct {
    const char* name;
    double y;
    bool hit;
  } cases[] = {{"level with the peak", 15, false}, {"just below it", 14.9, true}};
  for (const auto& c : cases) {
    CRenderStats stats;
    CRay ray = ObjectRay(field, stats, {0.5, c.y, 8}, {1, 0, 0});
    EXPECT_EQ(field->Intersect(ray), c.hit) << c.name;
    EXPECT_EQ(stats.fHits + stats.fMisses, 1u) << c.name;
  }
}

// A ridge along x = 8 (height 15 over ground at 7); a ray coming down over it.
TEST_F(HeightFieldRays, AHitAboveTheUpperClipIsPassedOver) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t) { return x == 8 ? 65535 : 32767; });
  const Point origin{4, 13, 8.5}, direction{1, -1, 0};
  const struct {
    const char* name;
    double upper;
    double x;
  } cases[] = {{"the rising side", C3dHeightField::kDefaultUpperClip, 22.0 / 3},
               {"the falling side", 9.0 / 16, 62.0 / 7}};
  for (const auto& c : cases) {
    field->SetClip(C3dHeightField::kDefaultLowerClip, c.upper);
    CRenderStats stats;
    CRay ray = ObjectRay(field, stats, origin, direction);
    ASSERT_TRUE(field->Intersect(ray)) << c.name;
    EXPECT_NEAR(ray.fHit.fObjPoint.x, c.x, 1e-9) << c.name;
    EXPECT_NEAR(ray.fHitT, (c.x - 4) * std::sqrt(2.0), 1e-9) << c.name;
  }
}

TEST_F(HeightFieldRays, ASymmetricTerrainIsHitFromBelowOnItsReflection) {
  C3dHeightField* field = FieldOf(16, [](uint32_t, uint32_t) { return 32767; }, true);
  const double lower = 16 * C3dHeightField::kDefaultLowerClip;
  EXPECT_EQ(field->GetReference().fPosition, (Point{8, 0, 8}));
  EXPECT_NEAR(field->LocalBox().fMin.y, 2 * lower - 16.01, 1e-12);
  CRenderStats stats;
  CRay up = ObjectRay(field, stats, {7.5, -100, 7.5}, {0, 1, 0});
  ASSERT_TRUE(field->Intersect(up));
  EXPECT_NEAR(up.fHit.fObjPoint.y, 2 * lower - 7, 1e-9);
  EXPECT_NEAR(up.fHitT, 100 + 2 * lower - 7, 1e-9);
  EXPECT_NEAR(std::fabs(up.fHit.fNormal.y), 1, 1e-6);
  CRay down = ObjectRay(field, stats, {7.5, 100, 7.5}, {0, -1, 0});
  ASSERT_TRUE(field->Intersect(down));
  EXPECT_NEAR(down.fHitT, 93, 1e-9);
}

TEST_F(HeightFieldRays, TheSpansAcrossARidgeAreInOrder) {
  C3dHeightField* field = FieldOf(16, [](uint32_t x, uint32_t) { return x == 8 ? 65535 : 32767; });
  for (const Point direction : {Point{1, 0, 0}, Point{-1, 0, 0}}) {
    CRenderStats stats;
    CRay ray = ObjectRay(field, stats, {direction.x > 0 ? 0.5 : 15.5, 11, 8.5}, direction);
    CSpanList spans;
    ASSERT_TRUE(field->IntersectSpans(ray, false, spans));
    ASSERT_EQ(spans.size(), 2u);
    const double first = direction.x > 0 ? 7.5 : 8.5, second = direction.x > 0 ? 8.5 : 7.5;
    EXPECT_NEAR(spans[0].fObjPoint.x, first, 1e-9);
    EXPECT_NEAR(spans[1].fObjPoint.x, second, 1e-9);
    EXPECT_LT(spans[0].fT, spans[1].fT);
    EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
  }
}

TEST_F(HeightFieldRays, TheRayIntervalAndTheEntryTestsHold) {
  C3dHeightField* field = Grey128();
  ExpectRayCase(*field, {"interval past the ground", {-0.5, 100, -0.5}, {0, -1, 0}, 102, false, 0});
  CRenderStats stats;
  CRay shortRay = MakeRay(stats, {-0.5, 100, -0.5}, {0, -1, 0});
  shortRay.fTMax = 50;
  EXPECT_FALSE(field->Intersect(shortRay));
  field->SetStateFlags(C3dObject::kExcluded);
  CRay excluded = MakeRay(stats, {-0.5, 100, -0.5}, {0, -1, 0});
  EXPECT_FALSE(field->Intersect(excluded));
  EXPECT_EQ(stats.fMisses, 1u);
}

// A shadow ray that any hit on the terrain stops needs the distance only: it gets the same distance
// and object as any other ray, without the surface; other rays still get all of it.
TEST_F(HeightFieldRays, AShadowRayThatAnyHitStopsLearnsTheDistance) {
  C3dHeightField* field = FieldOf(32, [](uint32_t x, uint32_t z) { return 20000 + 900 * ((x * 7 + z * 3) % 11); });
  const Point origins[] = {{3.5, 40, 2.5}, {30.25, 35, 20.75}, {16, 18, -4}};
  const Point directions[] = {{0.3, -1, 0.2}, {-0.5, -0.6, -0.1}, {0.1, -0.25, 1}};
  for (int i = 0; i < 3; ++i) {
    CRenderStats stats;
    CRay full = ObjectRay(field, stats, origins[i], directions[i]);
    full.fShadowRay = 1;
    ASSERT_TRUE(field->Intersect(full)) << i;
    field->SetStopsShadows(true);
    CRay shadow = ObjectRay(field, stats, origins[i], directions[i]);
    shadow.fShadowRay = 1;
    CRay camera = ObjectRay(field, stats, origins[i], directions[i]);
    ASSERT_TRUE(field->Intersect(shadow)) << i;
    ASSERT_TRUE(field->Intersect(camera)) << i;
    field->SetStopsShadows(false);
    EXPECT_EQ(shadow.fHitT, full.fHitT) << i;
    EXPECT_EQ(shadow.fHitObject, field) << i;
    EXPECT_EQ(camera.fHitT, full.fHitT) << i;
    EXPECT_EQ(camera.fHit.fShadingNormal, full.fHit.fShadingNormal) << i;
    EXPECT_EQ(camera.fHit.fPoint, full.fHit.fPoint) << i;
  }
}

// Through a render, hits take their vertex normals from a table that neighbouring hits share; the
// shading normals stay those of a hit outside a render, bit for bit, also where vertices a table
// side apart take turns in one place of the table and on a terrain's reflection.
TEST_F(HeightFieldRays, ShadingNormalsThroughARenderAreTheSame) {
  std::mt19937 random(5);
  for (const bool symmetric : {false, true}) {
    C3dHeightField* field = FieldOf(
        150, [](uint32_t x, uint32_t z) { return 20000 + 97 * ((x * 31 + z * 17) % 211) + 40 * (x % 7); }, symmetric);
    std::vector<CRay> rays;
    CRenderStats stats;
    for (int i = 0; i < 300; ++i) {
      const double x = std::uniform_real_distribution<double>(20, 130)(random);
      const double z = std::uniform_real_distribution<double>(20, 130)(random);
      const double y = i % 2 && symmetric ? -140 : 140;
      rays.push_back(ObjectRay(field, stats, {x, y, z}, {0.02 * (i % 5), y > 0 ? -1.0 : 1.0, -0.03 * (i % 3)}));
    }
    std::vector<Point> outside;
    for (CRay ray : rays) {
      ASSERT_TRUE(field->Intersect(ray));
      outside.push_back(ray.fHit.fShadingNormal);
    }
    field->BeginRender();
    for (int pass = 0; pass < 2; ++pass) {
      for (size_t i = 0; i < rays.size(); ++i) {
        CRay ray = rays[i];
        ASSERT_TRUE(field->Intersect(ray));
        EXPECT_EQ(ray.fHit.fShadingNormal, outside[i]) << symmetric << " ray " << i << " pass " << pass;
      }
    }
    field->EndRender();
  }
}

// Through a render, shadow rays that keep rising along one direction end their walk once a table says
// they clear every cell ahead; each finds what it finds outside a render, bit for bit: from the
// surface, from among the heights and from below them, along axes and diagonals, steep and grazing,
// on sides that are no multiple of 16. A direction asked for once (a point light's) gets no table.
TEST_F(HeightFieldWalkReference, ShadowRaysAlongOneDirectionFindWhatTheyFindOutsideARender) {
  std::mt19937 random(23);
  const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
  const Point directions[] = {{0.6, 0.5, -0.5}, {-0.3, 0.05, 0.2}, {1, 0.3, 0}, {0, 2, -0.01}, {-0.7, 0.01, -0.7}};
  for (const uint32_t n : {40u, 100u}) {
    std::vector<CHFUnit> heights(size_t(n) * n);
    for (CHFUnit& v : heights) v = CHFUnit(std::uniform_int_distribution<int>(15000, 50000)(random));
    C3dHeightField* field = FieldOf(n, [&](uint32_t x, uint32_t z) { return heights[size_t(z) * n + x]; });
    CHeightFieldGrid& grid = const_cast<CHeightFieldGrid&>(*field->GetTiles());
    const double top = double(n) * 50000 / 65536;
    const auto clipped = [n](SHeightQuery q) {
      q.lower = n * C3dHeightField::kDefaultLowerClip;
      q.upper = n * C3dHeightField::kDefaultUpperClip;
      return q;
    };
    // Points on the surface, found from above, and points anywhere in the box.
    std::vector<Point> origins;
    for (int i = 0; i < 300; ++i) {
      SHeightQuery down = clipped({});
      down.origin = {uniform(0, n - 1), 2.0 * n, uniform(0, n - 1)};
      down.direction = {0.01, -1, 0.02};
      down.tNear = 0;
      down.tFar = 4.0 * n;
      SHeightHit hit;
      CHolder holder(field, false, false);
      if (grid.Intersect(field->GetGrid(), down, &hit)) origins.push_back(hit.point);
      origins.push_back({uniform(0, n), uniform(0, top), uniform(0, n)});
    }
    for (const Point& direction : directions) {
      const Point d = direction * (1 / std::sqrt(Dot(direction, direction)));
      std::vector<SHeightQuery> queries;
      for (const Point& origin : origins) {
        SHeightQuery q = clipped({});
        q.shading = false;
        q.origin = origin;
        q.direction = d;
        double entry = 0, exit = 0;
        if (!field->LocalBox().IntersectRay(q.origin, q.direction, entry, exit)) continue;
        q.tNear = std::max(entry, 0.0001);
        q.tFar = exit;
        if (q.tNear <= q.tFar) queries.push_back(q);
      }
      const auto walkAll = [&] {
        std::vector<std::optional<SFound>> found;
        CHolder holder(field, false, false);
        for (const SHeightQuery& q : queries) {
          SHeightHit hit;
          found.push_back(grid.Intersect(field->GetGrid(), q, &hit)
                              ? std::optional<SFound>({hit.t, hit.point, hit.cellX, hit.cellZ, hit.triangle, false})
                              : std::nullopt);
        }
        return found;
      };
      const std::vector<std::optional<SFound>> outside = walkAll();
      const auto lit = std::count(outside.begin(), outside.end(), std::nullopt);
      EXPECT_GT(lit, 20) << n;
      EXPECT_LT(lit, std::ssize(outside) - 20) << n;
      field->BeginRender();
      SHeightQuery once = queries.front();
      once.direction = Point{d.x + 0.001, d.y, d.z};
      {
        CHolder holder(field, false, false);
        SHeightHit hit;
        grid.Intersect(field->GetGrid(), once, &hit);
      }
      EXPECT_FALSE(grid.HoldsHorizon(once.direction));
      EXPECT_EQ(walkAll(), outside) << n << " direction " << d.x << " " << d.y << " " << d.z;
      EXPECT_TRUE(grid.HoldsHorizon(d)) << n;
      field->EndRender();
      EXPECT_FALSE(grid.HoldsHorizon(d)) << n;
    }
  }
}

TEST_F(HeightFieldRays, TheFinestLevelStaysLockedThroughARender) {
  C3dHeightField* field = Grey128();
  CSpoolTableT<uint32_t>& fine = const_cast<CHeightFieldGrid*>(field->GetTiles())->GetLevel(0);
  const uint32_t before = fine.GetLockCount();
  // A render within a render shares the outer one's lock, which lasts until the outer one ends.
  field->BeginRender();
  field->BeginRender();
  EXPECT_EQ(fine.GetLockCount(), before + 1);
  ExpectRayCase(*field, {"during the render", {-0.5, 100, -0.5}, {0, -1, 0}, 0, true, 101});
  field->EndRender();
  EXPECT_EQ(fine.GetLockCount(), before + 1);
  field->EndRender();
  EXPECT_EQ(fine.GetLockCount(), before);
  field->EndRender();
  EXPECT_EQ(fine.GetLockCount(), before);
}

}  // namespace
