// The sky & fog palette.
//
// Placeholder until the preset libraries' issue: built from its layout, it shows empty; its operations do
// nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CSkyFogPalette : public CLayoutHostCanvas {
 public:
  CSkyFogPalette(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);

  // Takes the sky and fog of the current document window: 0.
  int32_t Update();

  // Hands its settings to the current document window: 0.
  int32_t CommitChange();
};
