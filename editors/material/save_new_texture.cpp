#include "editors/material/save_new_texture.h"

#include "editors/material/centred_text.h"
#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/tx_element.h"

CSaveNewTexture::CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSaveNewTexture) {}

int32_t CSaveNewTexture::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  Show(fVariant);
  SetName(fName.c_str());
  return kNoErr;
}

int32_t CSaveNewTexture::Show(int32_t variant) {
  fVariant = variant;
  SetButtonCanvasName(variant == 1 ? kEditorCanvasName : kQuickCanvasName);
  return kNoErr;
}

int32_t CSaveNewTexture::SetName(const char* name) {
  if (!name) return kNoErr;
  fName = name;
  CElement* field = nullptr;
  CHoElement* root = GetRoot();
  if (root && CElSystem::FindElement(root->GetChildren(), need::kSaveNewTextureName.name, &field, false) == kNoErr)
    ShowCentredText(dynamic_cast<CTxElement*>(field), name, true);
  return kNoErr;
}
