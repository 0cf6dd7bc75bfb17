#include "editing/delete_action.h"

#include "editing/action_steps.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/object.h"

CDeleteAction::CDeleteAction(C3dBaseSys* owner)
    : fHolding(NewHoldingTable(owner)), fOwner(owner), fObjects(SRange{0, kGrowthStep}) {
  if (!fHolding) SetValid(false);
}

CDeleteAction::~CDeleteAction() = default;

// Listed first, so that an object is never held without being listed: a list that cannot grow
// leaves the object in the scene.
bool CDeleteAction::AddObject(C3dObject* object) {
  if (!object || !fHolding || !object->IsReady()) return false;
  if (!fObjects.Append(object)) return false;
  if (fHolding->TransferObject(object, fHolding.get()) != 0) {
    fObjects.RemoveAt(fObjects.GetCount() - 1);
    return false;
  }
  object->ClearFlags(C3dObject::kSelected);
  return true;
}

int32_t CDeleteAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fHolding || !fOwner) return kErrOutOfMemory;
  const int32_t result = fHolding->MoveAllTo(fOwner, false);
  RefreshSceneParts(GetDocument());
  SelectTopLevel(GetDocument(), fObjects);
  SetUndone(true);
  return result;
}

int32_t CDeleteAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (!fHolding) return kErrOutOfMemory;
  if (fObjects.GetCount() == 1 && fObjects[0]->GetClass() == C3dGroup::kClassTag) {
    auto* group = static_cast<C3dGroup*>(fObjects[0]);
    for (uint32_t i = 0; i < group->GetMemberCount(); ++i) Select(GetDocument(), group->GetMember(i), i == 0);
  }
  int32_t result = kNoErr;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    Unselect(GetDocument(), fObjects[i]);
    if (const int32_t error = fHolding->TransferObject(fObjects[i], fHolding.get()); error && !result) result = error;
  }
  RefreshSceneParts(GetDocument());
  SetUndone(false);
  return result;
}
