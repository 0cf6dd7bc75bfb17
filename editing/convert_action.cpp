#include "editing/convert_action.h"

#include <algorithm>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/object.h"

CConvertAction::CConvertAction(C3dBaseSys* owner)
    : fDelete(new CDeleteAction(owner)), fCreate(new CCreateAction(owner)), fOwner(owner) {
  if (!fDelete || !fCreate || !fDelete->IsValid() || !fCreate->IsValid()) SetValid(false);
}

CConvertAction::~CConvertAction() {
  fCreate.reset();
  fDelete.reset();
}

int32_t CConvertAction::Regroup(const CDynTable<C3dObject*>& from, const CDynTable<C3dObject*>& to) {
  const uint32_t pairs = std::min(from.GetCount(), to.GetCount());
  for (uint32_t i = 0; i < pairs; ++i) {
    C3dGroup* group = from[i]->IsReady() ? from[i]->GetParent() : nullptr;
    if (!group || !group->IsReady() || !to[i]->IsReady()) continue;
    CHolder lock(group, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    if (const int32_t error = group->AddChild(to[i])) return error;
    group->RemoveChild(from[i]);
  }
  return fOwner ? C3dGroup::RelinkGroups(fOwner) : kNoErr;
}

int32_t CConvertAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!IsValid()) return kErrOutOfMemory;
  fCreate->SetDocument(GetDocument());
  fDelete->SetDocument(GetDocument());
  if (const int32_t error = fCreate->Undo()) return error;
  if (const int32_t error = Regroup(fCreate->GetObjects(), fDelete->GetObjects())) return error;
  if (const int32_t error = fDelete->Undo()) return error;
  SetUndone(true);
  return kNoErr;
}

int32_t CConvertAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (!IsValid()) return kErrOutOfMemory;
  fCreate->SetDocument(GetDocument());
  fDelete->SetDocument(GetDocument());
  if (const int32_t error = Regroup(fDelete->GetObjects(), fCreate->GetObjects())) return error;
  if (const int32_t error = fCreate->Redo()) return error;
  if (const int32_t error = fDelete->Redo()) return error;
  SetUndone(false);
  return kNoErr;
}
