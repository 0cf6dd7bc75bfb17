#include "editing/camera_action.h"

#include <cstring>

#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/camera.h"

namespace {

// The seven view settings lie together in the record, from the field angle to the last extent.
double* ViewSettings(SCameraView& view) { return &view.fieldAngle; }
static_assert(offsetof(SCameraView, extentY) - offsetof(SCameraView, fieldAngle) ==
              (SCameraState::kViewSettings - 1) * sizeof(double));

}  // namespace

CCameraAction::CCameraAction(C3dCamera* camera) : fCamera(camera) {
  if (Capture(fBefore)) SetValid(false);
}

int32_t CCameraAction::Capture(SCameraState& state) {
  if (!fCamera) return kErrInvalidParameter;
  CHolder lock(fCamera, false, false);
  if (!lock.IsLocked()) return NonZeroError(fCamera->GetError());
  SCameraView& view = fCamera->GetView();
  state.position = fCamera->GetTransformVector3();
  state.target = view.target;
  std::memcpy(state.view, ViewSettings(view), sizeof state.view);
  return kNoErr;
}

// The target goes in last: SetOrigin turns the camera from its restored eye to look at it.
int32_t CCameraAction::Restore(const SCameraState& state) {
  if (!fCamera) return kErrInvalidParameter;
  CHolder lock(fCamera, true, false);
  if (!lock.IsLocked()) return NonZeroError(fCamera->GetError());
  fCamera->SetTransformVector3(state.position);
  std::memcpy(ViewSettings(fCamera->GetView()), state.view, sizeof state.view);
  fCamera->SetOrigin(state.target);
  return kNoErr;
}

void CCameraAction::CacheCameraState() {
  CDocumentHost* window = GetDocument() ? GetDocument()->GetWindow() : nullptr;
  if (window) window->CacheCameraState();
}

int32_t CCameraAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fAfterCaptured) {
    if (const int32_t error = Capture(fAfter)) return error;
    fAfterCaptured = 1;
  }
  if (const int32_t error = Restore(fBefore)) return error;
  CacheCameraState();
  SetUndone(true);
  return kNoErr;
}

int32_t CCameraAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (const int32_t error = Restore(fAfter)) return error;
  CacheCameraState();
  SetUndone(false);
  return kNoErr;
}
