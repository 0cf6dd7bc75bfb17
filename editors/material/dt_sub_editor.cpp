#include "editors/material/dt_sub_editor.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CDTSubEditor::CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTSubEditor) {}

void CDTSubEditor::SetTarget(const char* group, const char* element, C3dTexture* texture, CResourceEnv*) {
  fCalls.push_back("SetTarget");
  fGroup = group ? group : "";
  fElement = element ? element : "";
  fTexture = texture;
}

int32_t CDTSubEditor::LoadTarget() {
  fCalls.push_back("LoadTarget");
  return kNoErr;
}
