#include "panels/edit_camera.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CEditCamera::CEditCamera(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditCamera) {}

int32_t CEditCamera::SetCamera(CDocWindow*) { return kNoErr; }

int32_t CEditCamera::Open() { return kNoErr; }
