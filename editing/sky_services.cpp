#include "editing/sky_services.h"

namespace {

const SSkyEditors* gEditors = nullptr;

}  // namespace

void SetSkyEditors(const SSkyEditors* editors) { gEditors = editors; }

const SSkyEditors* GetSkyEditors() { return gEditors; }

CSkyParams GetSkyEditState() { return gEditors ? gEditors->getEditState() : CSkyParams(); }

void StoreSkyEditState(CSkyParams params) {
  if (gEditors) gEditors->storeEditState(params);
}

void UpdateAndRedrawSkyFog(CSkyFogPalette* palette) {
  if (gEditors) gEditors->updateAndRedraw(palette);
}
