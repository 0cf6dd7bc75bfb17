// The undoable change of lights: each light's settings and material before the change, and from the
// first Undo on as the change left them, so that Redo gives every light back its own.
#pragma once

#include <cstdint>

#include "editing/material_action.h"
#include "editing/undoable_action.h"
#include "framework/core/dyn_table.h"
#include "framework/core/vector3.h"

class C3dLight;

// What a light's dialog changes besides its material, each value in the light's own type.
struct UUndoLightData {
  double intensity = 0;
  double spread = 0;       // spot and cylinder lights
  float spreads[2] = {};   // square spot and parallel lights
  vector3<float> colour;
  // The light's state flags: visible (0x200), no shadow (0x800), unbounded beam (0x2000).
  uint8_t visible = 0;
  uint8_t castsNoShadow = 0;
  uint8_t unboundedBeam = 0;

  // The light's values; 9 when it cannot be locked.
  static int32_t Capture(C3dLight* light, UUndoLightData* out);
  // Writes the values back under the light's lock: 0 or the lock's code.
  int32_t Apply(C3dLight* light) const;
};

class CLightAction : public CUndoableAction {
 public:
  static constexpr int32_t kGrowthStep = 32;

  // Invalid when its tables cannot be made.
  CLightAction();

  // before: lists the light with its values and a copy of its material as they are now; otherwise
  // they go to the after tables. 0; 9 when the light cannot be locked or a table cannot grow; the
  // material copy's code.
  int32_t AddObject(C3dLight* light, bool before = true);

  // Each light's values and material back to those from before; the first Undo keeps each light's
  // as they were. Stops at the first failure and answers its code.
  int32_t Undo() override;
  int32_t Redo() override;

  const CMaterialAction& GetMaterials() const { return fMaterials; }

 private:
  C3dLight* LightAt(uint32_t index) const;
  int32_t Apply(const CDynTable<UUndoLightData>& states, bool after);

  CMaterialAction fMaterials;
  CDynTable<UUndoLightData> fBefore;
  CDynTable<UUndoLightData> fAfter;
  uint8_t fAfterCaptured = 0;
};
