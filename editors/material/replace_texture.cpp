#include "editors/material/replace_texture.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CReplaceTexture::CReplaceTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReplaceTexture) {}

int32_t CReplaceTexture::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  return Show(fVariant);
}

int32_t CReplaceTexture::Show(int32_t variant) {
  fVariant = variant;
  SetButtonCanvasName(variant == 1 ? kEditorCanvasName : kQuickCanvasName);
  return kNoErr;
}
