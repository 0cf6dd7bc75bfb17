#include "panels/edit_3d_trans.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CEdit3dTrans::CEdit3dTrans(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEdit3dTrans) {}

int32_t CEdit3dTrans::Open(int32_t) { return kNoErr; }
