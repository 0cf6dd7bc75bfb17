#include "editing/translate_action.h"

#include "framework/core/result_codes.h"
#include "scene/object.h"

CTranslateAction::CTranslateAction(const vector3<double>& offset, const CDynTable<C3dObject*>& objects)
    : fOffset(offset), fObjects(SRange{0, kGrowthStep}) {
  for (uint32_t i = 0; i < objects.GetCount(); ++i) {
    if (!fObjects.Append(objects[i])) {
      SetValid(false);
      return;
    }
  }
}

void CTranslateAction::MoveAll(const vector3<double>& offset) {
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) fObjects[i]->Translate(offset);
}

int32_t CTranslateAction::Undo() {
  if (GetUndone()) return kNoErr;
  MoveAll(-fOffset);
  SetUndone(true);
  return kNoErr;
}

int32_t CTranslateAction::Redo() {
  if (!GetUndone()) return kNoErr;
  MoveAll(fOffset);
  SetUndone(false);
  return kNoErr;
}
