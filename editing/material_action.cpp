#include "editing/material_action.h"

#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"
#include "scene/object.h"
#include "scene/surface/material.h"

namespace {

C3dMaterial* MaterialOf(C3dObject* object) {
  C3dMaterial* material = LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  return material && material->IsReady() ? material : nullptr;
}

void Free(C3dMaterial* material) {
  if (!material) return;
  material->ReleaseTextureRefs();
  delete material;
}

}  // namespace

CMaterialAction::CMaterialAction()
    : fObjects(SRange{0, kGrowthStep}), fSaved(SRange{0, kGrowthStep}), fAfter(SRange{0, kGrowthStep}) {
  if (!fObjects.IsValid() || !fSaved.IsValid() || !fAfter.IsValid()) SetValid(false);
}

CMaterialAction::~CMaterialAction() {
  FreeAll(fAfter);
  FreeAll(fSaved);
}

void CMaterialAction::FreeAll(CDynTable<C3dMaterial*>& materials) {
  for (uint32_t i = 0; i < materials.GetCount(); ++i) Free(materials[i]);
  materials.Clear();
}

// Outside every table: the copy is the action's, never part of a document.
int32_t CMaterialAction::CopyOf(C3dObject* object, C3dMaterial** out) {
  *out = nullptr;
  C3dMaterial* source = MaterialOf(object);
  if (!source) return kNoErr;
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(source->GetEnvironment(), key, spec);
  C3dMaterial* copy = nullptr;
  if (const int32_t error = C3dMaterial::New(&copy, nullptr, key, spec)) return error;
  int32_t result = copy->CopyFrom(*source);
  if (!result) result = copy->AddTextureRefs();
  if (result) {
    Free(copy);
    return result;
  }
  *out = copy;
  return kNoErr;
}

int32_t CMaterialAction::CopyInto(C3dObject* object, C3dMaterial* source) {
  if (!object || !source) return kErrInvalidParameter;
  CHolder sourceLock(source, false, false);
  if (!sourceLock.IsLocked()) return NonZeroError(object->GetError());
  C3dMaterial* target = MaterialOf(object);
  if (!target || target == source) return kNoErr;
  return target->CopyWithTextureRefs(*source);
}

int32_t CMaterialAction::AddObject(C3dObject* object, bool before) {
  if (!object) return kErrInvalidParameter;
  C3dMaterial* copy = nullptr;
  if (const int32_t error = CopyOf(object, &copy)) return error;
  if (!before) {
    if (fAfter.Append(copy)) return kNoErr;
    Free(copy);
    return kErrOutOfMemory;
  }
  if (fObjects.Append(object)) {
    if (fSaved.Append(copy)) return kNoErr;
    fObjects.RemoveAt(fObjects.GetCount() - 1);
  }
  Free(copy);
  return kErrOutOfMemory;
}

int32_t CMaterialAction::CaptureAfter() {
  for (uint32_t i = 0; i < fObjects.GetCount(); ++i) {
    if (const int32_t error = AddObject(fObjects[i], false)) {
      FreeAll(fAfter);
      return error;
    }
  }
  return kNoErr;
}

int32_t CMaterialAction::CopyEach(const CDynTable<C3dMaterial*>& materials) {
  for (uint32_t i = 0; i < fObjects.GetCount() && i < materials.GetCount(); ++i) {
    if (!materials[i] || !materials[i]->IsReady() || !fObjects[i]->IsReady()) continue;
    if (const int32_t error = CopyInto(fObjects[i], materials[i])) return error;
  }
  return kNoErr;
}

int32_t CMaterialAction::Undo() {
  if (GetUndone()) return kNoErr;
  if (!HasAfter()) {
    if (const int32_t error = CaptureAfter()) return error;
  }
  if (const int32_t error = CopyEach(fSaved)) return error;
  SetUndone(true);
  return kNoErr;
}

int32_t CMaterialAction::Redo() {
  if (!GetUndone()) return kNoErr;
  if (const int32_t error = CopyEach(fAfter)) return error;
  SetUndone(false);
  return kNoErr;
}
