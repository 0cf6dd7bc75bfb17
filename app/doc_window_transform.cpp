// The edit palette's transform options on the whole selection (reset, mirror, put on the ground, at
// the origin or on the grid, align), and landing: each selected object dropped onto what lies below
// it, or lifted onto the ground. Each operation is undone in one step through one matrix action.
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/doc_window.h"
#include "editing/document.h"
#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "render/ray_trace.h"
#include "scene/camera.h"
#include "scene/group.h"
#include "scene/ray.h"

namespace {

constexpr const char* kRepositionOptions = "reposition options";
constexpr const char* kRotateOptions = "rotate options";
constexpr const char* kResizeOptions = "resize options";
constexpr const char* kAlignOptions = "align options";

constexpr uint32_t kResetPosition = FourCC("urep");
constexpr uint32_t kResetRotation = FourCC("urot");
constexpr uint32_t kResetSize = FourCC("uscl");
constexpr uint32_t kMirrorX = FourCC("flpx");
constexpr uint32_t kMirrorY = FourCC("flpy");
constexpr uint32_t kMirrorZ = FourCC("flpz");
constexpr uint32_t kOnGround = FourCC("grnd");
constexpr uint32_t kAtOrigin = FourCC("wrld");
constexpr uint32_t kOnGrid = FourCC("grid");
constexpr uint32_t kLand = FourCC("land");
constexpr uint32_t kTogether = FourCC("toge");

// "objinfochanged": the selection changed, and the same as a drag step's.
constexpr uint32_t kSelectionChanged = 4;
constexpr uint32_t kDragStepChanged = 0x80000004;
// A landing ray starts this far from the object's bottom, so that a surface it stands on counts.
constexpr float kLandingNear = 0.01f;
constexpr double kLeastAxis = 1e-12;

enum EEditSpace : int32_t { kWorldSpace, kObjectSpace, kCameraSpace };

bool Is(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

vector3<double> Centre(const C3dBox& box) { return (box.fMin + box.fMax) * 0.5; }

// The object and, for a group, every member at any depth: their hidden bits before a landing ray
// set them, so that the object cannot land on itself.
void HideFromRays(C3dObject* object, std::vector<std::pair<C3dObject*, bool>>& hidden) {
  hidden.emplace_back(object, (object->GetStateFlags() & C3dObject::kExcluded) != 0);
  object->SetStateFlags(C3dObject::kExcluded);
  if (object->GetClass() != C3dGroup::kClassTag) return;
  const C3dGroup* group = static_cast<const C3dGroup*>(object);
  for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
    if (C3dObject* member = group->GetMember(i)) HideFromRays(member, hidden);
  }
}

void RestoreHidden(const std::vector<std::pair<C3dObject*, bool>>& hidden) {
  for (const auto& [object, was] : hidden) {
    if (!was) object->ClearStateFlags(C3dObject::kExcluded);
  }
}

// The vector made unit, as a mirror's axis must be; one of no length gives way to the fallback.
vector3<double> Unit(const vector3<double>& v, const vector3<double>& fallback) {
  const double length = std::sqrt(Dot(v, v));
  return length > kLeastAxis ? v * (1 / length) : fallback;
}

// The current camera's axes, made unit: X = up × direction, Y = up, Z = the viewing direction.
void CameraAxes(C3dCamera* camera, vector3<double> (&axes)[3]) {
  const SCameraView defaults;
  axes[2] = defaults.direction;
  axes[1] = defaults.up;
  if (camera) {
    CHolder holder(camera, false, false);
    if (holder.IsLocked()) {
      axes[2] = Unit(camera->GetView().direction, defaults.direction);
      axes[1] = Unit(camera->GetView().up, defaults.up);
    }
  }
  axes[0] = Unit(Cross(axes[1], axes[2]), Cross(defaults.up, defaults.direction));
}

// The unit axis a mirror reflects along in the edit space.
vector3<double> MirrorAxis(C3dObject* object, int32_t axis, int32_t space, const vector3<double> (&cameraAxes)[3]) {
  if (space == kObjectSpace) return axis == 0 ? object->GetAxisX() : axis == 1 ? object->GetAxisY() : object->GetAxisZ();
  if (space == kCameraSpace) return cameraAxes[axis];
  return {axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0};
}

}  // namespace

int32_t CDocWindow::HandleTransformOption(CUIMessage* message) {
  if (!message || !fDocument) return kNoErr;
  const char* name = message->elementName;
  const uint32_t code = uint32_t(message->GetPayloadWord(0));
  CSelection& selection = fDocument->GetSelection();
  // Applies the operation to every selected object, recorded as one action.
  const auto record = [&](auto operation) {
    // Without memory for the action the operation still runs; nothing is recorded.
    auto action = CMatrixAction::OfSelection(selection);
    for (uint32_t i = 0; i < selection.GetCount(); ++i) {
      C3dObject* object = selection.GetObject(i);
      operation(object);
      object->NotifyParentBoundsChanged();
    }
    if (action && selection.GetCount() > 0) fDocument->GetUndoHistory().Push(action.release());
  };
  const auto finish = [&](bool viewChanged) {
    Invalidate(viewChanged);
    NotifyObjInfoChanged(kSelectionChanged);
    return kHandled;
  };
  const auto each = [&](bool viewChanged, auto operation) {
    record(operation);
    return finish(viewChanged);
  };
  if (Is(name, kRepositionOptions)) {
    if (code != kResetPosition) return kHandled;
    return each(true, [](C3dObject* object) { object->ResetPosition(); });
  }
  if (Is(name, kRotateOptions)) {
    if (code != kResetRotation) return kNoErr;
    return each(false, [](C3dObject* object) { object->ResetRotation(); });
  }
  if (Is(name, kResizeOptions)) {
    if (code == kResetSize) return each(false, [](C3dObject* object) { object->ResetSize(); });
    const int32_t axis = code == kMirrorX ? 0 : code == kMirrorY ? 1 : code == kMirrorZ ? 2 : -1;
    if (axis < 0) return kHandled;
    vector3<double> cameraAxes[3];
    CameraAxes(fCurrentCamera, cameraAxes);
    return each(false, [&](C3dObject* object) {
      const vector3<double> n = MirrorAxis(object, axis, fEditSpace, cameraAxes);
      object->ScaleAlongAxis(Centre(object->WorldBox()), {n, -1.0});
    });
  }
  if (!Is(name, kAlignOptions)) return kNoErr;
  if (code == kOnGround) {
    return each(false, [](C3dObject* object) { object->Translate({0, -object->WorldBox().fMin.y, 0}); });
  }
  if (code == kAtOrigin) {
    return each(false, [](C3dObject* object) { object->Translate(-Centre(object->WorldBox())); });
  }
  if (code == kOnGrid) {
    // The action takes every object as it stands; then the snaps move them.
    record([](C3dObject*) {});
    selection.SnapToGrid(CSelection::kCentreX);
    selection.SnapToGrid(CSelection::kCentreY);
    selection.SnapToGrid(CSelection::kCentreZ);
    finish(false);
    // The dispatch goes on.
    return kNoErr;
  }
  if (code == kLand) return LandSelection() == kNoErr ? kHandled : kErrOutOfMemory;
  if (code == kTogether) {
    selection.AlignToFirst(CSelection::kAllCentres);
    return finish(false);
  }
  return kNoErr;
}

int32_t CDocWindow::AlignSelection(uint32_t code) {
  // The palette takes 9 for a mode the selection refuses.
  if (!fDocument || !fDocument->GetSelection().AlignToFirst(code)) return kErrOutOfMemory;
  Invalidate(false);
  NotifyObjInfoChanged(kSelectionChanged);
  return kNoErr;
}

int32_t CDocWindow::LandSelection() {
  if (!fDocument) return kNoErr;
  CSelection& selection = fDocument->GetSelection();
  CRenderContext& context = fRender.fContext;
  auto action = std::make_unique<CMatrixAction>();
  if (!action->IsValid()) action.reset();
  // The optimizer must know where the objects stand now, also those landed a moment ago.
  bool stale = true;
  bool moved = false;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    C3dObject* object = selection.GetObject(i);
    if (object->IsTransformLocked()) continue;
    if (action && action->AddObject(object) != kNoErr) action.reset();
    const C3dBox box = object->WorldBox();
    // An empty group has no bottom to land.
    if (!std::isfinite(box.fMin.y)) continue;
    const vector3<double> origin{Centre(box).x, box.fMin.y, Centre(box).z};
    const double up = box.fMin.y >= 0 ? -1 : 1;
    double distance = std::fabs(box.fMin.y);
    if (stale) stale = !context.PrepareOptimizer();
    if (!stale && context.GetSettings()) {
      CRay ray;
      ray.Init(nullptr, origin, {0, up, 0}, {1, 1, 1}, {1, 1, 1}, kLandingNear, float(distance), nullptr, nullptr,
               -1);
      ray.fContext = &context;
      ray.fHolder = &context.GetHolder();
      // Only the distance matters: the hit is not shaded.
      ray.fHitTestOnly = 1;
      std::vector<std::pair<C3dObject*, bool>> hidden;
      HideFromRays(object, hidden);
      TraceRay(ray);
      RestoreHidden(hidden);
      if (ray.fHitObject) distance = ray.fHitT;
    }
    if (distance == 0) continue;
    object->Translate({0, distance * up, 0});
    object->NotifyParentBoundsChanged();
    moved = stale = true;
  }
  if (moved && action) fDocument->GetUndoHistory().Push(action.release());
  if (moved) context.PrepareOptimizer();
  Invalidate(false);
  Redraw(false);
  NotifyObjInfoChanged(kSelectionChanged);
  NotifyDragStep(kDragStepChanged);
  return kNoErr;
}
