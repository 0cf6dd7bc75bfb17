#include "panels/add_preset.h"

#include "panels/layout_needs.h"

CAddPreset::CAddPreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kAddPreset) {}

bool CAddPreset::SetName(const char*) { return true; }

bool CAddPreset::SetFields(const char*, const char*) { return true; }

bool CAddPreset::GetDescription(CPresetDescription*) { return true; }

void CAddPreset::SetPreviewScene(CPreviewScene*, bool) {}

int32_t CAddPreset::OpenDialog() { return 0; }
