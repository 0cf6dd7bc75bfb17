#include "panels/edit_family.h"

#include "panels/layout_needs.h"

CEditFamily::CEditFamily(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditFamily) {}

void CEditFamily::SetOwner(CDocWindow*) {}
