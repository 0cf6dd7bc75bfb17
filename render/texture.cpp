#include "render/texture.h"

#include "render/texture/texture_compile.h"
#include "scene/factory.h"

C3dTexture::C3dTexture(const SObjectKey& key) : C3dBase(key), fHandle(RegisterHandle(this, kClassTag)) {
  SizeRecord(kRecordSize);
}

C3dTexture::~C3dTexture() { ReleaseHandle(fHandle); }

int32_t C3dTexture::New(C3dTexture** out, C3dBaseSys* table, const SObjectKey& key, const SSpoolTableSpec& spec) {
  return NewObject(out, table, key, spec);
}

// Stored component gradient flags are the texture's own choice and stay.
void C3dTexture::InitDefaults() { PrepareEvaluation(GetTextureData(), true); }

void C3dTexture::RestoreState() {
  C3dBase::RestoreState();
  PrepareEvaluation(GetTextureData(), true);
}
