// The import command of the document window: the plug-ins of its "Plugins" folder loaded for the
// command, the file chosen among their formats, and the meshes placed, selected and grouped; with the
// test import plug-in, and with the DXF and 3DMF plug-ins the program comes with.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editing/group_action.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "editing/undoable_action.h"
#include "scene/triangle_mesh.h"
#include "tests/app/doc_commands_fixture.h"

namespace {

namespace fs = std::filesystem;

class DocImport : public DocCommandsTest {
 protected:
  // The text in a file of the folder, imported through the command with the dialog answered.
  int32_t Import(const std::string& name, const std::string& text) {
    std::ofstream(Path(name), std::ios::binary) << text;
    ClearLog();
    Answer("open " + Path(name));
    return window->ImportObject();
  }
  void InstallProgramPlugin(const char* name) {
    fs::copy_file(fs::path(QUARN2_PLUGINS_DIR) / name, fs::path(folder_) / name);
  }
  std::vector<C3dTriangleMesh*> Meshes() {
    std::vector<C3dTriangleMesh*> found;
    for (C3dBase* thing : Things(C3dTriangleMesh::kFamily, C3dTriangleMesh::kClassTag))
      found.push_back(static_cast<C3dTriangleMesh*>(thing));
    return found;
  }
  static std::vector<vector3<double>> Vertices(C3dTriangleMesh* mesh) {
    std::vector<vector3<double>> points(mesh->GetVertexCount());
    for (uint32_t i = 0; i < points.size(); ++i) EXPECT_TRUE(mesh->GetVertex(i, &points[i]));
    return points;
  }
  // The world box of the mesh's vertices.
  static C3dBox WorldBox(C3dTriangleMesh* mesh) {
    C3dBox box = C3dBox::Empty();
    for (const vector3<double>& p : Vertices(mesh)) box.Extend(p);
    return box;
  }
  // Selector 7 calls the plug-in logged.
  size_t ImportCalls() const {
    size_t count = 0;
    for (const SPluginCall& call : Calls()) count += call.selector == "7";
    return count;
  }
  static void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
  }
};

constexpr const char kTriangle[] = "mesh\ntri 0 0 0 2 0 0 0 1 0\n";
constexpr const char kTwoMeshes[] = "mesh\ntri 0 0 0 1 0 0 0 1 0\nmesh\ntri 3 0 0 4 0 0 3 2 0\n";

// One mesh is scaled into the cube of 4 above the origin, selected alone and in no group; its
// extension is found in any case.
TEST_F(DocImport, OneMeshIsPlacedAndSelected) {
  CDocWindow& w = Made();
  Install(kImport);
  ASSERT_EQ(Import("one.AAA", kTriangle), 0);
  const std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 1u);
  const std::vector<vector3<double>> vertices = Vertices(meshes[0]);
  ASSERT_EQ(vertices.size(), 3u);
  ExpectNear(vertices[0], {-2, 2, 0});
  ExpectNear(vertices[1], {2, 2, 0});
  ExpectNear(vertices[2], {-2, 4, 0});
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0), meshes[0]);
  EXPECT_EQ(meshes[0]->GetParent(), nullptr);
  EXPECT_EQ(meshes[0]->GetCreationWord(0), 0u);
  EXPECT_NE(meshes[0]->GetMaterial(), kNoHandle);
  // The mesh is in the object list the view draws, and the document has changed.
  const std::vector<C3dBase*> listed = Rows(w.GetObjectList());
  EXPECT_NE(std::find(listed.begin(), listed.end(), meshes[0]), listed.end());
  EXPECT_TRUE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  EXPECT_TRUE(w.GetDirtyBits() & CDocWindow::kDirtyView);
  EXPECT_FALSE(StillLoaded(InFolder(kImport)));
}

// Two meshes become one new group, selected alone, whose box lies 0.001 outside theirs.
TEST_F(DocImport, TwoMeshesBecomeOneGroup) {
  CDocWindow& w = Made();
  Install(kImport);
  ASSERT_EQ(Import("two.aaa", kTwoMeshes), 0);
  const std::vector<C3dBase*> groups = Things(C3dGroup::kFamily, C3dGroup::kClassTag);
  ASSERT_EQ(groups.size(), 1u);
  auto* group = static_cast<C3dGroup*>(groups[0]);
  ASSERT_EQ(Selection().GetCount(), 1u);
  EXPECT_EQ(Selection().GetObject(0), group);
  ASSERT_EQ(group->GetMemberCount(), 2u);
  C3dBox members = C3dBox::Empty();
  for (C3dTriangleMesh* mesh : Meshes()) {
    EXPECT_EQ(mesh->GetParent(), group);
    EXPECT_FALSE(mesh->IsSelected());
    members.Union(mesh->WorldBox());
  }
  ExpectNear(group->GetBox().fMin, members.fMin - vector3<double>{0.001, 0.001, 0.001});
  ExpectNear(group->GetBox().fMax, members.fMax + vector3<double>{0.001, 0.001, 0.001});
  EXPECT_EQ(group->GetGroupNumber(), 1u);
  // The grouping is the import's one undo step: undone, the meshes stand alone, selected.
  ASSERT_NE(dynamic_cast<CGroupAction*>(w.GetDocument()->GetUndoHistory().GetCurrentAction()), nullptr);
  ASSERT_EQ(w.GetDocument()->GetUndoHistory().Undo(), 0);
  EXPECT_EQ(Selection().GetCount(), 2u);
  for (C3dTriangleMesh* mesh : Meshes()) EXPECT_EQ(mesh->GetParent(), nullptr);
}

// However the command ends, no plug-in library stays loaded; a dialog cancelled or a path the block
// cannot hold never reaches the plug-in.
TEST_F(DocImport, NoPluginStaysLoadedAfterTheCommand) {
  CDocWindow& w = Made();
  Install(kImport);
  const std::string library = InFolder(kImport);
  EXPECT_EQ(Import("failing.aaa", std::string(kTriangle) + "fail 42\n"), 42);
  EXPECT_FALSE(StillLoaded(library));
  EXPECT_EQ(Meshes().size(), 1u);

  ClearLog();
  Answer("cancel");
  EXPECT_EQ(w.ImportObject(), 24);
  EXPECT_FALSE(StillLoaded(library));
  EXPECT_EQ(ImportCalls(), 0u);

  // 260 bytes do not fit the block's path field with its terminator.
  const std::string folder = dir_ + "/" + std::string(200, 'd');
  fs::create_directory(folder);
  const std::string name = folder.substr(dir_.size() + 1) + "/" + std::string(260 - folder.size() - 5, 'n') + ".aaa";
  ASSERT_EQ(Path(name).size(), 260u);
  EXPECT_EQ(Import(name, kTriangle), -120);
  EXPECT_EQ(ImportCalls(), 0u);
  EXPECT_FALSE(StillLoaded(library));
  EXPECT_EQ(Meshes().size(), 1u);
}

// The program's own plug-ins: the filter offers their formats after "All formats", a DXF circle
// comes in as one placed mesh, and neither library stays loaded.
TEST_F(DocImport, TheDxfAndThreeDmfPluginsImportThroughTheProgram) {
  Made();
  InstallProgramPlugin("Osprel.qno");
  InstallProgramPlugin("Vendrix.qno");
  const std::string circle =
      "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\nA\n62\n1\n10\n0\n20\n0\n30\n0\n40\n1\n0\nENDSEC\n0\nEOF\n";
  ASSERT_EQ(Import("circle.dxf", circle), 0);
  const std::string filter = platform::headless::AskedDialogs().back().request.filter;
  constexpr char kFilter[] =
      "All formats\0*.t3d;*.b3d;*.dxf\0"
      "3DMF (ASCII) Files (*.t3d)\0*.t3d\0"
      "3DMF (Binary) Files (*.b3d)\0*.b3d\0"
      "DXF Files (*.dxf)\0*.dxf\0";
  EXPECT_EQ(filter, std::string(kFilter, sizeof kFilter - 1));
  std::vector<C3dTriangleMesh*> meshes = Meshes();
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0]->GetFaceCount(), 20u);
  ExpectNear(WorldBox(meshes[0]).fMin, {-2, 1, 0}, 1e-4);
  ExpectNear(WorldBox(meshes[0]).fMax, {2, 5, 0}, 1e-4);
  EXPECT_FALSE(StillLoaded(InFolder("Osprel.qno")));

  ASSERT_EQ(Import("box.t3d", "3DMetafile ( 1 0 Normal > )\nBox ( 1 0 0 0 1 0 0 0 1 0 0 0 )\n"), 0);
  meshes = Meshes();
  ASSERT_EQ(meshes.size(), 2u);
  C3dTriangleMesh* box = meshes[1];
  EXPECT_EQ(box->GetFaceCount(), 12u);
  ExpectNear(WorldBox(box).fMin, {-2, 1, -2}, 1e-4);
  ExpectNear(WorldBox(box).fMax, {2, 5, 2}, 1e-4);

  // A file of no geometry gives one empty mesh, placed without a NaN.
  ASSERT_EQ(Import("empty.t3d", "3DMetafile ( 1 0 Normal > )\n"), 0);
  meshes = Meshes();
  ASSERT_EQ(meshes.size(), 3u);
  EXPECT_EQ(meshes[2]->GetVertexCount(), 0u);
  const C34Matrix& placed = meshes[2]->GetObjectToWorld();
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(std::isfinite(placed.m[i])) << i;
  EXPECT_FALSE(StillLoaded(InFolder("Vendrix.qno")));
}

}  // namespace
