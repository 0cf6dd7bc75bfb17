#include "panels/delete_preset.h"

#include "panels/layout_needs.h"

CDeletePreset::CDeletePreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDeletePreset) {}
