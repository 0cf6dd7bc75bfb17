// The program's sky and fog edit state and the calls that the sky action makes of the editors.
#include "editing/sky_services.h"
#include "presets/edit_sky_fog.h"
#include "presets/sky_fog_palette.h"

namespace {

// Every field zero until the first document fills it from its scene.
CSkyParams gEditState;

}  // namespace

void CEditSkyFog::StoreEditState(CSkyParams params) { gEditState.Assign(params); }

CSkyParams GetSkyEditState() { return gEditState; }

void StoreSkyEditState(CSkyParams params) { CEditSkyFog::StoreEditState(params); }

void UpdateAndRedrawSkyFog(CSkyFogPalette* palette) {
  if (palette) palette->UpdateAndRedraw(false);
}
