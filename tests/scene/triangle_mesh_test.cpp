#include "scene/triangle_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "mesh_fixture.h"
#include "scene/surface/material.h"

namespace {

using TriangleMesh = MeshTest;

uint32_t RecordSize(C3dTriangleMesh* mesh) {
  CHolder holder(mesh, false, false);
  return mesh->GetDataSize();
}

TEST_F(TriangleMesh, PointsWithinTheWeldDistanceShareAVertex) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
  ASSERT_EQ(mesh->GetVertexCount(), 3u);

  // Each point within 1e-10 of one already there on every axis: no new vertex, the face names them.
  ASSERT_EQ(mesh->AddTriangle({0.5e-10, -0.5e-10, 0}, {0, 1, 0.9e-10}, {1, 0, 0}), 0);
  EXPECT_EQ(mesh->GetVertexCount(), 3u);
  const S3dFace welded = Face(mesh, 1);
  EXPECT_EQ(welded.vertex[0], 0u);
  EXPECT_EQ(welded.vertex[1], 2u);
  EXPECT_EQ(welded.vertex[2], 1u);

  // 1e-10 away on one axis is a new vertex; so is the second of two equal new points of one triangle.
  ASSERT_EQ(mesh->AddTriangle({0, 0, 1e-10}, {5, 5, 5}, {5, 5, 5}), 0);
  EXPECT_EQ(mesh->GetVertexCount(), 6u);
  const S3dFace fresh = Face(mesh, 2);
  EXPECT_EQ(fresh.vertex[0], 3u);
  EXPECT_EQ(fresh.vertex[1], 4u);
  EXPECT_EQ(fresh.vertex[2], 5u);
  EXPECT_EQ(mesh->GetFaceCount(), 3u);
}

TEST_F(TriangleMesh, ANewTriangleIsAFlatFaceWithItsUnitNormal) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {2, 0, 0}, {0, 3, 0}), 0);
  const S3dFace face = Face(mesh, 0);
  ExpectNear(face.faceNormal, {0, 0, 1});
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(face.normal[k], 0u);
    EXPECT_EQ(face.cornerFlags[k], 1u);
  }
  EXPECT_EQ(face.smooth, 0u);
  EXPECT_EQ(face.attribute, 0u);
}

// Three points on a line still make a face; its normal is (0, 0, 0) rather than NaN.
TEST_F(TriangleMesh, ACollinearTriangleHasAZeroNormal) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), 0);
  ASSERT_EQ(mesh->GetFaceCount(), 1u);
  ExpectNear(Face(mesh, 0).faceNormal, {0, 0, 0}, 0);
  ASSERT_EQ(mesh->ComputeFaceNormals(), 0);
  ExpectNear(Face(mesh, 0).faceNormal, {0, 0, 0}, 0);
}

// Small arrays grow by 50 entries; the arrays behind the one that grows move and keep their contents.
TEST_F(TriangleMesh, ArraysGrowByFiftyEntriesKeepingTheOthers) {
  C3dTriangleMesh* mesh = NewMesh();
  EXPECT_EQ(RecordSize(mesh), 848u);
  const Point normal{0, 0.6, 0.8};
  ASSERT_TRUE(mesh->AddVertex(nullptr));
  ASSERT_TRUE(mesh->AddNormal(&normal));
  for (uint32_t i = 1; i < 50; ++i) {
    const Point p{double(i), 2.0 * i, 3.0 * i};
    ASSERT_TRUE(mesh->AddVertex(&p));
  }
  S3dFace face;
  face.vertex[0] = 1;
  face.vertex[1] = 2;
  face.vertex[2] = 49;
  face.cornerFlags[1] = 1;
  face.attribute = 0xABCD;
  ASSERT_TRUE(mesh->AddFace(&face));
  const uint32_t before = RecordSize(mesh);
  EXPECT_EQ(before, 848u + 24 * (50 + 50) + 76 * 50);

  const Point fiftyFirst{7, 8, 9};
  ASSERT_TRUE(mesh->AddVertex(&fiftyFirst));
  EXPECT_EQ(RecordSize(mesh), before + 1200);
  EXPECT_EQ(mesh->GetVertexCapacity(), 100u);
  ExpectNear(Vertex(mesh, 0), {0, 0, 0}, 0);
  ExpectNear(Vertex(mesh, 49), {49, 98, 147}, 0);
  ExpectNear(Vertex(mesh, 50), fiftyFirst, 0);
  ExpectNear(Normal(mesh, 0), normal, 0);
  EXPECT_EQ(Face(mesh, 0).vertex[2], 49u);
  EXPECT_EQ(Face(mesh, 0).attribute, 0xABCDu);

  for (uint32_t i = 1; i < 50; ++i) ASSERT_TRUE(mesh->AddFace(&face));
  const uint32_t full = RecordSize(mesh);
  face.vertex[2] = 50;
  ASSERT_TRUE(mesh->AddFace(&face));
  EXPECT_EQ(RecordSize(mesh), full + 3800);
  EXPECT_EQ(Face(mesh, 49).vertex[2], 49u);
  EXPECT_EQ(Face(mesh, 50).vertex[2], 50u);
  ExpectNear(Normal(mesh, 0), normal, 0);
  ExpectNear(Vertex(mesh, 50), fiftyFirst, 0);
}

// A large array grows by a quarter of itself: a mesh of many thousand entries is moved a few dozen
// times while it is built, not once every 50 entries.
TEST_F(TriangleMesh, LargeArraysGrowByAQuarterOfThemselves) {
  C3dTriangleMesh* mesh = NewMesh();
  uint32_t growths = 0, capacity = 0;
  for (uint32_t i = 0; i < 5000; ++i) {
    const Point p{double(i), 0, 0};
    ASSERT_TRUE(mesh->AddVertex(&p));
    if (mesh->GetVertexCapacity() != capacity) ++growths;
    capacity = mesh->GetVertexCapacity();
  }
  EXPECT_LT(growths, 30u);
  EXPECT_LE(capacity, 5000u + 5000u / 4);
  ExpectNear(Vertex(mesh, 4999), {4999, 0, 0}, 0);
}

TEST_F(TriangleMesh, AFaceNamingEntriesThatAreNotThereIsRefused) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
  S3dFace face = Face(mesh, 0);
  face.vertex[2] = 3;
  EXPECT_FALSE(mesh->AddFace(&face));
  face = Face(mesh, 0);
  face.cornerFlags[0] = 0;  // shaded with normal 0, which does not exist
  EXPECT_FALSE(mesh->AddFace(&face));
  EXPECT_EQ(mesh->GetFaceCount(), 1u);
}

TEST_F(TriangleMesh, TheClosedCubeWeldsToEightVerticesWithAxisNormals) {
  C3dTriangleMesh* mesh = NewCube();
  EXPECT_EQ(mesh->GetVertexCount(), 8u);
  EXPECT_EQ(mesh->GetFaceCount(), 12u);
  EXPECT_EQ(mesh->FacetCount(), 12u);
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  EXPECT_EQ(mesh->GetNormalCount(), 36u);
  for (uint32_t f = 0; f < 12; ++f) {
    const S3dFace face = Face(mesh, f);
    for (int k = 0; k < 3; ++k) ExpectNear(Normal(mesh, face.normal[k]), face.faceNormal, 1e-12, "corner");
  }
}

// Corner normals average the face normals around the vertex within the angle, without renormalising.
TEST_F(TriangleMesh, VertexNormalsAverageFacesWithinTheAngle) {
  const double a = 30 * M_PI / 180;
  // Two faces folded by 30 degrees about the x axis, sharing the edge (0,0,0)-(1,0,0).
  const Point up{0, 0, 1};
  const Point tilted{0, -std::sin(a), std::cos(a)};
  for (double angle : {85.0, 20.0}) {
    C3dTriangleMesh* mesh = NewMesh();
    ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
    ASSERT_EQ(mesh->AddTriangle({1, 0, 0}, {0, 0, 0}, {0, -std::cos(a), -std::sin(a)}), 0);
    ExpectNear(Face(mesh, 0).faceNormal, up);
    ExpectNear(Face(mesh, 1).faceNormal, tilted);
    ASSERT_EQ(mesh->ComputeVertexNormals(angle), 0);
    const Point shared = angle > 30 ? (up + tilted) * 0.5 : up;
    const S3dFace first = Face(mesh, 0);
    ExpectNear(Normal(mesh, first.normal[0]), shared, 1e-12, "shared corner");
    ExpectNear(Normal(mesh, first.normal[1]), shared, 1e-12, "shared corner");
    ExpectNear(Normal(mesh, first.normal[2]), up, 1e-12, "own corner");
    delete mesh;
  }
}

// Faces meeting at 90 degrees keep their own normals, and a face without area takes no part.
TEST_F(TriangleMesh, VertexNormalsSkipSteepAndDegenerateNeighbours) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
  ASSERT_EQ(mesh->AddTriangle({1, 0, 0}, {0, 0, 0}, {0, 0, -1}), 0);
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {0, 1, 0}, {0, 2, 0}), 0);  // collinear
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  ExpectNear(Normal(mesh, Face(mesh, 0).normal[0]), {0, 0, 1}, 1e-12);
  ExpectNear(Normal(mesh, Face(mesh, 1).normal[1]), {0, -1, 0}, 1e-12);
  ExpectNear(Normal(mesh, Face(mesh, 2).normal[0]), {0, 0, 0}, 0);
}

// A material given before the faces (the plug-in host gives it at creation) reaches every face added
// after it.
TEST_F(TriangleMesh, TheMaterialWordLivesInEveryFace) {
  C3dTriangleMesh* mesh = NewMesh();
  mesh->SetMaterial(77);
  EXPECT_EQ(mesh->GetMaterial(), 77u);
  EXPECT_EQ(mesh->GetFaceCount(), 0u);

  AddTriangles(mesh, UnitCubeTriangles());
  for (uint32_t f = 0; f < 12; ++f) EXPECT_EQ(Face(mesh, f).attribute, 77u) << f;
  mesh->SetFaceAttribute(0x12345678);
  EXPECT_EQ(mesh->GetMaterialLink(), 0x12345678u);
  EXPECT_EQ(mesh->GetMaterial(), 0x12345678u);
  for (uint32_t f = 0; f < 12; ++f) EXPECT_EQ(Face(mesh, f).attribute, 0x12345678u) << f;
}

TEST_F(TriangleMesh, VerticesAreBoxedAndMovedWithoutTheMargin) {
  C3dTriangleMesh* empty = NewMesh();
  EXPECT_TRUE(empty->VertexBox().IsEmpty());
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {2, 0, 0}, {0, 1, -1}), 0);
  mesh->ComputeBounds();
  const C3dBox box = mesh->VertexBox();
  ExpectNear(box.fMin, {0, 0, -1});
  ExpectNear(box.fMax, {2, 1, 0});
  ASSERT_EQ(mesh->ScaleAndMoveVertices(2, {-2, 2, 1}), 0);
  ExpectNear(Vertex(mesh, 0), {-2, 2, 1});
  ExpectNear(Vertex(mesh, 1), {2, 2, 1});
  ExpectNear(Vertex(mesh, 2), {-2, 4, -1});
  EXPECT_FALSE(mesh->IsPrepared());
  // A triangle added afterwards welds to the vertices where they are now, not where they were.
  ASSERT_EQ(mesh->AddTriangle({-2, 2, 1}, {0, 0, 0}, {2, 2, 1}), 0);
  EXPECT_EQ(mesh->GetVertexCount(), 4u);
  const S3dFace face = Face(mesh, 1);
  EXPECT_EQ(face.vertex[0], 0u);
  EXPECT_EQ(face.vertex[1], 3u);
  EXPECT_EQ(face.vertex[2], 1u);
}

TEST_F(TriangleMesh, SmoothTrianglesWeldTheirNormals) {
  C3dTriangleMesh* mesh = NewMesh();
  const Point n0{0, 0, 1}, n1{0, 0.6, 0.8};
  ASSERT_EQ(mesh->AddTriangleWithNormals({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, n0, n1, n0), 0);
  ASSERT_EQ(mesh->AddTriangleWithNormals({1, 0, 0}, {1, 1, 0}, {0, 1, 0}, n1, n1, n0), 0);
  // Like points, equal new normals of one triangle stay apart; later ones weld to the first.
  EXPECT_EQ(mesh->GetVertexCount(), 4u);
  EXPECT_EQ(mesh->GetNormalCount(), 3u);
  const S3dFace face = Face(mesh, 1);
  EXPECT_EQ(face.normal[0], 1u);
  EXPECT_EQ(face.normal[1], 1u);
  EXPECT_EQ(face.normal[2], 0u);
  EXPECT_EQ(face.smooth, 1u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(face.cornerFlags[k], 0u);
}

TEST_F(TriangleMesh, TheShadingSwitchLeavesCornersWithoutNormalsFlat) {
  C3dTriangleMesh* mesh = NewCube();
  mesh->SetAllFacesVisible(true);
  // No normals yet: every corner stays with the face normal, so the stored faces stay consistent.
  S3dFace face = Face(mesh, 3);
  EXPECT_EQ(face.smooth, 1u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(face.cornerFlags[k], 1u);
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  mesh->SetAllFacesVisible(true);
  face = Face(mesh, 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(face.cornerFlags[k], 0u);
  mesh->SetAllFacesVisible(false);
  face = Face(mesh, 3);
  EXPECT_EQ(face.smooth, 0u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(face.cornerFlags[k], 1u);
}

TEST_F(TriangleMesh, BoundsWidenByOnePercentPerSide) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {10, 0, 0}, {0, 20, 0}), 0);
  mesh->ComputeBounds();
  ExpectNear(mesh->LocalBox().fMin, {-0.1, -0.2, 0});
  ExpectNear(mesh->LocalBox().fMax, {10.1, 20.2, 0});
  Place(mesh, {2, 1, 1}, {5, 0, 0});
  ExpectNear(mesh->WorldBox().fMin, {4.8, -0.2, 0});
  ExpectNear(mesh->WorldBox().fMax, {25.2, 20.2, 0});
}

TEST_F(TriangleMesh, ADuplicateHoldsTheSameGeometryAndAMaterialOfItsOwn) {
  C3dTriangleMesh* mesh = NewCube();
  ASSERT_EQ(mesh->ComputeVertexNormals(85), 0);
  C3dMaterial* material = nullptr;
  {
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<C3dMaterial>(ObjectsEnv(), key, spec);
    ASSERT_EQ(C3dMaterial::New(&material, table, key, spec), 0);
  }
  mesh->SetMaterial(material->GetHandle());
  mesh->SetFlags(C3dObject::kSelected);

  auto* copy = static_cast<C3dTriangleMesh*>(mesh->Duplicate(table));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetVertexCount(), 8u);
  EXPECT_EQ(copy->GetNormalCount(), 36u);
  EXPECT_EQ(copy->GetFaceCount(), 12u);
  EXPECT_EQ(copy->LocalBox(), mesh->LocalBox());
  EXPECT_EQ(copy->GetFlags(), C3dObject::kSelected);
  for (uint32_t f = 0; f < 12; ++f) {
    const S3dFace a = Face(mesh, f), b = Face(copy, f);
    EXPECT_EQ(std::memcmp(a.vertex, b.vertex, sizeof a.vertex), 0);
    EXPECT_EQ(std::memcmp(a.normal, b.normal, sizeof a.normal), 0);
  }
  const Handle32 own = copy->GetMaterial();
  EXPECT_NE(own, material->GetHandle());
  EXPECT_NE(LookupHandleAs<C3dMaterial>(own, C3dMaterial::kFamily), nullptr);
  EXPECT_EQ(Face(copy, 11).attribute, own);
}

TEST_F(TriangleMesh, TheWireframeDrawsEveryFaceOrEveryFewWhenLarge) {
  C3dTriangleMesh* mesh = NewCube();
  CLineRecorder view;
  C34Matrix identity;
  ASSERT_TRUE(mesh->DrawWireframe(&view, identity, 0, false));
  ASSERT_EQ(view.GetRecordedSegments().size(), 36u);
  EXPECT_EQ(view.GetRecordedSegments()[0].a, (Point{-0.5, -0.5, 0.5}));
  EXPECT_EQ(view.GetRecordedSegments()[0].b, (Point{0.5, -0.5, 0.5}));

  // 400 faces with the detail set: every second face.
  C3dTriangleMesh* strip = NewMesh();
  for (int i = 0; i < 400; ++i) ASSERT_EQ(strip->AddTriangle({double(i), 0, 0}, {i + 1.0, 0, 0}, {double(i), 1, 0}), 0);
  CLineRecorder detailed;
  ASSERT_TRUE(strip->DrawWireframe(&detailed, identity, 1, false));
  EXPECT_EQ(detailed.GetRecordedSegments().size(), 600u);

  mesh->SetFlags(C3dObject::kHidden);
  CLineRecorder hidden;
  EXPECT_FALSE(mesh->DrawWireframe(&hidden, identity, 0, false));
  EXPECT_TRUE(hidden.GetRecordedSegments().empty());
}

}  // namespace
