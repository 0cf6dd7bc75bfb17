// Stones generated into triangle meshes: closed, smooth and repeatable for a given generator state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <utility>

#include "framework/core/random.h"
#include "mesh_fixture.h"
#include "tests/tools/run_tool.h"

namespace {

const SRandomState kStates[] = {{12345, 1, 1}, {1, 2, 3}, {0xDEADBEEF, 7, 9}, {42, 0, 0}, {0x80000000, 5, 31},
                                {777, 13, 2}};

// The first number after the label and its colon in admesh's report; -1 when there is none.
int NumberAfter(const std::string& report, const char* label) {
  const size_t at = report.find(label);
  if (at == std::string::npos) return -1;
  const size_t colon = report.find(':', at);
  int number = -1;
  if (colon == std::string::npos || std::sscanf(report.c_str() + colon + 1, "%d", &number) != 1) return -1;
  return number;
}

class Stone : public MeshTest {
 protected:
  C3dTriangleMesh* NewStone(const SRandomState& state) {
    GetRandomState() = state;
    C3dTriangleMesh* mesh = NewMesh();
    EXPECT_EQ(mesh->Optimize(), 0);
    return mesh;
  }
  // The base shape the state picks: the lowest bit of the inverted first draw.
  static bool IsCube(SRandomState state) { return ~NextRandom(state) & 1; }

  void WriteStl(C3dTriangleMesh* mesh, const std::string& path) {
    std::ofstream out(path);
    out << "solid stone\n";
    for (uint32_t f = 0; f < mesh->GetFaceCount(); ++f) {
      const S3dFace face = Face(mesh, f);
      out << " facet normal " << face.faceNormal.x << ' ' << face.faceNormal.y << ' ' << face.faceNormal.z
          << "\n  outer loop\n";
      for (uint32_t v : face.vertex) {
        const Point p = Vertex(mesh, v);
        char line[128];
        std::snprintf(line, sizeof line, "   vertex %.17g %.17g %.17g\n", p.x, p.y, p.z);
        out << line;
      }
      out << "  endloop\n endfacet\n";
    }
    out << "endsolid stone\n";
  }
};

TEST_F(Stone, EachStateGivesAClosedSmoothStone) {
  bool kinds[2] = {};
  for (const SRandomState& state : kStates) {
    kinds[IsCube(state)] = true;
    C3dTriangleMesh* mesh = NewStone(state);
    SCOPED_TRACE(state.x);
    ASSERT_GT(mesh->GetFaceCount(), 0u);
    EXPECT_TRUE(mesh->IsPrepared());
    EXPECT_EQ(mesh->GetNormalCount(), 3 * mesh->GetFaceCount());

    // Every edge, by vertex index, belongs to exactly two faces.
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (uint32_t f = 0; f < mesh->GetFaceCount(); ++f) {
      const S3dFace face = Face(mesh, f);
      EXPECT_EQ(face.smooth, 1u);
      for (int k = 0; k < 3; ++k) {
        const uint32_t a = face.vertex[k], b = face.vertex[(k + 1) % 3];
        ++edges[{std::min(a, b), std::max(a, b)}];
        EXPECT_EQ(face.cornerFlags[k], 0u);
        const Point n = Normal(mesh, face.normal[k]);
        EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
        EXPECT_GT(Dot(n, n), 0);
      }
    }
    for (const auto& [edge, count] : edges) ASSERT_EQ(count, 2) << edge.first << "-" << edge.second;

    const C3dBox box = mesh->LocalBox();
    for (uint32_t v = 0; v < mesh->GetVertexCount(); ++v) {
      const Point p = Vertex(mesh, v);
      EXPECT_TRUE(p.x >= box.fMin.x && p.y >= box.fMin.y && p.z >= box.fMin.z && p.x <= box.fMax.x &&
                  p.y <= box.fMax.y && p.z <= box.fMax.z);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(mesh->GetExtras()[i], 0);

    // A ray at the centre finds the surface from outside.
    CRenderStats stats;
    CRay ray = MakeRay(stats, {0, 0, 10}, {0, 0, -1});
    EXPECT_TRUE(mesh->Intersect(ray));
    delete mesh;
  }
  EXPECT_TRUE(kinds[0] && kinds[1]) << "the states cover both base shapes";
}

TEST_F(Stone, TheSameStateGivesTheSameStone) {
  for (const SRandomState& state : {kStates[0], kStates[1]}) {
    C3dTriangleMesh* a = NewStone(state);
    C3dTriangleMesh* b = NewStone(state);
    ASSERT_EQ(a->GetVertexCount(), b->GetVertexCount());
    ASSERT_EQ(a->GetFaceCount(), b->GetFaceCount());
    for (uint32_t v = 0; v < a->GetVertexCount(); ++v) EXPECT_EQ(Vertex(a, v), Vertex(b, v));
    for (uint32_t f = 0; f < a->GetFaceCount(); ++f)
      EXPECT_EQ(std::memcmp(Face(a, f).vertex, Face(b, f).vertex, sizeof(S3dFace::vertex)), 0);
    delete a;
    delete b;
  }
}

TEST_F(Stone, OnlyAnEmptyMeshTakesAStone) {
  C3dTriangleMesh* mesh = NewMesh();
  ASSERT_EQ(mesh->AddTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), 0);
  EXPECT_EQ(mesh->Optimize(), 15);
  EXPECT_EQ(mesh->GetFaceCount(), 1u);
}

// admesh reads the stone as one closed part.
TEST_F(Stone, AdmeshFindsOnePartWithoutHoles) {
  if (RunCommand("command -v admesh >/dev/null").status != 0) GTEST_SKIP() << "admesh is not installed";
  for (const SRandomState& state : {kStates[0], kStates[2]}) {
    C3dTriangleMesh* mesh = NewStone(state);
    const std::string path = folder + "/stone.stl";
    WriteStl(mesh, path);
    const SRun run = RunCommand("admesh '" + path + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(NumberAfter(run.out, "Number of parts"), 1) << run.out;
    EXPECT_NE(run.out.find("No holes need to be filled."), std::string::npos) << run.out;
    // The first number is the Original column.
    EXPECT_EQ(NumberAfter(run.out, "Total disconnected facets"), 0) << run.out;
    // The faces wind outward throughout.
    EXPECT_EQ(NumberAfter(run.out, "Facets reversed"), 0) << run.out;
    delete mesh;
  }
}

}  // namespace
