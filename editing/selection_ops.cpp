// Operations on every selected object at once (align on the first, snap to the grid, nudge, the
// randomize pair) and the selection palette's navigation through the window's object list by kind
// and by position.
#include <cmath>
#include <memory>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/matrix_action.h"
#include "framework/core/four_cc.h"
#include "framework/core/holder.h"
#include "framework/core/random.h"
#include "platform/window.h"
#include "scene/camera.h"
#include "scene/group.h"

namespace {

// The box coordinate of a mode: its axis, and 0 lowest, 1 centre, 2 highest.
constexpr uint32_t kModesPerAxis = 3;
// A box coordinate this near a grid line is on it.
constexpr double kOnGrid = 0.0001;
constexpr double kRadiansPerDegree = 0.017453277777777776;
// A scaled nudge: the field angle as a share of 60 degrees (3 / pi), and the steps per unit of
// distance of the whole and the fine nudge.
constexpr double kFieldAngleScale = 0.9549304291547923;
constexpr double kNudgeScale = 0.001;
constexpr double kNudgeByScale = 0.01;
// Randomize: the share of the position offset a step moves, and the size factor's spread.
constexpr double kRandomStepShare = 0.1;
constexpr double kRandomScaleSpread = 0.1;
constexpr double kRandomScaleLeast = 0.95;

struct SKind {
  uint32_t classTag;
  uint32_t familyTag;
};

constexpr uint32_t kShape = FourCC("3dob");
constexpr uint32_t kLight = FourCC("lght");
constexpr SKind kKinds[CSelection::kKindCount] = {
    {FourCC("cube"), kShape}, {FourCC("sphr"), kShape}, {FourCC("plne"), kShape}, {FourCC("hfld"), kShape},
    {FourCC("cone"), kShape}, {FourCC("toru"), kShape}, {FourCC("grou"), kShape}, {FourCC("pmsh"), kShape},
    {FourCC("tmsh"), kShape}, {FourCC("pyra"), kShape}, {FourCC("cylr"), kShape}, {FourCC("circ"), kShape},
    {FourCC("sqre"), kShape}, {FourCC("sphr"), kLight}, {FourCC("cone"), kLight}, {FourCC("cyln"), kLight},
    {FourCC("cube"), kLight}, {FourCC("pyrm"), kLight},
};

// The navigation's place is the palette's, shared by every document.
uint32_t gKindIndex = 0;
int32_t gPaletteObjectIndex = 0;

bool IsCamera(const C3dObject* object) { return object->GetFamily() == C3dCamera::kFamily; }

C3dGroup* AsGroup(C3dObject* object) {
  return object->GetClass() == C3dGroup::kClassTag ? static_cast<C3dGroup*>(object) : nullptr;
}

double Coordinate(const C3dBox& box, uint32_t mode) {
  const uint32_t axis = mode / kModesPerAxis;
  switch (mode % kModesPerAxis) {
    case 0:
      return box.fMin[axis];
    case 1:
      return (box.fMin[axis] + box.fMax[axis]) * 0.5;
    default:
      return box.fMax[axis];
  }
}

vector3<double> OnAxis(uint32_t axis, double amount) {
  vector3<double> v;
  if (axis == 0) v.x = amount;
  if (axis == 1) v.y = amount;
  if (axis == 2) v.z = amount;
  return v;
}

// The move along the grid's axis that brings a coordinate with this remainder onto the nearest line.
double GridMove(double remainder) {
  if (-1 < remainder && remainder < 1) return -remainder;
  if (remainder >= 1) return CSelection::kGridStep - std::fabs(remainder);
  return -(remainder + CSelection::kGridStep);
}

double NextUnit() { return NextRandomUnit(GetRandomState()); }

double Spread(double amplitude) { return (2 * NextUnit() - 1) * amplitude; }

void Randomize(C3dObject* object, const vector3<double>& position, const vector3<double>& rotation, double factor,
               int32_t step) {
  if (C3dGroup* group = AsGroup(object)) {
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) {
      C3dObject* member = group->GetMember(i);
      if (member && !member->IsTransformLocked()) Randomize(member, position, rotation, factor, step);
    }
    group->ComputeBounds();
    return;
  }
  C3dTransform& placement = object->GetPlacement();
  placement.fDirty = 1;
  placement.fPosition += position * (step * kRandomStepShare);
  placement.fRotation += rotation * double(step);
  placement.fScale *= factor;
}

}  // namespace

uint32_t CSelection::GetKindIndex() { return gKindIndex; }

int32_t CSelection::GetPaletteObjectIndex() { return gPaletteObjectIndex; }

// ---- align and snap

bool CSelection::AlignToFirst(uint32_t mode) {
  if (mode > kAllCentres) return false;
  if (fObjects.GetCount() < 2) return true;
  const C3dBox reference = fObjects[0]->WorldBox();
  auto action = std::make_unique<CMatrixAction>();
  // Without memory for the action the objects still move; nothing is recorded.
  if (!action->IsValid()) action.reset();
  bool moved = false;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (object->IsTransformLocked()) continue;
    if (action && action->AddObject(object) != 0) action.reset();
    const C3dBox box = object->WorldBox();
    vector3<double> delta;
    for (uint32_t axis = 0; axis < 3; ++axis) {
      const uint32_t axisMode = mode == kAllCentres ? axis * kModesPerAxis + 1 : mode;
      if (axisMode / kModesPerAxis != axis) continue;
      const double move = Coordinate(reference, axisMode) - Coordinate(box, axisMode);
      // Neither box may be empty.
      if (std::isfinite(move)) delta += OnAxis(axis, move);
    }
    object->Translate(delta);
    object->NotifyParentBoundsChanged();
    moved = true;
  }
  if (moved && action && fDocument) fDocument->GetUndoHistory().Push(action.release());
  return true;
}

bool CSelection::SnapToGrid(uint32_t mode) {
  if (mode > kHighestZ) return false;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (object->IsTransformLocked()) continue;
    const double remainder = std::fmod(Coordinate(object->WorldBox(), mode), kGridStep);
    // An object without a box (an empty group) has no coordinate to snap.
    if (!std::isfinite(remainder) || (-kOnGrid < remainder && remainder < kOnGrid)) continue;
    object->Translate(OnAxis(mode / kModesPerAxis, GridMove(remainder)));
    object->NotifyParentBoundsChanged();
  }
  return true;
}

// ---- nudge

void CSelection::NudgeSelection(int32_t amount, uint32_t direction, uint8_t scaled) {
  Nudge(direction < 6 ? OnAxis(direction / 2, double(amount)) : vector3<double>{}, kNudgeScale, scaled);
}

void CSelection::NudgeSelectionBy(double amount, uint32_t direction, uint8_t scaled) {
  Nudge(direction < 6 ? OnAxis(direction / 2, amount) : vector3<double>{}, kNudgeByScale, scaled);
}

void CSelection::Nudge(const vector3<double>& amounts, double scaleFactor, uint8_t scaled) {
  vector3<double> u, v;
  CameraAxes(&u, &v);
  CDocumentHost* window = fDocument ? fDocument->GetWindow() : nullptr;
  C3dCamera* camera = window ? window->GetCurrentCamera() : nullptr;
  vector3<double> eye;
  double fieldAngle = SCameraView::kDefaultFieldAngle;
  if (camera) {
    CHolder holder(camera, false, false);
    if (holder.IsLocked()) fieldAngle = camera->GetView().fieldAngle;
    eye = camera->GetTransformVector3();
  }
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (object->IsTransformLocked() || IsCamera(object)) continue;
    vector3<double> move = amounts;
    if (fCoordinateMode == kObjectAxes) {
      move = object->GetAxisX() * amounts.x + object->GetAxisY() * amounts.y + object->GetAxisZ() * amounts.z;
    } else if (fCoordinateMode == kCameraAxes) {
      move = Cross(v, u) * amounts.x + v * amounts.y + u * amounts.z;
    }
    if (scaled && camera) {
      const vector3<double> apart = eye - object->GetTransformVector3();
      move *= std::sqrt(Dot(apart, apart)) * (fieldAngle * kFieldAngleScale) * scaleFactor;
    }
    object->Translate(move);
    object->NotifyParentBoundsChanged();
  }
}

// ---- randomize

void CSelection::PrepareRandomize(const vector3<double>& position, const vector3<double>& rotationDegrees,
                                  double scale) {
  fRandomPosition.Clear();
  fRandomRotation.Clear();
  fRandomScale.Clear();
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    const double px = Spread(position.x), py = Spread(position.y), pz = Spread(position.z);
    const double rx = Spread(rotationDegrees.x * kRadiansPerDegree);
    const double ry = Spread(rotationDegrees.y * kRadiansPerDegree);
    const double rz = Spread(rotationDegrees.z * kRadiansPerDegree);
    const double s = (NextUnit() * kRandomScaleSpread + kRandomScaleLeast) * scale;
    // Rows that cannot be kept leave the later objects without offsets: they stay where they are.
    if (!fRandomPosition.Append({px, py, pz}) || !fRandomRotation.Append({rx, ry, rz}) ||
        !fRandomScale.Append({s, s, s})) {
      return;
    }
  }
}

void CSelection::ApplyRandomizeStep(int32_t step) {
  uint32_t k = 0;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (object->IsTransformLocked() || IsCamera(object)) continue;
    if (k >= fRandomPosition.GetCount() || k >= fRandomRotation.GetCount() || k >= fRandomScale.GetCount()) break;
    double factor = fRandomScale[k].x;
    if (factor == 0) factor = 1;
    if (step < 0) factor = 1 / factor;
    Randomize(object, fRandomPosition[k], fRandomRotation[k], factor, step);
    object->NotifyParentBoundsChanged();
    ++k;
  }
}

// ---- selection by kind and by position

void CSelection::SelectFound(C3dObject* object) {
  const bool shift = IsKeyHeld(platform::kVkShift);
  if (shift && object->IsSelected()) {
    Deselect(object);
  } else {
    Add(object, shift ? 0 : 1, 0);
  }
}

C3dObject* CSelection::FindOfKind(uint32_t classTag, uint32_t familyTag, int32_t from, bool forward, int32_t* index) {
  if (!fDocument) return nullptr;
  int32_t cursor = from;
  while (C3dObject* object = forward ? fDocument->NextListEntry(&cursor) : fDocument->NextListEntry2(&cursor)) {
    // The forward walk leaves the cursor one past the entry, the backward one below it.
    *index = forward ? cursor - 1 : cursor + 1;
    if (object->GetClass() == classTag && object->GetFamily() == familyTag) return object;
  }
  return nullptr;
}

bool CSelection::SelectAt(C3dObject* object, int32_t index, int32_t* position) {
  if (!object) return false;
  fListPosition = *position = index;
  SelectFound(object);
  return true;
}

bool CSelection::SelectFirstOfKind(uint32_t classTag, uint32_t familyTag, int32_t* position) {
  int32_t index = 0;
  C3dObject* object = FindOfKind(classTag, familyTag, 0, true, &index);
  return SelectAt(object, index, position);
}

bool CSelection::SelectLastOfKind(uint32_t classTag, uint32_t familyTag, int32_t* position) {
  if (!fDocument) return false;
  int32_t index = 0;
  const int32_t last = int32_t(fDocument->GetListCount()) - 1;
  C3dObject* object = FindOfKind(classTag, familyTag, last, false, &index);
  return SelectAt(object, index, position);
}

bool CSelection::SelectNextOfKind() {
  int32_t index = 0;
  C3dObject* object = FindOfKind(fLastClassTag, fLastFamilyTag, fListPosition + 1, true, &index);
  if (!object) return SelectFirstOfKind(fLastClassTag, fLastFamilyTag, &gPaletteObjectIndex);
  return SelectAt(object, index, &gPaletteObjectIndex);
}

bool CSelection::SelectPreviousOfKind() {
  int32_t index = 0;
  C3dObject* object =
      fListPosition > 0 ? FindOfKind(fLastClassTag, fLastFamilyTag, fListPosition - 1, false, &index) : nullptr;
  if (!object) return SelectLastOfKind(fLastClassTag, fLastFamilyTag, &gPaletteObjectIndex);
  return SelectAt(object, index, &gPaletteObjectIndex);
}

bool CSelection::SelectNextKind(uint32_t* classTag, uint32_t* familyTag) {
  bool found = false;
  gPaletteObjectIndex = 0;
  // One more try than there are kinds, so that the kind it started on is tried again last.
  for (uint32_t attempt = 0; attempt <= kKindCount && !found; ++attempt) {
    gKindIndex = (gKindIndex + 1) % kKindCount;
    found = SelectFirstOfKind(kKinds[gKindIndex].classTag, kKinds[gKindIndex].familyTag, &gPaletteObjectIndex);
  }
  *classTag = kKinds[gKindIndex].classTag;
  *familyTag = kKinds[gKindIndex].familyTag;
  return found;
}

bool CSelection::SelectPreviousKind(uint32_t* classTag, uint32_t* familyTag) {
  bool found = false;
  gPaletteObjectIndex = 0;
  for (uint32_t attempt = 0; attempt <= kKindCount && !found; ++attempt) {
    gKindIndex = gKindIndex == 0 ? kKindCount - 1 : gKindIndex - 1;
    found = SelectLastOfKind(kKinds[gKindIndex].classTag, kKinds[gKindIndex].familyTag, &gPaletteObjectIndex);
  }
  *classTag = kKinds[gKindIndex].classTag;
  *familyTag = kKinds[gKindIndex].familyTag;
  return found;
}

bool CSelection::SelectFirstObject() {
  if (!fDocument) return false;
  int32_t cursor = 0;
  C3dObject* object = fDocument->NextListEntry(&cursor);
  if (!object) return false;
  SelectFound(object);
  return true;
}

bool CSelection::SelectLastObject() {
  if (!fDocument) return false;
  int32_t cursor = int32_t(fDocument->GetListCount()) - 1;
  C3dObject* object = fDocument->NextListEntry2(&cursor);
  if (!object) return false;
  SelectFound(object);
  return true;
}

bool CSelection::SelectNextObject() {
  if (!fDocument) return false;
  int32_t cursor = 0;
  C3dObject* object = nullptr;
  while ((object = fDocument->NextListEntry(&cursor)) && !object->IsSelected()) {
  }
  C3dObject* next = object ? fDocument->NextListEntry(&cursor) : nullptr;
  if (!next) return SelectFirstObject();
  SelectFound(next);
  return true;
}

bool CSelection::SelectPreviousObject() {
  if (!fDocument) return false;
  int32_t cursor = int32_t(fDocument->GetListCount()) - 1;
  C3dObject* object = nullptr;
  while ((object = fDocument->NextListEntry2(&cursor)) && !object->IsSelected()) {
  }
  C3dObject* previous = object ? fDocument->NextListEntry2(&cursor) : nullptr;
  if (!previous) return SelectLastObject();
  SelectFound(previous);
  return true;
}
