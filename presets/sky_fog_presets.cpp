#include "presets/sky_fog_presets.h"

#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"
#include "presets/preset_description.h"

CSkyFogPresets::CSkyFogPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor,
                               CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset)
    : CPresetLibrary(owner, environment, need::kSkyFogPresets, anchor, addPreset, deletePreset) {}

int32_t CSkyFogPresets::SetDocWindow(CDocWindow*) { return kNoErr; }

int32_t CSkyFogPresets::SetSkyFogPalette(CSkyFogPalette*) { return kNoErr; }

const char* CSkyFogPresets::ItemType() const { return "C3dBaseSky"; }

const char* CSkyFogPresets::PreviewType() const { return "skyprevcimage"; }

const char* CSkyFogPresets::DescriptionType() const { return CPresetDescription::kMaterialType; }

int32_t CSkyFogPresets::ShowClickedPreset(uint32_t, bool) { return kNoErr; }
