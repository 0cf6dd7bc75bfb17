#include "panels/add_preset.h"

#include "panels/layout_needs.h"

CAddPreset::CAddPreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kAddPreset) {}
