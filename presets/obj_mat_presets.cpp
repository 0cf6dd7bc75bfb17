#include "presets/obj_mat_presets.h"

#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"

CObjMatPresets::CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                               CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CPresetLibrary(owner, environment, need::kObjMatPresets, controlPalette, addPreset, deletePreset) {}

int32_t CObjMatPresets::AttachToEditor(C3dMaterial* material, uint8_t* changedFlag, const char* replyName) {
  fCalls.push_back("AttachToEditor");
  fMaterial = material;
  fChangedFlag = changedFlag;
  fReplyName = replyName;
  return kNoErr;
}

int32_t CObjMatPresets::Show(int32_t) {
  fCalls.push_back("Show");
  return kNoErr;
}
