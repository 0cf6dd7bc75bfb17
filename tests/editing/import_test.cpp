// Importing through a plug-in: the test import plug-in reads a small text file of meshes and
// triangles and builds them through the host's callbacks into a document whose window is a stand-in.
#include "editing/host_callbacks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "document/plugin.h"
#include "document/plugin_callbacks.h"
#include "editing/import_host.h"
#include "platform/alloc.h"
#include "scene/object_family.h"
#include "scene/triangle_mesh.h"
#include "tests/document/plugin_fixture.h"
#include "tests/editing/editing_fixture.h"
#include "tests/editing/import_window.h"

namespace {

constexpr uint32_t kMeshClass = C3dTriangleMesh::kClassTag;

class ImportTest : public PluginFolderTest<SceneTest> {
 protected:
  uint32_t ObjectsBudget() const override { return 32 * 1024 * 1024; }

  void SetUp() override {
    PluginFolderTest<SceneTest>::SetUp();
    if (HasFatalFailure()) return;
    list = std::make_unique<C3dBaseSpoolTable>(ObjectsEnv());
    working = std::make_unique<C3dBaseSys>(ObjectsEnv());
    window.scene = table;
    window.list = list.get();
    window.defaultMaterial = MakeObject<C3dMaterial>(working.get());
    {
      CHolder holder(window.defaultMaterial, true, false);
      window.defaultMaterial->GetRecord().sample.diffuseColour = {0.25f, 0.5f, 0.75f};
    }
    document = std::make_unique<C3dDocument>(&window);
    window.document = document.get();
    SetCallbackDocument(document.get(), &window);
    Install(kImport);
  }
  void TearDown() override {
    SetCallbackDocument(nullptr, nullptr);
    document.reset();
    list.reset();
    working.reset();
    PluginFolderTest<SceneTest>::TearDown();
  }

  // The file's lines imported as the import command does: the plug-ins found, the one of ".aaa"
  // called, the libraries unloaded and the host released.
  int32_t Import(const std::string& text, const std::string& name = "scene.aaa") {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    ClearLog();
    return ImportThroughPlugins(folder_, path);
  }
  // The slots the plug-in called, each with its answer, in order.
  std::vector<std::pair<int, int>> Answers() const {
    std::vector<std::pair<int, int>> answers;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      std::string library, word;
      std::pair<int, int> answer;
      if (words >> library >> word && word == "slot" && words >> answer.first >> answer.second) answers.push_back(answer);
    }
    return answers;
  }
  template <typename T>
  std::vector<T*> Things(uint32_t classTag) {
    std::vector<T*> found;
    CHolder holder(table, false, false);
    for (uint32_t row = 0; row < table->GetCount(); ++row) {
      C3dBase* thing = (*table)[row].object;
      if (thing && thing->GetClass() == classTag) found.push_back(static_cast<T*>(thing));
    }
    return found;
  }
  std::vector<C3dTriangleMesh*> Meshes() { return Things<C3dTriangleMesh>(kMeshClass); }
  uint32_t MaterialCount() {
    uint32_t count = 0;
    CHolder holder(table, false, false);
    for (uint32_t row = 0; row < table->GetCount(); ++row) count += (*table)[row].object->GetFamily() == C3dMaterial::kFamily;
    return count;
  }
  static std::vector<vector3<double>> Vertices(C3dTriangleMesh* mesh) {
    std::vector<vector3<double>> points(mesh->GetVertexCount());
    for (uint32_t i = 0; i < points.size(); ++i) EXPECT_TRUE(mesh->GetVertex(i, &points[i]));
    return points;
  }
  std::vector<C3dObject*> Selected() {
    std::vector<C3dObject*> out;
    for (uint32_t i = 0; i < document->GetSelection().GetCount(); ++i) out.push_back(document->GetSelection().GetObject(i));
    return out;
  }
  static SMaterialSample Sample(C3dMaterial* material) {
    CHolder holder(material, false, false);
    return material->GetRecord().sample;
  }
  static std::vector<uint8_t> SampleBytes(C3dMaterial* material) {
    const SMaterialSample sample = Sample(material);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&sample);
    return {bytes, bytes + sizeof sample};
  }

  CImportWindow window;
  std::unique_ptr<C3dDocument> document;
  std::unique_ptr<C3dBaseSpoolTable> list;
  std::unique_ptr<C3dBaseSys> working;  // the window's working material lives outside the scene
};

constexpr const char kTriangle[] = "tri 0 0 0 2 0 0 0 1 0\n";

// One mesh is scaled into a cube of 4 centred on (0, 3, 0), selected, left out of any group, given
// family 0 and a material of its own on every face, a copy of the window's material for new objects.
TEST_F(ImportTest, OneMeshIsPlacedSelectedAndKeptOutOfAnyGroup) {
  ASSERT_EQ(Import(std::string("mesh\n") + kTriangle), 0);
  EXPECT_EQ(Answers(), (std::vector<std::pair<int, int>>{{24, 0}, {8, 0}, {27, 0}, {26, 0}, {25, 0}}));
  const std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 1u);
  C3dTriangleMesh* mesh = meshes[0];
  const std::vector<vector3<double>> vertices = Vertices(mesh);
  ASSERT_EQ(vertices.size(), 3u);
  ExpectNear(vertices[0], {-2, 2, 0});
  ExpectNear(vertices[1], {2, 2, 0});
  ExpectNear(vertices[2], {-2, 4, 0});
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{mesh});
  EXPECT_EQ(mesh->GetParent(), nullptr);
  EXPECT_TRUE(Things<C3dGroup>(C3dGroup::kClassTag).empty());
  EXPECT_EQ(mesh->GetCreationWord(0), 0u);
  EXPECT_EQ(mesh->GetCreationWord(1), FamilyColour(0));

  C3dMaterial* material = MaterialOf(mesh);
  ASSERT_NE(material, nullptr);
  EXPECT_NE(material, window.defaultMaterial);
  EXPECT_EQ(material->GetOwningTable(), table);
  for (uint32_t f = 0; f < mesh->GetFaceCount(); ++f) {
    S3dFace face;
    ASSERT_TRUE(mesh->GetFace(f, &face));
    EXPECT_EQ(face.attribute, material->GetHandle());
    EXPECT_EQ(face.cornerFlags[0], S3dFace::kFlatCorner);
  }
  EXPECT_EQ(SampleBytes(material), SampleBytes(window.defaultMaterial));
  EXPECT_EQ(GetImportListCount(), 0u);

  // The plug-in saw the document's handle in slot 0; the window was asked to group the one mesh.
  const std::vector<SPluginCall> calls = Calls(kImport);
  const auto slots = std::find_if(calls.begin(), calls.end(), [](const SPluginCall& c) { return c.selector == "slots"; });
  ASSERT_NE(slots, calls.end());
  EXPECT_EQ(slots->tokens[0], std::to_string(document->GetHandle()));
  EXPECT_NE(std::find(window.calls.begin(), window.calls.end(), "group"), window.calls.end());
}

TEST_F(ImportTest, TwoMeshesBecomeOneSelectedGroupThatFitsTheCube) {
  ASSERT_EQ(Import("mesh\ntri 0 0 0 1 0 0 0 1 0\nmesh\ntri 3 0 0 4 0 0 3 2 0\n"), 0);
  const std::vector<C3dGroup*> groups = Things<C3dGroup>(C3dGroup::kClassTag);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{groups[0]});
  ASSERT_EQ(groups[0]->GetMemberCount(), 2u);
  C3dBox box = C3dBox::Empty();
  for (C3dTriangleMesh* mesh : Meshes()) {
    EXPECT_EQ(mesh->GetParent(), groups[0]);
    EXPECT_FALSE(mesh->IsSelected());
    box.Union(mesh->VertexBox());
  }
  ExpectNear(box.fMin, {-2, 2, 0});
  ExpectNear(box.fMax, {2, 4, 0});
}

// Every property id reaches its field of the mesh's material; the ids without a field change nothing.
TEST_F(ImportTest, MaterialPropertiesSetTheirFieldsAndResetStartsAfresh) {
  std::string text = std::string("mesh\n") + kTriangle;
  const int32_t properties[][2] = {{1, 51},   {2, 0xFF8000}, {3, 102}, {4, 0x0000FF}, {5, 255},  {6, 0x00FF00},
                                   {7, 0},    {8, 0x800000}, {9, 150}, {10, 11},     {11, 12},  {12, 13},
                                   {13, 204}, {14, 5},       {15, 5},  {16, 5},      {99, 5},   {-1, 5}};
  for (const auto& p : properties) text += "prop " + std::to_string(p[0]) + " " + std::to_string(p[1]) + "\n";
  ASSERT_EQ(Import(text), 0);
  for (const auto& [slot, answer] : Answers()) EXPECT_EQ(answer, 0) << slot;
  C3dTriangleMesh* mesh = Meshes().at(0);
  const SMaterialSample before = Sample(window.defaultMaterial);
  const SMaterialSample sample = Sample(MaterialOf(mesh));
  EXPECT_EQ(double(sample.ambience), 51 / 255.0);
  EXPECT_EQ(sample.ambientColour, (vector3<float>{1.0f, float(128 / 255.0), 0.0f}));
  EXPECT_EQ(double(sample.diffusion), 102 / 255.0);
  EXPECT_EQ(sample.diffuseColour, (vector3<float>{0, 0, 1}));
  EXPECT_EQ(double(sample.specularity), 1.0);
  EXPECT_EQ(sample.specularColour, (vector3<float>{0, 1, 0}));
  EXPECT_EQ(double(sample.transparency), 0.0);
  EXPECT_EQ(sample.transparentColour, (vector3<float>{float(128 / 255.0), 0, 0}));
  EXPECT_EQ(double(sample.refractionIndex), 1.5);
  EXPECT_EQ(sample.specCoefficients, (vector3<float>{11, 12, 13}));
  EXPECT_EQ(double(sample.reflection), 204 / 255.0);
  EXPECT_EQ(double(sample.bump), double(before.bump));  // no id sets it
  EXPECT_EQ(double(sample.metallicity), double(before.metallicity));

  // Id 17 resets the material to a new one's defaults.
  ASSERT_EQ(Import(std::string("mesh\n") + kTriangle + "prop 4 255\nprop 17 0\n"), 0);
  C3dMaterial* fresh = MakeObject<C3dMaterial>(working.get());
  C3dTriangleMesh* second = Meshes().at(1);
  EXPECT_EQ(SampleBytes(MaterialOf(second)), SampleBytes(fresh));
}

TEST_F(ImportTest, EachSlotChecksItsDocumentObjectAndPoints) {
  C3dSphere* sphere = MakeShape<C3dSphere>(table);
  ASSERT_EQ(window.FindSceneParts(true), 0);
  const uint32_t doc = HostGetDocument();
  ASSERT_EQ(doc, document->GetHandle());
  int32_t count = 0;
  EXPECT_EQ(HostGetObjectCount(doc, &count), 0);
  EXPECT_EQ(count, 1);
  uint32_t object = 0;
  EXPECT_EQ(HostFindObject(doc, int32_t(sphere->GetId()), &object), 0);
  EXPECT_EQ(object, sphere->GetHandle());
  EXPECT_EQ(HostFindObject(doc, 9999, &object), 6);
  object = 0;
  EXPECT_EQ(HostGetObject(doc, 0, &object), 0);
  EXPECT_EQ(object, sphere->GetHandle());
  EXPECT_EQ(HostGetObject(doc, count, &object), 16);
  EXPECT_EQ(HostGetObject(doc, -1, &object), 16);
  EXPECT_EQ(HostCreateObject(doc, FourCC("cube"), &object), 6);

  uint32_t mesh = 0;
  ASSERT_EQ(HostBeginImport(doc), 0);
  ASSERT_EQ(HostCreateObject(doc, kMeshClass, &mesh), 0);
  C3dTriangleMesh* made = LookupHandleAs<C3dTriangleMesh>(mesh, C3dObject::kHandleTag);
  ASSERT_NE(made, nullptr);
  C3dTriangleMesh* elsewhere = MakeObject<C3dTriangleMesh>(working.get());
  const float p[3] = {0, 0, 0}, q[3] = {1, 0, 0}, r[3] = {0, 1, 0}, nan[3] = {0, NAN, 0};
  const auto triangle = &HostAddTriangle;
  const auto data = &HostMeshData;
  struct SCase {
    const char* what;
    uint32_t document, object;
    const float *first, *second, *third;
    int32_t triangle, data;
  } cases[] = {
      {"first point missing", doc, mesh, nullptr, q, r, 12, 12},
      {"second point missing", doc, mesh, p, nullptr, r, 13, 13},
      {"third point missing", doc, mesh, p, q, nullptr, 14, 14},
      {"a point that is no number", doc, mesh, p, nan, r, 2, 0},
      {"not a mesh", doc, sphere->GetHandle(), p, q, r, 19, 19},
      {"no object", doc, 0, p, q, r, 8, 8},
      {"a mesh of another table", doc, elsewhere->GetHandle(), p, q, r, 8, 8},
      {"another document", doc + 1000, mesh, p, q, r, 7, 7},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(triangle(c.document, c.object, c.first, c.second, c.third), c.triangle) << c.what;
    EXPECT_EQ(data(c.document, c.object, 0, c.first, c.second, c.third), c.data) << c.what;
  }
  EXPECT_EQ(made->GetFaceCount(), 0u);
  EXPECT_EQ(HostSetMaterialProperty(doc, sphere->GetHandle(), 2, 0), 19);
  EXPECT_EQ(HostFinishObject(doc, sphere->GetHandle()), 19);
  EXPECT_EQ(triangle(doc, mesh, p, q, r), 0);
  EXPECT_EQ(made->GetFaceCount(), 1u);

  // An object the window's list does not hold is not deleted; slots 24 and 25 want the document.
  EXPECT_EQ(HostDeleteObject(doc, elsewhere->GetHandle()), 0);
  EXPECT_EQ(elsewhere->GetOwningTable(), working.get());
  EXPECT_EQ(HostBeginImport(doc + 1000), 7);
  EXPECT_EQ(HostEndImport(doc + 1000), 7);
  EXPECT_EQ(GetImportListCount(), 1u);

  // A window no longer current hands out no document, and its handle reaches nothing.
  SetCallbackDocument(nullptr, nullptr);
  EXPECT_EQ(HostGetDocument(), 0u);
  EXPECT_EQ(HostGetObjectCount(doc, &count), 7);
  EXPECT_EQ(triangle(doc, mesh, p, q, r), 7);
  EXPECT_EQ(GetImportListCount(), 0u);
}

// When the mesh's material cannot be made, slot 8 answers the code and the mesh stays: in the scene,
// selected, listed for the import's end, without a material. Each allocation after the mesh's
// selection fails in turn.
TEST_F(ImportTest, AMeshWhoseMaterialFailsStaysWithoutOne) {
  const uint32_t doc = HostGetDocument();
  ASSERT_EQ(HostBeginImport(doc), 0);
  C3dTriangleMesh* failed = nullptr;
  uint32_t succeeded = 0;
  for (int32_t n = 0; n < 24; ++n) {
    const uint32_t materials = MaterialCount();
    window.failAfterSelect = n;
    uint32_t mesh = 0;
    const int32_t answer = HostCreateObject(doc, kMeshClass, &mesh);
    platform::FailNextAllocations(0);
    C3dTriangleMesh* made = LookupHandleAs<C3dTriangleMesh>(mesh, C3dObject::kHandleTag);
    ASSERT_NE(made, nullptr) << n;
    EXPECT_EQ(made->GetOwningTable(), table);
    EXPECT_EQ(Selected(), std::vector<C3dObject*>{made});
    EXPECT_EQ(GetImportListEntry(GetImportListCount() - 1), mesh);
    if (answer == 0) {
      EXPECT_NE(MaterialOf(made), nullptr) << n;
      ++succeeded;
      continue;
    }
    EXPECT_EQ(made->GetMaterialLink(), kNoHandle) << n;
    EXPECT_EQ(MaterialCount(), materials) << n;
    failed = made;
  }
  EXPECT_GT(succeeded, 0u);  // the allocations that can fail were all reached
  ASSERT_NE(failed, nullptr);
  // It is built and placed as any other; its faces hold no material.
  const uint32_t mesh = failed->GetHandle();
  const float p[3] = {0, 0, 0}, q[3] = {1, 0, 0}, r[3] = {0, 1, 0};
  EXPECT_EQ(HostAddTriangle(doc, mesh, p, q, r), 0);
  EXPECT_EQ(HostSetMaterialProperty(doc, mesh, 2, 0), 2);
  EXPECT_EQ(HostFinishObject(doc, mesh), 0);
  EXPECT_EQ(HostEndImport(doc), 0);
  EXPECT_EQ(failed->GetMaterial(), kNoHandle);
  EXPECT_TRUE(std::isfinite(Vertices(failed)[0].x));
}

// A plug-in takes a mesh back through slot 9: it leaves the scene with its material, and the end of
// the import places only what is left.
TEST_F(ImportTest, AMeshDeletedThroughSlotNineIsGoneBeforeTheImportEnds) {
  const uint32_t materials = MaterialCount();
  ASSERT_EQ(Import(std::string("mesh\ntri 5 5 5 9 9 9 5 9 5\ndelete\nmesh\n") + kTriangle), 0);
  EXPECT_EQ(Answers(), (std::vector<std::pair<int, int>>{
                           {24, 0}, {8, 0}, {27, 0}, {9, 0}, {8, 0}, {27, 0}, {26, 0}, {25, 0}}));
  const std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 1u);
  ExpectNear(Vertices(meshes[0])[1], {2, 2, 0});
  EXPECT_EQ(MaterialCount(), materials + 1);
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{meshes[0]});
  EXPECT_TRUE(Things<C3dGroup>(C3dGroup::kClassTag).empty());
}

// Geometry of no extent keeps its size and is centred: no NaN.
TEST_F(ImportTest, AMeshOfOneRepeatedPointIsPlacedAtScaleOne) {
  ASSERT_EQ(Import("mesh\ntri 1 1 1 1 1 1 1 1 1\n"), 0);
  for (const vector3<double>& vertex : Vertices(Meshes().at(0))) EXPECT_EQ(vertex, (vector3<double>{0, 3, 0}));
}

// The import list holds 500 meshes: the 501st is made and selected in its turn, but not placed.
TEST_F(ImportTest, TheFiveHundredAndFirstMeshIsMadeButNotPlaced) {
  std::string text;
  for (int i = 0; i < 501; ++i) text += "mesh\ntri 0 0 0 1 0 0 0 1 0\n";
  ASSERT_EQ(Import(text), 0);
  const std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 501u);
  EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "select new"), 502);  // and the group
  const std::vector<C3dGroup*> groups = Things<C3dGroup>(C3dGroup::kClassTag);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0]->GetMemberCount(), 500u);
  uint32_t unplaced = 0;
  for (C3dTriangleMesh* mesh : meshes) {
    if (mesh->GetParent()) {
      ExpectNear(Vertices(mesh)[0], {-2, 1, 0});
    } else {
      ++unplaced;
      ExpectNear(Vertices(mesh)[0], {0, 0, 0});
    }
  }
  EXPECT_EQ(unplaced, 1u);
}

// A plug-in that fails leaves what it made where it made it; after each command, whether it
// succeeded, failed or never called the plug-in, no plug-in library stays loaded.
TEST_F(ImportTest, AFailedImportKeepsItsMeshesAndNoLibraryStaysLoaded) {
  const std::string library = InFolder(kImport);
  ASSERT_EQ(Import(std::string("mesh\n") + kTriangle + "fail 42\n"), 42);
  EXPECT_FALSE(StillLoaded(library));
  C3dTriangleMesh* mesh = Meshes().at(0);
  ExpectNear(Vertices(mesh)[1], {2, 0, 0});
  EXPECT_TRUE(mesh->IsSelected());
  EXPECT_EQ(GetImportListCount(), 1u);

  // The next command forgets the list before its plug-in runs, even one that never begins an import.
  EXPECT_EQ(Import("", "missing/none.aaa"), 0);
  EXPECT_EQ(GetImportListCount(), 0u);
  EXPECT_FALSE(StillLoaded(library));

  ASSERT_EQ(FindPlugins(folder_.c_str(), ".qno"), 0);
  EXPECT_TRUE(StillLoaded(library));
  ReleasePlugins();  // the dialog was cancelled: no call
  EXPECT_FALSE(StillLoaded(library));

  EXPECT_EQ(Import(std::string("mesh\n") + kTriangle), 0);
  EXPECT_FALSE(StillLoaded(library));
}

// The window's grouping failing fails the import's end with 2; the meshes stay placed and selected.
TEST_F(ImportTest, AGroupingThatFailsAnswersTwo) {
  window.groupResult = 9;
  ASSERT_EQ(Import("mesh\ntri 0 0 0 1 0 0 0 1 0\nmesh\ntri 3 0 0 4 0 0 3 2 0\n"), 0);
  EXPECT_EQ(Answers().back(), (std::pair<int, int>{25, 2}));
  EXPECT_EQ(Selected().size(), 2u);
  EXPECT_EQ(GetImportListCount(), 0u);
}

// The DXF plug-in imports through this host: its meshes, their materials and their placing.
TEST_F(ImportTest, TheDxfPluginBuildsItsMeshesThroughTheHost) {
  std::filesystem::copy_file(std::filesystem::path(QUARN2_PLUGINS_DIR) / "Osprel.qno", folder_ + "/Osprel.qno");
  std::string text;
  const char* const lines[] = {"0", "SECTION", "2", "ENTITIES", "0", "3DFACE", "8", "0", "62", "1",
                               "10", "0", "20", "0", "30", "0", "11", "2", "21", "0", "31", "0",
                               "12", "0", "22", "1", "32", "0", "13", "0", "23", "1", "33", "0",
                               "0", "ENDSEC", "0", "EOF"};
  for (const char* line : lines) text += std::string(line) + "\n";
  ASSERT_EQ(Import(text, "face.DXF"), 0);
  EXPECT_FALSE(StillLoaded(folder_ + "/Osprel.qno"));
  const std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{meshes[0]});
  ASSERT_NE(MaterialOf(meshes[0]), nullptr);
  const C3dBox box = meshes[0]->VertexBox();
  ExpectNear(box.fMin, {-2, 2, 0});
  ExpectNear(box.fMax, {2, 4, 0});
}

}  // namespace
