// The camera editor over the stand-in window's current camera: what it reads into its ten fields,
// what "ok" writes back, and a table of cameras that opening and "ok" leave where they were.
#include <cmath>
#include <memory>
#include <string>

#include "framework/core/matrix34.h"
#include "framework/core/result_codes.h"
#include "panels/edit_camera.h"
#include "scene/camera.h"
#include "tests/panels/dialogs_fixture.h"

namespace {

constexpr const char* kCanvas = "edit camera";

double DegreesRad(double degrees) { return degrees * M_PI / 180; }

// The stand-in window with an image of 480 × 360.
class CCameraHost : public CPaletteHost {
 public:
  SPointHV GetWindowImageSize() const override { return {480, 360}; }
};

class EditCamera : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    if (HasFatalFailure()) return;
    cameraHost.documentHost = &host;
    cameraHost.document = document.get();
    camera = MakeObject<C3dCamera>(table);
    ASSERT_NE(camera, nullptr);
    cameraHost.camera = camera;
    SetCurrentDocumentHost(&cameraHost);
    dialog = Dialog<CEditCamera>("editcamera.dat");
  }
  void TearDown() override {
    dialog.reset();
    DialogsTest::TearDown();
  }
  void Open() {
    ASSERT_EQ(dialog->SetCamera(&cameraHost), 0);
    dialog->Open();
  }
  std::string Text(const char* field) { return GetElementWindow(Find(*dialog, field))->GetText(); }
  int32_t Ok() {
    CUIMessage ok = Named(kCanvas, "ok");
    return dialog->HandleEvent(&ok);
  }

  CCameraHost cameraHost;
  C3dCamera* camera = nullptr;
  std::unique_ptr<CEditCamera> dialog;
};

TEST_F(EditCamera, TheDefaultCameraLoadsAsNoTurnSixtyDegreesAndFullScale) {
  Open();
  for (const char* field : {"offset x", "offset y", "offset z", "rotate x", "rotate y", "rotate z", "pan h", "pan v"})
    EXPECT_EQ(Text(field), "0") << field;
  EXPECT_EQ(Text("field of view"), "60");
  EXPECT_EQ(Text("scale"), "100");
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(owner->GetModalLevel(), 1u);
  EXPECT_TRUE(Focused(GetElementWindow(Find(*dialog, "offset x"))));
  dialog->Close();
  camera->GetView().direction = {0, 0, -1};
  Open();
  EXPECT_EQ(Text("rotate y"), "180");
}

TEST_F(EditCamera, OkWritesFieldOfViewPanAndScaleAndRedrawsWithoutUndo) {
  Open();
  Type(GetElementWindow(Find(*dialog, "field of view")), "45");
  Type(GetElementWindow(Find(*dialog, "pan h")), "48");
  Type(GetElementWindow(Find(*dialog, "scale")), "200");
  cameraHost.calls.clear();
  EXPECT_EQ(Ok(), kHandled);
  EXPECT_FALSE(dialog->IsShown());
  const SCameraView& view = camera->GetView();
  EXPECT_DOUBLE_EQ(view.fieldAngle, 45 * double(3.1415927f) / 180);
  EXPECT_DOUBLE_EQ(view.offsetX, 0.1);
  EXPECT_DOUBLE_EQ(view.extentX, 0.5);
  EXPECT_DOUBLE_EQ(view.extentY, 0.5);
  EXPECT_EQ(cameraHost.calls, (std::vector<std::string>{"cache camera", "invalidate view", "objinfochanged 1", "find parts"}));
  EXPECT_EQ(document->GetUndoHistory().GetCurrentAction(), nullptr);
}

// A camera opened and written back stays where it was: yaw, pitch, roll and looking straight up or
// down included; a roll reads back with its sign.
TEST_F(EditCamera, OpeningAndOkLeaveEveryCameraAsItWas) {
  struct SCase {
    double yaw, pitch, roll;  // degrees, as the fields show them
  } cases[] = {{0, 0, 0},    {90, 0, 0},  {180, 0, 0}, {270, 0, 0},  {30, 45, 0},
               {200, -45, 0}, {0, 0, 30}, {60, 20, -30}, {0, -90, 0}, {0, 90, 0}, {45, -90, 25}};
  for (const SCase& c : cases) {
    // The camera is placed through its own turns, as a user's moves would place it.
    SCameraView& view = camera->GetView();
    view = SCameraView();
    camera->SetTransformVector3({1, 2, -3});
    view.target = {1, 2, 7};
    camera->TurnB(DegreesRad(-c.pitch));
    camera->TurnA(-DegreesRad(c.yaw));
    camera->RotateEyeAndTarget(DegreesRad(c.roll));
    view.fieldAngle = 0.9;
    const SCameraView before = view;
    Open();
    EXPECT_EQ(Ok(), kHandled);
    ExpectNear(view.direction, before.direction, 1e-5, "direction");
    ExpectNear(view.up, before.up, 1e-5, "up");
    EXPECT_NEAR(view.fieldAngle, before.fieldAngle, 1e-5);
    ExpectNear(camera->GetTransformVector3(), {1, 2, -3}, 1e-9, "eye");
  }
  // A roll of -30 reads back as -30.
  Open();
  Type(GetElementWindow(Find(*dialog, "rotate z")), "-30");
  EXPECT_EQ(Ok(), kHandled);
  Open();
  EXPECT_EQ(Text("rotate z"), "-30");
}

}  // namespace
