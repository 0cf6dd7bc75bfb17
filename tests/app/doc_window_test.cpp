// The document window's object: its initialisation, the view cameras, the default scene, the render
// camera it caches and its render to disk, and zooming in both views.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/layout_needs.h"
#include "document/render_to_disk.h"
#include "editing/camera_action.h"
#include "editing/undo_history.h"
#include "framework/core/ix_text.h"
#include "framework/image/ix_image.h"
#include "platform/alloc.h"
#include "scene/factory.h"
#include "scene/light.h"
#include "scene/plane.h"
#include "scene/sky.h"
#include "scene/sphere.h"
#include "scene/sun_light.h"
#include "scene/surface/material.h"
#include "scene/surface/pict_texture.h"
#include "scene/surface/texture.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/document/plugin_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

uint64_t Bits(double value) { return std::bit_cast<uint64_t>(value); }

bool Near(const vector3<double>& a, const vector3<double>& b, double tolerance) {
  return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance && std::fabs(a.z - b.z) <= tolerance;
}

// The real layout with its "doc text" list replaced, compiled into a file of its own.
class DocWindowLayoutTest : public DocWindowTest {
 protected:
  std::unique_ptr<CResourceEnv> LayoutWithTitles(const std::string& texts) {
    std::ifstream in(QUARN2_LAYOUT_SOURCES "/docwindow.layout");
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t start = source.find("texts \"doc text\"");
    const size_t end = source.find("}\n", start) + 2;
    source.replace(start, end - start, texts);
    for (size_t at = 0; (at = source.find("pictures/", at)) != std::string::npos; at += 40)
      source.replace(at, 9, QUARN2_LAYOUT_SOURCES "/pictures/");
    const std::string path = tmp_.Path() + "/docwindow.layout", out = tmp_.Path() + "/docwindow.dat";
    std::ofstream(path) << source;
    std::filesystem::remove(out);
    EXPECT_EQ(std::system((std::string(RESBUILD_PATH) + " '" + path + "' '" + out + "'").c_str()), 0);
    CFileSpec spec;
    spec.Set(out.c_str());
    return std::make_unique<CResourceEnv>(spec, CFile::kModeRead);
  }

  CPrivateTmpDir tmp_{"quarn2-docwindow"};
};

TEST_F(DocWindowTest, InitSetsUpANewDocument) {
  CDocWindow& w = Made();
  EXPECT_EQ(w.GetRenderOptions(), 9151u);
  EXPECT_EQ(w.GetMode(), CDocWindow::kWireframeShown);
  EXPECT_EQ(w.GetFlags() & CDocWindow::kUnsavedChanges, 0u);
  EXPECT_EQ(w.GetDirtyBits(), 0u);
  EXPECT_STREQ(w.GetTitle(), "Untitled");
  EXPECT_EQ(w.GetWindowImageSize(), kSize);
  EXPECT_EQ(w.GetRenderImageSize(), kSize);
  const CDocSettings& settings = *w.GetSettings();
  const uint32_t region[4] = {0, 0, 360, 480};
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(settings.GetWord(CDocSettings::kRegionTop + i), region[i]) << i;
  {
    CImNavigator pixels(w.GetRenderedImage(), nullptr, false, false);
    ASSERT_TRUE(pixels.IsUsable());
    uint32_t notWhite = 0;
    for (uint32_t y = 0; y < 360; ++y) {
      for (uint32_t x = 0; x < 480; ++x) notWhite += pixels.Cells(y)[x].value != 0xFFFFFFFF;
    }
    EXPECT_EQ(notWhite, 0u);
  }
  EXPECT_EQ(w.GetWindowImage()->GetWidth(), 480u);
  EXPECT_EQ(w.GetZoomLevel(), 0);
  EXPECT_EQ(w.GetVisiblePart(), (SRect{0, 0, 360, 480}));
  EXPECT_EQ(w.GetPresetFolder(), "Presets\\");
  CIxTxHolder held(w.GetPresetLibraries(), true);
  EXPECT_STREQ(w.GetPresetLibraries()->TextAt(3), "Water.shd");
  const CDocRenderState& render = w.GetRenderState();
  EXPECT_EQ(render.fScene, w.GetSceneTable());
  EXPECT_EQ(render.fSky, w.GetSky());
  EXPECT_EQ(render.fAntialiasChoice, 0u);
  EXPECT_EQ(render.fOptimizerChoice, 0u);
  EXPECT_EQ(render.fContext.GetSettings(), &render.fSettings);
  EXPECT_EQ(w.GetSetUpCamera(), w.GetViewCamera(CDocWindow::kPerspective));
  EXPECT_EQ(w.GetPatchRenderPictures()->Count(), 3u);
  EXPECT_EQ(w.GetPatchRenderPictures()->Selected(), 0u);
}

// Entry 0 of "doc text" names a new document, cut to 63 characters; without the list it is "Untitled".
TEST_F(DocWindowLayoutTest, TheTitleComesFromTheLayout) {
  const std::string longTitle(80, 'x');
  struct SCase {
    std::string texts;
    std::string title;
  } cases[] = {
      {"", "Untitled"},
      {"texts \"doc text\" {\n    0 \"Mountains\"\n}\n", "Mountains"},
      {"texts \"doc text\" {\n    0 \"" + longTitle + "\"\n}\n", std::string(63, 'x')},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.title);
    delete window;
    window = nullptr;
    std::unique_ptr<CResourceEnv> variant = LayoutWithTitles(c.texts);
    ASSERT_EQ(Make(kSize, kSize, variant.get()), 0);
    EXPECT_EQ(std::string(window->GetTitle()), c.title);
    delete window;
    window = nullptr;
  }
}

TEST_F(DocWindowTest, InitAgainLeavesOneHeartbeatRowAndTheDestructorNone) {
  CDocWindow& w = Made();
  ASSERT_EQ(w.Init(textures.get(), kSize, kSize), 0);
  const void* key = w.HeartbeatOwner();
  auto rows = [&] {
    uint32_t n = 0;
    CCmFunction& heartbeat = *app->GetHeartbeat();
    for (uint32_t i = 0; i < heartbeat.GetCount(); ++i) n += heartbeat[i].owner == key;
    return n;
  };
  EXPECT_EQ(rows(), 1u);
  // The canvas's own hover row stays: the window's row has a key of its own.
  EXPECT_TRUE(app->IsHeartbeatSubscriber(window));
  delete window;
  window = nullptr;
  EXPECT_EQ(rows(), 0u);
}

// One allocation of Init refused at a time: the step that fails answers its code, and the window
// frees what Init made so far. The first refusals reach the images, later ones the scene table.
TEST_F(DocWindowTest, AFailingStepAnswersItsCodeAndTheDestructorFreesWhatWasMade) {
  bool imageRefused = false, tableRefused = false;
  int32_t result = -1;
  for (uint32_t successes = 0; successes < 1500 && !(imageRefused && tableRefused); ++successes) {
    delete window;
    window = new CDocWindow(owner, layout.get());
    ASSERT_EQ(window->BuildOnce(), 0);
    platform::FailAllocationsAfter(successes, 1);
    result = window->Init(textures.get(), kSize, kSize);
    platform::FailAllocationsAfter(0, 0);
    if (result == kErrOutOfMemory && !window->GetWindowImage()) imageRefused = true;
    if (result == kErrOutOfMemory && window->GetWindowImage() && !window->GetSceneTable()) tableRefused = true;
  }
  EXPECT_TRUE(imageRefused);
  EXPECT_TRUE(tableRefused);
  // An image of no size cannot be made either.
  delete window;
  window = new CDocWindow(owner, layout.get());
  ASSERT_EQ(window->BuildOnce(), 0);
  EXPECT_EQ(window->Init(textures.get(), {0, 360}, kSize), kErrOutOfMemory);
}

// The fifteen cameras in their order with the standard views' set-ups and what every view camera gets.
TEST_F(DocWindowTest, TheViewCameras) {
  CDocWindow& w = Made();
  const char* names[] = {"perspective", "top",  "right", "front", "left", "back", "bottom", "dot0",
                         "dot1",        "dot2", "dot3",  "dot4",  "dot5", "dot6", "dot7"};
  const std::vector<C3dBase*> cameras = Things(C3dCamera::kFamily);
  ASSERT_EQ(cameras.size(), 15u);
  for (uint32_t i = 0; i < 15; ++i) {
    SCOPED_TRACE(names[i]);
    auto* camera = static_cast<C3dCamera*>(cameras[i]);
    EXPECT_EQ(camera, w.GetViewCamera(i));
    EXPECT_EQ(NameOf(camera), names[i]);
    EXPECT_TRUE(camera->GetFlags() & 4);
    EXPECT_EQ(camera->GetStateFlags() & (1 | 0x4000 | 0x8000 | 0x10000), 1u | 0x4000);
    EXPECT_EQ(camera->GetWireDetail(), 16u);
    EXPECT_LE(camera->GetCreationWord(0), 25u);
    EXPECT_EQ(camera->GetCreationWord(1), 0x000BF4u);
  }
  EXPECT_EQ(w.GetCurrentCamera(), cameras[0]);

  struct SCase {
    uint32_t view;
    vector3<double> position;
    vector3<double> direction;
    vector3<double> up;
    double scale;
  } cases[] = {
      {CDocWindow::kTop, {0, 500, 0}, {0, -1, 0}, {0, 0, 1}, 5.0},
      {CDocWindow::kRight, {500, 1, 0}, {-1, 0, 0}, {0, 1, 0}, 1.0},
      {CDocWindow::kFront, {0, 1, -500}, {0, 0, 1}, {0, 1, 0}, 1.0},
      {CDocWindow::kLeft, {-500, 1, 0}, {1, 0, 0}, {0, 1, 0}, 1.0},
      {CDocWindow::kBack, {0, 1, 500}, {0, 0, -1}, {0, 1, 0}, 1.0},
      {CDocWindow::kBottom, {0, -500, 0}, {0, 1, 0}, {0, 0, 1}, 1.0},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(names[c.view]);
    C3dCamera* camera = w.GetViewCamera(c.view);
    CHolder holder(camera, false, false);
    const SCameraView& view = camera->GetView();
    EXPECT_EQ(camera->GetTransformVector3(), c.position);
    EXPECT_EQ(view.direction, c.direction);
    EXPECT_EQ(view.up, c.up);
    EXPECT_EQ(Bits(view.fieldAngle), 0x3FC656ED1CE64946u);
    EXPECT_EQ(view.scale, c.scale);
    EXPECT_EQ(view.extentX, 0.5);
    EXPECT_EQ(view.extentY, 0.5);
    EXPECT_EQ(view.aspect, 1.0);
    EXPECT_EQ(view.offsetX, 0.0);
  }
  C3dCamera* perspective = w.GetViewCamera(CDocWindow::kPerspective);
  {
    CHolder holder(perspective, false, false);
    const SCameraView& view = perspective->GetView();
    EXPECT_EQ(perspective->GetTransformVector3(), (vector3<double>{10, 3, -10}));
    EXPECT_EQ(view.target, (vector3<double>{0, 3, 0}));
    EXPECT_TRUE(Near(view.direction, vector3<double>{-1, 0, 1} * (1 / std::sqrt(2.0)), 1e-12));
    EXPECT_EQ(Bits(view.fieldAngle), 0x3FF0C15200000000u);
    EXPECT_EQ(view.aspect, 1.0);
    EXPECT_EQ(view.scale, 1.0);
    EXPECT_EQ(view.extentX, 1.0);
  }

  // A view number beyond the standard views changes no camera.
  std::vector<SCameraView> before;
  for (uint32_t i = 0; i < 15; ++i) {
    CHolder holder(w.GetViewCamera(i), false, false);
    before.push_back(w.GetViewCamera(i)->GetView());
  }
  EXPECT_EQ(w.SetStandardView(7), 0);
  for (uint32_t i = 0; i < 15; ++i) {
    CHolder holder(w.GetViewCamera(i), false, false);
    EXPECT_EQ(w.GetViewCamera(i)->GetView(), before[i]) << i;
  }
}

TEST_F(DocWindowTest, TheDefaultScene) {
  CDocWindow& w = Made();
  const std::vector<C3dBase*> planes = Things(C3dBaseSys::kObjectFamily, C3dPlane::kClassTag);
  ASSERT_EQ(planes.size(), 1u);
  auto* ground = static_cast<C3dPlane*>(planes[0]);
  {
    CHolder holder(ground, false, false);
    EXPECT_EQ(ground->GetTransformVector3(), (vector3<double>{0, 0.0009765625, 0}));
    EXPECT_EQ(ground->GetScaledSize(), (vector3<double>{16, 0, 16}));
    EXPECT_NE(ground->GetMaterial(), w.GetDefaultMaterial()->GetHandle());
  }
  // The default material stays outside the scene; the ground and the sun have copies of it there.
  EXPECT_EQ(w.GetDefaultMaterial()->GetOwningTable(), nullptr);
  auto* groundMaterial = LookupHandleAs<C3dMaterial>(ground->GetMaterial(), C3dMaterial::kFamily);
  ASSERT_NE(groundMaterial, nullptr);
  EXPECT_EQ(groundMaterial->GetOwningTable(), w.GetSceneTable());

  C3dSunLight* sun = w.GetSun();
  ASSERT_NE(sun, nullptr);
  {
    CHolder holder(sun, false, false);
    EXPECT_EQ(NameOf(sun), "sunlight");
    EXPECT_TRUE(Near(sun->GetDirection(), {0.742781, 0.557086, -0.371391}, 1e-6));
    EXPECT_TRUE(Near(sun->GetDirection(), vector3<double>{40, 30, -20} * (1 / std::sqrt(2900.0)), 1e-15));
    EXPECT_EQ(sun->GetColour(), (vector3<float>{1, 1, 1}));
    EXPECT_EQ(sun->GetIntensity(), 1.0);
    EXPECT_EQ(sun->C3dLight::GetRadius(), 1.0);
    EXPECT_EQ(sun->GetSunColour(), (vector3<float>{1, 1, 1}));
    EXPECT_EQ(sun->GetSecondSunColour(), (vector3<float>{1, 1, 1}));
    EXPECT_EQ(sun->GetStateFlags(), 256u | 1024u);
    EXPECT_EQ(sun->GetTransformVector3(), (vector3<double>{0, 0, 0}));
    EXPECT_NE(sun->GetMaterial(), w.GetDefaultMaterial()->GetHandle());
  }
  auto* sunMaterial = LookupHandleAs<C3dMaterial>(sun->GetMaterial(), C3dMaterial::kFamily);
  ASSERT_NE(sunMaterial, nullptr);
  EXPECT_EQ(sunMaterial->GetOwningTable(), w.GetSceneTable());

  C3dSky* sky = w.GetSky();
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(NameOf(sky), "current sky");
  const char* layers[2][2] = {{"high cloud texture", "Stratus"}, {"low cloud texture", "Cumulus"}};
  for (int layer = 0; layer < 2; ++layer) {
    C3dTexture* cloud = sky->GetCloudTexture(layer);
    ASSERT_NE(cloud, nullptr) << layer;
    EXPECT_EQ(NameOf(cloud), layers[layer][0]);
    EXPECT_EQ(cloud->GetOwningTable(), w.GetSceneTable());
    // The library's texture of that name, recipe and all.
    CBaseTexture* stored = nullptr;
    ASSERT_EQ(CBaseTexture::CopyByName(C3dTexture::kClassTag, layers[layer][1], textures.get(), &stored, false), 0);
    CHolder a(cloud, false, false), b(stored, false, false);
    EXPECT_EQ(cloud->GetTextureData().component[0].noiseCode,
              static_cast<C3dTexture*>(stored)->GetTextureData().component[0].noiseCode);
    b.Release();
    delete stored;
  }
  {
    CHolder holder(sky, false, false);
    EXPECT_EQ(sky->GetSettings().flags & C3dSky::kAtmosphereOff, 0u);
  }

  const std::vector<C3dBase*> pictures = Things(CBaseTexture::kFamily, CPictTexture::kClassTag);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(NameOf(pictures[0]), "leo");
  EXPECT_GT(static_cast<CPictTexture*>(pictures[0])->GetPicture().GetWidth(), 0u);
  EXPECT_EQ(Rows(w.GetPictureList()), pictures);

  // The object list: the ground, then the "perspective" camera last; no sun, no other camera.
  const std::vector<C3dBase*> objects = Rows(w.GetObjectList());
  EXPECT_EQ(objects, (std::vector<C3dBase*>{ground, w.GetViewCamera(CDocWindow::kPerspective)}));
  EXPECT_EQ(Rows(w.GetLightList()), (std::vector<C3dBase*>{sun}));
  EXPECT_EQ(Rows(w.GetCameraList()).size(), 15u);
}

// Without the cloud texture names the window takes the library's "Stratus" and "Cumulus"; a scene
// without picture textures has an empty picture list.
TEST_F(DocWindowTest, SceneListsFollowTheTable) {
  CDocWindow& w = Made();
  C3dBase* picture = Things(CBaseTexture::kFamily, CPictTexture::kClassTag)[0];
  delete picture;
  ASSERT_EQ(w.FindSceneParts(false), 0);
  EXPECT_TRUE(Rows(w.GetPictureList()).empty());
  EXPECT_TRUE(w.GetFlags() & CDocWindow::kUnsavedChanges);
  C3dSphere* ball = nullptr;
  CAppl* application = GetApplication();
  ASSERT_EQ(AppendNew(&ball, w.GetSceneTable(), application->GetObjectsEnv()), 0);
  C3dSunLight* second = nullptr;
  ASSERT_EQ(AppendNew(&second, w.GetSceneTable(), application->GetObjectsEnv()), 0);
  ASSERT_EQ(w.FindSceneParts(true), 0);
  const std::vector<C3dBase*> objects = Rows(w.GetObjectList());
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[1], ball);
  EXPECT_EQ(objects.back(), w.GetViewCamera(CDocWindow::kPerspective));
  EXPECT_EQ(Rows(w.GetLightList()).size(), 2u);
}

TEST_F(DocWindowTest, TheRenderCameraIsCachedFromThePerspectiveView) {
  CDocWindow& w = Made();
  ASSERT_EQ(w.CacheCameraState(), 0);
  const CRenderCamera& camera = w.GetRenderState().fRenderCamera;
  vector3<double> eye, corner;
  camera.GetEyeAndCorner(eye, corner);
  EXPECT_TRUE(Near(eye, {10, 3, -10}, 1e-9));
  EXPECT_TRUE(Near(camera.fD, vector3<double>{-1, 0, 1} * (1 / std::sqrt(2.0)), 1e-12));
  for (const vector3<double>* axis : {&camera.fX, &camera.fY, &camera.fD})
    EXPECT_NEAR(Dot(*axis, *axis), 1.0, 1e-12);
  EXPECT_NEAR(Dot(camera.fX, camera.fY), 0.0, 1e-12);
  EXPECT_NEAR(Dot(camera.fX, camera.fD), 0.0, 1e-12);
  EXPECT_NEAR(Dot(camera.fY, camera.fD), 0.0, 1e-12);
  EXPECT_EQ(camera.fFlags & CRenderCamera::kProjectionBits, 0x4000u);
  EXPECT_EQ(w.GetRenderState().fWidth, 480);
  EXPECT_EQ(w.GetRenderState().fCamera, w.GetCurrentCamera());
}

// The current window is the previews' document; deleting it withdraws it.
TEST_F(DocWindowTest, TheCurrentWindowIsThePreviewsDocument) {
  CDocWindow& w = Made();
  SetCurrentDocWindow(&w);
  CPreviewDocument* document = GetPreviewDocument();
  ASSERT_EQ(document, static_cast<CPreviewDocument*>(&w));
  EXPECT_EQ(document->GetRenderSettings(), 9151u);
  EXPECT_EQ(document->GetSky(), w.GetSky());
  EXPECT_EQ(document->GetSun(), w.GetSun());
  EXPECT_EQ(document->GetScene(), w.GetSceneTable());
  delete window;
  window = nullptr;
  EXPECT_EQ(GetCurrentDocWindow(), nullptr);
  EXPECT_EQ(GetPreviewDocument(), nullptr);
}

// A warning of the application's list, and nothing for an entry the list does not have.
TEST_F(DocWindowTest, ShowWarningShowsAnEntryOfTheList) {
  CDocWindow& w = Made();
  const size_t shown = platform::headless::ShownBoxes().size();
  w.ShowWarning(0);
  ASSERT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
  EXPECT_EQ(platform::headless::ShownBoxes().back().text, "Select one or more objects first.");
  CIxTextLocal warnings(app->GetResourceEnv(), need::kWarnings.name, CIxText::kNone);
  w.ShowWarning(warnings.Count());
  w.ShowWarning(0xFFFFFFFF);
  EXPECT_EQ(platform::headless::ShownBoxes().size(), shown + 1);
}

class DocWindowRenderToDisk : public PluginFolderTest<DocWindowTest> {};

// 'drnd' renders the window's own scene at its render size through an image plug-in.
TEST_F(DocWindowRenderToDisk, TheWindowsSceneGoesToAPictureFile) {
  Install(kImage);
  CDocWindow& w = Made();
  const std::string out = InFolder("../scene.ppm");
  platform::headless::AnswerFileDialog(out, 2);
  SDiskRender request;
  const SPointHV size = w.GetRenderImageSize();
  request.width = size.h;
  request.height = size.v;
  request.pluginFolder = InFolder("");
  ASSERT_EQ(w.RenderToDisk(request), 0);
  std::ifstream in(out, std::ios::binary);
  std::string magic;
  uint32_t width = 0, height = 0;
  in >> magic >> width >> height;
  EXPECT_EQ(magic, "P6");
  EXPECT_EQ(width, 480u);
  EXPECT_EQ(height, 360u);
}

// The wireframe zoom scales the current camera's extents and records one camera action each time.
TEST_F(DocWindowTest, ZoomingTheWireframeScalesTheCameraExtents) {
  CDocWindow& w = Made();
  C3dCamera* camera = w.GetCurrentCamera();
  const double factor = 0.6666667f;
  CUndoableAction* last = nullptr;
  for (int i = 1; i <= 3; ++i) {
    const uint32_t queued = owner->GetQueueCount();
    ASSERT_EQ(w.Redraw(false), 0);
    EXPECT_EQ(w.Zoom(true, false), 26);
    EXPECT_EQ(w.GetDirtyBits(), 1u | 4u | 16u | 32u);
    CUndoableAction* action = w.GetDocument()->GetUndoHistory().GetCurrentAction();
    EXPECT_NE(dynamic_cast<CCameraAction*>(action), nullptr);
    EXPECT_NE(action, last);
    last = action;
    ASSERT_EQ(owner->GetQueueCount(), queued + 1);
    const CUIMessage posted = owner->PeekQueued(queued);
    EXPECT_EQ(posted.kind, 2u);
    EXPECT_STREQ(posted.elementName, "objinfochanged");
    EXPECT_STREQ(posted.canvasName, "control palette");
  }
  {
    CHolder holder(camera, false, false);
    EXPECT_EQ(camera->GetView().extentX, 1.0 * factor * factor * factor);
    EXPECT_EQ(camera->GetView().extentY, 1.0 * factor * factor * factor);
  }
  for (uint32_t view = 0; view < CDocWindow::kStandardViewCount; ++view) {
    w.SetCurrentCamera(w.GetViewCamera(view));
    EXPECT_EQ(w.Zoom(false, true), 26);
    CHolder holder(w.GetViewCamera(view), false, false);
    EXPECT_EQ(w.GetViewCamera(view)->GetView().extentX, 1.0) << view;
    EXPECT_EQ(w.GetViewCamera(view)->GetView().extentY, 1.0) << view;
  }
}

// In the "top" view with a selection, a zoom first moves the camera over the selection's centre.
TEST_F(DocWindowTest, ZoomingAnOrthographicViewCentresTheSelection) {
  CDocWindow& w = Made();
  C3dSphere* ball = nullptr;
  ASSERT_EQ(AppendNew(&ball, w.GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
  {
    CHolder holder(ball, true, false);
    ball->SetTransformVector3({3, 1, -2});
  }
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Selection().Add(ball, 1, 1);
  C3dCamera* top = w.GetViewCamera(CDocWindow::kTop);
  {
    CHolder holder(top, true, false);
    top->GetView().offsetX = 0.25;
    top->GetView().offsetY = -0.5;
  }
  w.SetCurrentCamera(top);
  ASSERT_EQ(w.CacheCameraState(), 0);
  w.Invalidate(true);
  ASSERT_EQ(w.Redraw(false), 0);
  ASSERT_TRUE(w.GetView().IsSelectionPresent());
  const vector3<double> centre = w.GetView().GetSelectionCentre();
  EXPECT_EQ(w.Zoom(true, false), 26);
  CHolder holder(top, false, false);
  EXPECT_EQ(top->GetTransformVector3(), (vector3<double>{centre.x, 500, centre.z}));
  EXPECT_NEAR(centre.x, 3, 1e-9);
  EXPECT_NEAR(centre.z, -2, 1e-9);
  EXPECT_EQ(top->GetView().offsetX, 0.0);
  EXPECT_EQ(top->GetView().offsetY, 0.0);
}

// The rendered image's zoom levels run from -5 to 3 and never reduce it below 80 pixels.
TEST_F(DocWindowTest, ZoomingTheRenderedImage) {
  struct SCase {
    const char* name;
    SPointHV render;
    int zoomIns;  // negative: zoom outs
    int32_t level;
  } cases[] = {
      {"in from -5 stays", {480, 360}, 6, -5},
      {"out from 3 stays", {960, 720}, -4, 3},
      {"150 x 100 stays at 0", {150, 100}, -1, 0},
      {"480 x 360 stops at 2 (80 x 60 would be too low)", {480, 360}, -3, 2},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Make(kSize, c.render), 0);
    Show();
    EXPECT_EQ(window->ToggleRenderedImage(), 26);
    EXPECT_EQ(window->GetMode(), CDocWindow::kRenderedShown);
    EXPECT_EQ(window->GetZoomLevel(), 0);
    for (int i = 0; i < std::abs(c.zoomIns); ++i) EXPECT_EQ(window->Zoom(c.zoomIns > 0, false), 26);
    EXPECT_EQ(window->GetZoomLevel(), c.level);
  }
  // An image smaller than the view is centred and shown whole.
  ASSERT_EQ(Make(kSize, {150, 100}), 0);
  Show();
  window->ToggleRenderedImage();
  EXPECT_EQ(window->GetVisiblePart(), (SRect{0, 0, 100, 150}));
  EXPECT_EQ(window->GetShownSize(), (SPointHV{150, 100}));
  EXPECT_EQ(window->GetDocImage()->GetRect(), (SRect{130, 165, 230, 315}));
  // Enlarged, the visible part keeps its centre.
  EXPECT_EQ(window->Zoom(true, false), 26);
  EXPECT_EQ(window->GetShownSize(), (SPointHV{300, 200}));
  EXPECT_EQ(window->GetVisiblePart(), (SRect{0, 0, 100, 150}));
  EXPECT_EQ(window->Zoom(true, false), 26);
  EXPECT_EQ(window->GetVisiblePart(), (SRect{5, 15, 95, 135}));
  EXPECT_EQ(window->Zoom(false, true), 26);
  EXPECT_EQ(window->GetZoomLevel(), 0);
}

}  // namespace
