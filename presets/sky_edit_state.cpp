// The program's sky and fog edit state.
#include "presets/edit_sky_fog.h"

namespace {

CSkyParams gEditState;

}  // namespace

CSkyParams CEditSkyFog::GetEditState() { return gEditState; }

void CEditSkyFog::StoreEditState(CSkyParams params) { gEditState.Assign(params); }
