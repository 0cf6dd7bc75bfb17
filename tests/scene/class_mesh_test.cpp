#include "scene/class_mesh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene/camera.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cube.h"
#include "scene/cylinder.h"
#include "scene/plane.h"
#include "scene/pyramid.h"
#include "scene/sphere_light.h"
#include "scene/square.h"
#include "scene/torus.h"
#include "scene_fixture.h"

namespace {

class ClassMeshes : public SceneTest {
 protected:
  void TearDown() override {
    C3dBaseSys::UnregisterAllClasses();
    SceneTest::TearDown();
  }
  static uint32_t Vertices(uint32_t mesh) { return C3dSphere::GetClassMesh(mesh)->GetVertices().GetCount(); }
  static uint32_t Edges(uint32_t mesh) { return C3dSphere::GetClassMesh(mesh)->GetEdges().GetCount(); }
  static uint32_t MeshVertices(C3dClassMesh* mesh) { return mesh ? mesh->GetVertices().GetCount() : 0; }
  static uint32_t MeshEdges(C3dClassMesh* mesh) { return mesh ? mesh->GetEdges().GetCount() : 0; }
  static SVertex VertexOf(C3dClassMesh* mesh, uint32_t i) {
    CHolder holder(&mesh->GetVertices(), false, false);
    return mesh->GetVertices()[i];
  }
  static bool OnAnEdge(C3dClassMesh* mesh, uint32_t vertex) {
    CHolder holder(&mesh->GetEdges(), false, false);
    for (uint32_t i = 0; i < mesh->GetEdges().GetCount(); ++i) {
      if (mesh->GetEdges()[i].first == vertex || mesh->GetEdges()[i].second == vertex) return true;
    }
    return false;
  }
  static size_t Drawn(C3dObject* object, uint32_t detail, bool reduced) {
    CLineRecorder view;
    EXPECT_TRUE(object->DrawWireframe(&view, C34Matrix(), detail, reduced)) << object->TypeName();
    return view.GetRecordedSegments().size();
  }
  C3dTorus* NewTorus(double minor, double major) {
    C3dTorus* torus = MakeShape<C3dTorus>(table);
    torus->SetMinorRadius(minor);
    torus->SetMajorRadius(major);
    return torus;
  }
};

TEST_F(ClassMeshes, TheSphereMeshesFollowTheDetail) {
  EXPECT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 15);  // nothing registered yet
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  EXPECT_EQ(Vertices(0), 0u);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  EXPECT_EQ(Vertices(0), 72u);
  EXPECT_EQ(Edges(0), 136u);
  EXPECT_EQ(Vertices(1), 272u);
  EXPECT_EQ(Edges(1), 528u);
  EXPECT_EQ(Vertices(2), 32u * 33u);
  EXPECT_EQ(Edges(2), 32u * 33u + 32u * 32u);
  // Rebuilt in place; detail 0 leaves a mesh empty.
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(0, 4, 4), 0);
  EXPECT_EQ(Vertices(0), 0u);
  EXPECT_EQ(Edges(1), 36u);
  EXPECT_EQ(C3dBaseSys::UnregisterAllClasses(), 0);
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  EXPECT_EQ(C3dBaseSys::UnregisterAllClasses(), 0);
}

TEST_F(ClassMeshes, EveryEdgeJoinsTwoVerticesOfTheUnitSphere) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(6, 6, 6), 0);
  C3dClassMesh* mesh = C3dSphere::GetClassMesh(0);
  CHolder vertices(&mesh->GetVertices(), false, false);
  CHolder edges(&mesh->GetEdges(), false, false);
  for (uint32_t i = 0; i < mesh->GetVertices().GetCount(); ++i) {
    const SVertex& v = mesh->GetVertices()[i];
    EXPECT_NEAR(v.x * v.x + v.y * v.y + v.z * v.z, 1, 1e-12);
  }
  for (uint32_t i = 0; i < mesh->GetEdges().GetCount(); ++i) {
    const SEdge e = mesh->GetEdges()[i];
    EXPECT_LT(e.first, mesh->GetVertices().GetCount());
    EXPECT_LT(e.second, mesh->GetVertices().GetCount());
  }
}

TEST_F(ClassMeshes, ASelectedSphereDrawsItsSelectedMesh) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  C3dSphere* sphere = NewSphere({1, 1, 1}, {5, 0, 0});
  sphere->SetFlags(C3dObject::kSelected);
  CLineRecorder view;
  ASSERT_TRUE(sphere->DrawWireframe(&view, C34Matrix(), 32, false));
  ASSERT_EQ(view.GetRecordedSegments().size(), 136u);
  for (const CLineRecorder::SSegment& segment : view.GetRecordedSegments()) {
    for (const vector3<double>& end : {segment.a, segment.b}) {
      const vector3<double> d = end - vector3<double>{5, 0, 0};
      EXPECT_NEAR(std::sqrt(Dot(d, d)), 1, 1e-12);
    }
  }
  CLineRecorder moving;
  ASSERT_TRUE(sphere->DrawWireframe(&moving, C34Matrix(), 32, true));
  EXPECT_EQ(moving.GetRecordedSegments().size(), 528u);
  sphere->ClearFlags(C3dObject::kSelected);
  CLineRecorder unselected;
  ASSERT_TRUE(sphere->DrawWireframe(&unselected, C34Matrix(), 32, false));
  EXPECT_EQ(unselected.GetRecordedSegments().size(), 32u * 33u + 32u * 32u);
}

TEST_F(ClassMeshes, AHiddenSphereDrawsNothing) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  C3dSphere* sphere = NewSphere();
  sphere->SetFlags(C3dObject::kHidden);
  CLineRecorder view;
  EXPECT_FALSE(sphere->DrawWireframe(&view, C34Matrix(), 32, false));
  EXPECT_FALSE(sphere->DrawMeshEdges(C3dSphere::GetClassMesh(0), &view, C34Matrix()));
  EXPECT_TRUE(view.GetRecordedSegments().empty());
}

TEST_F(ClassMeshes, EveryShapeAndTheCameraHaveTheirWireframes) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  struct SCase {
    const char* name;
    C3dClassMesh* mesh;
    uint32_t vertices, edges;
  } cases[] = {
      {"cube", C3dCube::GetClassMesh(), 27, 48},
      {"pyramid", C3dPyramid::GetClassMesh(), 5, 8},
      {"plane", C3dPlane::GetClassMesh(), 36, 18},
      {"square", C3dSquare::GetClassMesh(), 4, 4},
      {"camera", C3dCamera::GetClassMesh(), 7, 9},
      {"disk A", C3dCircle::GetClassMesh(0), 8, 8},
      {"disk B", C3dCircle::GetClassMesh(1), 16, 16},
      {"disk C", C3dCircle::GetClassMesh(2), 32, 32},
      {"cone A", C3dCone::GetClassMesh(0), 9, 16},
      {"cone C", C3dCone::GetClassMesh(2), 33, 64},
      {"cylinder A", C3dCylinder::GetClassMesh(0), 16, 24},
      {"cylinder C", C3dCylinder::GetClassMesh(2), 64, 96},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(MeshVertices(c.mesh), c.vertices) << c.name;
    EXPECT_EQ(MeshEdges(c.mesh), c.edges) << c.name;
  }
  C3dClassMesh* cube = C3dCube::GetClassMesh();
  EXPECT_FALSE(OnAnEdge(cube, 13));
  const SVertex corner = VertexOf(cube, 5);  // x from the left, y from the top, z from the back
  EXPECT_EQ(corner.x, 0.5);
  EXPECT_EQ(corner.y, 0);
  EXPECT_EQ(corner.z, -0.5);
  const SVertex rim = VertexOf(C3dCircle::GetClassMesh(0), 2);  // a quarter round from +z
  EXPECT_NEAR(rim.x, 1, 1e-15);
  EXPECT_NEAR(rim.z, 0, 1e-15);
  EXPECT_EQ(VertexOf(C3dCone::GetClassMesh(0), 8).y, 1);
  EXPECT_EQ(VertexOf(C3dPlane::GetClassMesh(), 1).z, 10);
  EXPECT_EQ(VertexOf(C3dCamera::GetClassMesh(), 4).z, -1);

  // Details below three still make round shapes.
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(0, 1, 2), 0);
  EXPECT_EQ(MeshVertices(C3dCircle::GetClassMesh(0)), 3u);
  EXPECT_EQ(MeshEdges(C3dCone::GetClassMesh(1)), 6u);
  EXPECT_EQ(MeshVertices(C3dCylinder::GetClassMesh(2)), 6u);

  EXPECT_EQ(C3dBaseSys::UnregisterAllClasses(), 0);
  EXPECT_EQ(C3dBaseSys::UnregisterAllClasses(), 0);
  EXPECT_EQ(C3dCube::GetClassMesh(), nullptr);
  EXPECT_EQ(C3dCircle::GetClassMesh(2), nullptr);
  EXPECT_EQ(C3dTorus::GetClassMesh(), nullptr);
  EXPECT_EQ(C3dCamera::GetClassMesh(), nullptr);
}

TEST_F(ClassMeshes, RoundShapesDrawTheMeshOfTheirViewAndSelection) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  struct SCase {
    C3dObject* object;
    size_t selected, moving, other;
  } cases[] = {
      {MakeShape<C3dCircle>(table), 8, 16, 32},
      {MakeShape<C3dCone>(table), 16, 32, 64},
      {MakeShape<C3dCylinder>(table), 24, 48, 96},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(Drawn(c.object, 0, false), c.other) << c.object->TypeName();
    EXPECT_EQ(Drawn(c.object, 0, true), c.moving) << c.object->TypeName();
    c.object->SetFlags(C3dObject::kSelected);
    EXPECT_EQ(Drawn(c.object, 0, false), c.selected) << c.object->TypeName();
    EXPECT_EQ(Drawn(c.object, 0, true), c.moving) << c.object->TypeName();
  }
  // The others have one mesh, whatever the view.
  C3dCube* cube = MakeShape<C3dCube>(table);
  Place(cube, {2, 2, 2}, {0, 0, 5});
  EXPECT_EQ(Drawn(cube, 32, true), 48u);
  CLineRecorder view;
  ASSERT_TRUE(cube->DrawWireframe(&view, C34Matrix(), 8, false));
  ExpectNear(view.GetRecordedSegments()[0].a, {-1, 1, 4}, 0, "placed");
}

TEST_F(ClassMeshes, TheTorusMeshIsMadeForTheRadiiAndDetailItIsDrawnWith) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  C3dClassMesh* mesh = C3dTorus::GetClassMesh();
  EXPECT_EQ(MeshVertices(mesh), 0u);
  C3dTorus* torus = NewTorus(1, 3);
  EXPECT_EQ(Drawn(torus, 8, false), 128u);
  EXPECT_EQ(MeshVertices(mesh), 64u);
  const SVertex first = VertexOf(mesh, 0);
  EXPECT_EQ(first.x, 3);
  EXPECT_EQ(first.y, 1);
  // A mark left in the mesh stays while nothing asks for another one.
  ASSERT_TRUE(mesh->AddVertex({}));
  EXPECT_EQ(Drawn(torus, 8, true), 128u);
  EXPECT_EQ(MeshVertices(mesh), 65u);
  C3dTorus* same = NewTorus(1, 3);
  EXPECT_EQ(Drawn(same, 8, false), 128u);
  EXPECT_EQ(MeshVertices(mesh), 65u);
  struct SCase {
    const char* name;
    C3dTorus* torus;
    uint32_t detail;
    uint32_t vertices;
  } cases[] = {
      {"another detail", torus, 6, 36},
      {"another tube", NewTorus(0.5, 3), 6, 36},
      {"another ring", NewTorus(0.5, 2), 6, 36},
      {"below three", torus, 2, 9},
  };
  for (const SCase& c : cases) {
    ASSERT_TRUE(mesh->AddVertex({}));
    Drawn(c.torus, c.detail, false);
    EXPECT_EQ(MeshVertices(mesh), c.vertices) << c.name;
  }
  // A change of the display detail makes the next drawing make it again.
  ASSERT_TRUE(mesh->AddVertex({}));
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  Drawn(torus, 2, false);
  EXPECT_EQ(MeshVertices(mesh), 9u);
}

TEST_F(ClassMeshes, TheRegistryRunsTheClassesInItsOrder) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  // A class without meshes stops the build there: the ones before it are built, the ones after not.
  struct SCase {
    const char* name;
    int32_t (*free)();
    int32_t (*init)();
    C3dClassMesh* (*before)();
    C3dClassMesh* (*after)();
  } cases[] = {
      {"cube", &C3dCube::FreeClassMesh, &C3dCube::InitClassMesh, [] { return C3dPyramid::GetClassMesh(); },
       [] { return C3dCylinder::GetClassMesh(); }},
      {"pyramid", &C3dPyramid::FreeClassMesh, &C3dPyramid::InitClassMesh, [] { return C3dPlane::GetClassMesh(); },
       [] { return C3dCube::GetClassMesh(); }},
      {"cone", &C3dCone::FreeClassMesh, &C3dCone::InitClassMesh, [] { return C3dCylinder::GetClassMesh(); },
       [] { return C3dCircle::GetClassMesh(); }},
      {"square", &C3dSquare::FreeClassMesh, &C3dSquare::InitClassMesh, [] { return C3dCircle::GetClassMesh(); },
       [] { return C3dCamera::GetClassMesh(); }},
      {"torus", &C3dTorus::FreeClassMesh, &C3dTorus::InitClassMesh, [] { return C3dSquare::GetClassMesh(); },
       [] { return C3dCamera::GetClassMesh(); }},
      {"camera", &C3dCamera::FreeClassMesh, &C3dCamera::InitClassMesh, [] { return C3dSquare::GetClassMesh(); },
       [] { return C3dSphereLight::GetClassMesh(); }},
  };
  for (const SCase& c : cases) {
    ASSERT_EQ(C3dBaseSys::UnregisterAllClasses(), 0);
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    c.free();
    EXPECT_EQ(C3dBaseSys::ResetAllClasses(8, 8, 8), 15) << c.name;
    EXPECT_NE(MeshVertices(c.before()), 0u) << c.name;
    EXPECT_EQ(MeshVertices(c.after()), 0u) << c.name;
    ASSERT_EQ(c.init(), 0);
  }
}

TEST(ClassMeshesWithoutApplication, RegisteringNeedsTheDataEnvironment) {
  ASSERT_TRUE(CMemPool::CreatePools(0x1FA000, 0x500000, 0x1000000));
  EXPECT_EQ(C3dBaseSys::RegisterAllClasses(), 9);
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  CMemPool::DestroyPools();
}

}  // namespace
