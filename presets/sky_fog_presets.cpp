#include "presets/sky_fog_presets.h"

#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"

CSkyFogPresets::CSkyFogPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor,
                               CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CPresetLibrary(owner, environment, need::kSkyFogPresets, anchor, addPreset, deletePreset) {}

int32_t CSkyFogPresets::SetDocWindow(CDocWindow*) { return kNoErr; }

int32_t CSkyFogPresets::SetSkyFogPalette(CSkyFogPalette*) { return kNoErr; }
