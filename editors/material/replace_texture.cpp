#include "editors/material/replace_texture.h"

#include "editors/material/layout_needs.h"

CReplaceTexture::CReplaceTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReplaceTexture) {}
