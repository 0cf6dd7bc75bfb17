#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless.h"
#include "render/view.h"
#include "scene/plane.h"
#include "tests/render/view_fixture.h"

namespace {

using Point = vector3<double>;

// A box solid that draws one line across itself and keeps what the view's style was when it was
// asked to draw; it may refuse, and may take time.
class CWireSolid : public CTestSolid {
 public:
  struct SCall {
    uint32_t detail;
    bool fast;
    bool shadowPass;
    uint32_t front;
    uint32_t shadow;
    uint32_t dashMask;
    uint32_t pen;  // after its line
  };

  using CTestSolid::CTestSolid;
  bool DrawWireframe(CLineDrawer* drawer, const C34Matrix& worldToCamera, uint32_t detail, bool fast) override {
    if (tickMs) platform::AdvanceVirtualClock(tickMs);
    auto* view = dynamic_cast<CView*>(drawer);
    const SViewStyle& style = view->GetStyle();
    SCall call{detail, fast, view->IsShadowPass(), style.front, style.shadow, style.dashMask, 0};
    if (draws) {
      const C34Matrix& toWorld = GetObjectToWorld();
      view->DrawLine3d(toWorld.TransformPoint(line[0]), toWorld.TransformPoint(line[1]), worldToCamera);
      call.pen = style.pen;
    }
    calls.push_back(call);
    return draws;
  }
  const SCall& LastObjectPass() const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
      if (!it->shadowPass) return *it;
    }
    return calls.back();
  }

  bool draws = true;
  int64_t tickMs = 0;
  Point line[2] = {{-1, 0, 0}, {1, 0, 0}};
  std::vector<SCall> calls;
};

// A view that keeps the boxes it is asked to draw.
class CBoxRecordingView : public CView {
 public:
  using CView::CView;
  void DrawBox(const C3dBox& box, const C34Matrix& objectToWorld, const C34Matrix& worldToCamera) override {
    boxes.push_back({box, objectToWorld, IsShadowPass(), GetStyle().front});
    CView::DrawBox(box, objectToWorld, worldToCamera);
  }
  struct SBox {
    C3dBox box;
    C34Matrix objectToWorld;
    bool shadowPass;
    uint32_t front;
  };
  std::vector<SBox> boxes;
};

class SceneWireframe : public ViewTest {
 protected:
  // Input goes to a shown main window; cameras draw from their class meshes.
  void SetUp() override {
    ViewTest::SetUp();
    platform::ShowWindow(app->GetMainWindow(), platform::kSwShowMaximized);
    ASSERT_EQ(C3dBaseSys::RegisterAllClasses(), 0);
    ASSERT_EQ(C3dBaseSys::ResetAllClasses(8, 16, 32), 0);
  }
  void TearDown() override {
    C3dBaseSys::UnregisterAllClasses();
    ViewTest::TearDown();
  }
  CWireSolid* NewWire(Point position = {0, 1, 0}) {
    CWireSolid* solid = MakeObject<CWireSolid>(table);
    solid->SetTransformVector3(position);
    return solid;
  }
  static void Colour(C3dObject* object, uint32_t index, uint32_t colour) {
    object->SetCreationWord(0, index);
    object->SetCreationWord(1, colour);
  }
  void Plain(CView& v) {
    v.GetStyle().depthCue = false;
    v.GetStyle().antialias = false;
  }
};

TEST(SceneHandles, TheCamerasSideOfTheBoxHidesItsFacesHandles) {
  const C3dBox box{{-1, -2, -3}, {1, 2, 3}};
  const struct {
    Point eye;
    uint32_t boxMode;
    uint32_t mask;
  } cases[] = {
      {{-5, 0, 0}, 0, 0x1541}, {{5, 0, 0}, 0, 0x2A82}, {{0, -5, 0}, 0, 0x03C4}, {{0, 5, 0}, 0, 0x3C08},
      {{0, 0, -5}, 0, 0x0CD0}, {{0, 0, 5}, 0, 0x3320}, {{0, 0, 0}, 0, 0},       {{0, 0, 0}, 1, 0x7FFF},
      {{-5, 5, 5}, 0, 0x1541 | 0x3C08 | 0x3320},
  };
  for (const auto& c : cases) EXPECT_EQ(HiddenHandleMask(box, c.eye, c.boxMode), c.mask) << c.eye.x << c.eye.y << c.eye.z;
}

TEST_F(SceneWireframe, EachObjectIsDrawnInItsColoursAndPasses) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  CWireSolid* selected = NewWire();
  selected->SetFlags(C3dObject::kSelected);
  CWireSolid* own = NewWire();
  Colour(own, 25, 0x00FF0000);
  CWireSolid* theViews = NewWire();
  Colour(theViews, 26, 0x0000FF00);
  CWireSolid* shortDash = NewWire();
  shortDash->SetStateFlags(16);
  CWireSolid* longDash = NewWire();
  longDash->SetStateFlags(32);
  CWireSolid* skipped = NewWire();
  skipped->SetFlags(C3dObject::kNotDrawn | C3dObject::kSelected);
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(64, 48);
  Plain(v);
  v.GetStyle().front = 0x00112233;
  v.GetStyle().shadow = 0x00445566;
  v.SetInterruptible(true);

  EXPECT_EQ(DrawSceneWireframe(v, false), 0);
  struct SExpected {
    CWireSolid* solid;
    uint32_t front;
    uint32_t shadow;
    uint32_t dash;
    uint32_t detail;
  } expected[] = {
      {selected, 0x00FF0000, 0x00B09090, 0, 16},  {own, 0x00FF0000, 0x00D4A1A1, 0, 32},
      {theViews, 0x00112233, 0x00445566, 0, 32},  {shortDash, 0x00000000, 0x00A1A1A1, 2, 32},
      {longDash, 0x00000000, 0x00A1A1A1, 4, 32},
  };
  for (const SExpected& e : expected) {
    ASSERT_EQ(e.solid->calls.size(), 2u);
    for (const CWireSolid::SCall& call : e.solid->calls) {
      EXPECT_EQ(call.front, e.front);
      EXPECT_EQ(call.shadow, e.shadow);
      EXPECT_EQ(call.dashMask, e.dash);
      EXPECT_EQ(call.detail, e.detail);
      EXPECT_FALSE(call.fast);
      // Without depth cue: the front colour in the object pass, the shadow colour in the shadow pass.
      EXPECT_EQ(call.pen, call.shadowPass ? e.shadow : e.front);
    }
    EXPECT_TRUE(e.solid->calls[0].shadowPass);
    EXPECT_FALSE(e.solid->calls[1].shadowPass);
  }
  EXPECT_TRUE(skipped->calls.empty());
  // Without a selection set: no selection box.
  EXPECT_TRUE(v.IsSelectionPresent());
  EXPECT_TRUE(v.boxes.empty());
  EXPECT_EQ(v.GetStyle().front, 0x00112233u);
  EXPECT_EQ(v.GetStyle().shadow, 0x00445566u);
  EXPECT_EQ(v.GetStyle().dashMask, 0u);
  EXPECT_FALSE(v.IsInterruptible());
  EXPECT_FALSE(v.IsShadowPass());
}

TEST_F(SceneWireframe, AnObjectThatDoesNotDrawShowsItsBoundsAndTheShadowsCanBeOff) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  CWireSolid* refusing = NewWire({1, 1, 0});
  refusing->draws = false;
  refusing->local = {{-1, -0.5, -1}, {1, 0.5, 1}};
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(64, 48);
  v.GetStyle().shadows = false;
  DrawSceneWireframe(v, false);
  ASSERT_EQ(v.boxes.size(), 1u);
  EXPECT_EQ(v.boxes[0].box, refusing->local);
  EXPECT_EQ(v.boxes[0].objectToWorld, refusing->GetObjectToWorld());
  EXPECT_EQ(refusing->calls.size(), 1u);  // one pass
}

TEST_F(SceneWireframe, ASelectedCameraIsAnOrdinaryObject) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  C3dCamera* other = MakeObject<C3dCamera>(table);
  other->SetTransformVector3({0, 1, 0});
  other->SetFlags(C3dObject::kSelected);
  CTestSelection selection;
  selection.objects = {other};
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(64, 48, &selection);
  Plain(v);
  DrawSceneWireframe(v, false);
  EXPECT_FALSE(v.IsSelectionPresent());
  EXPECT_TRUE(v.boxes.empty());
  for (const auto& [x, y] : PixelsNot(0)) {
    const uint32_t pixel = Pixel(x, y);
    EXPECT_TRUE(pixel == 0 || pixel == 0x00A1A1A1 || pixel == CView::kHorizonColour) << std::hex << pixel;
  }
}

TEST_F(SceneWireframe, AnEmptySceneDrawsNothing) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  CView& v = MakeView(64, 48);
  MakeObject<C3dMaterial>(table);  // a thing, but no object
  v.SetInterruptible(true);
  EXPECT_EQ(DrawSceneWireframe(v, false), 0);
  EXPECT_TRUE(PixelsNot(0).empty());
}

// Handles drawn plainly are (size + 1)-pixel squares; where they overlap the later one shows.
TEST_F(SceneWireframe, TheSelectionBoxAndItsHandlesGoBackToTheSelection) {
  LookFrom({3, 1.5, -8}, {0, 1, 0});
  CWireSolid* solid = NewWire();
  solid->SetFlags(C3dObject::kSelected);
  CTestSelection selection;
  selection.objects = {solid};
  selection.handleSize = 4;
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(160, 120, &selection);
  Plain(v);
  v.FillBackground();
  DrawSceneWireframe(v, false);

  ASSERT_TRUE(v.IsSelectionPresent());
  ExpectNear(v.GetSelectionCentre(), {0, 1, 0});
  // The box twice, flattened then in its own colour.
  ASSERT_EQ(v.boxes.size(), 2u);
  EXPECT_TRUE(v.boxes[0].shadowPass);
  EXPECT_FALSE(v.boxes[1].shadowPass);
  EXPECT_EQ(v.boxes[1].front, 0x00B09090u);
  EXPECT_EQ(v.boxes[1].box, solid->WorldBox());

  const Point points[15] = {{-1, 1, 0}, {1, 1, 0},   {0, 0, 0},   {0, 2, 0},  {0, 1, -1}, {0, 1, 1},
                            {-1, 0, -1}, {1, 0, -1}, {-1, 0, 1},  {1, 0, 1},  {-1, 2, -1}, {1, 2, -1},
                            {-1, 2, 1},  {1, 2, 1},  {0, 1, 0}};
  int32_t x[15], y[15];
  for (int i = 0; i < 15; ++i) {
    v.ProjectToPixel(points[i], v.GetWorldToCamera(), x[i], y[i]);
    EXPECT_EQ(selection.handles[i][0], x[i]) << i;
    EXPECT_EQ(selection.handles[i][1], y[i]) << i;
    ExpectNear(selection.world[i], points[i], 1e-9, "handle world point");
  }
  // The eye lies beyond the x-max and z-min faces.
  const uint32_t hidden = 0x2A82 | 0x0CD0;
  for (int i = 0; i < 15; ++i) {
    int shown = i;
    for (int j = i + 1; j < 15; ++j) {
      if (std::abs(x[j] - x[i]) <= 2 && std::abs(y[j] - y[i]) <= 2) shown = j;
    }
    EXPECT_EQ(Pixel(x[i], y[i]), hidden & (1u << shown) ? 0u : 0x00906060u) << i;
  }
  // The label: right of the last handle of greatest x.
  int label = 0;
  for (int i = 0; i < 15; ++i) {
    if (x[i] >= x[label]) label = i;
  }
  EXPECT_EQ(v.GetLabelX(), std::min(x[label] + 5, 140));
  EXPECT_EQ(v.GetLabelY(), std::min(std::max(y[label], 5), 45));
}

TEST_F(SceneWireframe, TheLabelFollowsTheLastOfTheRightmostHandlesAndStaysOnTheImage) {
  // Looking straight along z, the near x-max corners (handles 7 and 11) share the greatest x.
  LookFrom({0, 1, -6}, {0, 1, 0});
  CWireSolid* solid = NewWire();
  solid->SetFlags(C3dObject::kSelected);
  CTestSelection selection;
  selection.objects = {solid};
  CView& v = MakeView(200, 200, &selection);
  DrawSceneWireframe(v, false);
  ASSERT_EQ(selection.handles[7][0], selection.handles[11][0]);
  EXPECT_LT(selection.handles[11][1], selection.handles[7][1]);
  EXPECT_EQ(v.GetLabelX(), selection.handles[11][0] + 5);
  EXPECT_EQ(v.GetLabelY(), selection.handles[11][1]);

  // Close up, the handles leave the image and the label stays inside.
  LookFrom({0, 1, -1.2}, {0, 1, 0});
  CView& near = MakeView(100, 100, &selection);
  DrawSceneWireframe(near, false);
  EXPECT_EQ(near.GetLabelX(), 80);
  EXPECT_EQ(near.GetLabelY(), 5);
}

TEST_F(SceneWireframe, InBoxModeOneTheBoxIsTheObjectsOwnAndEveryHandleIsHidden) {
  LookFrom({3, 1.5, -8}, {0, 1, 0});
  CWireSolid* solid = NewWire({0.5, 1, 0});
  solid->SetTransformVector2({0, 0.6, 0});
  solid->SetFlags(C3dObject::kSelected);
  CTestSelection selection;
  selection.objects = {solid};
  selection.boxMode = 1;
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(160, 120, &selection);
  Plain(v);
  v.FillBackground();
  DrawSceneWireframe(v, false);
  ASSERT_EQ(v.boxes.size(), 2u);
  EXPECT_EQ(v.boxes[1].box, solid->local);
  EXPECT_EQ(v.boxes[1].objectToWorld, solid->GetObjectToWorld());
  int32_t x = 0, y = 0;
  v.ProjectToPixel(solid->GetObjectToWorld().TransformPoint({-1, -1, -1}), v.GetWorldToCamera(), x, y);
  EXPECT_EQ(selection.handles[6][0], x);
  EXPECT_EQ(selection.handles[6][1], y);
  for (const auto& handle : selection.handles) EXPECT_EQ(Pixel(handle[0], handle[1]), 0u);
}

TEST_F(SceneWireframe, TheDepthCueFadesWithinTheRange) {
  LookFrom({0, 1, -10}, {0, 1, 0});
  CWireSolid* solid = NewWire({0, 1, 0});
  solid->local = {{-0.2, -0.2, -0.2}, {0.2, 0.2, 0.2}};  // less than 1 deep
  CView& v = MakeView(64, 48);
  v.GetStyle().shadows = false;
  DrawSceneWireframe(v, false);
  EXPECT_NEAR(v.GetDepthNear(), 9.8, 1e-9);
  EXPECT_NEAR(v.GetDepthFar(), 10.2, 1e-9);
  EXPECT_EQ(v.GetDepthScale(), double(0.8f));
  EXPECT_NEAR(solid->GetViewDepth(), 10.2, 1e-9);  // the last corner's

  // Two objects 10 apart; the far one's line at the far end of the range fades by 204 / 256; an
  // infinite plane leaves the range alone.
  CWireSolid* far = NewWire({0, 1, 10});
  far->local = solid->local;
  far->line[0] = far->line[1] = {};
  far->line[0].z = far->line[1].z = far->local.fMax.z;
  far->line[1].x = 0.1;
  MakeObject<C3dPlane>(table);
  solid->calls.clear();
  DrawSceneWireframe(v, false);
  EXPECT_NEAR(v.GetDepthNear(), 9.8, 1e-9);
  EXPECT_NEAR(v.GetDepthFar(), 20.2, 1e-9);
  const uint32_t background = v.GetStyle().background;
  const auto mix = [&](int t) {
    uint32_t out = 0;
    for (const int shift : {16, 8, 0}) {
      const int b = 0, g = int(background >> shift & 0xFF);
      out |= uint32_t(b + ((g - b) * t >> 8)) << shift;
    }
    return out;
  };
  // Their own colour is black.
  ASSERT_EQ(far->LastObjectPass().front, 0u);
  EXPECT_EQ(far->LastObjectPass().pen, mix(204));
  EXPECT_EQ(solid->LastObjectPass().pen, mix(int((10 - v.GetDepthNear()) * v.GetDepthScale() * 256)));

  // Flattened onto the ground, a segment below the camera's line of sight to the objects lies nearer
  // than the range: no fade, and no borrowing between the channels.
  solid->SetTransformVector3({0, 5, 0});
  far->SetTransformVector3({0, 5, 0.5});
  solid->calls.clear();
  LookFrom({0, 0.5, -3}, {0, 5, 0});
  CView& above = MakeView(64, 48);
  DrawSceneWireframe(above, false);
  ASSERT_TRUE(solid->calls[0].shadowPass);
  EXPECT_EQ(solid->calls[0].pen, solid->calls[0].shadow);
}

TEST_F(SceneWireframe, AFastDrawGivesUpDetailWithTime) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  std::vector<CWireSolid*> solids;
  for (int i = 0; i < 8; ++i) {
    solids.push_back(NewWire());
    solids.back()->tickMs = 300;  // 18 ticks an object
  }
  CBoxRecordingView& v = MakeView<CBoxRecordingView>(64, 48);
  v.GetStyle().shadows = false;
  DrawSceneWireframe(v, true);
  // The clock moves after each object's detail is chosen: 0, 18, …, 126 ticks.
  const uint32_t details[8] = {8, 8, 8, 8, 2, 2, 2, 0};
  for (int i = 0; i < 8; ++i) {
    if (details[i] == 0) {
      EXPECT_TRUE(solids[i]->calls.empty()) << i;
      continue;
    }
    ASSERT_EQ(solids[i]->calls.size(), 1u) << i;
    EXPECT_EQ(solids[i]->calls[0].detail, details[i]) << i;
    EXPECT_TRUE(solids[i]->calls[0].fast) << i;
  }
  EXPECT_EQ(v.boxes.size(), 1u);  // the last one's bounds
}

// An object a few pixels across is drawn from its reduced mesh: the full one would only put more
// lines into the same pixels. One around the eye or larger on screen keeps the full mesh.
TEST_F(SceneWireframe, AnObjectSmallOnScreenIsDrawnReduced) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  const struct {
    const char* what;
    Point position;
    bool reduced;
  } cases[] = {{"near", {0, 1, 0}, false}, {"far", {0, 1, 400}, true}, {"around the eye", {0, 2, -8}, false}};
  std::vector<CWireSolid*> solids;
  for (const auto& c : cases) solids.push_back(NewWire(c.position));
  CView& v = MakeView(64, 48);
  v.GetStyle().shadows = false;
  DrawSceneWireframe(v, false);
  for (size_t i = 0; i < solids.size(); ++i) {
    ASSERT_EQ(solids[i]->calls.size(), 1u) << cases[i].what;
    EXPECT_EQ(solids[i]->calls[0].fast, cases[i].reduced) << cases[i].what;
    EXPECT_EQ(v.IsSmallOnScreen(solids[i]->WorldBox(), v.GetWorldToCamera(), 6), cases[i].reduced) << cases[i].what;
  }
}

TEST_F(SceneWireframe, AClickDuringAnInterruptibleDrawSwitchesToFastMode) {
  LookFrom({0, 2, -8}, {0, 1, 0});
  std::vector<CWireSolid*> solids;
  for (int i = 0; i < 6; ++i) {
    solids.push_back(NewWire());
    solids.back()->tickMs = 200;  // 12 ticks an object
  }
  CView& v = MakeView(64, 48);
  v.GetStyle().shadows = false;
  v.SetInterruptible(true);
  platform::SetCursorPos(200, 200);
  ASSERT_TRUE(platform::headless::AddScript("wait 250\ndown left\n"));
  DrawSceneWireframe(v, false);
  // The first poll comes at 24 ticks, when the press waits.
  const uint32_t details[6] = {32, 32, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(solids[i]->calls.size(), 1u) << i;
    EXPECT_EQ(solids[i]->calls[0].detail, details[i]) << i;
    EXPECT_EQ(solids[i]->calls[0].fast, details[i] == 2) << i;
  }
  EXPECT_FALSE(v.IsInterruptible());
  app->FlushInput();
}

}  // namespace
