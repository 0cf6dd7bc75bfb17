#include "render/material.h"

#include <cstring>

#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "scene/factory.h"

C3dMaterial::C3dMaterial(const SObjectKey& key) : C3dBase(key), fHandle(RegisterHandle(this, kFamily)) {
  SizeRecord(kRecordSize);
}

C3dMaterial::~C3dMaterial() { ReleaseHandle(fHandle); }

int32_t C3dMaterial::New(C3dMaterial** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  const int32_t result = NewObject(out, table, key, spec);
  return result == kNoErr || result == kErrFailedCreation ? result : kErrOutOfMemory;
}

int32_t C3dMaterial::CopyFrom(C3dMaterial& other) {
  CHolder target(this, true, false);
  if (!target.IsLocked()) return NonZeroError(GetError());
  CHolder source(&other, false, false);
  if (!source.IsLocked()) return NonZeroError(other.GetError());
  std::memcpy(GetData() + kPartOffset, other.GetData() + kPartOffset, kPartSize);
  return kNoErr;
}

int32_t C3dMaterial::AddTextureRefs() { return kNoErr; }

void C3dMaterial::ReleaseTextureRefs(bool) {}

void C3dMaterial::Evaluate(CRay&, SMaterialSample&) {}
