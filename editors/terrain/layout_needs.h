// What the terrain editor looks up in its layout file.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

extern const SDialogNeeds kTerrainEditor;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable TerrainLayoutNeeds();
