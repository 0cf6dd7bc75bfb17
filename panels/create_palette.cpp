#include "panels/create_palette.h"

#include "panels/layout_needs.h"

CCreatePalette::CCreatePalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kCreatePalette) {}
