#include "editors/material/pict_textures.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CPictTextures::CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* deletePreset)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kPictTextures), fDeletePreset(deletePreset) {}

int32_t CPictTextures::SetContext(const char* replyName, void* target, uint8_t* resultFlag, uint32_t channel) {
  fCalls.push_back("SetContext");
  fReplyName = replyName;
  fTarget = target;
  fResultFlag = resultFlag;
  fChannel = channel;
  return kNoErr;
}

int32_t CPictTextures::RefreshSlots(CPictTexture* selected) {
  fCalls.push_back("RefreshSlots");
  fSelected = selected;
  return kNoErr;
}
