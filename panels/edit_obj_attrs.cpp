#include "panels/edit_obj_attrs.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CEditObjAttrs::CEditObjAttrs(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditObjAttrs) {}

int32_t CEditObjAttrs::Open(CDocWindow*) { return kNoErr; }
