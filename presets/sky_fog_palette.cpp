#include "presets/sky_fog_palette.h"

#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"

CSkyFogPalette::CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSkyFogPalette) {}

void CSkyFogPalette::SetOwner(CDocWindow*) {}

int32_t CSkyFogPalette::Update() { return kNoErr; }

int32_t CSkyFogPalette::CommitChange() { return kNoErr; }
