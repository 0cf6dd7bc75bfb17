// Rays through triangle meshes: the voxel grid's size, its walk, the nearest hit and the crossings.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "mesh_fixture.h"
#include "scene/voxel_grid.h"

namespace {

using MeshRays = MeshTest;

void ExpectCounts(const int32_t* counts, int32_t x, int32_t y, int32_t z, const char* what) {
  EXPECT_EQ(counts[0], x) << what;
  EXPECT_EQ(counts[1], y) << what;
  EXPECT_EQ(counts[2], z) << what;
}

TEST(VoxelGrid, CountsFollowTheCubeRootOfTheFacesAndTheBoxShape) {
  int32_t counts[3];
  const C3dBox cube{{0, 0, 0}, {1, 1, 1}};
  VoxelGridCounts(9, cube, counts);
  ExpectCounts(counts, 1, 1, 1, "9 faces");
  VoxelGridCounts(1000, cube, counts);
  ExpectCounts(counts, 10, 10, 10, "1000 faces");
  VoxelGridCounts(1000000, cube, counts);
  ExpectCounts(counts, 40, 40, 40, "at most 40");
  // The short axes get 1.5 times their share, at most as many as the longest.
  VoxelGridCounts(1000, {{0, 0, 0}, {10, 2, 8}}, counts);
  ExpectCounts(counts, 10, 3, 10, "flat box");
  VoxelGridCounts(1000, {{0, 0, 0}, {4, 0, 4}}, counts);
  ExpectCounts(counts, 10, 1, 10, "no extent in y");
  VoxelGridCounts(1000, {{1, 1, 1}, {1, 1, 1}}, counts);
  ExpectCounts(counts, 1, 1, 1, "a point");
}

// The walk meets the cells in the order the ray crosses them and stops outside.
TEST(VoxelGrid, TheWalkVisitsTheCellsAlongTheRay) {
  const int32_t counts[3] = {4, 4, 4};
  CVoxelGrid grid;
  grid.Init(counts, {{0, 0, 0}, {4, 4, 4}});
  grid.BeginRay({0.5, 0.5, 0.5}, {1, 0.5, 0});
  EXPECT_EQ(grid.GetMajorAxis(), 0);
  std::vector<std::array<int32_t, 3>> cells;
  int32_t cell[3];
  while (grid.NextCell(cell)) cells.push_back({cell[0], cell[1], cell[2]});
  const std::vector<std::array<int32_t, 3>> expected = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 1, 0},
                                                               {3, 1, 0}, {3, 2, 0}};
  EXPECT_EQ(cells, expected);
  EXPECT_EQ(grid.GetStepNumber(), -1);
  EXPECT_FALSE(grid.NextCell(cell));
}

TEST_F(MeshRays, TheUnitCubeIsHitOnItsNearSide) {
  C3dTriangleMesh* mesh = NewCube();
  ASSERT_EQ(mesh->Prepare(), 0);
  ExpectCounts(mesh->GetGridCounts(), 2, 2, 2, "12 faces");
  const SRayCase cases[] = {
      {"down -z", {0, 0, 5}, {0, 0, -1}, 0, true, 4.5},
      {"along +x", {-3, 0.1, 0.2}, {1, 0, 0}, 0, true, 2.5},
      {"on an edge", {0.5, 0.5, 5}, {0, 0, -1}, 0, true, 4.5},
      {"past a corner", {0.5001, 0.5, 5}, {0, 0, -1}, 0, false, 0},
      {"from inside", {0, 0, 0}, {0, 1, 0}, 0, true, 0.5},
      {"beyond tMin", {0, 0, 5}, {0, 0, -1}, 5, true, 5.5},
      {"away", {0, 0, 5}, {0, 0, 1}, 0, false, 0},
  };
  for (const SRayCase& c : cases) ExpectRayCase(*mesh, c);

  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  ASSERT_TRUE(mesh->Intersect(ray));
  EXPECT_EQ(ray.fHitObject, mesh);
  ExpectNear(ray.fHit.fPoint, {0, 0, 0.5});
  ExpectNear(ray.fHit.fNormal, {0, 0, 1});
  ExpectNear(ray.fHit.fShadingNormal, {0, 0, 1});
}

TEST_F(MeshRays, APlacedMeshIsHitInWorldSpace) {
  C3dTriangleMesh* mesh = NewCube();
  Place(mesh, {2, 2, 2}, {10, 0, 0});
  CRenderStats stats;
  CRay ray = MakeRay(stats, {10, 0, 5}, {0, 0, -1});
  ASSERT_TRUE(mesh->Intersect(ray));
  EXPECT_NEAR(ray.fHitT, 4, 1e-6);
  ExpectNear(ray.fHit.fPoint, {10, 0, 1});
  ExpectNear(ray.fHit.fNormal, {0, 0, 1});
}

TEST_F(MeshRays, TheSpansOfTheCubeAreItsTwoSidesInOrder) {
  C3dTriangleMesh* mesh = NewCube();
  CRenderStats stats;
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  CSpanList spans;
  ASSERT_TRUE(mesh->IntersectSpans(ray, false, spans));
  // The ray passes the diagonal both triangles of a side share: one crossing per side.
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].fT, 4.5, 1e-9);
  EXPECT_NEAR(spans[1].fT, 5.5, 1e-9);
  ExpectNear(spans[0].fNormal, {0, 0, 1});
  ExpectNear(spans[1].fNormal, {0, 0, -1});
  EXPECT_EQ(spans[0].fObject, mesh);
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
}

// The walk ignores a face the ray runs along, even one in the box.
TEST_F(MeshRays, ARayParallelToAFaceNeverHitsIt) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {0, 0, 2}, {2, 0, 0}), 0);
  ASSERT_EQ(mesh->AddTriangle({5, 1, 5}, {6, 1, 5}, {5, 1, 6}), 0);
  mesh->ComputeBounds();
  for (const Point direction : {Point{1, 0, 0}, Point{1, 1e-11, 0}}) {
    CRenderStats stats;
    CRay ray = MakeRay(stats, {-1, 0, 0.5}, direction);
    EXPECT_FALSE(mesh->Intersect(ray));
    EXPECT_EQ(stats.fMisses, 1u);
  }
}

// Both triangles lie in one cell; the farther is listed first.
TEST_F(MeshRays, TheNearerOfTwoHitsInACellWins) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({-1, -1, -2}, {1, -1, -2}, {0, 1, -2}), 0);
  ASSERT_EQ(mesh->AddTriangle({-1, -1, 1}, {1, -1, 1}, {0, 1, 1}), 0);
  mesh->ComputeBounds();
  ExpectRayCase(*mesh, {"nearer", {0, 0, 5}, {0, 0, -1}, 0, true, 4});
}

// A large slanted face listed in the first cells is hit far down the ray: its hit waits for its own
// cell, and a small face in a cell between wins.
TEST_F(MeshRays, AHitOutsideItsCellWaitsForItsCell) {
  for (bool withNearer : {false, true}) {
    C3dTriangleMesh* mesh = NewMesh();
    ASSERT_EQ(mesh->AddTriangle({0, 9, -1}, {9, 0, -1}, {4.5, 4.5, 8}), 0);  // in the plane x + y = 9
    if (withNearer) {
      ASSERT_EQ(mesh->AddTriangle({5, 0, -1}, {5, 1, -1}, {5, 0, 0}), 0);
    }
    // Small faces far away give the grid several cells along x.
    for (int i = 0; i < 60; ++i)
      ASSERT_EQ(mesh->AddTriangle({10 + i * 0.1, 10, 10}, {10.05 + i * 0.1, 10, 10}, {10 + i * 0.1, 10.05, 10}), 0);
    mesh->ComputeBounds();
    ASSERT_EQ(mesh->Prepare(), 0);
    EXPECT_EQ(mesh->GetGridCounts()[0], 4);
    ExpectRayCase(*mesh, {withNearer ? "small face" : "large face", {-1, 0.5, -0.9}, {1, 0, 0}, 0, true,
                          withNearer ? 6 : 9.5});
    delete mesh;
  }
}

// A flat mesh has one cell across its plane and is hit there.
TEST_F(MeshRays, AFlatMeshIsHitOnItsPlane) {
  C3dTriangleMesh* mesh = NewMesh();
  for (int x = 0; x < 8; ++x) {
    for (int z = 0; z < 8; ++z) {
      ASSERT_EQ(mesh->AddTriangle({double(x), 0, double(z)}, {double(x), 0, z + 1.0}, {x + 1.0, 0, double(z)}), 0);
      ASSERT_EQ(mesh->AddTriangle({x + 1.0, 0, double(z)}, {double(x), 0, z + 1.0}, {x + 1.0, 0, z + 1.0}), 0);
    }
  }
  mesh->ComputeBounds();
  ASSERT_EQ(mesh->Prepare(), 0);
  EXPECT_EQ(mesh->GetGridCounts()[1], 1);
  EXPECT_GT(mesh->GetGridCounts()[0], 1);
  ExpectRayCase(*mesh, {"down", {3.3, 2, 6.6}, {0, -1, 0}, 0, true, 2});
  ExpectRayCase(*mesh, {"slanted", {-1, 7, 4.1}, {1, -1, 0}, 0, true, 7 * std::sqrt(2.0)});
}

// A smooth face blends its corner normals by (1 − u − v, u, v); surface coordinates run across the box.
TEST_F(MeshRays, ASmoothFaceBlendsItsCornerNormals) {
  C3dTriangleMesh* mesh = NewMesh();
  const Point n0{0, 0, 1}, n1{0.6, 0, 0.8}, n2{0, 0.6, 0.8};
  ASSERT_EQ(mesh->AddTriangleWithNormals({0, 0, 0}, {4, 0, 0}, {0, 4, 0}, n0, n1, n2), 0);
  mesh->ComputeBounds();
  CRenderStats stats;
  CRay ray = MakeRay(stats, {1, 2, 3}, {0, 0, -1});  // u = 0.25, v = 0.5
  ASSERT_TRUE(mesh->Intersect(ray));
  const Point blend = n0 * 0.25 + n1 * 0.25 + n2 * 0.5;
  ExpectNear(ray.fHit.fShadingNormal, blend * (1 / std::sqrt(Dot(blend, blend))), 1e-6);
  ExpectNear(ray.fHit.fNormal, {0, 0, 1});
  const C3dBox box = mesh->LocalBox();
  EXPECT_NEAR(ray.fHit.fU, (1 - box.fMin.x) / (box.fMax.x - box.fMin.x), 1e-9);
  EXPECT_NEAR(ray.fHit.fV, 0, 1e-9);  // the box has no extent in z
  ExpectNear(ray.fHit.fTangentU, {1, 0, 0});
  ExpectNear(ray.fHit.fTangentV, {0, 0, -1});

  // The rays read a copy of the arrays, which follows a change of the record made after it was taken.
  mesh->SetAllFacesVisible(false);
  CRay flat = MakeRay(stats, {1, 2, 3}, {0, 0, -1});
  ASSERT_TRUE(mesh->Intersect(flat));
  ExpectNear(flat.fHit.fShadingNormal, {0, 0, 1});
}

TEST_F(MeshRays, EntryTestsComeFirstAndCountNothing) {
  C3dTriangleMesh* mesh = NewCube();
  CRenderStats stats;
  mesh->SetStateFlags(C3dObject::kExcluded);
  CRay ray = MakeRay(stats, {0, 0, 5}, {0, 0, -1});
  EXPECT_FALSE(mesh->Intersect(ray));
  mesh->ClearStateFlags(C3dObject::kExcluded);
  CRay picking = MakeRay(stats, {0, 0, 5}, {0, 0, -1}, 1);
  picking.fSelectedOnly = 1;
  EXPECT_FALSE(mesh->Intersect(picking));
  EXPECT_EQ(stats.fHits + stats.fMisses, 0u);
  mesh->SetFlags(C3dObject::kSelected);
  EXPECT_TRUE(mesh->Intersect(picking));
  EXPECT_EQ(stats.fHits, 1u);
}

// Faces without area are never hit.
TEST_F(MeshRays, ACollinearFaceIsNeverHit) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {2, 0, 0}), 0);
  ASSERT_EQ(mesh->AddTriangle({0, -1, -1}, {1, 1, -1}, {0, 1, -1}), 0);
  mesh->ComputeBounds();
  ExpectRayCase(*mesh, {"through the line", {1, 0, 5}, {0, 0, -1}, 0, false, 0});
}

}  // namespace
