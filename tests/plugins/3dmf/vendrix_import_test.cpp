// Imports through the loaded plug-in: the host calls in order, the failures that take the mesh back,
// the triangles of every class of geometry, NURB sampling, transforms and groups, references, and the
// bounds that keep a file from running the import away.
#include <cmath>
#include <filesystem>

#include "plugins/3dmf/vendrix.h"
#include "plugins/3dmf/vendrix_geometry.h"
#include "tests/plugins/3dmf/vendrix_fixture.h"

namespace vendrix_test {
namespace {

constexpr int32_t kTriangleMesh = ('t' << 24) | ('m' << 16) | ('s' << 8) | 'h';
constexpr int32_t kOutOfMemory = 9;

using SCorner = std::array<float, 3>;

SCorner Corner(const STriangle& triangle, int corner) {
  return {triangle[size_t(corner) * 3], triangle[size_t(corner) * 3 + 1], triangle[size_t(corner) * 3 + 2]};
}

double Distance(const SCorner& a, const SCorner& b) {
  return std::sqrt(double(a[0] - b[0]) * (a[0] - b[0]) + double(a[1] - b[1]) * (a[1] - b[1]) +
                   double(a[2] - b[2]) * (a[2] - b[2]));
}

bool Degenerate(const STriangle& t) { return Corner(t, 1) == Corner(t, 2); }

using VendrixImportTest = CVendrixTest;

TEST_F(VendrixImportTest, ABoxReachesTheHostInOrder) {
  const std::string path = Fixture("box");
  ASSERT_EQ(Import(path), 0);
  std::vector<int32_t> expected = {QN_SLOT_GET_DOCUMENT, QN_SLOT_BEGIN_IMPORT, QN_SLOT_CREATE_OBJECT};
  expected.insert(expected.end(), 12, QN_SLOT_ADD_TRIANGLE);
  expected.insert(expected.end(), {QN_SLOT_FINISH_OBJECT, QN_SLOT_END_IMPORT});
  EXPECT_EQ(fHost.SlotsWithoutProgress(), expected);
  EXPECT_EQ(fHost.CallsOf(QN_SLOT_CREATE_OBJECT).at(0).first, kTriangleMesh);
  ASSERT_EQ(fHost.Meshes().size(), 1u);
  EXPECT_TRUE(fHost.Meshes()[0].finished);

  const auto progress = fHost.CallsOf(QN_SLOT_PROGRESS);
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress[0].text, "Opening file");
  EXPECT_EQ(std::make_pair(progress[0].first, progress[0].second), std::make_pair(0, 1));
  const auto size = int32_t(std::filesystem::file_size(path));
  for (size_t i = 1; i < progress.size(); ++i) {
    EXPECT_EQ(progress[i].text, "Reading file");
    EXPECT_EQ(progress[i].second, size);
    if (i > 1) {
      EXPECT_GT(progress[i].first, progress[i - 1].first);
    }
  }
  EXPECT_EQ(progress.back().first, size);
}

TEST_F(VendrixImportTest, ReadingPositionsNeverGoBackThroughReferences) {
  for (EForm form : kForms) {
    ASSERT_EQ(Import(Fixture("scene", form)), 0) << FormName(form);
    int32_t last = 0;
    for (const SHostCall& call : fHost.CallsOf(QN_SLOT_PROGRESS)) {
      if (call.text != "Reading file") continue;
      EXPECT_GE(call.first, last) << FormName(form);
      EXPECT_LE(call.first, call.second) << FormName(form);
      last = call.first;
    }
  }
}

TEST_F(VendrixImportTest, FailuresTakeTheMeshBack) {
  const struct {
    const char* name;
    std::string path;
    int32_t slot;
    uint32_t n;
    int32_t answer;
    int32_t result;
  } cases[] = {
      {"a missing file", (fFolder / "missing.t3d").string(), -1, 0, 0, 2},
      {"a reader error", Fixture("polygon-2-vertices"), -1, 0, 0, 2},
      {"a cancel", Fixture("box"), QN_SLOT_PROGRESS, 0, 0, 20},
      {"the 5th triangle refused", Fixture("box"), QN_SLOT_ADD_TRIANGLE, 5, kOutOfMemory, 2},
      {"an external reference", Fixture("external-reference"), -1, 0, 0, 3},
  };
  for (const auto& c : cases) {
    fHost.Reset();
    if (c.slot == QN_SLOT_PROGRESS) {
      fHost.CancelAtProgress(1, "Reading file");
    } else if (c.slot >= 0) {
      fHost.AnswerAt(c.slot, c.n, c.answer);
    }
    EXPECT_EQ(fHost.Import(c.path), c.result) << c.name;
    const std::vector<int32_t> slots = fHost.SlotsWithoutProgress();
    ASSERT_FALSE(slots.empty()) << c.name;
    EXPECT_EQ(slots.back(), QN_SLOT_DELETE_OBJECT) << c.name;
    EXPECT_EQ(fHost.CallCount(QN_SLOT_FINISH_OBJECT), 0u) << c.name;
    EXPECT_EQ(fHost.CallCount(QN_SLOT_END_IMPORT), 0u) << c.name;
    EXPECT_EQ(fHost.LiveMeshes(), 0u) << c.name;
  }
}

TEST_F(VendrixImportTest, AHeaderOnlyFileGivesAnEmptyMesh) {
  for (EForm form : kForms) {
    ASSERT_EQ(Import(Fixture("header-only", form)), 0) << FormName(form);
    EXPECT_EQ(fHost.SlotsWithoutProgress(),
              (std::vector<int32_t>{QN_SLOT_GET_DOCUMENT, QN_SLOT_BEGIN_IMPORT, QN_SLOT_CREATE_OBJECT,
                                    QN_SLOT_FINISH_OBJECT, QN_SLOT_END_IMPORT}))
        << FormName(form);
  }
}

TEST_F(VendrixImportTest, OneSceneSendsTheSameTrianglesInEveryForm) {
  ASSERT_EQ(Import(Fixture("scene", kText)), 0);
  const std::vector<STriangle> text = Triangles();
  EXPECT_EQ(text.size(), 12u + 12u + 2u + 1u + 722u);
  for (EForm form : {kBigEndian, kLittleEndian}) {
    ASSERT_EQ(Import(Fixture("scene", form)), 0) << FormName(form);
    EXPECT_EQ(Triangles(), text) << FormName(form);
  }
}

TEST_F(VendrixImportTest, TrianglesOfEveryClass) {
  const struct {
    const char* fixture;
    size_t triangles;
    bool degenerate;
  } cases[] = {
      {"point", 1, true},
      {"line", 1, true},
      {"polyline-5", 4, true},
      {"triangle", 1, false},
      {"pentagon", 3, false},
      {"general-polygon-hole", 4, false},
      {"mesh-quad", 2, false},
      {"trigrid-3x4", 12, false},
      {"box", 12, false},
      {"ellipse", 40, true},
      {"disk", 40, false},
      {"cone", 40, false},
      {"cylinder", 80, false},
      {"ellipsoid", 3120, false},
      {"nurb-curve-line", 39, true},
      {"nurb-patch-bilinear", 722, false},
      {"torus", 0, false},
      {"marker", 0, false},
      {"diffuse-color", 0, false},
  };
  for (const auto& c : cases) {
    for (EForm form : kForms) {
      ASSERT_EQ(Import(Fixture(c.fixture, form)), 0) << c.fixture << " " << FormName(form);
      const std::vector<STriangle> triangles = Triangles();
      EXPECT_EQ(triangles.size(), c.triangles) << c.fixture << " " << FormName(form);
      for (const STriangle& t : triangles) EXPECT_EQ(Degenerate(t), c.degenerate) << c.fixture;
    }
  }
}

TEST_F(VendrixImportTest, CornersArriveWithZNegated) {
  ASSERT_EQ(Import(Fixture("box")), 0);
  const STriangle first = Triangles().at(0);
  EXPECT_EQ(first, (STriangle{0, 0, -0.f, 1, 0, -0.f, 1, 1, -0.f}));
  EXPECT_TRUE(std::signbit(first[2])) << "z is negated, 0 too";
  ASSERT_EQ(Import(Fixture("point")), 0);
  EXPECT_EQ(Triangles().at(0), (STriangle{1, 2, -3, 1, 2, -3, 1, 2, -3}));
  // The hole of a general polygon is filled on its own, over the outer contour.
  ASSERT_EQ(Import(Fixture("general-polygon-hole")), 0);
  double area = 0;
  for (const STriangle& t : Triangles())
    area += std::fabs((t[3] - t[0]) * (t[7] - t[1]) - (t[6] - t[0]) * (t[4] - t[1])) / 2;
  EXPECT_DOUBLE_EQ(area, 16 + 4);
}

TEST_F(VendrixImportTest, CurvesAreSampledAtFortyPoints) {
  ASSERT_EQ(Import(Fixture("nurb-curve-line")), 0);
  std::vector<STriangle> segments = Triangles();
  ASSERT_EQ(segments.size(), 39u);
  EXPECT_EQ(Corner(segments.front(), 0), (SCorner{0, 0, -0.f}));
  EXPECT_EQ(Corner(segments.back(), 1), (SCorner{3, 0, -0.f}));
  for (size_t s = 0; s < segments.size(); ++s) {
    EXPECT_EQ(segments[s][1], 0);
    EXPECT_EQ(segments[s][2], 0);
    EXPECT_NEAR(segments[s][3] - segments[s][0], 3.0 / 39, 1e-6) << s;
    if (s > 0) {
      EXPECT_EQ(Corner(segments[s], 0), Corner(segments[s - 1], 1));
    }
  }

  ASSERT_EQ(Import(Fixture("nurb-curve-empty-range")), 0);
  segments = Triangles();
  ASSERT_EQ(segments.size(), 39u);
  for (const STriangle& t : segments) EXPECT_EQ(t, (STriangle{3, 3, -0.f, 3, 3, -0.f, 3, 3, -0.f}));

  ASSERT_EQ(Import(Fixture("nurb-curve-quarter-circle")), 0);
  segments = Triangles();
  ASSERT_EQ(segments.size(), 39u);
  for (const STriangle& t : segments)
    for (int corner = 0; corner < 3; ++corner) EXPECT_NEAR(Distance(Corner(t, corner), {0, 0, 0}), 1, 1e-6);
  EXPECT_EQ(Corner(segments.front(), 0), (SCorner{1, 0, -0.f}));
  EXPECT_NEAR(Corner(segments.back(), 1)[0], 0, 1e-6);
}

TEST_F(VendrixImportTest, ABilinearPatchStaysInItsPlane) {
  ASSERT_EQ(Import(Fixture("nurb-patch-bilinear")), 0);
  const std::vector<STriangle> triangles = Triangles();
  ASSERT_EQ(triangles.size(), 722u);
  // The corners span x and y from 0 to 2 in the plane z = x / 2, which the host sees negated.
  for (const STriangle& t : triangles) {
    for (int corner = 0; corner < 3; ++corner) {
      const SCorner p = Corner(t, corner);
      EXPECT_NEAR(p[2], -p[0] / 2, 1e-6);
      EXPECT_GE(p[0], 0);
      EXPECT_LE(p[0], 2);
    }
  }
  EXPECT_EQ(Corner(triangles.front(), 2), (SCorner{0, 0, -0.f}));
}

// The first corner of every triangle: the points of the fixtures of transforms.
std::vector<SCorner> Points(const std::vector<STriangle>& triangles) {
  std::vector<SCorner> points;
  for (const STriangle& t : triangles) points.push_back(Corner(t, 0));
  return points;
}

TEST_F(VendrixImportTest, TransformsLastToTheEndOfTheirGroup) {
  const struct {
    const char* fixture;
    std::vector<SCorner> points;
  } cases[] = {
      {"translate-outside-groups", {{1, 0, -0.f}, {1, 1, -0.f}}},
      {"translate-in-group", {{0, 0, -0.f}, {1, 0, -0.f}, {0, 0, -0.f}}},
      {"matrix-after-translate", {{2, 0, -0.f}}},
      {"scale-then-translate", {{3, 0, -0.f}}},
      {"groups-99", {{0, 0, -0.f}}},
      {"reference-group", {{1, 0, -0.f}, {0, 0, -0.f}, {1, 0, -0.f}}},
  };
  for (const auto& c : cases) {
    for (EForm form : kForms) {
      ASSERT_EQ(Import(Fixture(c.fixture, form)), 0) << c.fixture << " " << FormName(form);
      EXPECT_EQ(Points(Triangles()), c.points) << c.fixture << " " << FormName(form);
    }
  }
}

TEST_F(VendrixImportTest, AReferenceSendsItsObjectAgain) {
  ASSERT_EQ(Import(Fixture("box")), 0);
  const std::vector<STriangle> box = Triangles();
  for (EForm form : kForms) {
    ASSERT_EQ(Import(Fixture("reference-box", form)), 0) << FormName(form);
    std::vector<STriangle> twice = box;
    twice.insert(twice.end(), box.begin(), box.end());
    EXPECT_EQ(Triangles(), twice) << FormName(form);
  }
}

// A costly object that References read again is converted once, and each reading sends the very
// triangles that converting it again would: the same as four copies of it, in every form.
TEST_F(VendrixImportTest, AReferencedObjectIsConvertedOnceAndPlacedAgain) {
  CRecordingHost linked;
  linked.Link(&VendrixEntry);
  for (EForm form : kForms) {
    ASSERT_EQ(linked.Import(Fixture("copies-notch-placed", form)), 0) << FormName(form);
    const std::vector<STriangle> copies = linked.AllTriangles();
    ASSERT_EQ(copies.size(), 16u) << FormName(form);
    linked.Reset();
    const uint64_t before = ConvertedObjectCount();
    ASSERT_EQ(linked.Import(Fixture("reference-notch-placed", form)), 0) << FormName(form);
    EXPECT_EQ(ConvertedObjectCount() - before, 1u) << FormName(form);
    EXPECT_EQ(linked.AllTriangles(), copies) << FormName(form);
    linked.Reset();
  }
}

// References that read earlier objects again leave the position where it was, and the reading is
// still reported, so that a cancel stops them soon: here within the first thousand of two million
// objects.
TEST_F(VendrixImportTest, ACancelStopsReferencesThatReadAgain) {
  fHost.Reset();
  fHost.CancelAtProgress(8, "Reading file");
  EXPECT_EQ(fHost.Import(Fixture("reference-fan-out", kBigEndian)), 20);
  EXPECT_LT(fHost.CallCount(QN_SLOT_PROGRESS), 20u);
  EXPECT_EQ(fHost.LiveMeshes(), 0u);
}

// Each ended by its bound, not by running long. Where the import goes on, the fixture ends with the
// point (0, 0, 0), whose triangle comes last.
TEST_F(VendrixImportTest, FaultsEndAtTheirBound) {
  const struct {
    const char* fixture;
    std::vector<EForm> forms;
    int32_t result;
  } cases[] = {
      {"groups-100", {kText, kBigEndian}, 2},
      {"reference-cycle", {kText, kBigEndian, kLittleEndian}, 2},
      {"reference-fan-out", {kBigEndian}, 2},
      {"toc-chain-to-itself", {kBigEndian, kLittleEndian}, 2},
      {"mesh-index-past-vertices", {kText, kBigEndian}, 2},
      {"mesh-2g-vertices", {kText, kBigEndian, kLittleEndian}, 2},
      {"size-past-end", {kBigEndian, kLittleEndian}, 2},
      {"containers-10000", {kText, kBigEndian}, 2},
      {"nurb-zero-weights", {kText, kBigEndian}, 0},
      {"nurb-decreasing-knots", {kText, kBigEndian}, 0},
  };
  for (const auto& c : cases) {
    for (EForm form : c.forms) {
      EXPECT_EQ(Import(Fixture(c.fixture, form)), c.result) << c.fixture << " " << FormName(form);
      if (c.result != 0) continue;
      ASSERT_FALSE(Triangles().empty()) << c.fixture << " " << FormName(form);
      EXPECT_EQ(Points(Triangles()).back(), (SCorner{0, 0, -0.f})) << c.fixture << " " << FormName(form);
    }
  }
  EXPECT_EQ(Import(Fixture("nurb-zero-weights")), 0);
  EXPECT_EQ(Triangles().size(), 1u) << "curves and patches without weight send nothing";
}

TEST_F(VendrixImportTest, NewerVersionsImport) {
  for (EForm form : kForms) {
    EXPECT_EQ(Import(Fixture("version-1-6", form)), 0) << FormName(form);
    EXPECT_EQ(Triangles().size(), 12u) << FormName(form);
  }
}

TEST_F(VendrixImportTest, AHostRefusalStopsBeforeTheFileIsOpened) {
  const struct {
    const char* name;
    int32_t slot;
    int32_t answer;
  } cases[] = {
      {"no document", QN_SLOT_GET_DOCUMENT, 0},
      {"begin import answers 7", QN_SLOT_BEGIN_IMPORT, 7},
      {"create object refused", QN_SLOT_CREATE_OBJECT, kOutOfMemory},
  };
  for (const auto& c : cases) {
    fHost.Reset();
    fHost.AnswerAt(c.slot, 1, c.answer);
    EXPECT_EQ(fHost.Import(Fixture("box")), 2) << c.name;
    EXPECT_EQ(fHost.CallCount(QN_SLOT_PROGRESS), 0u) << c.name;
    for (int32_t slot : {QN_SLOT_DELETE_OBJECT, QN_SLOT_FINISH_OBJECT, QN_SLOT_ADD_TRIANGLE})
      EXPECT_EQ(fHost.CallCount(slot), 0u) << c.name << " slot " << slot;
  }
}

}  // namespace
}  // namespace vendrix_test
