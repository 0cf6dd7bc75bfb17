#include "editing/attributes_action.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/group.h"
#include "scene/object.h"

UUndoAttributesData UUndoAttributesData::Of(const C3dObject* object) {
  const uint32_t flags = object->GetFlags();
  const uint32_t state = object->GetStateFlags();
  UUndoAttributesData data;
  data.positive = (state & C3dObject::kPositive) ? 1 : 0;
  data.negative = (state & C3dObject::kNegative) ? 1 : 0;
  data.intersect = (state & C3dObject::kIntersect) ? 1 : 0;
  data.locked = (flags & C3dObject::kTransformLocked) ? 1 : 0;
  data.asBox = (flags & C3dObject::kHidden) ? 1 : 0;
  return data;
}

// A locked object is neither moved nor picked: the bit goes into both flag words.
void UUndoAttributesData::Apply(C3dObject* object) const {
  object->SetStateFlags(C3dObject::kPositive, positive != 0);
  object->SetStateFlags(C3dObject::kNegative, negative != 0);
  object->SetStateFlags(C3dObject::kIntersect, intersect != 0);
  object->SetFlags(C3dObject::kTransformLocked, locked != 0);
  object->SetStateFlags(C3dObject::kNotPickable, locked != 0);
  object->SetFlags(C3dObject::kHidden, asBox != 0);
}

CAttributesAction::CAttributesAction() : fBefore(SRange{0, kGrowthStep}), fAfter(SRange{0, kGrowthStep}) {
  if (!fTransforms.IsValid() || !fBefore.IsValid() || !fAfter.IsValid()) SetValid(false);
}

// The same order as the transform action lists them, so that the two tables stay side by side.
int32_t CAttributesAction::AddAttributes(C3dObject* object) {
  if (object->GetClass() == C3dGroup::kClassTag) {
    auto* group = static_cast<C3dGroup*>(object);
    for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
      if (const int32_t error = AddAttributes(group->GetMember(i))) return error;
    }
  }
  return fBefore.Append(UUndoAttributesData::Of(object)) ? kNoErr : kErrOutOfMemory;
}

int32_t CAttributesAction::AddObject(C3dObject* object, bool before) {
  if (!object) return kErrInvalidParameter;
  if (!before) return fAfter.Append(UUndoAttributesData::Of(object)) ? kNoErr : kErrOutOfMemory;
  const uint32_t listed = fBefore.GetCount();
  int32_t error = AddAttributes(object);
  if (!error) error = fTransforms.AddObject(object, true);
  if (error) fBefore.RemoveAt(listed, fBefore.GetCount() - listed);
  return error;
}

void CAttributesAction::Apply(const CDynTable<UUndoAttributesData>& states) {
  const CDynTable<C3dObject*>& objects = fTransforms.GetObjects();
  for (uint32_t i = 0; i < objects.GetCount() && i < states.GetCount(); ++i) {
    CHolder lock(objects[i], true, false);
    if (lock.IsLocked()) states[i].Apply(objects[i]);
  }
}

int32_t CAttributesAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (const int32_t error = fTransforms.Undo()) return error;
  if (!fAfterCaptured) {
    fAfter.Clear();
    const CDynTable<C3dObject*>& objects = fTransforms.GetObjects();
    for (uint32_t i = 0; i < objects.GetCount(); ++i) {
      if (!fAfter.Append(UUndoAttributesData::Of(objects[i]))) return kErrOutOfMemory;
    }
    fAfterCaptured = 1;
  }
  Apply(fBefore);
  SetUndone(true);
  return kNoErr;
}

int32_t CAttributesAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (const int32_t error = fTransforms.Redo()) return error;
  Apply(fAfter);
  SetUndone(false);
  return kNoErr;
}
