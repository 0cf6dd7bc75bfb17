// Dragging the selection: the fifteen handles resize and rotate the selected objects, a press inside
// the selection moves them across a plane facing the camera. The document window runs the drag loop
// and records the undo action; these operations do the geometry.
#include <cmath>
#include <cstdlib>

#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "platform/window.h"
#include "scene/camera.h"

namespace {

// Single-precision constants, as the drags have always turned.
constexpr double kRadiansPerPixel = double(0.00872664f);
constexpr double kFineRadiansPerPixel = double(0.00084533f);
constexpr double kSnapAngle = double(0.7853975f);
// Four pixels of pointer travel grow or shrink by one of these.
constexpr double kGrowFactor = 1.05;
constexpr double kShrinkFactor = 0.95;
constexpr double kPixelsPerFactorStep = 4;
constexpr double kSnapGrow = 2.0;
constexpr double kSnapShrink = 0.5;
// No axis is scaled below or beyond these extents.
constexpr double kLeastExtent = 0.01;
constexpr double kGreatestExtent = 9999;
// A pick ray this close to the plane's direction meets it nowhere useful.
constexpr double kParallel = 1e-12;

constexpr vector3<double> kWorldAxis[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

bool IsCamera(const C3dObject* object) { return object->GetFamily() == C3dCamera::kFamily; }

bool IsLocked(const C3dObject* object) { return object->GetFlags() & C3dObject::kTransformLocked; }

int32_t OppositeHandle(int32_t handle) {
  if (handle < CSelection::kFirstCorner) return handle ^ 1;
  if (handle < CSelection::kCentreHandle) return 19 - handle;
  return handle;
}

// With Shift the accumulator takes the movement while it stays within one snap step; once beyond,
// it gives up whole steps and keeps the rest.
int32_t SnapSteps(int32_t& accumulator, int32_t movement) {
  if (-CSelection::kSnapPixels < accumulator && accumulator < CSelection::kSnapPixels) {
    accumulator += movement;
    return 0;
  }
  const int32_t steps = accumulator / CSelection::kSnapPixels;
  accumulator -= CSelection::kSnapPixels * steps;
  return steps;
}

// A factor of 1 for an axis that is flat, or already at the smallest or greatest extent.
double Clamped(double factor, double extent) {
  if (extent == 0) return 1;
  if (std::fabs(extent) < kLeastExtent && factor < 1) return 1;
  if (std::fabs(extent) > kGreatestExtent && factor > 1) return 1;
  return factor;
}

vector3<double> WorldExtent(C3dObject* object) {
  const C3dBox box = object->WorldBox();
  return box.fMax - box.fMin;
}

SQuaternion AxisTurn(const vector3<double>& axis, double angle) {
  const double s = std::sin(angle / 2);
  return {std::cos(angle / 2), axis.x * s, axis.y * s, axis.z * s};
}

// The Hamilton product a × b.
SQuaternion Product(const SQuaternion& a, const SQuaternion& b) {
  return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

void Accumulate(SHandleDrag& drag, const SQuaternion& turn) {
  drag.rotation = drag.firstStep == 1 ? turn : Product(drag.rotation, turn);
  drag.firstStep = 0;
}

void Scale(C3dObject* object, const vector3<double>& point, const vector3<double>& axis, double factor) {
  if (factor != 1) object->ScaleAlongAxis(point, {axis, factor});
}

}  // namespace

// What one drag step does to every object alike. The snap accumulators advance once per step, so
// that every object gets the same snapped factor or angle.
struct CSelection::SDragStep {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool skip = false;  // Shift is gathering movement: nothing changes
  double factor = 1;
  double angle = 0;               // a face turn
  double horizontal = 0;          // a free turn: about v
  double vertical = 0;            //              and about v × u
  vector3<double> u;              // the camera's viewing direction
  vector3<double> v;              // and its up vector
  vector3<double> cameraAxis[3];  // v × u, v, u
  bool accumulated = false;
};

bool CSelection::IsKeyHeld(uint32_t virtualKey) {
  CAppl* app = GetApplication();
  return app && app->IsActive() && platform::IsKeyDownNow(virtualKey);
}

uint32_t CSelection::ModifierMask() {
  uint32_t mask = SHandleDrag::kMaskBase;
  if (IsKeyHeld(platform::kVkShift)) mask |= SHandleDrag::kMaskShift;
  if (IsKeyHeld(platform::kVkMenu)) mask |= SHandleDrag::kMaskAlt;
  if (IsKeyHeld(platform::kVkControl)) mask |= SHandleDrag::kMaskControl;
  return mask;
}

void CSelection::CameraAxes(vector3<double>* u, vector3<double>* v) const {
  const SCameraView defaults;
  *u = defaults.direction;
  *v = defaults.up;
  CDocumentHost* window = fDocument ? fDocument->GetWindow() : nullptr;
  C3dCamera* camera = window ? window->GetCurrentCamera() : nullptr;
  if (!camera) return;
  CHolder holder(camera, false, false);
  if (!holder.IsLocked()) return;
  *u = camera->GetView().direction;
  *v = camera->GetView().up;
}

bool CSelection::HitTestHandle(int32_t x, int32_t y, int32_t* handle) const {
  if (fObjects.GetCount() == 0) return false;
  for (int32_t i = 0; i < kCentreHandle; ++i) {
    if (std::abs(x - fHandles[i][0]) <= fHandleHitSize && std::abs(y - fHandles[i][1]) <= fHandleHitSize) {
      *handle = i;
      return true;
    }
  }
  return false;
}

bool CSelection::BeginHandleDrag(int32_t handle, SHandleDrag* drag) {
  if (handle < 0 || handle > kCentreHandle) return false;
  fSnapA = fSnapB = 0;
  drag->handle = handle;
  drag->movement[0] = drag->movement[1] = 0;
  drag->firstStep = 1;
  drag->modifiers = ModifierMask();
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (IsLocked(object)) continue;
    object->NotifyParentBoundsChanged();
    C3dTransform& placement = object->GetPlacement();
    if (fEditKind == kRotate) {
      placement.fPrevRotation = placement.fRotation;
    } else {
      placement.fPrevScale = placement.fScale;
      placement.fPrevPosition = placement.fPosition;
    }
  }
  return true;
}

void CSelection::PrepareDragStep(const SHandleDrag& drag, SDragStep* step) {
  step->shift = drag.modifiers & SHandleDrag::kMaskShift;
  step->control = drag.modifiers & SHandleDrag::kMaskControl;
  step->alt = drag.modifiers & SHandleDrag::kMaskAlt;
  CameraAxes(&step->u, &step->v);
  step->cameraAxis[0] = Cross(step->v, step->u);
  step->cameraAxis[1] = step->v;
  step->cameraAxis[2] = step->u;
  const int32_t dx = drag.movement[0], dy = drag.movement[1];
  const bool corner = drag.handle >= kFirstCorner;
  if (fEditKind == kRotate) {
    const double perPixel = step->alt ? kFineRadiansPerPixel : kRadiansPerPixel;
    if (!corner && step->shift) {
      const int32_t steps = SnapSteps(fSnapA, dx);
      step->skip = steps == 0;
      step->angle = steps * kSnapAngle;
    } else if (!corner) {
      step->angle = dx * perPixel;
    } else if (step->shift) {
      step->horizontal = SnapSteps(fSnapB, dx) * kSnapAngle;
      step->vertical = SnapSteps(fSnapA, dy) * kSnapAngle;
    } else {
      step->horizontal = dx * perPixel;
      step->vertical = dy * perPixel;
    }
    return;
  }
  if (step->shift) {
    const int32_t steps = SnapSteps(fSnapA, dx);
    step->skip = steps == 0;
    step->factor = steps > 0 ? kSnapGrow : kSnapShrink;
    return;
  }
  // In floating point, so that slow drags of a pixel or two per step still resize.
  step->factor = std::pow(dx >= 0 ? kGrowFactor : kShrinkFactor, std::abs(dx) / kPixelsPerFactorStep);
}

bool CSelection::DragHandleStep(int32_t dx, int32_t dy, SHandleDrag* drag) {
  if (drag->handle < 0 || drag->handle > kCentreHandle) return false;
  drag->movement[0] = dx;
  drag->movement[1] = dy;
  const uint32_t mask = ModifierMask();
  const bool reset = mask != drag->modifiers;
  drag->modifiers = mask;
  if (reset) {
    // Back to the drag start, and this step moves nothing.
    fSnapA = fSnapB = 0;
    drag->movement[0] = drag->movement[1] = 0;
    for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
      C3dObject* object = fObjects[i];
      if (IsLocked(object) || IsCamera(object)) continue;
      C3dTransform& placement = object->GetPlacement();
      if (fEditKind == kRotate) {
        placement.fRotation = placement.fPrevRotation;
      } else {
        placement.fScale = placement.fPrevScale;
        placement.fPosition = placement.fPrevPosition;
      }
      placement.fDirty = 1;
    }
  }
  SDragStep step;
  PrepareDragStep(*drag, &step);
  if (step.skip) return true;
  const bool corner = drag->handle >= kFirstCorner;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (IsLocked(object) || IsCamera(object)) continue;
    const C3dBox box = object->WorldBox();
    drag->centre = (box.fMin + box.fMax) * 0.5;
    object->NotifyParentBoundsChanged();
    if (fEditKind == kRotate && corner) {
      CornerRotate(*drag, step, object);
    } else if (fEditKind == kRotate) {
      FaceRotate(*drag, step, object);
    } else if (corner) {
      CornerResize(*drag, step, object);
    } else {
      FaceResize(*drag, step, object);
    }
    // The record accumulates the step's turn once, however many objects turned.
    step.accumulated = true;
  }
  return true;
}

void CSelection::FaceRotate(SHandleDrag& drag, const SDragStep& step, C3dObject* object) const {
  if (step.angle == 0) return;
  const int32_t pair = drag.handle / 2;
  vector3<double> axis = kWorldAxis[pair];
  if (fCoordinateMode == kObjectAxes) {
    axis = pair == 0 ? object->GetAxisX() : pair == 1 ? object->GetAxisY() : object->GetAxisZ();
  } else if (fCoordinateMode == kCameraAxes) {
    axis = step.cameraAxis[pair];
  }
  const SQuaternion turn = AxisTurn(axis, step.angle);
  if (!step.accumulated) Accumulate(drag, turn);
  object->RotateAboutPoint(drag.centre, turn);
}

void CSelection::CornerRotate(SHandleDrag& drag, const SDragStep& step, C3dObject* object) const {
  // Horizontal movement turns about the camera's up vector, vertical movement about v × u.
  const SQuaternion turn =
      Product(AxisTurn(step.cameraAxis[0], -step.vertical), AxisTurn(step.cameraAxis[1], -step.horizontal));
  if (!step.accumulated) Accumulate(drag, turn);
  object->RotateAboutPoint(drag.centre, turn);
}

void CSelection::DragAxes(const SDragStep& step, C3dObject* object, vector3<double> (&axes)[3]) const {
  for (int a = 0; a < 3; ++a) axes[a] = fCoordinateMode == kCameraAxes ? step.cameraAxis[a] : kWorldAxis[a];
  if (fCoordinateMode != kObjectAxes) return;
  axes[0] = object->GetAxisX();
  axes[1] = object->GetAxisY();
  axes[2] = object->GetAxisZ();
}

// The factors are taken before any axis scales, so that each axis is judged by its extent at the
// step's start.
void CSelection::ScaleThreeAxes(const SDragStep& step, C3dObject* object, const vector3<double>& anchor,
                                bool clamp) const {
  vector3<double> axes[3];
  DragAxes(step, object, axes);
  const vector3<double> extents = fCoordinateMode == kObjectAxes ? object->GetScaledSize() : WorldExtent(object);
  double factors[3];
  for (int a = 0; a < 3; ++a) factors[a] = clamp ? Clamped(step.factor, extents[a]) : step.factor;
  for (int a = 0; a < 3; ++a) Scale(object, anchor, axes[a], factors[a]);
}

void CSelection::FaceResize(const SHandleDrag& drag, const SDragStep& step, C3dObject* object) const {
  const bool uniform = fAxisOverride ? (fAxisOverrideMask & kOverrideUniform) : step.control && step.alt;
  if (uniform) {
    ScaleThreeAxes(step, object, fHandleWorld[OppositeHandle(drag.handle)], fCoordinateMode != kCameraAxes);
    return;
  }
  // Ctrl anchors at the dragged face, Alt at the centre, else the opposite face stays.
  const int32_t anchorHandle = step.control ? drag.handle : OppositeHandle(drag.handle);
  const vector3<double> anchor = fHandleWorld[step.alt && !step.control ? kCentreHandle : anchorHandle];
  const int32_t pair = drag.handle / 2;
  const vector3<double> worldExtent = WorldExtent(object);
  vector3<double> axes[3];
  DragAxes(step, object, axes);
  double factor = step.factor;
  if (fCoordinateMode == kObjectAxes) {
    factor = Clamped(factor, object->GetScaledSize()[pair]);
  } else if (fCoordinateMode == kCameraAxes) {
    for (int a = 0; a < 3; ++a) {
      if (Clamped(step.factor, worldExtent[a]) == 1) factor = 1;
    }
  } else {
    factor = Clamped(factor, worldExtent[pair]);
  }
  Scale(object, anchor, axes[pair], factor);
}

void CSelection::CornerResize(const SHandleDrag& drag, const SDragStep& step, C3dObject* object) const {
  const int32_t anchorHandle = step.control ? drag.handle : OppositeHandle(drag.handle);
  ScaleThreeAxes(step, object, fHandleWorld[step.alt ? kCentreHandle : anchorHandle], true);
}

// ---- the move drag

void CSelection::BeginPlaneMove(const vector3<double>& point) {
  fPlanePoint = fLastHit = point;
  if (!fDocument || fDocument->GetViewDirection(&fPlaneNormal) != 0) fPlaneNormal = SCameraView().direction;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (!IsLocked(object)) object->GetPlacement().fPrevPosition = object->GetPlacement().fPosition;
  }
}

void CSelection::SetLastPoint(int32_t x, int32_t y) {
  fLastPoint[0] = x;
  fLastPoint[1] = y;
}

void CSelection::PlaneMoveStep(int32_t x, int32_t y, vector3<double>* translation) {
  *translation = {};
  CDocumentHost* window = fDocument ? fDocument->GetWindow() : nullptr;
  vector3<double> origin, direction;
  if (!window || !window->PixelRay(x, y, &origin, &direction)) return;
  const double across = Dot(direction, fPlaneNormal);
  if (std::fabs(across) < kParallel) return;
  const double t = Dot(fPlanePoint - origin, fPlaneNormal) / across;
  const vector3<double> hit = origin + direction * t;
  vector3<double> delta = hit - fLastHit;
  bool keepX, keepY, keepZ;
  if (fAxisOverride) {
    keepX = fAxisOverrideMask & kOverrideFirstAxis;
    keepY = !keepX && (fAxisOverrideMask & kOverrideSecondAxis);
    keepZ = !keepX && !keepY && (fAxisOverrideMask & kOverrideThirdAxis);
  } else {
    const uint32_t mask = ModifierMask();
    const bool control = mask & SHandleDrag::kMaskControl, alt = mask & SHandleDrag::kMaskAlt;
    keepX = control && alt;
    keepY = alt && !control;
    keepZ = control && !alt;
  }
  if (keepX || keepY || keepZ) delta = {keepX ? delta.x : 0, keepY ? delta.y : 0, keepZ ? delta.z : 0};
  *translation = delta;
  SetLastPoint(x, y);
  fLastHit = hit;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    fObjects[i]->NotifyParentBoundsChanged();
    fObjects[i]->Translate(delta);
  }
}
