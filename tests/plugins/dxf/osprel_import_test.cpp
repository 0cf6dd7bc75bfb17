// Imports through the loaded plug-in: the host calls in order, the meshes and their materials, the
// failures with their clean-up, and the bounds that keep a drawing from running the import away.
#include <cstring>

#include "tests/plugins/dxf/osprel_fixture.h"

namespace osprel_test {
namespace {

constexpr int32_t kTriangleMesh = ('t' << 24) | ('m' << 16) | ('s' << 8) | 'h';

std::string Blocks(const std::string& blocks) { return "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n"; }

std::string Block(const std::string& name, const std::string& entities) {
  return "0\nBLOCK\n2\n" + name + "\n70\n0\n10\n0\n20\n0\n30\n0\n" + entities + "0\nENDBLK\n";
}

std::string Insert(const std::string& block, const std::string& pairs = "") {
  return "0\nINSERT\n2\n" + block + "\n10\n0\n20\n0\n30\n0\n" + pairs;
}

// Blocks B1 to Blevels, each inserting the next, the last holding a circle; the drawing inserts B1.
std::string NestedInserts(int levels) {
  std::string blocks;
  for (int level = 1; level <= levels; ++level) {
    const std::string next = level < levels ? Insert("B" + std::to_string(level + 1)) : Circle();
    blocks += Block("B" + std::to_string(level), next);
  }
  return Blocks(blocks) + EntitiesOnly(Insert("B1"));
}

using OsprelImportTest = COsprelTest;

TEST_F(OsprelImportTest, ACircleReachesTheHostInOrder) {
  ASSERT_EQ(Import(Fixture("circle")), 0);
  std::vector<int32_t> expected = {QN_SLOT_GET_DOCUMENT, QN_SLOT_BEGIN_IMPORT, QN_SLOT_CREATE_OBJECT};
  expected.insert(expected.end(), 14, QN_SLOT_SET_MATERIAL_PROPERTY);
  expected.insert(expected.end(), 20, QN_SLOT_ADD_TRIANGLE);
  expected.insert(expected.end(), {QN_SLOT_FINISH_OBJECT, QN_SLOT_END_IMPORT});
  EXPECT_EQ(fHost.SlotsWithoutProgress(), expected);

  ASSERT_EQ(fHost.CallsOf(QN_SLOT_CREATE_OBJECT).size(), 1u);
  EXPECT_EQ(fHost.CallsOf(QN_SLOT_CREATE_OBJECT)[0].first, kTriangleMesh);
  const std::vector<std::pair<int32_t, int32_t>> material = {
      {17, 0}, {1, 50}, {2, 0xFFFFFF}, {3, 255}, {4, 0xDD2222}, {5, 0},  {6, 0xFFFFFF},
      {7, 0},  {8, 0xFFFFFF}, {9, 100}, {10, 50}, {11, 50}, {12, 50}, {13, 0}};
  ASSERT_EQ(fHost.Meshes().size(), 1u);
  EXPECT_EQ(fHost.Meshes()[0].properties, material);
  EXPECT_TRUE(fHost.Meshes()[0].finished);

  // Rim point 1 lies at 18 x 0.01745 rad.
  const STriangle first = fHost.Meshes()[0].triangles.at(0);
  const STriangle expectedFirst = {0.9510748f, 0.3089606f, 0, 0, 0, 0, 1, 0, 0};
  for (size_t i = 0; i < 9; ++i) EXPECT_NEAR(first[i], expectedFirst[i], 1e-6) << i;

  const auto progress = fHost.CallsOf(QN_SLOT_PROGRESS);
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front().text, "Parsing file");
  EXPECT_EQ(std::make_pair(progress.front().first, progress.front().second), std::make_pair(0, 1));
  EXPECT_EQ(progress.back().text, "Cleaning up");
  EXPECT_EQ(progress.back().first, progress.back().second);
}

TEST_F(OsprelImportTest, TrianglesOfLinesAndCircles) {
  const struct {
    const char* fixture;
    size_t meshes;
    size_t triangles;
  } cases[] = {
      {"circle", 1, 20},
      {"circle_thick", 1, 80},
      {"line", 0, 0},
      {"line_thick", 1, 2},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Import(Fixture(c.fixture)), 0) << c.fixture;
    EXPECT_EQ(fHost.Meshes().size(), c.meshes) << c.fixture;
    EXPECT_EQ(fHost.AllTriangles().size(), c.triangles) << c.fixture;
    EXPECT_EQ(fHost.CallCount(QN_SLOT_END_IMPORT), 1u) << c.fixture;
  }
}

TEST_F(OsprelImportTest, OneMeshPerLayerAndColour) {
  ASSERT_EQ(Import(Fixture("colours")), 0);
  EXPECT_EQ(MeshColours(),
            (std::vector<int32_t>{0xDD2222, 0xDDCC11, 0x11CC11, 0xCCCCCC, 0x777777, 0x11CC11, 0xCCCCCC}))
      << "colours 1, 2, 3, 7, 8; by layer of colour 3; by block outside a block";

  ASSERT_EQ(Import(Fixture("sharing")), 0);
  ASSERT_EQ(fHost.Meshes().size(), 2u);
  EXPECT_EQ(fHost.Meshes()[0].triangles.size(), 40u);
  EXPECT_EQ(fHost.Meshes()[1].triangles.size(), 20u);

  ASSERT_EQ(ImportText(EntitiesOnly(Circle("") + Circle("8\n0\n"))), 0);
  EXPECT_EQ(fHost.Meshes().size(), 2u) << "no layer and layer \"0\" are different materials";
}

TEST_F(OsprelImportTest, ThreeCorneredSolidsReachTheHostAsTheyAre) {
  ASSERT_EQ(Import(Fixture("solids")), 0);
  ASSERT_EQ(fHost.Meshes().size(), 3u);
  // Three corners, reversed: (0, 1), (1, 0), (0, 0); a fourth that repeats the third changes nothing.
  const STriangle reversed = {0, 1, 0, 1, 0, 0, 0, 0, 0};
  for (size_t mesh : {0u, 1u}) EXPECT_EQ(fHost.Meshes()[mesh].triangles, std::vector<STriangle>{reversed}) << mesh;
  EXPECT_EQ(fHost.Meshes()[2].triangles.size(), 2u);
  EXPECT_NEAR(TotalArea(fHost.Meshes()[2].triangles), 1.0, 1e-6);
}

TEST_F(OsprelImportTest, VerticesWithoutWidthsTakeTheirPolylines) {
  ASSERT_EQ(Import(Fixture("inherited_widths")), 0);
  const auto triangles = fHost.AllTriangles();
  EXPECT_EQ(triangles.size(), 2u);
  EXPECT_NEAR(TotalArea(triangles), 10.0, 1e-5) << "10 long, 1 wide";
}

// Every mesh the plug-in made is finished, then deleted, and the import is never ended.
void ExpectNothingLeft(const CRecordingHost& host, const char* name) {
  EXPECT_EQ(host.LiveMeshes(), 0u) << name;
  EXPECT_EQ(host.CallCount(QN_SLOT_END_IMPORT), 0u) << name;
  for (const SRecordedMesh& mesh : host.Meshes()) {
    EXPECT_TRUE(mesh.deleted) << name << " mesh " << mesh.handle;
    int finishedAt = -1, deletedAt = -1;
    for (size_t i = 0; i < host.Calls().size(); ++i) {
      const SHostCall& call = host.Calls()[i];
      if (call.object != mesh.handle) continue;
      if (call.slot == QN_SLOT_FINISH_OBJECT) finishedAt = int(i);
      if (call.slot == QN_SLOT_DELETE_OBJECT) deletedAt = int(i);
    }
    EXPECT_TRUE(finishedAt >= 0 && finishedAt < deletedAt) << name << " mesh " << mesh.handle;
  }
}

// The number of the first progress call with this text after skip calls of it, from 1.
uint32_t ProgressNumber(const CRecordingHost& host, const std::string& text, int skip) {
  uint32_t n = 0;
  for (const SHostCall& call : host.Calls()) {
    if (call.slot != QN_SLOT_PROGRESS) continue;
    ++n;
    if (call.text == text && skip-- == 0) return n;
  }
  return 0;
}

TEST_F(OsprelImportTest, FailuresLeaveNoMeshBehind) {
  std::string vertices;
  for (int i = 0; i < 20001; ++i) {
    const double angle = 2 * M_PI * i / 20001;
    vertices += "0\nVERTEX\n8\n0\n10\n" + std::to_string(std::cos(angle)) + "\n20\n" + std::to_string(std::sin(angle)) + "\n";
  }
  const std::string tooManyVertices =
      EntitiesOnly(Circle() + "0\nPOLYLINE\n8\n0\n66\n1\n70\n1\n" + vertices + "0\nSEQEND\n");

  ASSERT_EQ(Import(Fixture("lines25")), 0);
  const uint32_t readingLines = ProgressNumber(fHost, "Parsing file", 1);
  const uint32_t processing = ProgressNumber(fHost, "Processing entries", 0);
  ASSERT_GT(readingLines, 0u);
  ASSERT_GT(processing, 0u);

  const struct {
    const char* name;
    std::string path;
    int32_t slot;
    uint32_t n;
    int32_t answer;
    int32_t result;
  } cases[] = {
      {"a missing file", (fFolder / "missing.dxf").string(), -1, 0, 0, 3},
      {"an entity of 20001 vertices", Write(tooManyVertices, "vertices.dxf"), -1, 0, 0, 19},
      {"a cancel while lines are read", Fixture("lines25"), QN_SLOT_PROGRESS, readingLines, 24, 20},
      {"a cancel at the entries", Fixture("lines25"), QN_SLOT_PROGRESS, processing, 24, 20},
      {"the third mesh refused", Fixture("colours"), QN_SLOT_CREATE_OBJECT, 3, 13, 2},
      {"the fifth triangle refused", Fixture("circle"), QN_SLOT_ADD_TRIANGLE, 5, 12, 2},
      // A host out of memory is no fault of the drawing's.
      {"the fifth triangle finds no memory", Fixture("circle"), QN_SLOT_ADD_TRIANGLE, 5, 9, 9},
      {"the third mesh finds no memory", Fixture("colours"), QN_SLOT_CREATE_OBJECT, 3, 9, 9},
  };
  for (const auto& c : cases) {
    fHost.Reset();
    if (c.slot >= 0) fHost.AnswerAt(c.slot, c.n, c.answer);
    EXPECT_EQ(fHost.Import(c.path), c.result) << c.name;
    ExpectNothingLeft(fHost, c.name);
  }

  ASSERT_EQ(Import((fFolder / "missing.dxf").string()), 3);
  EXPECT_TRUE(fHost.SlotsWithoutProgress().empty()) << "only progress is called for a missing file";
  fHost.Reset();
  fHost.AnswerAt(QN_SLOT_PROGRESS, readingLines, 24);
  ASSERT_EQ(fHost.Import(Fixture("lines25")), 20);
  EXPECT_EQ(fHost.CallCount(QN_SLOT_CREATE_OBJECT), 0u) << "a cancel while reading makes no mesh";
  fHost.Reset();
  fHost.AnswerAt(QN_SLOT_CREATE_OBJECT, 3, 13);
  ASSERT_EQ(fHost.Import(Fixture("colours")), 2);
  EXPECT_EQ(fHost.Meshes().size(), 2u) << "the meshes made before the refusal are taken back";
}

TEST_F(OsprelImportTest, EntriesAreCountedForProgress) {
  ASSERT_EQ(Import(Fixture("lines25")), 0);
  std::vector<std::pair<int32_t, int32_t>> entries;
  for (const SHostCall& call : fHost.CallsOf(QN_SLOT_PROGRESS))
    if (call.text == "Processing entries") entries.emplace_back(call.first, call.second);
  EXPECT_EQ(entries, (std::vector<std::pair<int32_t, int32_t>>{{10, 24}, {20, 24}, {24, 24}}));
}

// 100 x 100 copies of a line without thickness: nothing to draw, but long enough to be cancelled.
TEST_F(OsprelImportTest, LongExpansionsReportTheirEntryAndCanBeCancelled) {
  const std::string thinLine = "0\nLINE\n8\n0\n11\n1\n";
  const std::string drawing = Blocks(Block("T", thinLine)) + EntitiesOnly(Circle() + Insert("T", "70\n100\n71\n100\n"));
  ASSERT_EQ(ImportText(drawing), 0);
  std::vector<std::pair<int32_t, int32_t>> entries;
  for (const SHostCall& call : fHost.CallsOf(QN_SLOT_PROGRESS))
    if (call.text == "Processing entries") entries.emplace_back(call.first, call.second);
  EXPECT_EQ(entries, (std::vector<std::pair<int32_t, int32_t>>(1 + 10000 / 512, {1, 1})));

  fHost.Reset();
  fHost.CancelAtProgress(3, "Processing entries");
  EXPECT_EQ(fHost.Import(Write(drawing)), 20);
  ExpectNothingLeft(fHost, "a cancelled expansion");
  EXPECT_EQ(fHost.Meshes().size(), 1u);
}

// A refusal of the host answers 2, as the 3DMF plug-in's do, whatever the host answered; every mesh
// is taken back but after a refused end of the import, when the host has them already.
TEST_F(OsprelImportTest, HostRefusalsAnswerTwo) {
  const struct {
    const char* name;
    int32_t slot;
    int32_t answer;
  } cases[] = {
      {"begin import refused", QN_SLOT_BEGIN_IMPORT, 7},
      {"a material property refused", QN_SLOT_SET_MATERIAL_PROPERTY, 8},
      {"a finish refused", QN_SLOT_FINISH_OBJECT, 19},
      {"the end of the import refused", QN_SLOT_END_IMPORT, 9},
  };
  for (const auto& c : cases) {
    fHost.Reset();
    fHost.AnswerAt(c.slot, 1, c.answer);
    EXPECT_EQ(fHost.Import(Fixture("colours")), 2) << c.name;
    if (c.slot != QN_SLOT_END_IMPORT) ExpectNothingLeft(fHost, c.name);
  }
}

// After a failure the meshes go in the order they were made, each finished and then deleted before
// the next.
TEST_F(OsprelImportTest, AFailedImportFinishesAndDeletesEachMeshInTurn) {
  fHost.AnswerAt(QN_SLOT_CREATE_OBJECT, 4, 13);
  ASSERT_EQ(fHost.Import(Fixture("colours")), 2);
  ASSERT_EQ(fHost.Meshes().size(), 3u);
  std::vector<std::pair<int32_t, uint32_t>> ending;
  for (const SHostCall& call : fHost.Calls())
    if (call.slot == QN_SLOT_FINISH_OBJECT || call.slot == QN_SLOT_DELETE_OBJECT) ending.emplace_back(call.slot, call.object);
  std::vector<std::pair<int32_t, uint32_t>> expected;
  for (const SRecordedMesh& mesh : fHost.Meshes()) {
    expected.emplace_back(QN_SLOT_FINISH_OBJECT, mesh.handle);
    expected.emplace_back(QN_SLOT_DELETE_OBJECT, mesh.handle);
  }
  EXPECT_EQ(ending, expected);
}

// Each of these ends by its bound: a runaway would meet CTest's time-out instead.
TEST_F(OsprelImportTest, DrawingsThatWouldRunAwayAreBounded) {
  const std::string longFolder = (fFolder / std::string(200 - fFolder.string().size() - 12, 'p')).string();
  std::filesystem::create_directories(longFolder);
  const std::string longPath = longFolder + "/circle.dxf";
  ASSERT_EQ(longPath.size(), 200u);
  std::filesystem::copy_file(Fixture("circle"), longPath);
  std::string nineVertices;
  for (int i = 0; i < 9; ++i) nineVertices += "0\nVERTEX\n10\n" + std::to_string(i) + "\n";
  std::string meshVertices;
  for (int i = 0; i < 4; ++i) meshVertices += "0\nVERTEX\n8\n0\n70\n64\n10\n" + std::to_string(i % 2) + "\n20\n" + std::to_string(i / 2) + "\n";
  const struct {
    const char* name;
    std::string text;
    int32_t result;
    size_t triangles;
  } cases[] = {
      {"a block inserting itself", Blocks(Block("S", Insert("S"))) + EntitiesOnly(Insert("S")), 23, 0},
      {"16 levels of inserts", NestedInserts(16), 0, 20},
      {"17 levels of inserts", NestedInserts(17), 23, 0},
      {"32767 x 32767 copies", Blocks(Block("C", Circle())) + EntitiesOnly(Insert("C", "70\n32767\n71\n32767\n")), 19, 0},
      {"2 entities in 1024 x 1024 copies",
       Blocks(Block("C", Circle() + Circle())) + EntitiesOnly(Insert("C", "70\n1024\n71\n1024\n")), 19, 0},
      {"a polyline of 9 vertices in 400 x 300 copies",
       Blocks(Block("P", "0\nPOLYLINE\n66\n1\n" + nineVertices + "0\nSEQEND\n")) +
           EntitiesOnly(Insert("P", "70\n400\n71\n300\n")),
       19, 0},
      {"a mesh of 2147483647 x -1 vertices",
       EntitiesOnly("0\nPOLYLINE\n8\n0\n66\n1\n70\n16\n71\n2147483647\n72\n-1\n" + meshVertices + "0\nSEQEND\n"),
       0, 0},
      {"2147483647 x 2147483647 copies",
       Blocks(Block("C", Circle() + Circle())) + EntitiesOnly(Insert("C", "70\n2147483647\n71\n2147483647\n")), 19, 0},
      {"2147483647 columns of no rows",
       Blocks(Block("C", Circle())) + EntitiesOnly(Insert("C", "70\n2147483647\n71\n0\n")), 0, 0},
      {"a mesh claiming 32767 x 32767 vertices",
       EntitiesOnly("0\nPOLYLINE\n8\n0\n66\n1\n70\n16\n71\n32767\n72\n32767\n" + meshVertices + "0\nSEQEND\n"), 0, 0},
      {"no entities section", "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n", 0, 0},
      {"a last ENDSEC without a line end", "0\nSECTION\n2\nENTITIES\n" + Circle() + "0\nENDSEC", 0, 20},
      {"ENTITIES as a value of an unknown section",
       "0\nSECTION\n2\nOBJECTS\n1\nENTITIES\n0\nENDSEC\n" + EntitiesOnly(Circle() + Circle("8\nB\n")), 0, 40},
      {"colour 200", EntitiesOnly(Circle("8\n0\n62\n200\n")), 0, 20},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ImportText(c.text), c.result) << c.name;
    EXPECT_EQ(fHost.AllTriangles().size(), c.triangles) << c.name;
    if (c.result) ExpectNothingLeft(fHost, c.name);
  }

  ASSERT_EQ(ImportText(EntitiesOnly(Circle("8\n0\n62\n200\n"))), 0);
  EXPECT_EQ(MeshColours(), std::vector<int32_t>{0xCCCCCC}) << "colours past 15 are colour 7";
  ASSERT_EQ(ImportText("0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n"), 0);
  EXPECT_EQ(fHost.SlotsWithoutProgress(),
            (std::vector<int32_t>{QN_SLOT_GET_DOCUMENT, QN_SLOT_BEGIN_IMPORT, QN_SLOT_END_IMPORT}));
  EXPECT_EQ(Import(longPath), 0) << "a path of 200 characters";
  EXPECT_EQ(fHost.AllTriangles().size(), 20u);
}

}  // namespace
}  // namespace osprel_test
