#include "editing/group_action.h"

#include "editing/action_steps.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/group.h"

CGroupAction::CGroupAction(C3dGroup* group) : fGroup(group) {}

CGroupAction::~CGroupAction() = default;

int32_t CGroupAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!fGroup) return kErrInvalidParameter;
  if (!fHolding) fHolding = NewHoldingTable(fGroup->GetOwningTable());
  if (!fHolding) return kErrOutOfMemory;
  for (uint32_t i = fGroup->GetMemberCount(); i-- > 0;) Select(GetDocument(), fGroup->GetMember(i), false);
  fOwner = fGroup->GetOwningTable();
  Unselect(GetDocument(), fGroup);
  const int32_t result = fHolding->TransferObject(fGroup, fHolding.get());
  RefreshSceneParts(GetDocument());
  if (result) return result;
  SetUndone(true);
  return kNoErr;
}

int32_t CGroupAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (!fGroup || !fOwner) return kErrInvalidParameter;
  const int32_t result = fHolding->TransferObject(fGroup, fOwner);
  RefreshSceneParts(GetDocument());
  if (result) return result;
  Select(GetDocument(), fGroup, true);
  SetUndone(false);
  return kNoErr;
}
