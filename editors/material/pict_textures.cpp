#include "editors/material/pict_textures.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CPictTextures::CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* deletePreset)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kPictTextures), fDeletePreset(deletePreset) {}

int32_t CPictTextures::SetContext(const char* replyName, void* target, uint32_t first, uint32_t second) {
  fReplyName = replyName;
  fTarget = target;
  fContextWords[0] = first;
  fContextWords[1] = second;
  return kNoErr;
}

int32_t CPictTextures::RefreshSlots(int32_t) { return kNoErr; }
