#include "editors/material/dt_editor.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CDTEditor::CDTEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTEditor) {}

int32_t CDTEditor::SetContext(CSaveNewTexture*, CReplaceTexture*, CDTSubEditor*) { return kNoErr; }

int32_t CDTEditor::SetTarget(const char* ownerName, C3dMaterial* material, int32_t channel) {
  fCalls.push_back("SetTarget");
  fOwnerName = ownerName;
  fMaterial = material;
  fChannel = channel;
  return kNoErr;
}

int32_t CDTEditor::SetTextureSource(CResourceEnv* library, int32_t mode) {
  fCalls.push_back("SetTextureSource");
  fLibrary = library;
  fMode = mode;
  return kNoErr;
}

int32_t CDTEditor::OpenTexture(C3dTexture* texture) {
  fCalls.push_back("OpenTexture");
  fTexture = texture;
  return kNoErr;
}

int32_t CDTEditor::RefreshComponentControls(int32_t) {
  fCalls.push_back("RefreshComponentControls");
  return kNoErr;
}

int32_t CDTEditor::BindControls() {
  fCalls.push_back("BindControls");
  return kNoErr;
}
