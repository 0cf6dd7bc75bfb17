#include "editing/matrix_action.h"

#include <new>

#include "editing/selection.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/group.h"
#include "scene/object.h"

namespace {

C3dGroup* AsGroup(C3dObject* object) {
  return object->GetClass() == C3dGroup::kClassTag ? static_cast<C3dGroup*>(object) : nullptr;
}

}  // namespace

CMatrixAction::CMatrixAction()
    : fObjects(SRange{0, kGrowthStep}), fBefore(SRange{0, kGrowthStep}), fAfter(SRange{0, kGrowthStep}) {
  if (!fObjects.IsValid() || !fBefore.IsValid() || !fAfter.IsValid()) SetValid(false);
}

std::unique_ptr<CMatrixAction> CMatrixAction::OfSelection(CSelection& selection) {
  std::unique_ptr<CMatrixAction> action(new (std::nothrow) CMatrixAction);
  if (!action || !action->IsValid()) return nullptr;
  for (uint32_t i = 0; i < selection.GetCount(); ++i) {
    if (action->AddObject(selection.GetObject(i))) return nullptr;
  }
  return action;
}

CMatrixAction::SDecomposition CMatrixAction::Decompose(C3dObject* object) {
  SDecomposition state;
  object->GetPlacement().CurrentMatrix().Decompose(state);
  return state;
}

int32_t CMatrixAction::AddObject(C3dObject* object, bool before) {
  if (!object) return kErrInvalidParameter;
  if (!before) return fAfter.Append(Decompose(object)) ? kNoErr : kErrOutOfMemory;
  if (C3dGroup* group = AsGroup(object)) {
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t error = AddObject(group->GetMember(i), true)) return error;
    }
  }
  if (!fObjects.Append(object)) return kErrOutOfMemory;
  if (fBefore.Append(Decompose(object))) return kNoErr;
  fObjects.RemoveAt(fObjects.GetCount() - 1);
  return kErrOutOfMemory;
}

int32_t CMatrixAction::Apply(const CDynTable<SDecomposition>& states, bool captureAfter) {
  CDynTable<C3dGroup*> groups(SRange{0, kGrowthStep});
  if (captureAfter) fAfter.Clear();
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    C3dObject* object = fObjects[i];
    if (captureAfter && !fAfter.Append(Decompose(object))) return kErrOutOfMemory;
    if (i >= states.GetCount()) continue;
    if (C3dGroup* group = AsGroup(object); group && !groups.Append(group)) return kErrOutOfMemory;
    CHolder lock(object, true, false);
    if (!lock.IsLocked()) continue;
    const SDecomposition& state = states[i];
    C3dTransform& placement = object->GetPlacement();
    placement.fScale = state.scale;
    placement.fShear = state.shear;
    placement.fRotation = state.angles;
    placement.fPosition = state.position;
    placement.fDirty = 1;
  }
  // Members come before their groups in the list, so inner groups are recomputed first.
  for (uint32_t i = 0; i < groups.GetCount(); ++i) groups[i]->ComputeBounds();
  return kNoErr;
}

int32_t CMatrixAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (const int32_t error = Apply(fBefore, !fAfterCaptured)) return error;
  fAfterCaptured = 1;
  SetUndone(true);
  return kNoErr;
}

int32_t CMatrixAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (const int32_t error = Apply(fAfter, false)) return error;
  SetUndone(false);
  return kNoErr;
}
