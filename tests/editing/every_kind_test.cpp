// Every kind of thing a scene holds, rendered on 1, 2, 4 and 8 threads through the render driver and
// the preview tracer: each picture is the one-thread picture byte for byte, and every spooled object's
// lock count is back where it was after each render, a stopped one too. Test.sh runs these under
// ThreadSanitizer as well, which reports any state two render threads write at once. Meshes come from
// the program's own DXF and 3DMF plug-ins; one scene is too large for its objects pool, so that the
// render pages meshes in and out while other threads read.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <functional>
#include <string>
#include <vector>

#include "editing/host_callbacks.h"
#include "framework/core/random.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "render/preview_renderer.h"
#include "render/render_driver.h"
#include "scene/circle.h"
#include "scene/cone.h"
#include "scene/cone_light.h"
#include "scene/cube_light.h"
#include "scene/cylinder.h"
#include "scene/cylinder_light.h"
#include "scene/height_field.h"
#include "scene/pyramid.h"
#include "scene/pyramid_light.h"
#include "scene/render_hold.h"
#include "scene/sky.h"
#include "scene/square.h"
#include "scene/torus.h"
#include "scene/triangle_mesh.h"
#include "tests/document/plugin_fixture.h"
#include "tests/editing/import_window.h"
#include "tests/framework/core/lock_counts.h"
#include "tests/render/render_fixture.h"

namespace {

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 30;
constexpr const char* kThreadCounts[] = {"2", "4", "8"};

class EveryKind;

struct SKindCase {
  const char* name;
  void (EveryKind::*build)();
  // The pools of the case; 0 takes the render tests' own.
  uint32_t objectsBudget = 0;
  uint32_t dataBudget = 0;
};

void PrintTo(const SKindCase& kind, std::ostream* out) { *out << kind.name; }

class EveryKind : public PluginFolderTest<RenderTest>, public ::testing::WithParamInterface<SKindCase> {
 protected:
  uint32_t ObjectsBudget() const override {
    return GetParam().objectsBudget ? GetParam().objectsBudget : RenderTest::ObjectsBudget();
  }
  uint32_t DataBudget() const override {
    return GetParam().dataBudget ? GetParam().dataBudget : RenderTest::DataBudget();
  }

  void SetUp() override {
    PluginFolderTest<RenderTest>::SetUp();
    if (HasFatalFailure()) return;
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    material = MakeObject<C3dMaterial>(table);
    ASSERT_NE(material, nullptr);
    CHolder holder(material, true, false);
    material->GetRecord().sample.diffuseColour = {0.8f, 0.6f, 0.3f};
    settings.fFlags = SRenderSettings::kDefaultFlags;
    request.scene = table;
    request.settings = &settings;
    request.camera = LookFrom({3, 6, -9}, {0, 2, 0});
  }
  void TearDown() override {
    SetCallbackDocument(nullptr, nullptr);
    document.reset();
    list.reset();
    PluginFolderTest<RenderTest>::TearDown();
  }

 public:
  // ---- the scenes, which the case table names: each case's things stand on a floor, lit by a sun
  // unless the case is a light

  void Floor() {
    C3dPlane* floor = NewPlane(0);
    ChangeMaterial(floor, [](SMaterialRecord& r) { r.sample.reflection = 0.3; });
  }
  void Sun() {
    auto* sun = MakeObject<C3dSunLight>(table);
    sun->SetDirection({0.4, 0.8, -0.45});
  }
  void Lit(C3dObject* object, vector3<double> scale, vector3<double> at) {
    Place(object, scale, at);
    Floor();
    Sun();
  }
  template <typename T>
  void Shape() {
    Lit(MakeShape<T>(table), {2, 2, 2}, {0, 1.5, 0});
  }
  void Torus() {
    C3dTorus* torus = MakeShape<C3dTorus>(table);
    torus->SetMinorRadius(1);
    torus->SetMajorRadius(3);
    torus->GetPlacement().SetRotation({0.6, 0, 0.3});
    Lit(torus, {0.5, 0.5, 0.5}, {0, 2, 0});
  }
  void Plane() {
    C3dPlane* plane = MakeShape<C3dPlane>(table);
    plane->GetPlacement().SetRotation({0.3, 0, 0.2});
    Lit(plane, {1, 1, 1}, {0, 1, 0});
  }

  // A mesh without a material of its own takes the case's.
  C3dTriangleMesh* NewMesh() {
    C3dTriangleMesh* mesh = MakeObject<C3dTriangleMesh>(table);
    if (mesh) mesh->SetMaterial(material->GetHandle());
    return mesh;
  }
  // The file imported through the program's plug-ins into a document on the table.
  void Import(const std::string& name, const std::string& text) {
    std::filesystem::copy_file(std::filesystem::path(QUARN2_PLUGINS_DIR) / "Osprel.qno", folder_ + "/Osprel.qno");
    std::filesystem::copy_file(std::filesystem::path(QUARN2_PLUGINS_DIR) / "Vendrix.qno", folder_ + "/Vendrix.qno");
    list = std::make_unique<C3dBaseSpoolTable>(ObjectsEnv());
    window.scene = table;
    window.list = list.get();
    window.defaultMaterial = material;
    document = std::make_unique<C3dDocument>(&window);
    window.document = document.get();
    SetCallbackDocument(document.get(), &window);
    const std::string path = dir_ + "/" + name;
    if (!text.empty()) std::ofstream(path) << text;
    ASSERT_EQ(ImportThroughPlugins(folder_, path), 0) << name;
    ASSERT_GE(CountOf(C3dTriangleMesh::kClassTag), 1u) << name;
  }
  uint32_t CountOf(uint32_t classTag) {
    uint32_t count = 0;
    CHolder holder(table, false, false);
    for (uint32_t row = 0; row < table->GetCount(); ++row) count += (*table)[row].object->GetClass() == classTag;
    return count;
  }
  // Upright cylinders: circles with thickness, drawn by ezdxf.
  void DxfMeshes() {
    const std::string path = dir_ + "/circles.dxf";
    const std::string command =
        std::string("/usr/bin/python3 ") + QUARN2_CIRCLES_SCRIPT + " '" + path + "' 12 > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Import("circles.dxf", "");
    Floor();
    Sun();
  }
  // A smooth ellipsoid and a box, which come in as two meshes in a group.
  void MetafileMeshes() {
    Import("shapes.t3d",
           "3DMetafile ( 1 0 Normal > )\n"
           "Ellipsoid ( 0 0 1.5 1 0 0 0 1 0 0 0 0 )\n"
           "Box ( 1 0 0 0 1 0 0 0 1 1 0 0.5 )\n");
    Floor();
    Sun();
  }
  void Stone() {
    GetRandomState() = {12345, 1, 1};
    C3dTriangleMesh* stone = NewMesh();
    ASSERT_EQ(stone->Optimize(), 0);
    Lit(stone, {2.5, 2.5, 2.5}, {0, 1.5, 0});
  }
  // A height field of side n whose heights the function gives.
  C3dHeightField* NewField(uint32_t n, const std::function<uint32_t(uint32_t, uint32_t)>& height) {
    C3dHeightField* field = MakeShape<C3dHeightField>(table);
    EXPECT_EQ(field->SetResolution(n), 0);
    {
      CHolder holder(field, true, false);
      CHFUnit* grid = field->GetGrid();
      for (uint32_t z = 0; z < n; ++z)
        for (uint32_t x = 0; x < n; ++x) grid[z * n + x] = CHFUnit(height(x, z));
    }
    field->SetBoxAndPivot();
    EXPECT_EQ(field->BuildTiles(), 0);
    return field;
  }
  // A field's box of 5 × 2 × 5 around the point.
  void Terrain(C3dHeightField* field, vector3<double> at) {
    field->SetScaledSize({5, 2, 5});
    field->GetPlacement().SetPosition(at);
    Floor();
    Sun();
  }
  void SymmetricLattice() {
    C3dHeightField* field = NewField(32, [](uint32_t x, uint32_t z) { return (x * 7919 + z * 104729) % 40000 + 5000; });
    field->SetSymmetric(true);
    field->SetBoxAndPivot();
    Terrain(field, {0, 2, 0});
  }
  // A 32 × 32 picture of rings.
  void PictureField() {
    int32_t error = 0;
    std::unique_ptr<CImage> picture(NewDataImage(32, 32, &error));
    ASSERT_NE(picture, nullptr) << error;
    {
      CImNavigator nav(picture.get(), nullptr, true, false);
      ASSERT_TRUE(nav.IsUsable());
      for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
          const double r = std::hypot(double(x) - 15.5, double(y) - 15.5);
          const uint32_t grey = uint32_t(127.5 + 127.5 * std::cos(r * 0.6));
          nav.Cells(y)[x].value = 0xFF000000 | grey << 16 | grey << 8 | grey;
        }
    }
    C3dHeightField* field = MakeShape<C3dHeightField>(table);
    ASSERT_EQ(field->SetFromImage(picture.get()), 0);
    Terrain(field, {0, 1, 0});
  }
  // A sphere carved by a cube, kept within a stone: a mesh among the members.
  void BooleanGroup() {
    C3dSphere* kept = NewSphere({2, 2, 2}, {0, 1.5, 0});
    kept->SetStateFlags(C3dObject::kPositive);
    C3dCube* carved = MakeShape<C3dCube>(table);
    Place(carved, {1.5, 1.5, 1.5}, {0.8, 2.2, -0.8});
    carved->SetStateFlags(C3dObject::kNegative);
    GetRandomState() = {777, 13, 2};
    C3dTriangleMesh* stone = NewMesh();
    ASSERT_EQ(stone->Optimize(), 0);
    Place(stone, {2.6, 2.6, 2.6}, {0.3, 1.4, 0});
    stone->SetStateFlags(C3dObject::kIntersect);
    NewGroup({kept, carved, stone});
    ASSERT_EQ(C3dGroup::RelinkGroups(table), 0);
    Floor();
    Sun();
  }
  void PictureTexture() {
    C3dSphere* ball = NewSphere({2, 2, 2}, {0, 1.5, 0});
    Texture(ball, NewChecker());
    Floor();
    Sun();
  }
  void ProceduralTexture() {
    C3dSphere* ball = NewSphere({2, 2, 2}, {0, 1.5, 0});
    Texture(ball, NewNoise());
    Floor();
    Sun();
  }
  // Both cloud layers of a sky with fog and shadow lightening, seen from low down.
  void Clouds() {
    Shape<C3dSphere>();
    request.sky = NewCloudySky();
    request.camera = LookFrom({2, 1, -8}, {0, 4, 0});
  }
  // A light above a ball on the floor, aimed straight down, with a soft edge where the kind has one.
  template <typename T>
  void Lamp() {
    NewSphere({2, 2, 2}, {0.5, 1, 0});
    Floor();
    SObjectKey key;
    SSpoolTableSpec spec;
    MakeCreationKey<T>(ObjectsEnv(), key, spec);
    T* light = nullptr;
    ASSERT_EQ(T::NewWithMaterial(&light, table, key, spec, kNoHandle), 0);
    light->SetScaledSize({3, 3, 3});
    light->GetPlacement().SetPosition({0, 6, 0});
    light->SetColour({1, 1, 1});
    light->SetIntensity(7);
    light->SetRadius(0.4);
  }
  void SunLight() {
    NewSphere({2, 2, 2}, {0, 1, 0});
    Floor();
    Sun();
  }
  // Six meshes of about 50 KB each in an objects pool of 256 KB, which they do not fit, nor do their
  // rays' data (80 KB each) fit the data pool of 384 KB: renders hold three quarters of it and page
  // the rest in while other threads read.
  void MoreThanThePool() {
    uint64_t bytes = 0;
    for (int k = 0; k < 6; ++k) {
      C3dTriangleMesh* mesh = NewMesh();
      const int n = 16;
      const auto at = [n](int a, int b) {
        const double polar = M_PI * a / n, azimuth = 2 * M_PI * b / n;
        return vector3<double>{std::sin(polar) * std::cos(azimuth), std::cos(polar), std::sin(polar) * std::sin(azimuth)};
      };
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
          ASSERT_EQ(mesh->AddTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1)), 0);
          ASSERT_EQ(mesh->AddTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1)), 0);
        }
      mesh->ComputeBounds();
      ASSERT_EQ(mesh->ComputeVertexNormals(C3dTriangleMesh::kSmoothAngle), 0);
      mesh->SetAllFacesVisible(true);
      Place(mesh, {1.2, 1.2, 1.2}, {(k % 3) * 1.5 - 1.5, 1 + (k / 3) * 1.5, k * 0.2});
      bytes += mesh->GetSpooledBytes();
    }
    ASSERT_GT(bytes, ObjectsBudget());
    Floor();
    Sun();
  }

 protected:
  // ---- the renders

  std::vector<uint32_t> DriverPicture(const char* threads) {
    setenv("QUARN2_THREADS", threads, 1);
    SetPixels(0);
    context->ResetProgressive();
    EXPECT_EQ(RenderSceneImage(*context, request), 0) << threads;
    return Pixels();
  }
  std::vector<uint32_t> PreviewPicture(const char* threads) {
    setenv("QUARN2_THREADS", threads, 1);
    CPreviewRenderer preview;
    preview.SetScene(context.get());
    preview.GetSettings().fFlags = settings.fFlags;
    preview.SetBlockSize(4);
    preview.SetAntialias(true);
    SetPixels(0);
    target = std::make_unique<CRenderTarget>(image);
    context->SetTarget(target.get());
    EXPECT_EQ(PrepareSky(request.sky, table, preview.GetSettings()), 0);
    preview.GetCamera().SetFromCamera(*request.camera, kWidth, kHeight);
    EXPECT_EQ(preview.Prepare(kWidth, kHeight), 0);
    EXPECT_TRUE(context->SetupView(true));
    preview.Restart();
    EXPECT_EQ(preview.Render(image->GetBounds(), false), 0) << threads;
    std::vector<uint32_t> pixels = Pixels();
    // The context goes back to the records the driver binds.
    context->SetSettings(&settings);
    context->SetCamera(&frame);
    return pixels;
  }
  // A driver render that Space stops: the workers end and everything they read is let go.
  void StoppedRender() {
    setenv("QUARN2_THREADS", "4", 1);
    context->ResetProgressive();
    settings.fFlags |= SRenderSettings::kAntialiasPass;
    ASSERT_TRUE(platform::headless::AddScript("key 32\n"));
    const int32_t result = RenderSceneImage(*context, request);
    EXPECT_TRUE(result == 24 || result == 0) << result;
    app->FlushInput();
    settings.fFlags &= ~SRenderSettings::kAntialiasPass;
    context->ResetProgressive();
  }
  LockCountMap Counts() const { return LockCounts({ObjectsEnv(), DataEnv(), DiscardEnv()}); }

  // The material that meshes made here share, and that imported meshes copy.
  C3dMaterial* material = nullptr;
  SRenderRequest request;
  CImportWindow window;
  std::unique_ptr<C3dDocument> document;
  std::unique_ptr<C3dBaseSpoolTable> list;
};

TEST_P(EveryKind, RendersTheSamePictureOnAnyNumberOfThreadsAndLeavesNoLock) {
  (this->*GetParam().build)();
  if (HasFatalFailure()) return;
  int32_t error = 0;
  image = NewDataImage(kWidth, kHeight, &error);
  ASSERT_NE(image, nullptr) << error;
  request.image = image;
  request.area = image->GetBounds();
  const LockCountMap before = Counts();

  const std::vector<uint32_t> one = DriverPicture("1");
  // A picture of the thing, not of nothing.
  size_t differing = 0;
  for (uint32_t pixel : one) differing += pixel != one.front();
  EXPECT_GT(differing, one.size() / 20) << "the picture is nearly uniform";
  EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << "after the render on one thread";
  for (const char* threads : kThreadCounts) {
    EXPECT_EQ(DriverPicture(threads), one) << "the render on " << threads << " threads";
    EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << "after the render on " << threads << " threads";
  }

  const std::vector<uint32_t> preview = PreviewPicture("1");
  EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << "after the preview on one thread";
  for (const char* threads : kThreadCounts) {
    EXPECT_EQ(PreviewPicture(threads), preview) << "the preview on " << threads << " threads";
    EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << "after the preview on " << threads << " threads";
  }

  StoppedRender();
  EXPECT_EQ(ChangedLockCounts(before, Counts()), LockCountMap{}) << "after a stopped render";
  EXPECT_EQ(CRenderHold::HeldBytes(), 0u);
}

const SKindCase kKinds[] = {
    {"Sphere", &EveryKind::Shape<C3dSphere>},
    {"Cube", &EveryKind::Shape<C3dCube>},
    {"Pyramid", &EveryKind::Shape<C3dPyramid>},
    {"Cone", &EveryKind::Shape<C3dCone>},
    {"Cylinder", &EveryKind::Shape<C3dCylinder>},
    {"Torus", &EveryKind::Torus},
    {"Disk", &EveryKind::Shape<C3dCircle>},
    {"Square", &EveryKind::Shape<C3dSquare>},
    {"Plane", &EveryKind::Plane},
    {"MeshesFromADxfImport", &EveryKind::DxfMeshes},
    {"MeshesFromA3dmfImport", &EveryKind::MetafileMeshes},
    {"Stone", &EveryKind::Stone},
    {"SymmetricLattice", &EveryKind::SymmetricLattice},
    {"HeightFieldFromAPicture", &EveryKind::PictureField},
    {"BooleanGroupWithAMesh", &EveryKind::BooleanGroup},
    {"PictureTexture", &EveryKind::PictureTexture},
    {"ProceduralTexture", &EveryKind::ProceduralTexture},
    {"Clouds", &EveryKind::Clouds},
    {"RadialLight", &EveryKind::Lamp<C3dSphereLight>},
    {"SpotLight", &EveryKind::Lamp<C3dConeLight>},
    {"SquareSpotLight", &EveryKind::Lamp<C3dPyramidLight>},
    {"ParallelLight", &EveryKind::Lamp<C3dCubeLight>},
    {"CircularParallelLight", &EveryKind::Lamp<C3dCylinderLight>},
    {"SunLight", &EveryKind::SunLight},
    {"MeshesLargerThanTheirPools", &EveryKind::MoreThanThePool, 256u << 10, 384u << 10},
};

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<SKindCase>& info) { return std::string(info.param.name); });

}  // namespace
