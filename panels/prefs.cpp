#include "panels/prefs.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CPrefs::CPrefs(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kPrefs) {}

int32_t CPrefs::Open() { return kNoErr; }
