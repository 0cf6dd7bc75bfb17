#include "panels/replicate.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CReplicate::CReplicate(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReplicate) {}

int32_t CReplicate::Apply() { return kNoErr; }
