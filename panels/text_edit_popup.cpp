#include "panels/text_edit_popup.h"

#include "panels/layout_needs.h"

CTextEditPopup::CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTextEditPopup) {}
