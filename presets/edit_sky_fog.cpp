#include "presets/edit_sky_fog.h"

#include "presets/layout_needs.h"

CEditSkyFog::CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditSkyFog) {}
