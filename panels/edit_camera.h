// The camera editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CEditCamera : public CLayoutHostCanvas {
 public:
  CEditCamera(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the window's current camera: 0.
  int32_t SetCamera(CDocWindow* window);

  // Fills the dialog from the camera: 0.
  int32_t Open();
};
