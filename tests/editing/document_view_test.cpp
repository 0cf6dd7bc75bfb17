// A whole document through the 3D view: written from a scene description, saved and read back, drawn
// in wireframe through the camera and at the size its render uses, with and without a selection, and
// picked under a pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_settings.h"
#include "document/scene_file.h"
#include "editing/selection.h"
#include "framework/core/file_spec.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/image.h"
#include "render/preview_scene.h"
#include "render/render_context.h"
#include "render/render_settings.h"
#include "render/view.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/object.h"
#include "scene/sphere.h"
#include "tests/framework/core/spool_fixture.h"
#include "tools/render_job.h"
#include "tools/scene_script.h"

namespace {

constexpr const char* kScene =
    "size 320 240\n"
    "camera from 2 5 -12 to 0 1 0 fov 60\n"
    "sun direction 0.6 0.5 -0.5\n"
    "plane ground at 0 0 0 colour 0.3 0.5 0.3\n"
    "sphere ball at -1 1 0 size 2 2 2 colour 0.8 0.15 0.1\n"
    "cube box at 3 0.75 2 size 1.5 1.5 1.5\n";

class DocumentView : public SpoolAppTest {
 protected:
  uint32_t DataBudget() const override { return 8u << 20; }
  uint32_t ObjectsBudget() const override { return 8u << 20; }
  void SetUp() override {
    SpoolAppTest::SetUp();
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  }
  void TearDown() override {
    view.reset();
    delete image;
    document.reset();
    C3dBaseSys::UnregisterAllClasses();
    SpoolAppTest::TearDown();
  }

  // The description written into a document and read as quarn2-render reads it.
  void WriteAndRead() {
    const std::string text = folder + "/scene.txt", path = folder + "/scene.qnc";
    std::ofstream(text) << kScene;
    {
      C3dBaseSys table(ObjectsEnv());
      CDocSettings settings(SSpoolLayout{ObjectsEnv(), 0, 0});
      CSceneScript script(&table, &settings, ObjectsEnv());
      ASSERT_EQ(script.Read(text), "");
      CFileSpec spec;
      ASSERT_EQ(spec.Set(path.c_str()), 0);
      ASSERT_EQ(WriteSceneFile(spec, &table, &settings), 0);
    }
    SRenderJob job;
    job.document = path.c_str();
    document = std::make_unique<CRenderDocument>();
    ASSERT_EQ(document->Read(job), 0);
    ASSERT_EQ(document->Width(), 320u);
    ASSERT_EQ(document->Height(), 240u);
  }
  // The document drawn into a new image at its render size.
  std::vector<uint32_t> Draw(CViewSelection* selection) {
    delete image;
    int32_t error = 0;
    image = NewDataImage(document->Width(), document->Height(), &error);
    EXPECT_NE(image, nullptr);
    view = std::make_unique<CView>(selection);
    view->SetImage(image);
    view->SetCamera(document->Camera());
    view->SetObjectList(&document->Scene());
    EXPECT_EQ(view->UpdateFromCamera(), 0);
    view->FillBackground();
    EXPECT_EQ(DrawSceneWireframe(*view, false), 0);
    const SRect whole = image->GetBounds();
    CImNavigator nav(image, &whole, false, false);
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; nav.IsUsable() && y < nav.GetRows(); ++y)
      for (uint32_t x = 0; x < nav.GetColumns(); ++x) pixels.push_back(nav.Cells(y)[x].value);
    return pixels;
  }
  // The drawing as a picture for a person to look at.
  void Keep(const char* name, CImage* picture = nullptr) {
    std::filesystem::create_directories(QUARN2_DOCUMENT_VIEW_OUTPUT);
    CFileSpec out;
    ASSERT_EQ(out.Set((std::string(QUARN2_DOCUMENT_VIEW_OUTPUT) + "/" + name + ".bmp").c_str()), 0);
    EXPECT_EQ(SaveImageAsBmp(out, picture ? picture : image, true), 0);
  }
  C3dObject* Named(const char* name, uint32_t classTag) {
    C3dBase* thing = nullptr;
    EXPECT_EQ(document->Scene().FindObject(name, C3dBaseSys::kObjectFamily, classTag, &thing), 0);
    return thing ? thing->AsObject() : nullptr;
  }

  std::unique_ptr<CRenderDocument> document;
  CImage* image = nullptr;
  std::unique_ptr<CView> view;
};

TEST_F(DocumentView, AReadDocumentIsDrawnSelectedAndPicked) {
  WriteAndRead();
  if (HasFatalFailure()) return;
  const int32_t width = 320, height = 240;
  const std::vector<uint32_t> plain = Draw(nullptr);
  Keep("plain");
  ASSERT_EQ(plain.size(), size_t(width * height));
  // No line reaches the first row or column; lines cover some of the rest, and most of it is
  // background.
  for (int32_t x = 0; x < width; ++x) ASSERT_EQ(plain[size_t(x)], 0x00CACACAu) << x;
  for (int32_t y = 0; y < height; ++y) ASSERT_EQ(plain[size_t(y * width)], 0x00CACACAu) << y;
  const size_t background = size_t(std::count(plain.begin(), plain.end(), 0x00CACACAu));
  EXPECT_GT(background, plain.size() / 2);
  EXPECT_LT(background, plain.size());

  // The ball selected: what changes lies within its box on the image, grown by the handles.
  C3dObject* ball = Named("ball", C3dSphere::kClassTag);
  ASSERT_NE(ball, nullptr);
  CSelection selection(nullptr);
  selection.Add(ball, 1, 1);
  const std::vector<uint32_t> selected = Draw(&selection);
  Keep("selected");
  ASSERT_TRUE(view->IsSelectionPresent());
  const C3dBox box = ball->WorldBox();
  int32_t left = width, top = height, right = -1, bottom = -1;
  for (int i = 0; i < 8; ++i) {
    const vector3<double> corner{i & 1 ? box.fMax.x : box.fMin.x, i & 2 ? box.fMax.y : box.fMin.y,
                                 i & 4 ? box.fMax.z : box.fMin.z};
    int32_t x = 0, y = 0;
    view->ProjectToPixel(corner, view->GetWorldToCamera(), x, y);
    left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  }
  // Half a handle each way, and the second pixel of an antialiased line.
  const int32_t grow = selection.GetHandleSize() / 2 + 2;
  size_t changed = 0, red = 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t before = plain[size_t(y * width + x)], after = selected[size_t(y * width + x)];
      if (before == after) continue;
      ++changed;
      EXPECT_TRUE(x >= left - grow && x <= right + grow && y >= top - grow && y <= bottom + grow) << x << "," << y;
      if ((after >> 16 & 0xFF) > (after >> 8 & 0xFF)) ++red;
    }
  }
  EXPECT_GT(changed, 0u);
  EXPECT_GT(red, 0u);
  // The centre handle the drawing handed back lies within the box on the image.
  int32_t centreX = -1, centreY = -1;
  selection.GetHandle(14, &centreX, &centreY);
  EXPECT_TRUE(centreX >= left && centreX <= right && centreY >= top && centreY <= bottom) << centreX << "," << centreY;

  // Picking in the middle of the view: the object under the pixel, with a point on its surface.
  SRenderSettings settings;
  CRenderContext context(1, 1, 10, 0);
  context.SetSettings(&settings);
  context.SetSceneTable(&document->Scene());
  ASSERT_TRUE(context.PrepareOptimizer());
  vector3<double> point{7, 7, 7};
  C3dObject* picked = view->PickObject(context, 160, 120, point);
  if (picked) {
    const C3dBox seen = picked->WorldBox();
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_GE(point[axis], std::max(seen.fMin[axis], -1e6) - 1e-6) << axis;
      EXPECT_LE(point[axis], std::min(seen.fMax[axis], 1e6) + 1e-6) << axis;
    }
    vector3<double> origin, direction;
    view->PixelRay(160, 120, origin, direction);
    const vector3<double> along = Cross(point - origin, direction);
    EXPECT_LT(std::sqrt(Dot(along, along)) / std::sqrt(Dot(direction, direction)), 1e-6);
  } else {
    EXPECT_EQ(point, (vector3<double>{7, 7, 7}));
  }
}

}  // namespace

namespace {

TEST_F(DocumentView, ATorusPreviewRendersToCompletion) {
  CPreviewScene preview;
  ASSERT_EQ(preview.BuildSample(96, 96, true, false, CPreviewScene::kTorus), 0);
  int32_t result = 24;
  for (int i = 0; i < 100 && result == 24; ++i) result = preview.Render(nullptr, SRect{0, 0, 96, 96});
  ASSERT_EQ(result, 0);
  Keep("preview_torus", preview.GetImage());
  ASSERT_EQ(preview.PerformCommand(CPreviewScene::kGround), 0);
  ASSERT_EQ(preview.DrawWireframe(), 0);
  Keep("preview_wireframe", preview.GetImage());
}

}  // namespace
