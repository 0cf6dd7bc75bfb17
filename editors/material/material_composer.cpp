#include "editors/material/material_composer.h"

#include "editors/material/layout_needs.h"
#include "framework/core/result_codes.h"

CMaterialComposer::CMaterialComposer(CUICmFunction* owner, CResourceEnv* environment, CResourceEnv* textures,
                                     CPictTextures* pictTextures, CEdit3dTexture* quickEditor, CObjMatPresets* presets,
                                     CDTEditor* textureEditor)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kMaterialComposer),
      fTextures(textures),
      fPictTextures(pictTextures),
      fQuickEditor(quickEditor),
      fPresets(presets),
      fTextureEditor(textureEditor) {}

int32_t CMaterialComposer::AttachDocument(CDocWindow*) { return kNoErr; }
