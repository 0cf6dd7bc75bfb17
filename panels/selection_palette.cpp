#include "panels/selection_palette.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CSelectionPalette::CSelectionPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSelectionPalette) {}

void CSelectionPalette::SetOwner(CDocWindow*) {}

void CSelectionPalette::SetDisplayPalette(CDisplayPalette* palette) { fDisplayPalette = palette; }

int32_t CSelectionPalette::UpdateSelectionPaletteMode() { return kNoErr; }
