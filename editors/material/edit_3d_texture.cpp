#include "editors/material/edit_3d_texture.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CEdit3dTexture::CEdit3dTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEdit3dTexture) {}

void CEdit3dTexture::SetDialogs(CSaveNewTexture* saveNew, CReplaceTexture* replace) {
  fSaveNew = saveNew;
  fReplace = replace;
}

int32_t CEdit3dTexture::LoadTextureLibrary(CResourceEnv*, int32_t) { return kNoErr; }

int32_t CEdit3dTexture::SetTarget(const char*, uint32_t, uint32_t) { return kNoErr; }
