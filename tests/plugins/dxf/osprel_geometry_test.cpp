// Entity geometry against ezdxf: block insertion, extrusions, meshes, hidden layers, polylines.
#include <cmath>

#include "tests/plugins/dxf/osprel_fixture.h"

namespace osprel_test {
namespace {

constexpr double kRadiansPerDegree = 0.01745;

using OsprelGeometryTest = COsprelTest;

std::array<double, 3> Corner(const STriangle& t, int corner) { return {t[corner * 3], t[corner * 3 + 1], t[corner * 3 + 2]}; }

void ExpectNear(const std::array<double, 3>& actual, const std::array<double, 3>& expected, double tolerance,
                const std::string& what) {
  for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(actual[axis], expected[axis], tolerance) << what << " axis " << axis;
}

TEST_F(OsprelGeometryTest, InsertsRepeatTheirBlockOverColumnsAndRows) {
  ASSERT_EQ(Import(Fixture("insert_grid")), 0);
  const auto triangles = fHost.AllTriangles();
  EXPECT_EQ(triangles.size(), 12u) << "2 columns x 3 rows of a wall of 2 triangles";
  const SBox box = BoxOf(triangles);
  ExpectNear(box.low, {10, 20, 0}, 1e-5, "low");
  ExpectNear(box.high, {16, 34, 1}, 1e-5, "high");

  ASSERT_EQ(Import(Fixture("insert_rotated")), 0);
  ASSERT_EQ(fHost.AllTriangles().size(), 1u);
  // 90 x 0.01745 rad is a little short of a quarter turn.
  ExpectNear(Corner(fHost.AllTriangles()[0], 1), {0.000296, 1.0, 0}, 1e-6, "(1, 0, 0) turned");
}

// A point of the inner block through the inner insert flattened into the outer one: positions added
// through the outer transform, scales multiplied, rotations added.
std::array<double, 3> NestedPlace(double x, double y) {
  const double outerScale = 1.5, outerTurn = 45 * kRadiansPerDegree;
  const double innerX = 2 * outerScale, innerY = 1 * outerScale;
  const double placedX = innerX * std::cos(outerTurn) - innerY * std::sin(outerTurn) + 5;
  const double placedY = innerY * std::cos(outerTurn) + innerX * std::sin(outerTurn) + 5;
  const double scale = 2 * outerScale, turn = (30 + 45) * kRadiansPerDegree;
  return {x * scale * std::cos(turn) - y * scale * std::sin(turn) + placedX,
          y * scale * std::cos(turn) + x * scale * std::sin(turn) + placedY, 0};
}

TEST_F(OsprelGeometryTest, NestedInsertsFlattenIntoOne) {
  ASSERT_EQ(Import(Fixture("nested")), 0);
  ASSERT_EQ(fHost.AllTriangles().size(), 1u);
  const STriangle face = fHost.AllTriangles()[0];
  const std::vector<double> ezdxf = Expected("nested").at("face");
  const double block[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  for (int corner = 0; corner < 3; ++corner) {
    const std::string name = "corner " + std::to_string(corner);
    ExpectNear(Corner(face, corner), NestedPlace(block[corner][0], block[corner][1]), 1e-5, name + " by the rule");
    ExpectNear(Corner(face, corner), {ezdxf[corner * 3], ezdxf[corner * 3 + 1], ezdxf[corner * 3 + 2]}, 0.01,
               name + " by ezdxf");
  }
}

// Each circle's base fan holds (rim k + 1, centre, rim k) as its triangle k.
TEST_F(OsprelGeometryTest, ExtrusionsFollowTheArbitraryAxisRule) {
  ASSERT_EQ(Import(Fixture("extrusions")), 0);
  const auto expected = Expected("extrusions");
  const char* layers[] = {"E1", "E2", "E3", "E4"};
  ASSERT_EQ(fHost.Meshes().size(), 4u);
  for (size_t mesh = 0; mesh < 4; ++mesh) {
    const std::vector<double>& rim = expected.at(std::string("rim_") + layers[mesh]);
    const auto& triangles = fHost.Meshes()[mesh].triangles;
    ASSERT_EQ(triangles.size(), 20u);
    for (size_t k = 0; k < 20; ++k)
      ExpectNear(Corner(triangles[k], 2), {rim[k * 3], rim[k * 3 + 1], rim[k * 3 + 2]}, 1e-5,
                 std::string(layers[mesh]) + " rim " + std::to_string(k));
  }
}

TEST_F(OsprelGeometryTest, MeshesHiddenLayersAndFaces) {
  const struct {
    const char* fixture;
    size_t meshes;
    size_t triangles;
  } cases[] = {
      {"polymesh", 1, 12},      // 2 x 3 quadrilaterals of an open 3 x 4 mesh
      {"polyface", 1, 2},       // corners 1, 2, 3, 0 and -1, 2, 3
      {"hidden_layers", 1, 20},  // only the circle on the visible layer
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Import(Fixture(c.fixture)), 0) << c.fixture;
    EXPECT_EQ(fHost.Meshes().size(), c.meshes) << c.fixture;
    EXPECT_EQ(fHost.AllTriangles().size(), c.triangles) << c.fixture;
  }
  ASSERT_EQ(Import(Fixture("polyface")), 0);
  const STriangle face = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  EXPECT_EQ(fHost.AllTriangles(), (std::vector<STriangle>{face, face}));
}

// Hand-written entities of the kinds the ezdxf drawings leave out, with the box of what they give.
// Arcs turn by 0.01745 rad per degree.
TEST_F(OsprelGeometryTest, ArcsPointsFacesAndTraces) {
  const double from = 350 * kRadiansPerDegree, to = 370 * kRadiansPerDegree;
  const struct {
    const char* name;
    std::string entity;
    size_t triangles;
    std::array<double, 3> low, high;
  } cases[] = {
      {"an arc wall", "0\nARC\n8\n0\n40\n1\n50\n0\n51\n90\n39\n1\n", 40,
       {std::cos(90 * kRadiansPerDegree), 0, 0}, {1, 1, 1}},
      {"an arc across 0 degrees", "0\nARC\n8\n0\n40\n1\n50\n350\n51\n10\n39\n1\n", 40,
       {std::min(std::cos(from), std::cos(to)), std::sin(from), 0}, {1, std::sin(to), 1}},
      {"an arc without thickness", "0\nARC\n8\n0\n40\n1\n51\n90\n", 0, {}, {}},
      {"a point", "0\nPOINT\n8\n0\n10\n1\n20\n2\n38\n3\n", 1, {1, 2, 3}, {1, 2, 3}},
      {"a four-cornered face",
       "0\n3DFACE\n8\n0\n11\n1\n12\n1\n22\n1\n13\n0\n23\n1\n", 2, {0, 0, 0}, {1, 1, 0}},
      {"a trace raised by its elevation", "0\nTRACE\n8\n0\n11\n1\n12\n0\n22\n1\n13\n1\n23\n1\n38\n2\n", 2,
       {0, 0, 2}, {1, 1, 2}},
      {"a 3D line does not take its elevation", "0\n3DLINE\n8\n0\n11\n1\n38\n5\n39\n2\n", 2, {0, 0, 0}, {1, 0, 2}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ImportText(EntitiesOnly(c.entity)), 0) << c.name;
    const auto triangles = fHost.AllTriangles();
    EXPECT_EQ(triangles.size(), c.triangles) << c.name;
    if (triangles.empty()) continue;
    const SBox box = BoxOf(triangles);
    ExpectNear(box.low, c.low, 1e-4, std::string(c.name) + " low");
    ExpectNear(box.high, c.high, 1e-4, std::string(c.name) + " high");
  }
}

TEST_F(OsprelGeometryTest, ClosedPolylinesAreFilled) {
  ASSERT_EQ(Import(Fixture("l_shape")), 0);
  EXPECT_EQ(fHost.AllTriangles().size(), 4u);
  EXPECT_NEAR(TotalArea(fHost.AllTriangles()), Expected("l_shape").at("area").at(0), 1e-5);
}

// A positive bulge turns counter-clockwise: from (0, 0) to (2, 0) it passes below the chord.
TEST_F(OsprelGeometryTest, BulgesBecomeArcs) {
  ASSERT_EQ(Import(Fixture("bulge")), 0);
  const std::vector<double> arc = Expected("bulge").at("arc");
  const auto triangles = fHost.AllTriangles();
  ASSERT_EQ(triangles.size(), 19u) << "20 points on the arc and the next vertex";
  for (const STriangle& t : triangles) {
    for (int corner = 0; corner < 3; ++corner) {
      const auto p = Corner(t, corner);
      EXPECT_NEAR(std::hypot(p[0] - arc[0], p[1] - arc[1]), arc[2], 1e-5);
      EXPECT_LE(p[1], 1e-6);
    }
  }
  EXPECT_NEAR(TotalArea(triangles), 10 * std::sin(9 * M_PI / 180), 1e-4) << "20 slices of 9 degrees";
}

TEST_F(OsprelGeometryTest, WidePolylinesAreMitredBands) {
  ASSERT_EQ(Import(Fixture("wide")), 0);
  const auto triangles = fHost.AllTriangles();
  ASSERT_EQ(triangles.size(), 4u);
  EXPECT_NEAR(TotalArea(triangles), 40, 1e-4);
  bool inner = false, outer = false;
  for (const STriangle& t : triangles) {
    for (int corner = 0; corner < 3; ++corner) {
      const auto p = Corner(t, corner);
      inner |= std::fabs(p[0] - 9) < 1e-5 && std::fabs(p[1] - 1) < 1e-5;
      outer |= std::fabs(p[0] - 11) < 1e-5 && std::fabs(p[1] + 1) < 1e-5;
    }
  }
  EXPECT_TRUE(inner) << "the mitred corner (9, 1)";
  EXPECT_TRUE(outer) << "the mitred corner (11, -1)";
}

}  // namespace
}  // namespace osprel_test
