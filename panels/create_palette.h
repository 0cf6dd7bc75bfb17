// The create palette: the items that make new scene objects.
//
// Placeholder until the palettes' and dialogs' issue: built from its layout, it shows empty; its operations
// do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CCreatePalette : public CLayoutHostCanvas {
 public:
  CCreatePalette(CUICmFunction* owner, CResourceEnv* environment);
};
