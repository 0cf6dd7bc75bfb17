#include "editing/sky_action.h"

#include "framework/core/result_codes.h"

CSkyAction::CSkyAction(CSkyFogPalette* palette) : fPalette(palette), fBefore(GetSkyEditState()) {}

int32_t CSkyAction::Undo() {
  if (!GetSkyEditors()) return kErrNotImplemented;
  if (GetUndone()) return kNoErr;
  if (!fAfterCaptured) {
    fAfter = GetSkyEditState();
    fAfterCaptured = 1;
  }
  StoreSkyEditState(fBefore);
  UpdateAndRedrawSkyFog(fPalette);
  SetUndone(true);
  return kNoErr;
}

int32_t CSkyAction::Redo() {
  if (!GetSkyEditors()) return kErrNotImplemented;
  if (!GetUndone()) return kNoErr;
  StoreSkyEditState(fAfter);
  UpdateAndRedrawSkyFog(fPalette);
  SetUndone(false);
  return kNoErr;
}
