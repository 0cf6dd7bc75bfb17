// Camera navigation of the document window: the camera controls' press, drag and release, the views
// and view dots, the camera reset, the zoom onto the render region, centring and the camera options,
// driven by the messages the control palette sends, and the Space+Alt drag of the mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/doc_window.h"
#include "editing/camera_action.h"
#include "editing/undo_history.h"
#include "framework/core/handle_table.h"
#include "platform/headless.h"
#include "platform/system.h"
#include "scene/factory.h"
#include "scene/object_family.h"
#include "scene/sphere.h"
#include "tests/app/doc_window_fixture.h"

namespace {

constexpr uint32_t kAlt = 18, kSpace = 32;
constexpr double kFieldAngleReset = 1.047197551197;
constexpr uint32_t kDotHoldsView = 0x80000;

void ExpectNear(const vector3<double>& a, const vector3<double>& b, double tolerance, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

vector3<double> Unit(const vector3<double>& v) { return v * (1 / std::sqrt(Dot(v, v))); }

// A window that notes its final redraws and its presses.
class CCameraWindow : public CDocWindow {
 public:
  using CDocWindow::CDocWindow;

  int32_t Redraw(bool force) override {
    if (IsFinalRedraw()) ++finalRedraws;
    return CDocWindow::Redraw(force);
  }
  int32_t OnPointerPress(SWinEvent& event) override {
    ++presses;
    return CDocWindow::OnPointerPress(event);
  }

  uint32_t finalRedraws = 0;
  uint32_t presses = 0;
};

struct SCameraPose {
  vector3<double> eye;
  SCameraView view;
};

SCameraPose PoseOf(C3dCamera* camera) { return {camera->GetTransformVector3(), camera->GetView()}; }

class DocCamera : public DocWindowTest {
 protected:
  void SetUp() override {
    DocWindowTest::SetUp();
    if (HasFatalFailure()) return;
    w = &Made<CCameraWindow>();
    Show();
  }
  void TearDown() override {
    platform::headless::AddScript("keyup 18\nkeyup 32\n");
    Settle();
    DocWindowTest::TearDown();
  }
  void HoldAlt(bool down) {
    platform::headless::AddScript(down ? "key 18\n" : "keyup 18\n");
    Settle();
  }

  // A camera control's message as the control palette sends it.
  int32_t Control(uint32_t kind, const char* control, int32_t dx = 0, int32_t dy = 0, int32_t word0 = 0,
                  int32_t* reply = nullptr) {
    CUIMessage message;
    message.Init(kind, control, nullptr, "control palette", 0);
    message.SetPayloadWord(0, word0);
    message.SetPayloadWord(6, dx);
    message.SetPayloadWord(7, dy);
    const int32_t result = w->HandleCameraControl(&message);
    if (reply) *reply = message.GetPayloadWord(0);
    return result;
  }
  // A press, one drag step and the release.
  int32_t DragOnce(const char* control, int32_t dx, int32_t dy, int32_t word0 = 0) {
    EXPECT_EQ(Control(1, control), kHandled);
    const int32_t result = Control(2, control, dx, dy, word0);
    EXPECT_EQ(Control(3, control), kHandled);
    return result;
  }
  int32_t Named(const char* name, std::vector<int32_t> words) {
    CUIMessage message;
    message.Init(0, name, nullptr, "doc window", 0);
    for (uint32_t i = 0; i < words.size(); ++i) message.SetPayloadWord(i, words[i]);
    return w->HandleCameraMessage(&message);
  }
  C3dCamera* Camera() { return w->GetCurrentCamera(); }
  C3dCamera* View(uint32_t view) { return w->GetViewCamera(view); }
  CUndoHistory& History() { return w->GetDocument()->GetUndoHistory(); }

  C3dSphere* AddSphere(const vector3<double>& position, double radius = 0.5) {
    C3dSphere* sphere = nullptr;
    EXPECT_EQ(AppendNew(&sphere, w->GetSceneTable(), GetApplication()->GetObjectsEnv()), 0);
    sphere->GetPlacement().fScale = {radius, radius, radius};
    sphere->SetTransformVector3(position);
    SetObjectFamily(*sphere, 0);
    return sphere;
  }
  // The centre of the union of the world boxes of the scene's objects that are no camera.
  vector3<double> SceneCentre() {
    C3dBox box = C3dBox::Empty();
    for (uint32_t family : {C3dBaseSys::kObjectFamily, FourCC("lght")}) {
      for (C3dBase* thing : Things(family)) box.Union(thing->AsObject()->WorldBox());
    }
    return (box.fMin + box.fMax) * 0.5;
  }

  CCameraWindow* w = nullptr;
};

TEST_F(DocCamera, TheFieldOfViewButtonWidensNarrowsAndResets) {
  struct SCase {
    int32_t dx;
    int32_t word0;
    double start;
    double expected;
  } cases[] = {
      {0, 0, 1.0, 0.95},                 // no movement narrows
      {-3, 0, 1.0, 0.95},
      {4, 0, 1.0, 1.05},
      {4, 1, 0.3, kFieldAngleReset},     // Alt at the sender
      {-4, 1, 2.0, kFieldAngleReset},
      {4, 0, 3.2, 3.2},                  // past the widest: no growth
      {-4, 0, 0.015, 0.015},             // past the narrowest: no shrinking
  };
  for (const SCase& c : cases) {
    Camera()->GetView().fieldAngle = c.start;
    EXPECT_EQ(DragOnce("field of view button", c.dx, 0, c.word0), kHandled);
    EXPECT_DOUBLE_EQ(Camera()->GetView().fieldAngle, c.expected) << c.dx << " " << c.word0 << " " << c.start;
  }
  // Growth stops at the first angle at or above the widest, shrinking at the first at or below the
  // narrowest.
  const double widest = 3.1240472222222224, narrowest = 0.01745277777777778;
  Camera()->GetView().fieldAngle = 1.0;
  ASSERT_EQ(Control(1, "field of view button"), kHandled);
  for (int i = 0; i < 200; ++i) Control(2, "field of view button", 1, 0);
  const double wide = Camera()->GetView().fieldAngle;
  EXPECT_GE(wide, widest);
  EXPECT_LT(wide / 1.05, widest);
  for (int i = 0; i < 400; ++i) Control(2, "field of view button", 0, 0);
  const double narrow = Camera()->GetView().fieldAngle;
  EXPECT_LE(narrow, narrowest);
  EXPECT_GT(narrow / 0.95, narrowest);
  EXPECT_EQ(Control(3, "field of view button"), kHandled);
}

TEST_F(DocCamera, TheMoveControlsShiftEyeAndTargetAlongTheCameraAxes) {
  struct SCase {
    const char* control;
    int32_t dx, dy;
    // Eye and target steps in terms of right, up and direction.
    double eyeRight, eyeUp, eyeDirection;
    double targetRight, targetUp, targetDirection;
  } cases[] = {
      {"camera XY control", 10, 0, -0.2, 0, 0, -0.2, 0, 0},
      {"camera XY control", 0, 5, 0, 0.1, 0, 0, 0.1, 0},
      {"camera XZ control", 10, 5, -0.2, 0, 0.1, -0.2, 0, 0},
      {"camera YZ control", 10, 5, 0, 0.1, -0.2, 0, 0, -0.2},
  };
  for (const SCase& c : cases) {
    ASSERT_EQ(w->SetStandardView(CDocWindow::kPerspective), 0);
    const SCameraPose before = PoseOf(Camera());
    const vector3<double> right = Cross(before.view.up, before.view.direction);
    const vector3<double>& up = before.view.up;
    const vector3<double>& direction = before.view.direction;
    EXPECT_EQ(DragOnce(c.control, c.dx, c.dy), kHandled);
    const std::string what = std::string(c.control) + " " + std::to_string(c.dx) + "," + std::to_string(c.dy);
    ExpectNear(Camera()->GetTransformVector3() - before.eye,
               right * c.eyeRight + up * c.eyeUp + direction * c.eyeDirection, 1e-12, what + " eye");
    ExpectNear(Camera()->GetView().target - before.view.target,
               right * c.targetRight + up * c.targetUp + direction * c.targetDirection, 1e-12, what + " target");
  }
}

TEST_F(DocCamera, TheBankingButtonRollsTiltsAndResetsItsAngle) {
  C3dCamera* camera = Camera();
  SCameraPose before = PoseOf(camera);
  EXPECT_EQ(DragOnce("banking button", 10, 0), kHandled);
  // A roll of −0.1 about the direction: the direction stays, the up vector turns.
  ExpectNear(camera->GetView().direction, before.view.direction, 1e-12, "direction");
  EXPECT_NEAR(Dot(camera->GetView().up, Unit(before.view.up)), std::cos(0.1), 1e-9);
  ExpectNear(camera->GetTransformVector3(), before.eye, 1e-12, "eye");

  before = PoseOf(camera);
  EXPECT_EQ(DragOnce("banking button", 0, 10), kHandled);
  // A tilt: the eye goes round the target by 0.1 about the camera's horizontal axis.
  const vector3<double> was = before.eye - before.view.target, is = camera->GetTransformVector3() - before.view.target;
  EXPECT_NEAR(std::sqrt(Dot(is, is)), std::sqrt(Dot(was, was)), 1e-9);
  EXPECT_NEAR(Dot(Unit(is), Unit(was)), std::cos(0.1), 1e-9);

  camera->SetTransformVector2({0.1, 0.2, 0.3});
  EXPECT_EQ(DragOnce("banking button", 10, 10, 1), kHandled);
  ExpectNear(camera->GetTransformVector2(), {0.1, 0.2, 0}, 0, "the third angle reset");
}

TEST_F(DocCamera, AltAtThePressLevelsTheCameraOrResetsTheFieldAngle) {
  C3dCamera* camera = Camera();
  camera->RotateEyeAndTarget(0.4);
  camera->GetView().fieldAngle = 0.5;
  const vector3<double> direction = camera->GetView().direction;
  ASSERT_EQ(Control(1, "banking button"), kHandled);
  ASSERT_EQ(Control(3, "banking button"), kHandled);
  EXPECT_GT(std::fabs(Cross(camera->GetView().up, direction).y), 0.1) << "without Alt the roll stays";

  HoldAlt(true);
  ASSERT_EQ(Control(1, "banking button"), kHandled);
  EXPECT_FALSE(w->IsDragging());
  ASSERT_EQ(Control(3, "banking button"), kHandled);
  const vector3<double> up = camera->GetView().up;
  EXPECT_NEAR(Dot(up, up), 1, 1e-12) << "normalised";
  EXPECT_NEAR(Dot(up, direction), 0, 1e-12);
  EXPECT_NEAR(Cross(up, direction).y, 0, 1e-12) << "level: the right-hand axis is horizontal";
  EXPECT_GT(up.y, 0);
  EXPECT_EQ(camera->GetView().fieldAngle, 0.5);

  ASSERT_EQ(Control(1, "field of view button"), kHandled);
  ASSERT_EQ(Control(3, "field of view button"), kHandled);
  EXPECT_EQ(camera->GetView().fieldAngle, kFieldAngleReset);

  // Looking straight down there is no level to find: the up vector is kept, not zeroed.
  camera->GetView().direction = {0, -1, 0};
  camera->GetView().up = {0, 0, 1};
  ASSERT_EQ(Control(1, "banking button"), kHandled);
  ASSERT_EQ(Control(3, "banking button"), kHandled);
  ExpectNear(camera->GetView().up, {0, 0, 1}, 0, "straight down");
  HoldAlt(false);
}

TEST_F(DocCamera, TheTrackballOrbitsTheSceneCentreOrTurnsAboutTheEye) {
  C3dCamera* camera = Camera();
  // Mode 0: the press aims the orbit at the scene's centre, the drag goes round it.
  const SCameraPose before = PoseOf(camera);
  EXPECT_EQ(DragOnce("trackball control", 10, 0), kHandled);
  const vector3<double> centre = SceneCentre();
  ExpectNear(camera->GetView().target, centre, 1e-9, "target");
  const vector3<double> was = before.eye - centre, is = camera->GetTransformVector3() - centre;
  EXPECT_NEAR(is.y, was.y, 1e-9);
  EXPECT_NEAR(std::atan2(is.x, is.z) - std::atan2(was.x, was.z), 0.1, 1e-9);

  // Mode 1: about the selection's centre.
  C3dSphere* ball = AddSphere({4, 2, -3});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  Selection().Add(ball, 1, 0);
  EXPECT_EQ(w->SetTrackballMode(FourCC("cnts")), kHandled);
  EXPECT_EQ(DragOnce("trackball control", 0, 0), kHandled);
  ExpectNear(camera->GetView().target, {4, 2, -3}, 1e-12, "selection centre");

  // Mode 2: the eye stays and the view turns.
  EXPECT_EQ(w->SetTrackballMode(FourCC("trpd")), kHandled);
  const SCameraPose tripod = PoseOf(camera);
  EXPECT_EQ(DragOnce("trackball control", 10, 0), kHandled);
  ExpectNear(camera->GetTransformVector3(), tripod.eye, 0, "eye");
  const vector3<double>& d0 = tripod.view.direction;
  const vector3<double>& d1 = camera->GetView().direction;
  EXPECT_NEAR(std::atan2(d1.x, d1.z) - std::atan2(d0.x, d0.z), 0.1, 1e-9);
}

TEST_F(DocCamera, PressDragsAndReleaseMakeOneUndoableCameraAction) {
  C3dCamera* camera = Camera();
  const SCameraPose before = PoseOf(camera);
  const CUndoableAction* last = History().GetCurrentAction();
  int32_t reply = 0;
  EXPECT_EQ(Control(1, "camera XY control", 0, 0, 0, &reply), kHandled);
  EXPECT_TRUE(w->IsDragging());
  EXPECT_TRUE(w->GetFlags() & CDocWindow::kUnsavedChanges);
  // The press reply names the window by its 32-bit handle.
  EXPECT_EQ(LookupHandleAs<CDocWindow>(Handle32(reply), CDocWindow::kHandleTag), w);
  // A second press while the drag is under way keeps its action.
  EXPECT_EQ(Control(1, "field of view button"), kHandled);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Control(2, "camera XY control", 4, -2), kHandled);
  EXPECT_EQ(Control(2, "field of view button", 5, 0), kHandled);
  EXPECT_EQ(History().GetCurrentAction(), last) << "nothing recorded during the drag";
  EXPECT_EQ(Control(3, "camera XY control"), kHandled);
  EXPECT_FALSE(w->IsDragging());
  EXPECT_EQ(w->finalRedraws, 1u);
  auto* action = dynamic_cast<CCameraAction*>(History().GetCurrentAction());
  ASSERT_NE(action, nullptr);
  ASSERT_NE(action, last);
  EXPECT_EQ(action->GetCamera(), camera);
  const SCameraPose moved = PoseOf(camera);
  ASSERT_EQ(History().Undo(), 0);
  ExpectNear(camera->GetTransformVector3(), before.eye, 1e-12, "eye undone");
  ExpectNear(camera->GetView().target, before.view.target, 1e-12, "target undone");
  EXPECT_EQ(camera->GetView().fieldAngle, before.view.fieldAngle);
  ASSERT_EQ(History().Redo(), 0);
  ExpectNear(camera->GetTransformVector3(), moved.eye, 1e-12, "eye redone");
  EXPECT_EQ(camera->GetView().fieldAngle, moved.view.fieldAngle);

  // A release with no press before it records nothing.
  EXPECT_EQ(Control(3, "camera XY control"), kHandled);
  EXPECT_EQ(History().GetCurrentAction(), action);
  // Other elements and kinds are not the controls'.
  EXPECT_EQ(Control(1, "zoom in button"), 0);
  EXPECT_EQ(Control(4, "camera XY control"), 0);
}

// A window that goes while a drag is under way takes the drag's action along: the next window's
// release records nothing of a camera that is gone.
TEST_F(DocCamera, AWindowClosedInMidDragLeavesNoActionBehind) {
  ASSERT_EQ(Control(1, "camera XY control"), kHandled);
  ASSERT_EQ(Control(2, "camera XY control", 5, 5), kHandled);
  w = &Made<CCameraWindow>();
  Show();
  EXPECT_EQ(Control(3, "camera XY control"), kHandled);
  EXPECT_EQ(History().GetCurrentAction(), nullptr);
}

TEST_F(DocCamera, APressOverTheRenderedImageBringsTheWireframeBack) {
  ASSERT_EQ(w->ToggleRenderedImage(), kHandled);
  ASSERT_TRUE(w->GetMode() & CDocWindow::kRenderedShown);
  EXPECT_EQ(Control(1, "trackball control"), kHandled);
  EXPECT_FALSE(w->GetMode() & CDocWindow::kRenderedShown);
  EXPECT_TRUE(w->GetMode() & CDocWindow::kWireframeShown);
  EXPECT_EQ(Control(3, "trackball control"), kHandled);
}

TEST_F(DocCamera, ViewControlSwitchesAndResetsTheStandardViews) {
  C3dCamera* perspective = View(CDocWindow::kPerspective);
  auto hidden = [&] {
    return (perspective->GetFlags() & C3dObject::kNotDrawn) && (perspective->GetStateFlags() & C3dObject::kExcluded);
  };
  auto shown = [&] {
    return !(perspective->GetFlags() & C3dObject::kNotDrawn) && !(perspective->GetStateFlags() & C3dObject::kExcluded);
  };
  std::vector<SCameraPose> standard;
  for (uint32_t v = 0; v < CDocWindow::kStandardViewCount; ++v) standard.push_back(PoseOf(View(v)));

  EXPECT_EQ(Named("view control", {3}), kHandled);
  EXPECT_EQ(Camera(), View(CDocWindow::kFront));
  EXPECT_EQ(w->GetSetUpCamera(), View(CDocWindow::kFront));
  EXPECT_TRUE(w->HasCameraChanged());
  EXPECT_TRUE(shown()) << "the perspective camera shows in the other views";
  w->ClearCameraChanged();
  EXPECT_EQ(Named("view control", {0}), kHandled);
  EXPECT_EQ(Camera(), perspective);
  EXPECT_TRUE(hidden());
  EXPECT_TRUE(w->HasCameraChanged());

  // Every standard view moved, then view 7 puts them all back and looks through camera 0.
  for (uint32_t v = 0; v < CDocWindow::kStandardViewCount; ++v) {
    View(v)->SetTransformVector3({1, 2, 3});
    View(v)->GetView().extentX = 7;
    View(v)->GetView().offsetY = 0.25;
  }
  EXPECT_EQ(Named("view control", {5}), kHandled);
  EXPECT_EQ(Named("view control", {7}), kHandled);
  EXPECT_EQ(Camera(), perspective);
  EXPECT_TRUE(hidden());
  for (uint32_t v = 0; v < CDocWindow::kStandardViewCount; ++v) {
    ExpectNear(View(v)->GetTransformVector3(), standard[v].eye, 1e-12, "view " + std::to_string(v));
    EXPECT_EQ(View(v)->GetView(), standard[v].view) << v;
  }
  EXPECT_EQ(Named("view control", {8}), 0);
  EXPECT_EQ(Named("view control", {-1}), 0);
}

TEST_F(DocCamera, AViewDotStoresTheViewAndGivesItBack) {
  C3dCamera* perspective = View(CDocWindow::kPerspective);
  C3dCamera* dot = View(CDocWindow::kFirstViewDot + 3);
  perspective->SetTransformVector3({4, 5, 6});
  perspective->SetOrigin({0, 1, 0});
  perspective->GetView().extentX = 0.75;
  const SCameraPose stored = PoseOf(perspective);

  // An empty dot pressed: it takes the current view.
  EXPECT_EQ(Named("view dot", {3, 0, 2}), kHandled);
  EXPECT_TRUE(dot->GetStateFlags() & kDotHoldsView);
  ExpectNear(dot->GetTransformVector3(), stored.eye, 0, "dot eye");
  EXPECT_EQ(dot->GetView(), stored.view);

  // Elsewhere, through another view, then the dot pressed again: camera 0 gets its view back.
  ASSERT_EQ(w->SetStandardView(CDocWindow::kPerspective), 0);
  EXPECT_EQ(Named("view control", {1}), kHandled);
  EXPECT_EQ(Named("view dot", {3, 1, 2}), kHandled);
  EXPECT_EQ(Camera(), perspective);
  ExpectNear(perspective->GetTransformVector3(), stored.eye, 0, "restored eye");
  EXPECT_EQ(perspective->GetView(), stored.view);
  EXPECT_TRUE(perspective->GetFlags() & C3dObject::kNotDrawn);
  EXPECT_TRUE(perspective->GetStateFlags() & C3dObject::kExcluded);
  EXPECT_FALSE(perspective->GetStateFlags() & kDotHoldsView);
  EXPECT_EQ(w->GetSetUpCamera(), perspective);

  // Emptied.
  EXPECT_EQ(Named("view dot", {3, 2, 0}), kHandled);
  EXPECT_FALSE(dot->GetStateFlags() & kDotHoldsView);

  // Dot 0 is the standard perspective view.
  EXPECT_EQ(Named("view control", {4}), kHandled);
  EXPECT_EQ(Named("view dot", {0, 1, 2}), kHandled);
  EXPECT_EQ(Camera(), perspective);
  ExpectNear(perspective->GetTransformVector3(), {10, 3, -10}, 0, "dot 0");

  // No such dot.
  EXPECT_EQ(Named("view dot", {8, 0, 2}), 1);
  EXPECT_EQ(Named("view dot", {-1, 0, 2}), 1);
}

TEST_F(DocCamera, ZoomToSelectionFitsTheRenderRegionToTheView) {
  struct SCase {
    SRect region;
    double extent, panX, panY;
  } cases[] = {
      {{0, 0, 360, 480}, 1, 0, 0},        // the whole image: unchanged
      {{0, 0, 180, 240}, 0.5, 0.5, 0.5},  // the top left quarter
      {{180, 240, 360, 480}, 0.5, -0.5, -0.5},
      {{0, 0, 3, 4}, 4.0 / 480, 59.5, 59.5},  // small regions keep their fractions
      {{10, 10, 10, 50}, 1, 0, 0},        // empty: unchanged
  };
  for (const SCase& c : cases) {
    SCameraView& view = Camera()->GetView();
    view.extentX = view.extentY = 1;
    view.offsetX = view.offsetY = 0;
    w->SetRenderRegion(c.region);
    EXPECT_EQ(Named("zoom to selection", {}), kHandled);
    const std::string what = std::to_string(c.region.bottom) + "," + std::to_string(c.region.right);
    EXPECT_DOUBLE_EQ(view.extentX, c.extent) << what;
    EXPECT_DOUBLE_EQ(view.extentY, c.extent) << what;
    EXPECT_DOUBLE_EQ(view.offsetX, c.panX) << what;
    EXPECT_DOUBLE_EQ(view.offsetY, c.panY) << what;
  }
}

// Row 1 of the window's context menu asks the window, through its owner, to zoom.
TEST_F(DocCamera, TheContextMenusFirstRowZoomsToTheRenderRegion) {
  w->SetRenderRegion({0, 0, 180, 240});
  const platform::SPoint anchor{300, 300};
  const int32_t frame = 3;
  ASSERT_TRUE(platform::headless::AddScript("move 300 300\nmove " + std::to_string(anchor.x + frame + 30) + " " +
                                            std::to_string(anchor.y + frame + 9) + "\ndown left\nup left\n"));
  EXPECT_EQ(w->RunContextMenu(), 0);
  Settle();
  EXPECT_DOUBLE_EQ(Camera()->GetView().extentX, 0.5);
  EXPECT_DOUBLE_EQ(Camera()->GetView().offsetY, 0.5);
}

TEST_F(DocCamera, CentringAimsTheCameraOrSetsItsTarget) {
  C3dCamera* camera = Camera();
  const vector3<double> eye = camera->GetTransformVector3();
  const vector3<double> direction = camera->GetView().direction;
  const vector3<double> centre = SceneCentre();

  EXPECT_EQ(w->CentreOnScene(0), 0);
  ExpectNear(camera->GetView().target, centre, 1e-12, "scene target");
  ExpectNear(camera->GetView().direction, direction, 0, "the direction stays");
  EXPECT_EQ(Named("camera options menu", {int32_t(FourCC("cntr"))}), kHandled);
  ExpectNear(camera->GetView().direction, Unit(centre - eye), 1e-12, "aimed at the scene");
  ExpectNear(camera->GetTransformVector3(), eye, 0, "the eye stays");

  C3dSphere* a = AddSphere({4, 2, -3});
  C3dSphere* b = AddSphere({-2, 4, 1});
  ASSERT_EQ(w->FindSceneParts(true), 0);
  Selection().Add(a, 1, 0);
  Selection().Add(b, 0, 0);
  EXPECT_EQ(Named("camera options menu", {int32_t(FourCC("cnts"))}), kHandled);
  ExpectNear(camera->GetView().target, {1, 3, -1}, 1e-12, "selection target");
  ExpectNear(camera->GetView().direction, Unit(vector3<double>{1, 3, -1} - eye), 1e-12, "aimed at the selection");

  Selection().DeselectAll(1);
  EXPECT_EQ(w->CentreOnSelection(0), 0);
  ExpectNear(camera->GetView().target, {}, 0, "no selection: the origin");

  EXPECT_EQ(Named("camera options menu", {int32_t(FourCC("eyel"))}), kHandled);
  EXPECT_EQ(camera->GetTransformVector3().y, 0.5);
  EXPECT_EQ(Named("camera options menu", {int32_t(FourCC("xxxx"))}), kHandled);
}

TEST_F(DocCamera, TrackballOptionsSetTheMode) {
  struct SCase {
    uint32_t code;
    int32_t answer;
    int32_t mode;
  } cases[] = {
      {FourCC("trpd"), kHandled, CDocWindow::kTrackTripod},
      {FourCC("cnts"), kHandled, CDocWindow::kTrackSelection},
      {FourCC("xxxx"), 0, CDocWindow::kTrackSelection},
      {FourCC("trak"), kHandled, CDocWindow::kTrackScene},
  };
  for (const SCase& c : cases) {
    EXPECT_EQ(Named("trackball options menu", {int32_t(c.code)}), c.answer) << FourCCText(c.code);
    EXPECT_EQ(w->GetTrackballMode(), c.mode) << FourCCText(c.code);
    EXPECT_EQ(w->SetTrackballMode(c.code), c.answer) << FourCCText(c.code);
  }
  EXPECT_EQ(Named("something else", {}), 0);
}

TEST_F(DocCamera, ResetCameraSetsTheStandardViewUpAgain) {
  C3dCamera* camera = Camera();
  const SCameraPose start = PoseOf(camera);
  camera->SetTransformVector3({1, 1, 1});
  camera->GetView().fieldAngle = 0.2;
  camera->GetView().offsetX = 0.4;
  EXPECT_EQ(Named("reset camera", {0}), kHandled);
  ExpectNear(camera->GetTransformVector3(), start.eye, 0, "eye");
  EXPECT_EQ(camera->GetView(), start.view);
}

// The mouse drives the trackball through the same messages: Space+Alt orbits the camera and the
// pointer goes back to the press point.
TEST_F(DocCamera, ASpaceAltDragOrbitsTheCamera) {
  ASSERT_EQ(w->FindSceneParts(true), 0);
  C3dCamera* camera = Camera();
  const vector3<double> eye = camera->GetTransformVector3();
  const CUndoableAction* last = History().GetCurrentAction();
  const SPointHV screen = w->CanvasToScreen({200, 150});
  const std::string at = std::to_string(screen.h) + " " + std::to_string(screen.v);
  ASSERT_TRUE(platform::headless::AddScript("key 32\nkey 18\nmove " + at +
                                            "\ndown left\nwait 20\nrmove 20 0\nwait 20\nrmove 10 0\nwait 20\n"
                                            "up left\nkeyup 18\nkeyup 32\n"));
  Settle();
  EXPECT_EQ(w->presses, 1u);
  const vector3<double> centre = SceneCentre();
  const vector3<double> was = eye - centre, is = camera->GetTransformVector3() - centre;
  EXPECT_NEAR(std::sqrt(Dot(is, is)), std::sqrt(Dot(was, was)), 1e-9);
  EXPECT_NEAR(std::atan2(is.x, is.z) - std::atan2(was.x, was.z), 0.3, 1e-9);
  EXPECT_EQ(platform::GetCursorPos().x, screen.h);
  EXPECT_EQ(platform::GetCursorPos().y, screen.v);
  EXPECT_NE(History().GetCurrentAction(), last);
  EXPECT_NE(dynamic_cast<CCameraAction*>(History().GetCurrentAction()), nullptr);
  EXPECT_FALSE(w->IsDragging());
}

}  // namespace
