#include "panels/edit_light.h"

#include "panels/layout_needs.h"

CEditLight::CEditLight(CUICmFunction* owner, CResourceEnv* environment, CPictTextures* pictTextures,
                       CObjMatPresets* presets)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditLight),
      fPictTextures(pictTextures),
      fPresets(presets) {}

void CEditLight::SetOwner(CDocWindow*) {}
