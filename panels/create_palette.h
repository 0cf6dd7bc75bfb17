// The create palette: the items that make new scene objects. Each item is an image element that,
// pressed and released over it, broadcasts its name (a kind-0 message), which the document window
// turns into the new object.
//
// Placeholder until the palettes' and dialogs' issue for the rest of it (tips, glow, tabs).
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CCreatePalette : public CLayoutHostCanvas {
 public:
  CCreatePalette(CUICmFunction* owner, CResourceEnv* environment);

  // The layout, then every item bound to the tracked button press.
  int32_t BuildControls(CResourceEnv* environment) override;
};
