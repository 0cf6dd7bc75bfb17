#include "document/texture_selection.h"

#include "framework/core/resource_env.h"
#include "framework/core/result_codes.h"
#include "scene/base_sys.h"
#include "scene/surface/texture.h"

uint32_t TextureSelectionOf(const CBaseTexture* texture) {
  if (!texture) return kNoTextureSelection;
  return texture->IsStored() ? LibraryTextureSelection(texture->GetId()) : DocumentTextureSelection(texture->GetId());
}

int32_t ResolveTextureSelection(uint32_t handle, CResourceEnv* library, C3dBaseSys* scene, CBaseTexture** out,
                                bool* fromLibrary) {
  *out = nullptr;
  if (fromLibrary) *fromLibrary = false;
  if (handle == kNoTextureSelection) return kErrObjectNotFound;
  if (IsDocumentTextureSelection(handle)) {
    if (!scene) return kErrObjectNotFound;
    C3dBase* found = nullptr;
    const int32_t result =
        scene->FindByKey(CBaseTexture::kFamily, C3dTexture::kClassTag, handle & ~kDocumentTextureBit, &found);
    if (result) return result;
    auto* texture = dynamic_cast<C3dTexture*>(found);
    if (!texture || !texture->IsReady()) return kErrObjectNotFound;
    *out = texture;
    return kNoErr;
  }
  if (!library) return kErrObjectNotFound;
  const int32_t result = CBaseTexture::FindOrCreate(C3dTexture::kClassTag, int32_t(handle), library, out);
  if (!result && fromLibrary) *fromLibrary = true;
  return result;
}
