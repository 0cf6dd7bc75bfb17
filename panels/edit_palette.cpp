#include "panels/edit_palette.h"

#include "panels/layout_needs.h"

CEditPalette::CEditPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditPalette) {}

void CEditPalette::SetOwner(CDocWindow*) {}
