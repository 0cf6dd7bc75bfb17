#include "editors/terrain/layout_needs.h"

namespace need {

const SDialogNeeds kTerrainEditor = DialogNeeds("terraineditor.dat", "terrain editor");

}  // namespace need

SLayoutNeedTable TerrainLayoutNeeds() {
  static const SLayoutNeed* const kNeeds[] = {
      &need::kTerrainEditor.canvas,
      &need::kTerrainEditor.ok,
      &need::kTerrainEditor.cancel,
  };
  return {kNeeds, sizeof kNeeds / sizeof kNeeds[0]};
}
