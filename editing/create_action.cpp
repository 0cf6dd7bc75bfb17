#include "editing/create_action.h"

#include "editing/action_steps.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/object.h"

CCreateAction::CCreateAction(C3dBaseSys* owner) : fOwner(owner), fObjects(SRange{0, kGrowthStep}) {}

CCreateAction::~CCreateAction() = default;

bool CCreateAction::AddObject(C3dObject* object) { return object && fObjects.Append(object); }

void CCreateAction::ForgetLastObject() {
  if (fObjects.GetCount()) fObjects.RemoveAt(fObjects.GetCount() - 1);
}

int32_t CCreateAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fHolding) fHolding = NewHoldingTable(fOwner);
  if (!fHolding) return kErrOutOfMemory;
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    Unselect(GetDocument(), fObjects[i]);
    if (const int32_t error = fHolding->TransferObject(fObjects[i], fHolding.get())) {
      RefreshSceneParts(GetDocument());
      return error;
    }
  }
  RefreshSceneParts(GetDocument());
  SetUndone(true);
  return kNoErr;
}

int32_t CCreateAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (!fHolding || !fOwner) return kErrOutOfMemory;
  const int32_t result = fHolding->MoveAllTo(fOwner, false);
  RefreshSceneParts(GetDocument());
  SelectTopLevel(GetDocument(), fObjects);
  SetUndone(false);
  return result;
}
