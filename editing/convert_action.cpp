#include "editing/convert_action.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/group.h"
#include "scene/object.h"

CConvertAction::CConvertAction(C3dBaseSys* owner)
    : fDelete(new CDeleteAction(owner)),
      fCreate(new CCreateAction(owner)),
      fReplacements(SRange{0, CCreateAction::kGrowthStep}),
      fOwner(owner) {
  if (!fDelete || !fCreate || !fDelete->IsValid() || !fCreate->IsValid() || !fReplacements.IsValid()) SetValid(false);
}

CConvertAction::~CConvertAction() {
  fCreate.reset();
  fDelete.reset();
}

bool CConvertAction::AddReplacement(C3dObject* old, C3dObject* made, C3dGroup* group) {
  return fReplacements.Append(SReplacement{old, made, group});
}

void CConvertAction::ForgetLastReplacement() {
  if (fReplacements.GetCount()) fReplacements.RemoveAt(fReplacements.GetCount() - 1);
}

int32_t CConvertAction::Regroup(bool back) {
  const uint32_t count = fReplacements.GetCount();
  for (uint32_t k = 0; k < count; ++k) {
    const SReplacement& r = fReplacements[back ? count - 1 - k : k];
    C3dObject* joining = back ? r.old : r.made;
    C3dObject* leaving = back ? r.made : r.old;
    if (!r.group || !r.group->IsReady() || !joining->IsReady()) continue;
    CHolder lock(r.group, true, false);
    if (!lock.IsLocked()) return kErrOutOfMemory;
    if (const int32_t error = r.group->AddChild(joining)) return error;
    r.group->RemoveChild(leaving);
  }
  return fOwner ? C3dGroup::RelinkGroups(fOwner) : kNoErr;
}

int32_t CConvertAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!IsValid()) return kErrOutOfMemory;
  fCreate->SetDocument(GetDocument());
  fDelete->SetDocument(GetDocument());
  if (const int32_t error = fCreate->Undo()) return error;
  if (const int32_t error = Regroup(true)) return error;
  if (const int32_t error = fDelete->Undo()) return error;
  SetUndone(true);
  return kNoErr;
}

int32_t CConvertAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (!IsValid()) return kErrOutOfMemory;
  fCreate->SetDocument(GetDocument());
  fDelete->SetDocument(GetDocument());
  if (const int32_t error = Regroup(false)) return error;
  if (const int32_t error = fCreate->Redo()) return error;
  if (const int32_t error = fDelete->Redo()) return error;
  SetUndone(false);
  return kNoErr;
}
