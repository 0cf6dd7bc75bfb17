// Camera navigation of the document window: the six camera controls' press, drag and release (one
// camera action per drag), the standard views and the eight view dots, the camera reset, the zoom
// onto the render region, centring, and the camera and trackball options.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "app/doc_window.h"
#include "document/doc_settings.h"
#include "editing/camera_action.h"
#include "editing/document.h"
#include "editing/selection.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/box3d.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "scene/base_sys.h"
#include "scene/camera.h"

namespace {

// The controls, in the order their names are tested.
enum ECameraControl : uint32_t {
  kTrackball,
  kBanking,
  kFieldOfView,
  kCameraXZ,
  kCameraYZ,
  kCameraXY,
  kCameraControlCount,
};
constexpr const char* kControlNames[kCameraControlCount] = {
    "trackball control", "banking button", "field of view button",
    "camera XZ control", "camera YZ control", "camera XY control",
};

constexpr uint32_t kPress = 1;
constexpr uint32_t kDrag = 2;
constexpr uint32_t kRelease = 3;
// Payload words: the reset asked by Alt at the sender (and the press reply), and the movement.
constexpr uint32_t kValueWord = 0;
constexpr uint32_t kBeforeWord = 1;
constexpr uint32_t kAfterWord = 2;
constexpr uint32_t kMoveXWord = 6;
constexpr uint32_t kMoveYWord = 7;

constexpr double kRotationPerPixel = 0.01;
constexpr double kTranslationPerPixel = 0.02;
constexpr double kFieldAngleReset = 1.047197551197;
constexpr double kFieldGrowth = 1.05;
constexpr double kFieldShrink = 0.95;
constexpr double kWidestField = 3.1240472222222224;
constexpr double kNarrowestField = 0.01745277777777778;
// Beyond this |direction · up| the up vector cannot tell which way is level.
constexpr double kDegenerateAlignment = 0.999;
// Shorter than this, the level axis is no axis: the camera looks straight up or down.
constexpr double kLeastLevelAxis = 1e-9;
constexpr double kEyeLevel = 0.5;

// "objinfochanged": the camera changed, and the same for a drag step.
constexpr uint32_t kCameraChanged = 1;
constexpr uint32_t kCameraStepChanged = 0x80000001;

// The view-dot camera holds a view.
constexpr uint32_t kDotHoldsView = 0x80000;

constexpr uint32_t kCentreOnScene = FourCC("cntr");
constexpr uint32_t kCentreOnSelection = FourCC("cnts");
constexpr uint32_t kEyeLevelCode = FourCC("eyel");
constexpr uint32_t kTrackCode = FourCC("trak");
constexpr uint32_t kTripodCode = FourCC("trpd");

// The order "view control" 7 sets the standard views up again.
constexpr uint32_t kResetOrder[] = {CDocWindow::kPerspective, CDocWindow::kTop,  CDocWindow::kFront,
                                    CDocWindow::kLeft,        CDocWindow::kRight, CDocWindow::kBack,
                                    CDocWindow::kBottom};

// The one drag of a camera control under way: its action lives from the press to the release.
std::unique_ptr<CCameraAction> gPendingAction;

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

uint32_t ControlOf(const char* name) {
  for (uint32_t control = 0; control < kCameraControlCount; ++control) {
    if (Is(name, kControlNames[control])) return control;
  }
  return kCameraControlCount;
}

// The camera's right-hand axis, up × direction.
vector3<double> RightOf(const SCameraView& view) { return Cross(view.up, view.direction); }

void MoveEyeAndTarget(C3dCamera& camera, const vector3<double>& eyeStep, const vector3<double>& targetStep) {
  camera.SetTransformVector3(camera.GetTransformVector3() + eyeStep);
  camera.GetView().target += targetStep;
}

void MoveCamera(C3dCamera& camera, uint32_t control, int32_t dx, int32_t dy, bool reset) {
  SCameraView& view = camera.GetView();
  const vector3<double> right = RightOf(view);
  switch (control) {
    case kFieldOfView:
      if (reset) {
        view.fieldAngle = kFieldAngleReset;
      } else if (dx > 0) {
        if (view.fieldAngle < kWidestField) view.fieldAngle *= kFieldGrowth;
      } else if (view.fieldAngle > kNarrowestField) {
        view.fieldAngle *= kFieldShrink;
      }
      break;
    case kBanking:
      if (reset) {
        vector3<double> rotation = camera.GetTransformVector2();
        rotation.z = 0;
        camera.SetTransformVector2(rotation);
      } else {
        camera.RotateEyeAndTarget(-dx * kRotationPerPixel);
        camera.OrbitB(dy * kRotationPerPixel);
      }
      break;
    case kTrackball:
      break;
    case kCameraXY: {
      const vector3<double> step = (right * double(dx) - view.up * double(dy)) * -kTranslationPerPixel;
      MoveEyeAndTarget(camera, step, step);
      break;
    }
    case kCameraXZ:
      MoveEyeAndTarget(camera, (right * double(dx) - view.direction * double(dy)) * -kTranslationPerPixel,
                       right * (dx * -kTranslationPerPixel));
      break;
    case kCameraYZ:
      MoveEyeAndTarget(camera, (view.direction * double(dx) - view.up * double(dy)) * -kTranslationPerPixel,
                       view.direction * (dx * -kTranslationPerPixel));
      break;
    default:
      break;
  }
}

void Trackball(C3dCamera& camera, int32_t mode, int32_t dx, int32_t dy) {
  if (mode == CDocWindow::kTrackTripod) {
    camera.TurnA(dx * kRotationPerPixel);
    camera.TurnB(dy * kRotationPerPixel);
  } else {
    camera.OrbitA(dx * kRotationPerPixel);
    camera.OrbitB(dy * kRotationPerPixel);
  }
}

// Level again: up square to the direction in the vertical plane through it. Looking straight up or
// down there is no such plane, and the camera keeps its up vector.
void LevelUpVector(SCameraView& view) {
  const vector3<double>& d = view.direction;
  const vector3<double> level =
      std::fabs(Dot(d, view.up)) > kDegenerateAlignment ? vector3<double>{0, 1, 0} : vector3<double>{d.z, 0, -d.x};
  const vector3<double> up = Cross(d, level);
  const double length = std::sqrt(Dot(up, up));
  if (std::sqrt(Dot(level, level)) < kLeastLevelAxis || !(length > 0)) return;
  view.up = up * (1 / length);
}

vector3<double> CentreOf(const C3dBox& box) { return (box.fMin + box.fMax) * 0.5; }

}  // namespace

Handle32 CDocWindow::GetHandle() {
  if (fHandle == kNoHandle) fHandle = RegisterHandle(this, kHandleTag);
  return fHandle;
}

void CDocWindow::ReleaseCameraNavigation() {
  if (fHandle != kNoHandle) ReleaseHandle(fHandle);
  fHandle = kNoHandle;
  // A drag cut short with the window: its camera goes with the window.
  if (!gPendingAction) return;
  C3dCamera* camera = gPendingAction->GetCamera();
  bool ours = camera == fCurrentCamera;
  for (C3dCamera* view : fViewCameras) ours = ours || camera == view;
  if (ours) gPendingAction.reset();
}

// ---- the six camera controls

int32_t CDocWindow::HandleCameraControl(CUIMessage* message) {
  if (!message) return kNoErr;
  const uint32_t control = ControlOf(message->elementName);
  if (control == kCameraControlCount) return kNoErr;
  switch (message->kind) {
    case kPress: return PressCameraControl(message, control);
    case kDrag: return DragCameraControl(*message, control);
    case kRelease: return ReleaseCameraControl();
    default: return kNoErr;
  }
}

int32_t CDocWindow::PressCameraControl(CUIMessage* message, uint32_t control) {
  if (!gPendingAction) {
    auto action = std::make_unique<CCameraAction>(fCurrentCamera);
    if (!fCurrentCamera || !action->IsValid()) return kErrOutOfMemory;
    gPendingAction = std::move(action);
  }
  fDragging = 1;
  fFlags |= kUnsavedChanges;
  if (control == kTrackball) {
    if (fTrackballMode == kTrackScene) CentreOnScene(0);
    if (fTrackballMode == kTrackSelection) CentreOnSelection(0);
  }
  CAppl* app = GetApplication();
  if ((control == kBanking || control == kFieldOfView) && app && app->IsAltDown()) {
    if (const int32_t err = LevelCamera(control)) return err;
  }
  if (fMode & kRenderedShown) {
    Invalidate(true);
    Redraw(false);
    UpdateSelectionPaletteMode();
  }
  message->SetPayloadWord(kValueWord, int32_t(GetHandle()));
  return kHandled;
}

// Alt at the press: the banking button levels the camera, the field-of-view button resets the angle.
int32_t CDocWindow::LevelCamera(uint32_t control) {
  C3dCamera* camera = fCurrentCamera;
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return NonZeroError(camera->GetError());
    SCameraView& view = camera->GetView();
    if (control == kBanking) {
      LevelUpVector(view);
    } else {
      view.fieldAngle = kFieldAngleReset;
    }
  }
  CacheCameraState();
  Invalidate(true);
  Redraw(false);
  NotifyDragStep(kCameraStepChanged);
  NotifyObjInfoChanged(kCameraChanged);
  fDragging = 0;
  return kNoErr;
}

int32_t CDocWindow::DragCameraControl(const CUIMessage& message, uint32_t control) {
  C3dCamera* camera = fCurrentCamera;
  if (!camera) return kHandled;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return kHandled;
  fDragging = 1;
  const int32_t dx = message.GetPayloadWord(kMoveXWord), dy = message.GetPayloadWord(kMoveYWord);
  if (control == kTrackball) {
    Trackball(*camera, fTrackballMode, dx, dy);
  } else {
    MoveCamera(*camera, control, dx, dy, message.GetPayloadWord(kValueWord) != 0);
  }
  Invalidate(true);
  NotifyDragStep(kCameraStepChanged);
  return kHandled;
}

int32_t CDocWindow::ReleaseCameraControl() {
  int32_t err = kNoErr;
  if (gPendingAction) err = fDocument->GetUndoHistory().Push(gPendingAction.release());
  fDragging = 0;
  Invalidate(true);
  CacheCameraState();
  NotifyObjInfoChanged(kCameraChanged);
  fFinalRedraw = 1;
  Redraw(true);
  fFinalRedraw = 0;
  return err ? err : kHandled;
}

// ---- the named messages

int32_t CDocWindow::HandleCameraMessage(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* name = message->elementName;
  const int32_t value = message->GetPayloadWord(kValueWord);
  if (Is(name, "zoom to selection")) return ZoomToRenderRegion();
  if (Is(name, "reset camera")) return ResetCamera(*message);
  if (Is(name, "view dot")) return PressViewDot(*message);
  if (Is(name, "view control")) return SelectView(value);
  if (Is(name, "camera options menu")) return CameraOption(uint32_t(value));
  if (Is(name, "trackball options menu")) return SetTrackballMode(uint32_t(value));
  return kNoErr;
}

int32_t CDocWindow::ResetCamera(const CUIMessage& message) {
  if (const int32_t err = SetStandardView(uint32_t(message.GetPayloadWord(kValueWord)))) return err;
  CacheCameraState();
  Invalidate(true);
  NotifyObjInfoChanged(kCameraChanged);
  return kHandled;
}

void CDocWindow::TakeNewCurrentCamera() {
  CacheCameraState();
  fSetUpCamera = fCurrentCamera;
  fCameraChanged = 1;
  Invalidate(true);
}

void CDocWindow::LookThroughPerspective() {
  C3dCamera* perspective = fViewCameras[kPerspective];
  fCurrentCamera = perspective;
  fDocument->GetSelection().Deselect(perspective);
  perspective->SetFlags(C3dObject::kNotDrawn);
  perspective->SetStateFlags(C3dObject::kExcluded);
}

// Views 0 to 6 make that view camera current; 7 sets every standard view up again.
int32_t CDocWindow::SelectView(int32_t view) {
  if (view < 0 || view > int32_t(kStandardViewCount)) return kNoErr;
  C3dCamera* perspective = fViewCameras[kPerspective];
  C3dCamera* chosen = view < int32_t(kStandardViewCount) ? fViewCameras[view] : perspective;
  if (!perspective || !chosen) return kErrInvalidParameter;
  {
    CHolder lockPerspective(perspective, true, false);
    if (!lockPerspective.IsLocked()) return kErrOutOfMemory;
    CHolder lockChosen(chosen, true, false);
    if (!lockChosen.IsLocked()) return kErrOutOfMemory;
    fCurrentCamera = chosen;
    // The camera one looks through is neither drawn nor selectable.
    fDocument->GetSelection().Deselect(perspective);
    const bool through = chosen == perspective;
    perspective->SetFlags(C3dObject::kNotDrawn, through);
    perspective->SetStateFlags(C3dObject::kExcluded, through);
  }
  if (view == int32_t(kStandardViewCount)) {
    for (uint32_t standard : kResetOrder) {
      if (const int32_t err = SetStandardView(standard)) return err;
    }
  }
  TakeNewCurrentCamera();
  return kHandled;
}

// Word 1 is the dot's state before the press, word 2 after it: 0 empty, 1 holds a view, 2 holds the
// view shown.
int32_t CDocWindow::PressViewDot(const CUIMessage& message) {
  const int32_t dot = message.GetPayloadWord(kValueWord);
  C3dCamera* dotCamera = dot >= 0 && dot < int32_t(kViewCameraCount - kFirstViewDot) ? fViewCameras[kFirstViewDot + dot]
                                                                                     : nullptr;
  C3dCamera* perspective = fViewCameras[kPerspective];
  if (!dotCamera || !dotCamera->IsReady() || !perspective) return kErrGeneric;
  CHolder lockDot(dotCamera, true, false);
  CHolder lockPerspective(perspective, true, false);
  if (!lockDot.IsLocked() || !lockPerspective.IsLocked()) return kErrOutOfMemory;
  const int32_t before = message.GetPayloadWord(kBeforeWord), after = message.GetPayloadWord(kAfterWord);
  if (dot == 0) {
    LookThroughPerspective();
    if (const int32_t err = SetStandardView(kPerspective)) return err;
  } else if (after == 0) {
    dotCamera->ClearStateFlags(kDotHoldsView);
  } else if (after == 2 && before == 0) {
    CHolder lockCurrent(fCurrentCamera, false, false);
    if (!lockCurrent.IsLocked()) return kErrOutOfMemory;
    if (const int32_t err = fCurrentCamera->CopyTo(*dotCamera)) return err;
    dotCamera->SetStateFlags(kDotHoldsView);
  } else if (after == 2 && (before == 1 || before == 2)) {
    if (const int32_t err = dotCamera->CopyTo(*perspective)) return err;
    // The copy brought the dot's flags along; the camera looked through stays hidden, and holds no dot.
    LookThroughPerspective();
    perspective->ClearStateFlags(kDotHoldsView);
  }
  lockPerspective.Release();
  lockDot.Release();
  TakeNewCurrentCamera();
  return kHandled;
}

// The dots' cameras, each with the view it holds and its pressed state, as the old window had them:
// the control palette's dots go on showing them.
int32_t CDocWindow::CopyViewDotStates(CDocWindow* from) {
  for (uint32_t view = kFirstViewDot; view < kViewCameraCount; ++view) {
    C3dCamera* source = from ? from->fViewCameras[view] : nullptr;
    C3dCamera* target = fViewCameras[view];
    if (!source || !target || source == target) continue;
    // A camera that cannot be locked to copy is the one failure: out of memory.
    if (source->CopyTo(*target)) return kErrOutOfMemory;
  }
  return kNoErr;
}

// The current camera narrowed onto the render region, which then fills the view. In doubles: the
// region's centre and size may be fractions of the image.
int32_t CDocWindow::ZoomToRenderRegion() {
  C3dCamera* camera = fCurrentCamera;
  if (!camera) return kErrInvalidParameter;
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    const SRect region = GetRenderRegion();
    const SPointHV image = GetRenderImageSize();
    // An empty region has nothing to zoom onto.
    if (image.h <= 0 || image.v <= 0 || IsEmptyRect(region)) return kHandled;
    const double width = image.h, height = image.v;
    const double hw = width / 2, hh = height / 2;
    SCameraView& view = camera->GetView();
    const double sx = view.extentX, sy = view.extentY;
    const double bx = hw - width * view.offsetX * sx, by = hh - height * view.offsetY * sy;
    const double x0 = (region.left - hw) * sx + bx, x1 = (region.right - hw) * sx + bx;
    const double y0 = (region.top - hh) * sy + by, y1 = (region.bottom - hh) * sy + by;
    const double cx = x0 + (x1 - x0) / 2, cy = y0 + (y1 - y0) / 2;
    const double s = std::max((x1 - x0) / width, (y1 - y0) / height);
    if (!(s > 0)) return kHandled;
    view.extentX = view.extentY = s;
    view.offsetX = -((cx - hw) / width) / s;
    view.offsetY = -((cy - hh) / height) / s;
  }
  CacheCameraState();
  Invalidate(true);
  NotifyObjInfoChanged(kCameraChanged);
  return kHandled;
}

int32_t CDocWindow::CameraOption(uint32_t code) {
  if (code == kCentreOnScene) {
    CentreOnScene(1);
  } else if (code == kCentreOnSelection) {
    CentreOnSelection(1);
  } else if (code == kEyeLevelCode) {
    C3dCamera* camera = fCurrentCamera;
    CHolder lock(camera, true, false);
    if (!camera || !lock.IsLocked()) return kErrOutOfMemory;
    vector3<double> eye = camera->GetTransformVector3();
    eye.y = kEyeLevel;
    camera->SetTransformVector3(eye);
  } else {
    return kHandled;
  }
  Invalidate(true);
  NotifyObjInfoChanged(kCameraStepChanged);
  return kHandled;
}

int32_t CDocWindow::SetTrackballMode(uint32_t code) {
  if (code == kCentreOnSelection) {
    fTrackballMode = kTrackSelection;
    CentreOnSelection(0);
  } else if (code == kTrackCode) {
    fTrackballMode = kTrackScene;
    CentreOnScene(0);
  } else if (code == kTripodCode) {
    fTrackballMode = kTrackTripod;
  } else {
    return kNoErr;
  }
  return kHandled;
}

// ---- centring

int32_t CDocWindow::AimCamera(const C3dBox& box, uint8_t aim) {
  C3dCamera* camera = fCurrentCamera;
  if (!camera) return kErrInvalidParameter;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  const vector3<double> centre = CentreOf(box);
  if (aim) {
    camera->SetOrigin(centre);
  } else {
    camera->GetView().target = centre;
  }
  return kNoErr;
}

int32_t CDocWindow::CentreOnSelection(uint8_t aim) {
  CSelection& selection = fDocument->GetSelection();
  C3dBox box = C3dBox::Empty();
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    if (C3dObject* object = selection.GetObject(i)) box.Union(object->WorldBox());
  }
  return AimCamera(box.IsEmpty() ? C3dBox() : box, aim);
}

int32_t CDocWindow::CentreOnScene(uint8_t aim) {
  C3dBox box = C3dBox::Empty();
  {
    CHolder lock(fScene.get(), false, false);
    if (!fScene || !lock.IsLocked()) return kErrOutOfMemory;
    for (uint32_t row = 0; row < fScene->GetCount(); ++row) {
      C3dBase* thing = (*fScene)[row].object;
      C3dObject* object = thing ? thing->AsObject() : nullptr;
      if (object && object->GetFamily() != C3dCamera::kFamily) box.Union(object->WorldBox());
    }
  }
  return AimCamera(box.IsEmpty() ? C3dBox() : box, aim);
}
