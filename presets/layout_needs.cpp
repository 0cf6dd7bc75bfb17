#include "presets/layout_needs.h"

namespace need {

const SDialogNeeds kEditSkyFog = DialogNeeds("editskyfog.dat", "edit skyfog");
const SDialogNeeds kObjMatPresets = DialogNeeds("objmatpresets.dat", "objmatpresets");
const SLayoutNeed kSkyFogPalette{SLayoutNeed::kCanvas, "skyfogpalette.dat", "sky&fog palette"};
const SDialogNeeds kSkyFogPresets = DialogNeeds("skyfogpresets.dat", "skyfogpresets");

}  // namespace need

SLayoutNeedTable PresetsLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kEditSkyFog.canvas, &need::kEditSkyFog.ok,        &need::kEditSkyFog.cancel, &need::kObjMatPresets.canvas,
      &need::kObjMatPresets.ok,  &need::kObjMatPresets.cancel, &need::kSkyFogPalette,     &need::kSkyFogPresets.canvas,
      &need::kSkyFogPresets.ok,  &need::kSkyFogPresets.cancel,
  };
  return {kNeeds, sizeof kNeeds / sizeof kNeeds[0]};
}
