// The percent stepper through which the mesh normal passes report their progress to the polygon
// editing panel while that panel is shown.
//
// Placeholder until the polygon editing panel exists: it is never shown, so the stepper reports
// nothing.
#pragma once

#include <cstdint>

class CProgressStepper {
 public:
  // Starts counting total units of a pass (1: face normals, 2: vertex normals).
  static void Init(uint32_t total, uint32_t pass);
  // One unit done.
  static void Step();
};
