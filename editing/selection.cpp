#include "editing/selection.h"

#include <bit>

#include "editing/delete_action.h"
#include "editing/document.h"
#include "framework/core/four_cc.h"
#include "scene/base_spool_table.h"
#include "scene/base_sys.h"
#include "scene/camera.h"
#include "scene/group.h"

namespace {

// The world box's lowest point within this of the ground counts as standing on it.
constexpr double kGroundTolerance = 0.05;

bool IsCamera(const C3dObject* object) { return object->GetFamily() == C3dCamera::kFamily; }

bool IsGroup(const C3dObject* object) { return object->GetClass() == C3dGroup::kClassTag; }

bool IsLocked(const C3dObject* object) { return object->GetFlags() & C3dObject::kTransformLocked; }

}  // namespace

CSelection::CSelection(C3dDocument* document) : fDocument(document), fObjects(SRange{0, kGrowthStep}) {}

CSelection::~CSelection() = default;

uint32_t CSelection::IndexOf(const C3dObject* object) const {
  uint32_t index = 0;
  while (index < fObjects.GetCount() && fObjects[index] != object) ++index;
  return index;
}

bool CSelection::Contains(const C3dObject* object) const { return IndexOf(object) < fObjects.GetCount(); }

C3dObject* CSelection::GetObject(uint32_t index) const {
  return index < fObjects.GetCount() ? fObjects[index] : nullptr;
}

void CSelection::SetHandle(uint32_t index, int32_t x, int32_t y, const vector3<double>& world) {
  if (index >= kHandleCount) return;
  fHandles[index][0] = x;
  fHandles[index][1] = y;
  fHandleWorld[index] = world;
}

vector3<double> CSelection::GetHandleWorldPoint(uint32_t index) const {
  return index < kHandleCount ? fHandleWorld[index] : vector3<double>{};
}

void CSelection::GetHandle(uint32_t index, int32_t* x, int32_t* y) const {
  const bool known = index < kHandleCount;
  *x = known ? fHandles[index][0] : 0;
  *y = known ? fHandles[index][1] : 0;
}

void CSelection::Unmark(C3dObject* object) {
  if (!object->IsSelected()) return;
  object->NotifyParentDeselected();
  object->ClearFlags(C3dObject::kSelected);
}

void CSelection::Add(C3dObject* object, uint8_t exclusive, uint8_t force) {
  if (!object) return;
  if (force != 1 && (IsLocked(object) || (object->GetParent() && IsLocked(object->GetParent())))) return;
  if (object->IsSelected()) return;
  if (exclusive == 1) DeselectAll(1);
  object->NotifyParentSelected();
  object->SetFlags(C3dObject::kSelected);
  fLastClassTag = object->GetClass();
  fLastFamilyTag = object->GetFamily();
  // Selected means listed: an object the list cannot take is not selected at all.
  if (!fObjects.Append(object)) Unmark(object);
}

void CSelection::Deselect(C3dObject* object) {
  if (!object || !object->IsSelected()) return;
  const uint32_t index = IndexOf(object);
  if (index == fObjects.GetCount()) return;
  Unmark(object);
  fObjects.RemoveAt(index);
}

void CSelection::DeselectAll(uint8_t notify) {
  if (notify == 1) {
    for (uint32_t i = 0; i < fObjects.GetCount(); ++i) Unmark(fObjects[i]);
  }
  fObjects.Clear();
}

void CSelection::AddSelectedOf(C3dBaseSpoolTable* objects) {
  if (!objects) return;
  for (uint32_t row = 0; row < objects->GetCount(); ++row) {
    C3dBase* thing = objects->At(row);
    C3dObject* object = thing ? thing->AsObject() : nullptr;
    if (!object || !object->IsSelected()) continue;
    object->NotifyParentSelected();
    if (!fObjects.Append(object)) Unmark(object);
  }
}

void CSelection::ExtractGroup(C3dObject* object, CDeleteAction* action) {
  if (IsGroup(object)) {
    C3dGroup* group = static_cast<C3dGroup*>(object);
    // The action takes members out of the group's table, not out of the group: the list stays put.
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) ExtractGroup(group->GetMember(i), action);
  }
  Unmark(object);
  action->AddObject(object);
}

void CSelection::ExtractSelected(CDeleteAction* action) {
  if (!action) return;
  // Cameras stay, and so do members selected on their own: their group goes as a whole or not at all.
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (IsCamera(object) || object->GetParent()) Unmark(object);
  }
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (object->IsSelected()) ExtractGroup(object, action);
  }
  if (fDocument) fDocument->RefreshSceneParts();
  fObjects.Clear();
}

void CSelection::Remove(CDeleteAction* action, C3dObject* object) {
  if (!object || IsCamera(object)) return;
  const uint32_t index = IndexOf(object);
  if (index == fObjects.GetCount()) return;
  fObjects.RemoveAt(index);
  Unmark(object);
  const bool grouped = object->GetParent() != nullptr;
  if (!fDocument) return;
  fDocument->DeleteObjectUndoable(action, object);
  C3dBaseSys* scene = fDocument->GetSceneTable();
  if (grouped && scene) C3dGroup::RelinkGroups(scene);
}

void CSelection::RemoveNotOwnedBy(C3dBaseSys* table) {
  for (uint32_t i = fObjects.GetCount(); i-- > 0;) {
    if (fObjects[i]->GetOwningTable() != table) fObjects.RemoveAt(i);
  }
}

uint32_t CSelection::GetButtonMask(uint32_t* mask) {
  *mask = 0;
  const uint32_t count = fObjects.GetCount();
  if (count == 0 || (count == 1 && IsCamera(fObjects[0]))) return 0;
  C3dObject* first = fObjects[0];
  *mask = kAttributesButton | kFamilyButton;
  if (!IsCamera(first)) *mask |= kMaterialButton;
  if (count >= 2) {
    bool grouped = false;
    for (uint32_t i = 0; i < count && !grouped; ++i) grouped = fObjects[i]->GetParent() != nullptr;
    if (!grouped) *mask |= kGroupButton;
  } else if (IsGroup(first) && !first->GetParent()) {
    *mask |= kUngroupButton;
  }
  const double lowest = first->WorldBox().fMin.y;
  if (lowest < -kGroundTolerance) {
    *mask |= kLandUpButton;
  } else if (lowest > kGroundTolerance) {
    *mask |= kLandDownButton;
  }
  if (count == 1 && first->HasEditor()) *mask |= kEditButton;
  return uint32_t(std::popcount(*mask));
}
