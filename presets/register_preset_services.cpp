#include "presets/register_preset_services.h"

#include "editing/sky_services.h"
#include "presets/edit_sky_fog.h"
#include "presets/sky_fog_palette.h"

namespace {

constexpr SSkyEditors kSkyEditors = {
    &CEditSkyFog::GetEditState,
    &CEditSkyFog::StoreEditState,
    [](CSkyFogPalette* palette) {
      if (palette) palette->UpdateAndRedraw(false);
    },
};

}  // namespace

void RegisterPresetServices() { SetSkyEditors(&kSkyEditors); }
