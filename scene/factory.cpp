#include "scene/factory.h"

#include "scene/object.h"
#include "scene/surface/material.h"

int32_t GiveNewMaterial(C3dObject* object, C3dBaseSys* table, CSpoolSys* environment, Handle32 templateMaterial) {
  SObjectKey key;
  SSpoolTableSpec spec;
  MakeCreationKey<C3dMaterial>(environment, key, spec);
  C3dMaterial* material = nullptr;
  int32_t result = C3dMaterial::New(&material, table, key, spec);
  if (result) return result;
  {
    CHolder holder(material, true, false);
    if (!holder.IsLocked()) {
      result = kErrOutOfMemory;
    } else if (C3dMaterial* source = LookupHandleAs<C3dMaterial>(templateMaterial, C3dMaterial::kFamily)) {
      result = material->CopyFrom(*source);
      if (!result) result = material->AddTextureRefs();
      if (result) material->ReleaseTextureRefs(true);
    }
  }
  if (result) {
    delete material;
    return result;
  }
  object->SetMaterial(material->GetHandle());
  return kNoErr;
}

void DeleteShape(C3dObject* object) {
  delete LookupHandleAs<C3dMaterial>(object->GetMaterial(), C3dMaterial::kFamily);
  delete object;
}
