#include "editors/material/dt_sub_editor.h"

#include "editors/material/layout_needs.h"

CDTSubEditor::CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDTSubEditor) {}
