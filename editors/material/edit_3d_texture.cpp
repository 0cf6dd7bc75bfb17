#include "editors/material/edit_3d_texture.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CEdit3dTexture::CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEdit3dTexture) {}

void CEdit3dTexture::SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace) {
  fSaveNew = saveNew;
  fReplace = replace;
}

int32_t CEdit3dTexture::LoadTextureLibrary(CResourceEnv* library, int32_t mode) {
  fCalls.push_back("LoadTextureLibrary");
  fLibrary = library;
  fMode = mode;
  return kNoErr;
}

int32_t CEdit3dTexture::SetTarget(const char* name, C3dMaterial* material, int32_t channel) {
  fCalls.push_back("SetTarget");
  fReplyName = name;
  fMaterial = material;
  fChannel = channel;
  return kNoErr;
}

int32_t CEdit3dTexture::SetTexture(C3dTexture* texture) {
  fCalls.push_back("SetTexture");
  fTexture = texture;
  return kNoErr;
}
