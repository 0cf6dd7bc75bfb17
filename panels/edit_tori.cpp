#include "panels/edit_tori.h"

#include "panels/layout_needs.h"

CEditTori::CEditTori(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditTori) {}
