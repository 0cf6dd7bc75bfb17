#include "scene/class_mesh.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/view.h"
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
  CView view;
  ASSERT_TRUE(sphere->DrawWireframe(&view, C34Matrix(), 32, false));
  ASSERT_EQ(view.GetRecordedSegments().size(), 136u);
  for (const CView::SSegment& segment : view.GetRecordedSegments()) {
    for (const vector3<double>& end : {segment.a, segment.b}) {
      const vector3<double> d = end - vector3<double>{5, 0, 0};
      EXPECT_NEAR(std::sqrt(Dot(d, d)), 1, 1e-12);
    }
  }
  CView moving;
  ASSERT_TRUE(sphere->DrawWireframe(&moving, C34Matrix(), 32, true));
  EXPECT_EQ(moving.GetRecordedSegments().size(), 528u);
  sphere->ClearFlags(C3dObject::kSelected);
  CView unselected;
  ASSERT_TRUE(sphere->DrawWireframe(&unselected, C34Matrix(), 32, false));
  EXPECT_EQ(unselected.GetRecordedSegments().size(), 32u * 33u + 32u * 32u);
}

TEST_F(ClassMeshes, AHiddenSphereDrawsNothing) {
  ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
  ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  C3dSphere* sphere = NewSphere();
  sphere->SetFlags(C3dObject::kHidden);
  CView view;
  EXPECT_FALSE(sphere->DrawWireframe(&view, C34Matrix(), 32, false));
  EXPECT_FALSE(sphere->DrawMeshEdges(C3dSphere::GetClassMesh(0), &view, C34Matrix()));
  EXPECT_TRUE(view.GetRecordedSegments().empty());
}

TEST(ClassMeshesWithoutApplication, RegisteringNeedsTheDataEnvironment) {
  ASSERT_TRUE(CMemPool::CreatePools(0x1FA000, 0x500000, 0x1000000));
  EXPECT_EQ(C3dBaseSys::RegisterAllClasses(), 9);
  EXPECT_EQ(C3dSphere::GetClassMesh(0), nullptr);
  CMemPool::DestroyPools();
}

}  // namespace
