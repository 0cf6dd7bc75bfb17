// The mouse in the document window, driven through the headless input script: selecting, moving,
// handle drags, the selection band, the camera drags, and the band and scrolling over the rendered
// image.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "editing/camera_action.h"
#include "editing/matrix_action.h"
#include "editing/translate_action.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "scene/factory.h"
#include "scene/group.h"
#include "scene/object_family.h"
#include "scene/plane.h"
#include "scene/sphere.h"
#include "scene/sun_light.h"
#include "tests/app/doc_window_fixture.h"
#include "tests/app/press_script.h"

namespace {

constexpr uint32_t kShift = 16, kControl = 17, kAlt = 18, kSpace = 32;

void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const char* what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// A window that keeps what its press handler answered and the UI messages it was sent.
class CMouseWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;

  int32_t HandleMouseDown(SWinEvent& event) override {
    ++presses;
    result = CDocWindow::HandleMouseDown(event);
    return result;
  }
  int32_t HandleEvent(CUIMessage* message) override {
    messages.push_back(std::to_string(message->kind) + " " + message->elementName + " " +
                       std::to_string(message->GetPayloadWord(6)) + "," + std::to_string(message->GetPayloadWord(7)));
    return CDocWindow::HandleEvent(message);
  }

  uint32_t presses = 0;
  int32_t result = -1;
  std::vector<std::string> messages;
};

class DocWindowMouse : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CMouseWindow>();
    Show();
    Draw();
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 16\nkeyup 17\nkeyup 18\nkeyup 32\n");
    Settle();
    DocWindowTest::TearDown();
  }
  void Draw() {
    w->Invalidate(true);
    ASSERT_EQ(w->Redraw(false), 0);
  }
  // The keys held, a press at the canvas point, the script played while the button is down, the
  // release and the keys let go; then the press handler's answer.
  int32_t Press(SPointHV at, const std::string& during = "", std::vector<uint32_t> keys = {}) {
    const SPointHV screen = w->CanvasToScreen(at);
    EXPECT_TRUE(platform::headless::AddScript(PressScript(screen.h, screen.v, during, keys)));
    const uint32_t before = w->presses;
    Settle();
    EXPECT_EQ(w->presses, before + 1) << "the press reached the window";
    return w->result;
  }

  C3dSphere* AddSphere(const vector3<double>& position, double radius = 0.5) {
    C3dSphere* sphere = nullptr;
    EXPECT_EQ(AppendNew(&sphere, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    sphere->GetPlacement().fScale = {radius, radius, radius};
    sphere->SetTransformVector3(position);
    SetObjectFamily(*sphere, 0);
    return sphere;
  }
  void Ready() {
    ASSERT_EQ(w->FindSceneParts(true), 0);
    Draw();
  }
  SPointHV Pixel(const vector3<double>& point) const { return w->ProjectPoint(point); }
  static vector3<double> Centre(C3dObject* object) {
    const C3dBox box = object->WorldBox();
    return (box.fMin + box.fMax) * 0.5;
  }
  CUndoableAction* Recorded() { return w->GetDocument()->GetUndoHistory().GetCurrentAction(); }
  std::vector<C3dObject*> Selected() {
    std::vector<C3dObject*> out;
    for (uint32_t i = 0; i < Selection().GetCount(); ++i) out.push_back(Selection().GetObject(i));
    return out;
  }
  std::vector<uint32_t> SurfacePixels() {
    std::vector<uint32_t> out;
    const platform::Surface* surface = platform::GetWindowSurface(w->GetWindow());
    for (int32_t y = 0; surface && y < surface->Height(); ++y)
      for (int32_t x = 0; x < surface->Width(); ++x) out.push_back(surface->Pixel(x, y));
    return out;
  }
  static std::string Moves(int32_t dx, int32_t dy, int steps = 1) {
    std::string out;
    for (int i = 0; i < steps; ++i) out += "rmove " + std::to_string(dx) + " " + std::to_string(dy) + "\n";
    return out;
  }

  CMouseWindow* w = nullptr;
};

TEST_F(DocWindowMouse, ClicksSelectAndShiftClicksDeselect) {
  C3dSphere* ball = AddSphere({0, 1, 0});
  C3dSphere* other = AddSphere({3, 1, 0});
  Ready();
  Selection().Add(other, 0, 0);
  EXPECT_EQ(Press(Pixel(Centre(ball))), kHandled);
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{ball});
  EXPECT_EQ(Recorded(), nullptr);
  ExpectNear(ball->GetTransformVector3(), {0, 1, 0}, 0, "a click moves nothing");
  EXPECT_EQ(Press(Pixel(Centre(ball)), "", {kShift}), kHandled);
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(Recorded(), nullptr);
}

TEST_F(DocWindowMouse, ADragMovesTheSelectionAsOneUndoableMove) {
  C3dSphere* ball = AddSphere({0, 1, 0});
  Ready();
  const vector3<double> start = ball->GetTransformVector3();
  // Every step tells the control palette while the window asks for it.
  w->SetFlags(CDocWindow::kNotifyDrags);
  const uint32_t queued = owner->GetQueueCount();
  EXPECT_EQ(Press(Pixel(Centre(ball)), Moves(5, 0, 4)), kHandled);
  uint32_t steps = 0;
  for (uint32_t i = queued; i < owner->GetQueueCount(); ++i) steps += owner->PeekQueued(i).GetDataWord() == 0x80000004u;
  EXPECT_EQ(steps, 4u);
  const vector3<double> moved = ball->GetTransformVector3();
  EXPECT_GT(moved.x - start.x, 0.1);
  EXPECT_FALSE(Selection().IsMoveUnderWay());
  EXPECT_FALSE(w->IsDragging());
  ASSERT_NE(dynamic_cast<CTranslateAction*>(Recorded()), nullptr);
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Undo(), 0);
  ExpectNear(ball->GetTransformVector3(), start, 1e-12, "undone");
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Redo(), 0);
  ExpectNear(ball->GetTransformVector3(), moved, 1e-12, "redone");
}

// The band takes the top-level, unlocked objects the wireframe shows whose box centres lie inside.
TEST_F(DocWindowMouse, ABandSelectsTheObjectsWhoseCentresItEncloses) {
  C3dSphere* left = AddSphere({-1.5, 1, 0});
  C3dSphere* middle = AddSphere({0, 1, 0});
  C3dSphere* right = AddSphere({4, 1, 0});
  C3dSphere* locked = AddSphere({-0.5, 1, 0}, 0.2);
  locked->SetFlags(C3dObject::kTransformLocked);
  C3dSphere* member = AddSphere({0.5, 1, 0}, 0.2);
  C3dGroup* group = nullptr;
  ASSERT_EQ(AppendNew(&group, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
  ASSERT_EQ(group->AddChild(member), 0);
  group->SetTransformVector3({20, 20, 20});
  // The default ground's box centre lies in the band's way.
  for (C3dBase* ground : Things(C3dPlane::kFamily, C3dPlane::kClassTag))
    ground->AsObject()->SetFlags(C3dObject::kTransformLocked);
  Ready();
  const SPointHV a = Pixel(Centre(left)), b = Pixel(Centre(middle)), c = Pixel(Centre(right));
  ASSERT_LT(b.h + 10, c.h);
  // From the sky above the left ball to below the middle one's bottom right.
  const SPointHV from{a.h - 30, 5};
  const std::string band =
      "rmove " + std::to_string(b.h + 15 - from.h) + " " + std::to_string(b.v + 40 - from.v) + "\n";
  struct SCase {
    const char* name;
    std::vector<C3dObject*> before;
    std::vector<uint32_t> keys;
    std::vector<C3dObject*> after;
  } cases[] = {
      {"adds inside, drops outside", {right}, {}, {left, middle}},
      {"Shift toggles inside, keeps outside", {right, middle}, {kShift}, {right, left}},
  };
  for (const SCase& s : cases) {
    Selection().DeselectAll(1);
    for (C3dObject* object : s.before) Selection().Add(object, 0, 0);
    Draw();
    Settle();
    const std::vector<uint32_t> surface = SurfacePixels();
    EXPECT_EQ(Press(from, band, s.keys), kHandled) << s.name;
    EXPECT_EQ(Selected(), s.after) << s.name;
    EXPECT_FALSE(locked->IsSelected() || member->IsSelected() || group->IsSelected()) << s.name;
    EXPECT_FALSE(w->GetSun()->IsSelected() || w->GetCurrentCamera()->IsSelected()) << s.name;
    EXPECT_EQ(SurfacePixels(), surface) << s.name << ": the band is gone again";
  }
}

TEST_F(DocWindowMouse, AClickOnEmptySpaceDeselectsUnlessShiftIsHeld) {
  C3dSphere* ball = AddSphere({0, 1, 0});
  Ready();
  Selection().Add(ball, 0, 0);
  Draw();
  const SPointHV empty{5, 5};
  EXPECT_EQ(Press(empty, "", {kShift}), kHandled);
  EXPECT_EQ(Selected(), std::vector<C3dObject*>{ball});
  EXPECT_EQ(Press(empty), kHandled);
  EXPECT_TRUE(Selected().empty());
}

TEST_F(DocWindowMouse, PressesOnTheViewsBorderOrBehindADialogChangeNothing) {
  C3dSphere* ball = AddSphere({0, 1, 0});
  Ready();
  w->SetViewRect({20, 20, 340, 460});
  EXPECT_EQ(Press({20, 100}), kHandled);
  EXPECT_TRUE(Selected().empty());
  w->SetViewRect({0, 0, 360, 480});
  owner->RaiseModalLevel();
  const uint32_t beeps = platform::BeepCount();
  EXPECT_EQ(Press(Pixel(Centre(ball))), kHandled);
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  EXPECT_TRUE(Selected().empty());
  owner->LowerModalLevel();
}

TEST_F(DocWindowMouse, HandleDragsRecordAMatrixActionAndCtrlAltResets) {
  C3dSphere* ball = AddSphere({0.3, 1, 0});
  Ready();
  Selection().Add(ball, 0, 0);
  Draw();
  int32_t x = 0, y = 0;
  Selection().GetHandle(1, &x, &y);
  // A press without movement still records.
  EXPECT_EQ(Press({x, y}), kHandled);
  EXPECT_NE(dynamic_cast<CMatrixAction*>(Recorded()), nullptr);
  EXPECT_EQ(Selection().GetEditKind(), uint32_t(CSelection::kResize));
  const C3dBox before = ball->WorldBox();
  EXPECT_EQ(Press({x, y}, Moves(8, 0, 2)), kHandled);
  EXPECT_GT(ball->WorldBox().fMax.x - ball->WorldBox().fMin.x, before.fMax.x - before.fMin.x + 0.05);
  EXPECT_FALSE(w->IsDragging());
  // Shift pressed in mid-drag: back to the drag start, then gathering toward a snap.
  const double grown = ball->WorldBox().fMax.x - ball->WorldBox().fMin.x;
  Draw();
  Selection().GetHandle(1, &x, &y);
  EXPECT_EQ(Press({x, y}, Moves(8, 0) + "key 16\n" + Moves(8, 0)), kHandled);
  EXPECT_NEAR(ball->WorldBox().fMax.x - ball->WorldBox().fMin.x, grown, 1e-12);

  ball->SetTransformVector2({0.4, 0, 0});
  Draw();
  Selection().GetHandle(1, &x, &y);
  CUndoableAction* last = Recorded();
  EXPECT_EQ(Press({x, y}, "", {kControl, kAlt}), kHandled);
  EXPECT_EQ(Recorded(), last);
  ExpectNear(ball->GetTransformVector2(), {}, 0, "rotation reset");
  ExpectNear(ball->GetScaledSize(), {2, 2, 2}, 1e-12, "size reset");
}

TEST_F(DocWindowMouse, SpaceDragsPanTheCameraAndPutThePointerBack) {
  C3dCamera* camera = w->GetCurrentCamera();
  const SCameraView start = camera->GetView();
  const SPointHV at{200, 150};
  EXPECT_EQ(Press(at, Moves(100, 50), {kSpace}), kHandled);
  EXPECT_NEAR(camera->GetView().offsetX - start.offsetX, 0.1, 1e-12);
  EXPECT_NEAR(camera->GetView().offsetY - start.offsetY, 0.05, 1e-12);
  const SPointHV screen = w->CanvasToScreen(at);
  EXPECT_EQ(platform::GetCursorPos().x, screen.h);
  EXPECT_EQ(platform::GetCursorPos().y, screen.v);
  ASSERT_NE(dynamic_cast<CCameraAction*>(Recorded()), nullptr);
  const SCameraView panned = camera->GetView();
  const vector3<double> eye = camera->GetTransformVector3();
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Undo(), 0);
  EXPECT_EQ(camera->GetView().offsetX, start.offsetX);
  EXPECT_EQ(camera->GetView().offsetY, start.offsetY);
  ExpectNear(camera->GetTransformVector3(), eye, 1e-12, "the eye stays");
  ExpectNear(camera->GetView().target, start.target, 1e-12, "the target stays");
  ASSERT_EQ(w->GetDocument()->GetUndoHistory().Redo(), 0);
  EXPECT_EQ(camera->GetView().offsetX, panned.offsetX);

  EXPECT_EQ(Press(at, Moves(10, 10), {kSpace, kAlt}), kHandled);
  // Space with Alt is the trackball, sent to the window as the camera controls would send it.
  EXPECT_EQ(w->messages, (std::vector<std::string>{"1 trackball control 0,0", "2 trackball control 10,10",
                                                   "3 trackball control 0,0"}));

  const double extent = camera->GetView().extentX;
  EXPECT_EQ(Press(at, "", {kSpace, kControl}), kHandled);
  EXPECT_NEAR(camera->GetView().extentX, extent * double(0.6666667f), 1e-9);
  EXPECT_EQ(Press(at, "", {kSpace, kControl, kAlt}), kHandled);
  EXPECT_NEAR(camera->GetView().extentX, extent * double(0.6666667f) * 1.5, 1e-9);
}

TEST_F(DocWindowMouse, SpaceWithAltOnTheDragZeroesThePans) {
  C3dCamera* camera = w->GetCurrentCamera();
  camera->GetView().offsetX = 0.3;
  camera->GetView().offsetY = -0.2;
  // Alt pressed after the press: the drag goes on as a pan and Alt centres it.
  EXPECT_EQ(Press({200, 150}, "key 18\n" + Moves(7, 3), {kSpace}), kHandled);
  EXPECT_EQ(camera->GetView().offsetX, 0);
  EXPECT_EQ(camera->GetView().offsetY, 0);
}

// The move plane faces the camera through the press point; the objects follow the pointer's ray.
TEST_F(DocWindowMouse, PlaneMovesFollowThePointersRayAcrossTheViewPlane) {
  C3dSphere* ball = AddSphere({0, 1, 0});
  Ready();
  vector3<double> u;
  ASSERT_EQ(w->GetDocument()->GetViewDirection(&u), 0);
  const SPointHV p = Pixel({0, 1, 0});
  struct SCase {
    const char* name;
    std::vector<uint32_t> keys;
    vector3<double> kept;
  } cases[] = {
      {"free", {}, {1, 1, 1}},
      {"Ctrl: z only", {kControl}, {0, 0, 1}},
      {"Alt: y only", {kAlt}, {0, 1, 0}},
      {"Ctrl+Alt: x only", {kControl, kAlt}, {1, 0, 0}},
  };
  for (const SCase& c : cases) {
    std::string script;
    for (uint32_t key : c.keys) script += "key " + std::to_string(key) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
    ball->SetTransformVector3({0, 1, 0});
    Selection().DeselectAll(1);
    Selection().Add(ball, 0, 0);
    Selection().BeginPlaneMove({0, 1, 0});
    Selection().SetLastPoint(p.h, p.v);
    vector3<double> moved;
    Selection().PlaneMoveStep(p.h + 10, p.v, &moved);
    vector3<double> origin, direction;
    w->PixelRay(p.h + 10, p.v, &origin, &direction);
    const double t = Dot(vector3<double>{0, 1, 0} - origin, u) / Dot(direction, u);
    const vector3<double> free = origin + direction * t - vector3<double>{0, 1, 0};
    ExpectNear(moved, {free.x * c.kept.x, free.y * c.kept.y, free.z * c.kept.z}, 1e-9, c.name);
    ExpectNear(ball->GetTransformVector3(), vector3<double>{0, 1, 0} + moved, 1e-12, c.name);
    if (c.keys.empty()) {
      EXPECT_NEAR(Dot(moved, u), 0, 1e-9);
      const vector3<double> offRay = Cross(ball->GetTransformVector3() - origin, direction);
      EXPECT_NEAR(Dot(offRay, offRay), 0, 1e-12) << "on the pointer's ray";
    }
    script.clear();
    for (uint32_t key : c.keys) script += "keyup " + std::to_string(key) + "\n";
    ASSERT_TRUE(platform::headless::AddScript(script));
    Settle();
  }
  // A ray along the plane meets it nowhere: nothing moves.
  vector3<double> origin, direction;
  w->PixelRay(p.h + 10, p.v, &origin, &direction);
  vector3<double> across = Cross(direction, vector3<double>{0, 1, 0});
  across *= 1 / std::sqrt(Dot(across, across));
  w->GetCurrentCamera()->GetView().direction = across;
  ball->SetTransformVector3({0, 1, 0});
  Selection().BeginPlaneMove({0, 1, 0});
  vector3<double> moved{1, 1, 1};
  Selection().PlaneMoveStep(p.h + 10, p.v, &moved);
  ExpectNear(moved, {}, 0, "parallel");
  ExpectNear(ball->GetTransformVector3(), {0, 1, 0}, 0, "parallel");
}

// ---- over the rendered image

TEST_F(DocWindowMouse, ABandOverTheRenderedImageChoosesTheRenderRegion) {
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  ASSERT_EQ(w->GetZoomLevel(), 0);
  w->GetRenderState().fContext.GetProgressive().blockSize = 2;
  EXPECT_EQ(Press({10, 10}, "rmove 40 30\n"), 0);
  EXPECT_EQ(w->GetRenderRegion(), (SRect{10, 10, 40, 50}));
  EXPECT_EQ(w->GetRenderState().fContext.GetProgressive().blockSize, 16u);
  EXPECT_FALSE(w->IsDragging());
}

TEST_F(DocWindowMouse, ABandBesideASmallerRenderedImageResetsTheRegion) {
  Make<CMouseWindow>(kSize, {200, 150});
  w = static_cast<CMouseWindow*>(window);
  Show();
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  w->SetRenderRegion({5, 5, 20, 20});
  // The image lies centred; the band is left of it.
  EXPECT_EQ(Press({30, 20}, "rmove 60 100\n"), 0);
  EXPECT_EQ(w->GetRenderRegion(), (SRect{0, 0, 150, 200}));
}

TEST_F(DocWindowMouse, SpaceScrollsTheRenderedImageWithinItsBounds) {
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  ASSERT_EQ(w->Zoom(true, false), kHandled);
  const SRect start = w->GetVisiblePart();
  ASSERT_LT(start.right - start.left, 480);
  EXPECT_EQ(Press({100, 100}, Moves(-15, 7), {kSpace}), kHandled);
  SRect part = w->GetVisiblePart();
  EXPECT_EQ(part.left, start.left - 15);
  EXPECT_EQ(part.top, start.top + 7);
  EXPECT_EQ(Press({100, 100}, Moves(-400, -400), {kSpace}), kHandled);
  part = w->GetVisiblePart();
  EXPECT_EQ(part.left, 0);
  EXPECT_EQ(part.top, 0);
  EXPECT_EQ(part.right - part.left, start.right - start.left);
  EXPECT_EQ(Press({100, 100}, Moves(900, 900), {kSpace}), kHandled);
  part = w->GetVisiblePart();
  EXPECT_EQ(part.right, 480);
  EXPECT_EQ(part.bottom, 360);
}

// A 30-pixel drag of a side handle scales by 1.05 for every 4 pixels however many steps it arrives in,
// whether the pointer reports its travel step by step or its absolute place (a tablet, or a pointer
// that moved again before going back to the press point took effect); the pointer ends where it was
// pressed.
TEST_F(DocWindowMouse, AResizeDragCountsEachPixelOnce) {
  const double expected = std::pow(1.05, 30 / 4.0);
  for (const bool absolute : {false, true}) {
    for (const int steps : {1, 3, 30}) {
      const std::string what = std::string(absolute ? "absolute" : "relative") + ", " + std::to_string(steps);
      C3dSphere* ball = AddSphere({0.3, 1, 0});
      Ready();
      Selection().DeselectAll(1);
      Selection().Add(ball, 0, 0);
      Draw();
      int32_t x = 0, y = 0;
      Selection().GetHandle(1, &x, &y);
      const SPointHV press = w->CanvasToScreen({x, y});
      std::string moves;
      for (int i = 1; i <= steps; ++i) {
        moves += absolute ? "move " + std::to_string(press.h + 30 * i / steps) + " " + std::to_string(press.v) + "\n"
                          : "rmove " + std::to_string(30 / steps) + " 0\n";
      }
      const double before = ball->WorldBox().fMax.x - ball->WorldBox().fMin.x;
      EXPECT_EQ(Press({x, y}, moves), kHandled) << what;
      EXPECT_NEAR((ball->WorldBox().fMax.x - ball->WorldBox().fMin.x) / before, expected, 1e-9) << what;
      EXPECT_EQ(platform::GetCursorPos().x, press.h) << what;
      EXPECT_EQ(platform::GetCursorPos().y, press.v) << what;
    }
  }
}

}  // namespace
