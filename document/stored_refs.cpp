#include "document/stored_refs.h"

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/light.h"
#include "scene/object.h"
#include "scene/surface/material.h"

namespace {

SStoredRef LoadRef(const uint8_t* at) { return {LoadField<uint32_t>(at), LoadField<uint32_t>(at + 4)}; }

void StoreRef(uint8_t* at, const SStoredRef& ref) {
  StoreField(at, ref.classTag);
  StoreField(at + 4, ref.id);
}

bool IsLight(const C3dObject* object) { return object->GetFamily() == C3dLight::kFamily; }

}  // namespace

int32_t ReadMaterialRefs(C3dObject* object, SMaterialRefs& refs) {
  refs = {};
  CHolder holder(object, false, false);
  if (!holder.IsLocked()) return NonZeroError(object->GetError());
  refs.material = LoadRef(object->GetData() + C3dObject::kDocumentWordsOffset);
  if (IsLight(object)) refs.lightWord = LoadRef(object->GetData() + C3dLight::kLightWordTagsOffset);
  return kNoErr;
}

int32_t WriteMaterialRefs(C3dObject* object, const SMaterialRefs& refs) {
  CHolder holder(object, true, false);
  if (!holder.IsLocked()) return NonZeroError(object->GetError());
  StoreRef(object->GetData() + C3dObject::kDocumentWordsOffset, refs.material);
  if (IsLight(object)) StoreRef(object->GetData() + C3dLight::kLightWordTagsOffset, refs.lightWord);
  return kNoErr;
}

int32_t ReadTextureRefs(C3dMaterial* material, STextureRefs& refs) {
  refs = {};
  CHolder holder(material, false, false);
  if (!holder.IsLocked()) return NonZeroError(material->GetError());
  const SMaterialRecord& record = material->GetRecord();
  for (int k = 0; k < SMaterialRecord::kComponents; ++k)
    refs.refs[k] = {record.component[k].textureTag, record.component[k].textureId};
  return kNoErr;
}
