// The document window's lazy redraw, its drawing of the default scene and of its margins, the
// "patch render" hooks, the overlay buttons beside the selection, and the heartbeat that drives the
// redraw and the render slices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/cm_function.h"
#include "framework/image/bitmap_file.h"
#include "framework/image/ix_image.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "platform/alloc.h"
#include "platform/surface.h"
#include "scene/cube.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object_family.h"
#include "scene/sphere.h"
#include "scene/sphere_light.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/framework/core/private_tmpdir.h"

namespace {

// A window that notes each step of its redraw and each render slice, which leaves the request set.
class CRecordingWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;

  std::vector<std::string> steps;
  CImage* target = nullptr;
  uint32_t slices = 0;

 protected:
  void BindView(CImage* image) override {
    steps.push_back("bind");
    target = image;
    CDocWindow::BindView(image);
  }
  int32_t RedrawView() override {
    steps.push_back("view");
    return CDocWindow::RedrawView();
  }
  int32_t ResetClasses() override {
    steps.push_back("classes");
    return CDocWindow::ResetClasses();
  }
  int32_t DrawSceneLayer(CImage* image) override {
    steps.push_back("layer");
    return CDocWindow::DrawSceneLayer(image);
  }
  void CopyToScreen(CImage* image, const SRect& rect) override {
    steps.push_back("screen");
    CDocWindow::CopyToScreen(image, rect);
  }

 public:
  int32_t RenderSlice() override {
    ++slices;
    return 0;
  }
};

using Steps = std::vector<std::string>;

class DocWindowRedraw : public DocWindowTest {
 protected:
  CRecordingWindow& Recording() { return *static_cast<CRecordingWindow*>(window); }
  uint32_t SurfaceAt(int32_t x, int32_t y) const {
    return platform::GetWindowSurface(window->GetWindow())->Pixel(x, y) & 0xFFFFFF;
  }
  // Makes the scene table's lock fail on its next page-in: every allocation is refused, the memory
  // recovery's retries included, until the test gives them back.
  void FailSceneLock() {
    C3dBaseSys* table = window->GetSceneTable();
    ASSERT_TRUE(!table->IsResident() || table->PageOut());
    platform::FailNextAllocations(kRefusals);
  }
  static constexpr uint32_t kRefusals = 100;
  // An object of class T in the window's scene at the position, entered in the render lists.
  template <typename T>
  T* Add(const vector3<double>& position, int32_t family = 0) {
    T* object = nullptr;
    EXPECT_EQ(AppendNew(&object, window->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    CHolder holder(object, true, false);
    object->SetTransformVector3(position);
    SetObjectFamily(*object, family);
    return object;
  }
};

// The first redraw does every step, in the fixed order; a hidden canvas gets no screen copy and the
// word is cleared all the same. A clear word only binds the view.
TEST_F(DocWindowRedraw, RedrawRunsTheDirtyStepsInTheirOrder) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  EXPECT_EQ(w.steps, (Steps{"bind", "view", "classes", "layer"}));
  EXPECT_EQ(w.GetDirtyBits(), 0u);
  Show();
  w.steps.clear();
  w.Invalidate(true);
  EXPECT_EQ(w.GetDirtyBits(), 1u | 4u | 16u | 32u);
  EXPECT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(w.steps, (Steps{"bind", "view", "layer", "screen"}));
  EXPECT_EQ(w.GetDirtyBits(), 0u);
  w.steps.clear();
  EXPECT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(w.steps, (Steps{"bind"}));
  // The live preview's flag alone does not take the redraw from the window image.
  w.SetFlags(CDocWindow::kLivePreview);
  w.Invalidate(false);
  EXPECT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(w.target, w.GetWindowImage());
}

TEST_F(DocWindowRedraw, InvalidateLeavesTheRenderedImageFirst) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  Show();
  w.ToggleRenderedImage();
  ASSERT_EQ(w.GetMode(), CDocWindow::kRenderedShown);
  w.Invalidate(false);
  EXPECT_EQ(w.GetMode(), CDocWindow::kWireframeShown);
  EXPECT_EQ(w.GetDirtyBits(), 1u | 16u | 32u);
}

TEST_F(DocWindowRedraw, ALockedOutSceneTableAnswers9AndKeepsItsBits) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  Show();
  w.Invalidate(false);
  FailSceneLock();
  EXPECT_EQ(w.Redraw(false), kErrOutOfMemory);
  platform::FailNextAllocations(0);
  EXPECT_EQ(w.GetDirtyBits() & (16u | 32u), 16u | 32u);
  EXPECT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(w.GetDirtyBits(), 0u);
}

// The default scene in the window image: the ground's lines cross at the projected origin.
TEST_F(DocWindowRedraw, TheDefaultSceneIsDrawnIntoTheWindowImage) {
  CDocWindow& w = Made();
  const SPointHV origin = w.ProjectPoint({0, 0.0009765625, 0});
  EXPECT_LE(std::abs(origin.h - 240), 1);
  EXPECT_GT(origin.v, 180);
  const uint32_t background = w.GetView().GetStyle().background;
  uint32_t darkest = background;
  for (int32_t dy = -1; dy <= 1; ++dy) {
    for (int32_t dx = -1; dx <= 1; ++dx) {
      const uint32_t pixel = Pixel(w.GetWindowImage(), origin.h + dx, origin.v + dy) & 0xFFFFFF;
      if ((pixel & 0xFF) < (darkest & 0xFF)) darkest = pixel;
    }
  }
  // The ground's grey, towards the background with depth, never the background itself.
  const uint32_t grey = darkest & 0xFF;
  EXPECT_EQ(darkest, grey * 0x010101u);
  EXPECT_LT(grey, (background & 0xFF) - 0x20);
  EXPECT_GE(grey, FamilyColour(0) & 0xFF);

  CPrivateTmpDir tmp("quarn2-docwindow");
  const std::string path = tmp.Path() + "/window.bmp";
  CFileSpec spec;
  spec.Set(path.c_str());
  ASSERT_EQ(SaveImageAsBmp(spec, w.GetWindowImage(), true), 0);
  FILE* identify = popen(("identify -format '%w %h' '" + path + "' 2>/dev/null").c_str(), "r");
  ASSERT_NE(identify, nullptr);
  char size[64] = {};
  const bool read = std::fgets(size, sizeof size, identify) != nullptr;
  pclose(identify);
  if (read) {
    EXPECT_STREQ(size, "480 360");
  }
}

// The four bands between the canvas and the view rectangle take the canvas's colour, unless the view is
// the whole canvas.
TEST_F(DocWindowRedraw, EraseBackgroundFillsTheBandsAroundTheView) {
  CDocWindow& w = Made();
  window->MoveResize({520, 400}, false);
  window->Show();
  const SRect view{20, 30, 380, 510};
  w.SetViewRect(view);
  const uint32_t colour = w.GetColor().value & 0xFFFFFF;
  ASSERT_NE(colour, 0x123456u);
  platform::Surface& surface = *platform::GetWindowSurface(w.GetWindow());
  for (const bool wholeCanvas : {false, true}) {
    SCOPED_TRACE(wholeCanvas);
    if (wholeCanvas) w.SetFlags(CDocWindow::kViewIsCanvas);
    surface.Fill(0, 0, 520, 400, 0x123456);
    SWinEvent event{};
    event.wParam = reinterpret_cast<uintptr_t>(w.GetDeviceContext());
    EXPECT_EQ(w.OnEraseBackground(event), 1);
    uint32_t wrong = 0;
    for (int32_t y = 0; y < 400; ++y) {
      for (int32_t x = 0; x < 520; ++x) {
        const bool inView = x >= view.left && x < view.right && y >= view.top && y < view.bottom;
        const uint32_t expected = inView || wholeCanvas ? 0x123456u : colour;
        wrong += (surface.Pixel(x, y) & 0xFFFFFF) != expected;
      }
    }
    EXPECT_EQ(wrong, 0u);
  }
}

// The picture's three parts: 20 pixels, 14, the rest; a click picks the part's picture.
TEST_F(DocWindowRedraw, APatchRenderClickPicksThePart) {
  for (const auto& [below, part] : {std::pair{0, 0u}, {19, 0u}, {20, 1u}, {33, 1u}, {34, 2u}, {47, 2u}})
    EXPECT_EQ(CDocWindow::PatchRenderPart(below), part) << below;
  CDocWindow& w = Made();
  CImElement* patch = w.GetPatchRender();
  ASSERT_NE(patch, nullptr);
  CIxImage* pictures = w.GetPatchRenderPictures();
  for (const auto& [below, part] : {std::pair{19, 0u}, {20, 1u}, {33, 1u}, {34, 2u}}) {
    CElement* handled = nullptr;
    CDocWindow::OnPatchRenderClick(patch, &handled, {10, below}, nullptr);
    EXPECT_EQ(handled, patch);
    EXPECT_EQ(pictures->Selected(), part) << below;
  }
  // Outside the picture nothing is taken.
  CElement* handled = nullptr;
  EXPECT_EQ(CDocWindow::OnPatchRenderClick(patch, &handled, {10, 200}, nullptr), 0);
  EXPECT_EQ(handled, nullptr);
  EXPECT_EQ(pictures->Selected(), 2u);
}

// The buttons the selection asks for, stacked from the selection's label point, and the family chiclet
// painted in the family's colour.
TEST_F(DocWindowRedraw, TheOverlayButtonsStandBesideTheSelection) {
  CDocWindow& w = Made();
  Show();
  auto* light = Add<C3dSphereLight>({1, 1, 2}, 3);
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Selection().Add(light, 1, 1);
  uint32_t mask = 0;
  ASSERT_EQ(Selection().GetButtonMask(&mask), 4u);
  ASSERT_EQ(mask, 0x27u);
  w.Invalidate(false);
  ASSERT_EQ(w.Redraw(false), 0);
  const int32_t x = w.GetView().GetLabelX();
  int32_t y = w.GetView().GetLabelY();
  const uint32_t order[] = {CDocWindow::kAttributesChiclet, CDocWindow::kFamilyChiclet,
                            CDocWindow::kMaterialChiclet, CDocWindow::kEditChiclet};
  const int32_t step = 24 - 2;
  if (y + 4 * 24 > 360) y = 360 - 4 * 24;
  for (uint32_t i = 0; i < CDocWindow::kOverlayButtonCount; ++i) {
    const auto shownAt = std::find(std::begin(order), std::end(order), i) - std::begin(order);
    EXPECT_EQ(w.GetOverlayButton(i)->IsShown(), shownAt < 4) << i;
    if (shownAt < 4) {
      const int32_t top = y + step * int32_t(shownAt);
      EXPECT_EQ(w.GetOverlayButton(i)->GetRect(), (SRect{top, x, top + 24, x + 24})) << i;
    }
  }
  CImElement* family = w.GetOverlayButton(CDocWindow::kFamilyChiclet);
  EXPECT_EQ(family->GetUserWord(0), 3u);
  // Low in the view, the column is moved up by the whole column's height from the image's bottom.
  {
    CHolder holder(light, true, false);
    light->SetTransformVector3({6, 1, -6});
  }
  w.Invalidate(false);
  ASSERT_EQ(w.Redraw(false), 0);
  ASSERT_GT(w.GetView().GetLabelY() + 4 * 24, 360);
  EXPECT_EQ(w.GetOverlayButton(CDocWindow::kAttributesChiclet)->GetRect().top, 360 - 4 * 24);
  EXPECT_EQ(w.GetOverlayButton(CDocWindow::kEditChiclet)->GetRect().top, 360 - 4 * 24 + 3 * step);
  // The chiclet's colour square, rows and columns 3 to 10, in the family's colour over its own alpha.
  const uint32_t before = Pixel(family->GetImage(), 4, 4) & 0xFF000000;
  EXPECT_EQ(CDocWindow::PaintFamilyChiclet(family, 0, nullptr), 0);
  EXPECT_EQ(Pixel(family->GetImage(), 4, 4), before | FamilyColour(3));
  EXPECT_EQ(Pixel(family->GetImage(), 10, 10) & 0xFFFFFF, FamilyColour(3));
  EXPECT_NE(Pixel(family->GetImage(), 11, 11) & 0xFFFFFF, FamilyColour(3));
  // A column that would run past the image's bottom ends there; mixed families give 256.
  auto* ball = Add<C3dSphere>({0, 1, 0}, 5);
  ASSERT_EQ(w.FindSceneParts(true), 0);
  Selection().Add(ball, 0, 1);
  w.Invalidate(false);
  ASSERT_EQ(w.Redraw(false), 0);
  EXPECT_EQ(family->GetUserWord(0), CDocWindow::kMixedFamilies);
  Selection().DeselectAll(1);
  w.Invalidate(false);
  ASSERT_EQ(w.Redraw(false), 0);
  for (uint32_t i = 0; i < CDocWindow::kOverlayButtonCount; ++i) EXPECT_FALSE(w.GetOverlayButton(i)->IsShown());
}

// A receiver after the window in its owner's table: the UI messages no canvas before it took.
int32_t NoteMessage(void* names, void* message, void*) {
  static_cast<std::vector<std::string>*>(names)->push_back(static_cast<CUIMessage*>(message)->elementName);
  return 0;
}

// The context menu pops up at the pointer: its first row asks the window to zoom to the selection, its
// second shows "patch render".
TEST_F(DocWindowRedraw, TheContextMenuRows) {
  CDocWindow& w = Made();
  Show();
  std::vector<std::string> messages;
  ASSERT_TRUE(owner->Register(&messages, &NoteMessage));
  const platform::SPoint anchor{300, 300};
  auto row = [&](int32_t position) {
    const int32_t frame = 3, height = 19;
    return std::to_string(anchor.x + frame + 30) + " " + std::to_string(anchor.y + frame + (position - 1) * height + 9);
  };
  for (int32_t position : {2, 1}) {
    SCOPED_TRACE(position);
    // The pointer's place is the menu's anchor; then the click on the row.
    ASSERT_TRUE(platform::headless::AddScript("move " + std::to_string(anchor.x) + " " + std::to_string(anchor.y) +
                                              "\nmove " + row(position) + "\ndown left\nup left\n"));
    EXPECT_EQ(w.RunContextMenu(), 0);
  }
  EXPECT_TRUE(w.GetPatchRender()->IsShown());
  // The window itself took "zoom to selection": the camera fits the render region, the whole image.
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(w.GetCurrentCamera()->GetView().extentX, 1.0);
  owner->Unregister(&messages);
}

// ---- the heartbeat

TEST_F(DocWindowRedraw, TheHeartbeatRedrawsADirtyWireframeOnTheNextStep) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  Show();
  w.steps.clear();
  app->Heartbeat(false);
  EXPECT_TRUE(w.steps.empty());
  w.Invalidate(false);
  app->Heartbeat(false);
  EXPECT_EQ(w.steps, (Steps{"bind", "layer", "screen"}));
  EXPECT_EQ(w.GetDirtyBits(), 0u);

  // A dialog in front, a nested heartbeat, a hidden canvas: nothing is drawn.
  w.steps.clear();
  w.Invalidate(false);
  owner->RaiseModalLevel();
  app->Heartbeat(false);
  owner->LowerModalLevel();
  SHeartbeatRecord nested;
  nested.reserved1 = 1;
  EXPECT_EQ(w.Heartbeat(nested), 0);
  w.Hide();
  app->Heartbeat(false);
  EXPECT_TRUE(w.steps.empty());
  EXPECT_NE(w.GetDirtyBits(), 0u);
}

// The application reports what the handler answers: a failing redraw once, then nothing until the
// next Invalidate.
TEST_F(DocWindowRedraw, ARedrawThatKeepsFailingIsReportedOnce) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  Show();
  const SHeartbeatRecord step;
  for (int round = 0; round < 2; ++round) {
    w.Invalidate(false);
    std::vector<int32_t> answers;
    for (int i = 0; i < 3; ++i) {
      FailSceneLock();
      answers.push_back(w.Heartbeat(step));
      platform::FailNextAllocations(0);
    }
    EXPECT_EQ(answers, (std::vector<int32_t>{kErrOutOfMemory, 0, 0})) << round;
  }
  // Once the table can be had again, the next Invalidate brings the redraw through.
  w.Invalidate(false);
  EXPECT_EQ(w.Heartbeat(step), 0);
  EXPECT_EQ(w.GetDirtyBits(), 0u);
}

TEST_F(DocWindowRedraw, TheRenderedViewRunsASliceEachStepAndDrawsThePatch) {
  CRecordingWindow& w = Made<CRecordingWindow>();
  Show();
  w.ToggleRenderedImage();
  w.GetPatchRender()->Show(false);
  w.SetRenderRequest(CDocWindow::kRenderNow);
  app->Heartbeat(false);
  app->Heartbeat(false);
  EXPECT_EQ(w.slices, 2u);
  // The patch's first picture, its top part pressed, over the rendered image's white.
  SRect place;
  w.GetPatchRender()->LocalToAncestorRect(&place, {0, 0, 1, 1}, w.GetRoot());
  EXPECT_EQ(SurfaceAt(place.left + 4, place.top + 4), 0xF0B040u);
  EXPECT_EQ(SurfaceAt(place.left - 1, place.top + 4), 0u);
  w.SetRenderRequest(0);
  app->Heartbeat(false);
  EXPECT_EQ(w.slices, 2u);
}

}  // namespace
