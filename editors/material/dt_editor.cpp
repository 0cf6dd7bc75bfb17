#include "editors/material/dt_editor.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CDTEditor::CDTEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTEditor) {}

int32_t CDTEditor::SetContext(CSaveNewTexture*, CReplaceTexture*, CDTSubEditor*) { return kNoErr; }

int32_t CDTEditor::SetTextureSource(CResourceEnv*, int32_t) { return kNoErr; }

int32_t CDTEditor::RefreshComponentControls(int32_t) { return kNoErr; }

int32_t CDTEditor::BindControls() { return kNoErr; }
