// Triangle meshes made through their factory, and the shapes the mesh tests build them from: the
// closed unit cube of 12 triangles, counter-clockwise seen from outside.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "scene/triangle_mesh.h"
#include "scene_fixture.h"

using Point = vector3<double>;

// The cube [-0.5, 0.5]³: two triangles per side, their corners counter-clockwise seen from outside.
inline std::vector<std::array<Point, 3>> UnitCubeTriangles() {
  const double h = 0.5;
  // Each side as four corners counter-clockwise from outside.
  const Point sides[6][4] = {
      {{-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}},      // +z
      {{h, -h, -h}, {-h, -h, -h}, {-h, h, -h}, {h, h, -h}},  // -z
      {{h, -h, h}, {h, -h, -h}, {h, h, -h}, {h, h, h}},      // +x
      {{-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}},  // -x
      {{-h, h, h}, {h, h, h}, {h, h, -h}, {-h, h, -h}},      // +y
      {{-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}},  // -y
  };
  std::vector<std::array<Point, 3>> triangles;
  for (const auto& s : sides) {
    triangles.push_back({s[0], s[1], s[2]});
    triangles.push_back({s[2], s[3], s[0]});
  }
  return triangles;
}

class MeshTest : public SceneTest {
 protected:
  C3dTriangleMesh* NewMesh() {
    C3dTriangleMesh* mesh = MakeObject<C3dTriangleMesh>(table);
    EXPECT_NE(mesh, nullptr);
    return mesh;
  }
  static void AddTriangles(C3dTriangleMesh* mesh, const std::vector<std::array<Point, 3>>& triangles) {
    for (const auto& t : triangles) ASSERT_EQ(mesh->AddTriangle(t[0], t[1], t[2]), 0);
  }
  // The unit cube with its box.
  C3dTriangleMesh* NewCube() {
    C3dTriangleMesh* mesh = NewMesh();
    AddTriangles(mesh, UnitCubeTriangles());
    mesh->ComputeBounds();
    return mesh;
  }
  static S3dFace Face(C3dTriangleMesh* mesh, uint32_t index) {
    S3dFace face;
    EXPECT_TRUE(mesh->GetFace(index, &face)) << index;
    return face;
  }
  static Point Vertex(C3dTriangleMesh* mesh, uint32_t index) {
    Point p;
    EXPECT_TRUE(mesh->GetVertex(index, &p)) << index;
    return p;
  }
  static Point Normal(C3dTriangleMesh* mesh, uint32_t index) {
    Point n;
    EXPECT_TRUE(mesh->GetNormal(index, &n)) << index;
    return n;
  }
};
