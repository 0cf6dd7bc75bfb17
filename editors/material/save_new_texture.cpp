#include "editors/material/save_new_texture.h"

#include "editors/material/layout_needs.h"

CSaveNewTexture::CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSaveNewTexture) {}
