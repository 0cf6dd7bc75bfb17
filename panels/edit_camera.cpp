#include "panels/edit_camera.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editing/document_host.h"
#include "framework/core/holder.h"
#include "framework/core/matrix34.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "scene/camera.h"

namespace {

bool TakesCtrlSteps(const char* name) { return std::strncmp(name, "offset", 6) == 0; }

SNumericFields gFields{nullptr, 0, &TakesCtrlSteps};

constexpr double kHalfTurn = 3.14159265358;
constexpr double kQuarterTurn = 1.5707963268;
constexpr double kThreeQuarterTurns = 4.7123889804;
constexpr double kFullTurn = 6.2831853072;
// A turn smaller than this is none.
constexpr double kLeastAngle = 1e-6;
constexpr double kFieldOfViewBias = 0.0001;
constexpr uint32_t kCameraChanged = 1;

struct SFieldRange {
  double least;
  double most;
};
// The fields' ranges, both ends included.
constexpr SFieldRange kRanges[CEditCamera::kFieldCount] = {
    {-99999, 99999}, {-99999, 99999}, {-99999, 99999}, {-999, 999}, {-999, 999},
    {-999, 999},     {1, 180},        {-99999, 99999}, {-99999, 99999}, {1, 1000},
};

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

vector3<double> Unit(const vector3<double>& v) {
  const double length = std::sqrt(Dot(v, v));
  return length > 0 ? v * (1 / length) : v;
}

}  // namespace

vector3<double> CameraAngles(const vector3<double>& d, const vector3<double>& u) {
  double yaw = 0;
  if (d.x != 0 || d.z != 0) {
    double angle = 0;
    if (d.x == 0) {
      angle = d.z > 0 ? kQuarterTurn : kThreeQuarterTurns;
    } else {
      const double a = std::atan(d.z / d.x);
      angle = d.x > 0 ? (a < 0 ? a + kFullTurn : a) : a + kHalfTurn;
    }
    yaw = angle - kQuarterTurn;
  }
  const double pitch = std::atan2(d.y, std::sqrt(d.z * d.z + d.x * d.x));
  // The up vector of the same camera without roll, turned as the write turns the default camera.
  C34Matrix tilt, turn;
  tilt.SetAxisRotation({1, 0, 0}, -pitch);
  turn.SetAxisRotation({0, 1, 0}, -yaw);
  const vector3<double> level = turn.TransformVector(tilt.TransformVector({0, 1, 0}));
  const double roll = std::atan2(Dot(Cross(Unit(d), level), u), Dot(level, u));
  return {-pitch, yaw, roll};
}

CEditCamera::CEditCamera(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditCamera) {}

CEditCamera::~CEditCamera() { ReleaseFields(); }

SNumericFields& CEditCamera::Fields() { return gFields; }

CTextEdit* CEditCamera::GetField(uint32_t index) const { return GetElementWindow(GetFieldElement(index)); }

void CEditCamera::ReleaseFields() {
  DeleteNumericFields(fFields, fFieldElements, kFieldCount);
  gFields.current = nullptr;
}

int32_t CEditCamera::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindNumericFields<gFields>(*this, fFields, need::kEditCameraFields, kFieldCount, fFieldElements);
  return kNoErr;
}

int32_t CEditCamera::SetCamera(CDocumentHost* window) {
  fHost = window;
  return SyncCamera(true);
}

int32_t CEditCamera::Open() {
  Refresh(false);
  gFields.current = fFieldElements[kOffsetX];
  FocusField(GetElementWindow(gFields.current));
  return kNoErr;
}

void CEditCamera::FillFields() {
  for (uint32_t i = 0; i < kFieldCount; ++i) WriteFieldValue(GetField(i), fValues[i]);
  fFields.RedrawInRect(nullptr);
}

void CEditCamera::LoadFrom(C3dCamera& camera, SPointHV image) {
  const SCameraView& view = camera.GetView();
  const vector3<double> position = camera.GetTransformVector3();
  const vector3<double> angles = CameraAngles(view.direction, view.up);
  for (int axis = 0; axis < 3; ++axis) {
    fValues[kOffsetX + axis] = position[axis] * kDisplayScale;
    fValues[kRotateX + axis] = RadiansToDegrees(angles[axis]);
  }
  fValues[kPanH] = std::trunc(image.h * view.offsetX);
  fValues[kPanV] = std::trunc(image.v * view.offsetY);
  fValues[kFieldOfView] = view.fieldAngle / kDialogPi * 180 + kFieldOfViewBias;
  fValues[kScale] = view.extentX != 0 ? 1 / view.extentX * 100 : 100;
}

// From the default camera: placed, then tilted, turned and rolled by the angles.
void CEditCamera::WriteTo(C3dCamera& camera, SPointHV image) {
  SCameraView& view = camera.GetView();
  const vector3<double> toTarget = view.target - camera.GetTransformVector3();
  const double distance = std::sqrt(Dot(toTarget, toTarget));
  const double aspect = view.aspect;
  view = SCameraView();
  view.aspect = aspect;
  const vector3<double> position{fValues[kOffsetX] / kDisplayScale, fValues[kOffsetY] / kDisplayScale,
                                 fValues[kOffsetZ] / kDisplayScale};
  camera.SetTransformVector3(position);
  view.target = position + view.direction * (distance > 0 ? distance : 1);
  double angles[3];
  for (int axis = 0; axis < 3; ++axis) {
    angles[axis] = DegreesToRadians(fValues[kRotateX + axis]);
    if (std::fabs(angles[axis]) < kLeastAngle) angles[axis] = 0;
  }
  camera.TurnB(angles[0]);
  camera.TurnA(-angles[1]);
  camera.RotateEyeAndTarget(angles[2]);
  view.fieldAngle = DegreesToRadians(fValues[kFieldOfView]);
  view.offsetX = image.h ? fValues[kPanH] / image.h : 0;
  view.offsetY = image.v ? fValues[kPanV] / image.v : 0;
  view.extentX = view.extentY = 1 / (fValues[kScale] * 0.01);
}

int32_t CEditCamera::SyncCamera(bool load) {
  C3dCamera* camera = fHost ? fHost->GetCurrentCamera() : nullptr;
  if (!camera) return kErrGeneric;
  const SPointHV image = fHost->GetWindowImageSize();
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return kErrGeneric;
    if (load) LoadFrom(*camera, image);
    else WriteTo(*camera, image);
  }
  if (load) {
    FillFields();
    return kNoErr;
  }
  fHost->CacheCameraState();
  fHost->Invalidate(true);
  fHost->NotifyObjInfoChanged(kCameraChanged);
  // The camera is stored with the document: quitting asks about the change.
  fHost->FindSceneParts(false);
  return kNoErr;
}

int32_t CEditCamera::OnFieldValue(const char* name) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!Same(name, need::kEditCameraFields[i].name)) continue;
    const double value = ClampFieldValue(GetField(i), gFields.lastValue, kRanges[i].least, kRanges[i].most);
    fValues[i] = i == kPanV || i == kPanH ? std::trunc(value) : value;
    return kNoErr;
  }
  return kErrGeneric;
}

bool CEditCamera::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CEditCamera::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kEditCamera.canvas.name);
  if (message->kind == 0 && !own && Same(element, need::kEditCamera.canvas.name)) {
    if (IsShown()) {
      BringForward();
      return kHandled;
    }
    if (const int32_t err = BuildOnce()) return err;
    SetCamera(GetCurrentDocumentHost());
    Open();
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != 0 || !own) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(message->windowName, kFieldWindowName)) OnFieldValue(element);
  if (Same(element, need::kEditCamera.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kEditCamera.ok.name)) {
    Close();
    SyncCamera(false);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
