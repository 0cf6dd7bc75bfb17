#include "editors/material/replace_texture.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CReplaceTexture::CReplaceTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReplaceTexture) {
  SetShadows(true);
}

int32_t CReplaceTexture::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // Tracked buttons rather than the base's plain ones.
  BindElement(need::kReplaceTexture.ok.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kReplaceTexture.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  return Show(fVariant);
}

int32_t CReplaceTexture::Show(int32_t variant) {
  fVariant = variant;
  SetButtonCanvasName(variant == 1 ? kEditorCanvasName : kQuickCanvasName);
  return kNoErr;
}

// The buttons' messages are the opening editor's to act on, so the base does not close the dialog on
// them.
int32_t CReplaceTexture::HandleEvent(CUIMessage* message) { return CUIHostCanvas::HandleEvent(message); }
