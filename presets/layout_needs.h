// What the preset libraries and the sky & fog editors look up in their layout files.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kEditSkyFog;
extern const SDialogNeeds kObjMatPresets;
extern const SLayoutNeed kSkyFogPalette;
extern const SDialogNeeds kSkyFogPresets;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable PresetsLayoutNeeds();
