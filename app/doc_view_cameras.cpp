// The document window's fifteen view cameras: the seven standard views with their fixed set-ups and
// the eight view dots, the render camera cached from the current one, and the camera side of zooming.
#include <algorithm>
#include <bit>
#include <cstring>

#include "app/doc_window.h"
#include "editing/camera_action.h"
#include "editing/document.h"
#include "editing/undo_history.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_sys.h"
#include "scene/camera.h"
#include "scene/factory.h"

namespace {

constexpr const char* kViewNames[CDocWindow::kViewCameraCount] = {
    "perspective", "top", "right", "front", "left", "back", "bottom",
    "dot0",        "dot1", "dot2", "dot3", "dot4", "dot5", "dot6", "dot7",
};
// The order in which the standard views are set up.
constexpr uint32_t kSetUpOrder[] = {CDocWindow::kPerspective, CDocWindow::kTop,   CDocWindow::kBottom,
                                    CDocWindow::kFront,       CDocWindow::kBack,  CDocWindow::kRight,
                                    CDocWindow::kLeft};

// 60 degrees within 1.2e-6, and 10 degrees computed with pi taken as 3.1415: the exact doubles.
const double kPerspectiveFieldAngle = std::bit_cast<double>(uint64_t(0x3FF0C15200000000));
const double kOrthographicFieldAngle = std::bit_cast<double>(uint64_t(0x3FC656ED1CE64946));
constexpr vector3<double> kPerspectiveEye{10, 3, -10};
constexpr vector3<double> kPerspectiveTarget{0, 3, 0};
constexpr double kOrthographicExtent = 0.5;

// The orthographic views, from the far side of their axis towards the origin.
struct SStandardView {
  vector3<double> position;
  vector3<double> direction;
  vector3<double> up;
  double scale;
};
constexpr SStandardView kStandardViews[CDocWindow::kStandardViewCount] = {
    {},
    {{0, 500, 0}, {0, -1, 0}, {0, 0, 1}, 5.0},   // top
    {{500, 1, 0}, {-1, 0, 0}, {0, 1, 0}, 1.0},   // right
    {{0, 1, -500}, {0, 0, 1}, {0, 1, 0}, 1.0},   // front
    {{-500, 1, 0}, {1, 0, 0}, {0, 1, 0}, 1.0},   // left
    {{0, 1, 500}, {0, 0, -1}, {0, 1, 0}, 1.0},   // back
    {{0, -500, 0}, {0, 1, 0}, {0, 0, 1}, 1.0},   // bottom
};

// Every view camera is left out of the scene's wireframe and of rendering rays, projects in perspective,
// and is drawn, where it is drawn, in the camera colour.
constexpr uint32_t kCameraFlags = C3dObject::kNotDrawn;
constexpr uint32_t kCameraStateFlags = C3dObject::kExcluded | 0x4000;
constexpr uint32_t kOtherProjections = 0x8000 | 0x10000;
constexpr uint32_t kCameraDetail = 16;
constexpr uint32_t kCameraColourIndex = 16;
constexpr uint32_t kCameraColour = 0x000BF4;  // red 0, green 11, blue 244

// One step of the wireframe zoom; each zoom is one camera action.
constexpr float kZoomInFactor = 0.6666667f;
constexpr float kZoomOutFactor = 1.5f;
// "objinfochanged": only the preview's camera changed.
constexpr uint32_t kCameraChanged = 1;

void ClearBothFlagWords(C3dObject& object) {
  object.ClearFlags(0xFFFFFFFF);
  object.ClearStateFlags(0xFFFFFFFF);
}

void ResetTransforms(C3dObject& object) {
  object.GetReference().Reset();
  object.GetPlacement().Reset();
}

}  // namespace

const char* CDocWindow::ViewCameraName(uint32_t slot) { return slot < kViewCameraCount ? kViewNames[slot] : nullptr; }

void CDocWindow::NameThing(C3dBase& thing, const char* name) {
  char* field = reinterpret_cast<char*>(thing.GetData());
  std::fill(field, field + C3dBase::kNameBytes, 0);
  if (name) std::copy(name, name + std::min(std::strlen(name), size_t(C3dBase::kNameBytes - 1)), field);
}

int32_t CDocWindow::NewCamera(C3dBaseSys* table, C3dCamera** camera) {
  CAppl* app = GetApplication();
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dCamera>(app ? app->GetObjectsEnv() : nullptr, key, spec);
  return NewObject(camera, table, key, spec);
}

int32_t CDocWindow::CreateViewCameras(C3dBaseSys* table) {
  for (uint32_t slot = 0; slot < kViewCameraCount; ++slot) {
    if (const int32_t err = CreateViewCamera(slot, kViewNames[slot], table)) return err;
  }
  fCurrentCamera = fViewCameras[kPerspective];
  for (uint32_t view : kSetUpOrder) {
    if (const int32_t err = SetStandardView(view)) return err;
  }
  return kNoErr;
}

int32_t CDocWindow::CreateViewCamera(uint32_t slot, const char* name, C3dBaseSys* table) {
  if (slot >= kViewCameraCount) return kErrInvalidParameter;
  if (const int32_t err = NewCamera(table, &fViewCameras[slot])) return err;
  C3dCamera* camera = fViewCameras[slot];
  if (!camera) return kNoErr;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return kErrOutOfMemory;
  if (name) NameThing(*camera, name);
  // The view dots as well: no view camera is ever drawn or hit by a rendering ray.
  ApplyCommonCameraSetUp(*camera);
  return kNoErr;
}

void CDocWindow::ApplyCommonCameraSetUp(C3dCamera& camera) {
  camera.SetFlags(kCameraFlags);
  camera.SetStateFlags(kCameraStateFlags);
  camera.ClearStateFlags(kOtherProjections);
  camera.SetWireDetail(kCameraDetail);
  camera.SetCreationWord(0, kCameraColourIndex);
  camera.SetCreationWord(1, kCameraColour);
}

// A view camera found in a document written elsewhere (quarn2-scene's "perspective") may lack the
// flags that keep it out of the wireframe and out of picking; at the eye it would catch every click.
int32_t CDocWindow::HideViewCamera(C3dCamera& camera) {
  CHolder lock(&camera, true, false);
  if (!lock.IsLocked()) return NonZeroError(camera.GetError());
  camera.SetFlags(kCameraFlags);
  camera.SetStateFlags(C3dObject::kExcluded);
  return kNoErr;
}

int32_t CDocWindow::SetStandardView(uint32_t view) {
  if (view >= kStandardViewCount) return kNoErr;
  C3dCamera* camera = fViewCameras[view];
  if (!camera) return kErrInvalidParameter;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return NonZeroError(camera->GetError());
  SCameraView& settings = camera->GetView();
  if (view == kPerspective) {
    ClearBothFlagWords(*camera);
    ResetTransforms(*camera);
    NameThing(*camera, kViewNames[view]);
    camera->SetTransformVector3(kPerspectiveEye);
    camera->SetOrigin(kPerspectiveTarget);
    settings.fieldAngle = kPerspectiveFieldAngle;
    settings.scale = 1.0;
    settings.extentX = settings.extentY = 1.0;
  } else {
    const SStandardView& standard = kStandardViews[view];
    camera->SetTransformVector3(standard.position);
    settings.direction = standard.direction;
    settings.up = standard.up;
    settings.fieldAngle = kOrthographicFieldAngle;
    settings.scale = standard.scale;
    settings.extentX = settings.extentY = kOrthographicExtent;
    NameThing(*camera, kViewNames[view]);
  }
  settings.aspect = 1.0;
  settings.offsetX = settings.offsetY = 0;
  ApplyCommonCameraSetUp(*camera);
  return kNoErr;
}

int32_t CDocWindow::ResetCurrentCamera() {
  C3dCamera* camera = fCurrentCamera;
  if (!camera) return kErrInvalidParameter;
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return NonZeroError(camera->GetError());
    SCameraView& settings = camera->GetView();
    settings.reserved = 0;
    settings.fieldAngle = kPerspectiveFieldAngle;
    settings.aspect = 1.0;
    settings.scale = 1.0;
    ClearBothFlagWords(*camera);
    ApplyCommonCameraSetUp(*camera);
    ResetTransforms(*camera);
    camera->SetTransformVector3(kPerspectiveEye);
    camera->SetOrigin(kPerspectiveTarget);
    NameThing(*camera, kViewNames[kPerspective]);
  }
  return CacheCameraState();
}

int32_t CDocWindow::AlignViewCamera(C3dCamera* camera, const vector3<double>& point) {
  if (!camera) return kErrInvalidParameter;
  CHolder lock(camera, true, false);
  if (!lock.IsLocked()) return NonZeroError(camera->GetError());
  vector3<double> position = camera->GetTransformVector3();
  if (camera == fViewCameras[kTop] || camera == fViewCameras[kBottom]) {
    position.x = point.x;
    position.z = point.z;
  } else if (camera == fViewCameras[kRight] || camera == fViewCameras[kLeft]) {
    position.y = point.y;
    position.z = point.z;
  } else if (camera == fViewCameras[kFront] || camera == fViewCameras[kBack]) {
    position.x = point.x;
    position.y = point.y;
  }
  camera->SetTransformVector3(position);
  camera->GetView().offsetX = camera->GetView().offsetY = 0;
  return kNoErr;
}

// The camera side of Zoom: the extents of the current camera, after an orthographic view has moved
// across onto the selection's centre.
int32_t CDocWindow::ZoomCamera(bool zoomIn, bool reset) {
  C3dCamera* camera = fCurrentCamera;
  if (!camera) return kErrOutOfMemory;
  {
    CHolder lock(camera, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    if (camera != fViewCameras[kPerspective] && fView.IsSelectionPresent() &&
        fDocument->GetSelection().GetCount() > 0) {
      if (const int32_t err = AlignViewCamera(camera, fView.GetSelectionCentre())) return err;
    }
    auto action = std::make_unique<CCameraAction>(camera);
    if (!action || !action->IsValid()) return kErrOutOfMemory;
    SCameraView& settings = camera->GetView();
    if (reset) {
      settings.extentX = settings.extentY = 1.0;
    } else {
      const double factor = zoomIn ? kZoomInFactor : kZoomOutFactor;
      settings.extentX *= factor;
      settings.extentY *= factor;
    }
    lock.Release();
    if (const int32_t err = fDocument->GetUndoHistory().Push(action.release())) return err;
  }
  Invalidate(true);
  CacheCameraState();
  NotifyObjInfoChanged(kCameraChanged);
  return kHandled;
}

int32_t CDocWindow::Zoom(bool zoomIn, bool reset) {
  return fMode & kRenderedShown ? ZoomRenderedImage(zoomIn, reset) : ZoomCamera(zoomIn, reset);
}
