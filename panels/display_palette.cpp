#include "panels/display_palette.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CDisplayPalette::CDisplayPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDisplayPalette) {}

void CDisplayPalette::SetCompanions(CColorPicker* picker, CSelectionPalette* selection) {
  fColorPicker = picker;
  fSelectionPalette = selection;
}

int32_t CDisplayPalette::ApplySettings() { return kNoErr; }

int32_t CDisplayPalette::ResetSettings() { return kNoErr; }
