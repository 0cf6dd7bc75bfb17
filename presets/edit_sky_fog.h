// The numeric sky & fog dialog.
//
// Placeholder until the preset libraries' issue: built from its layout, it shows empty and closes with its
// buttons; its operations do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CEditSkyFog : public CLayoutHostCanvas {
 public:
  CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment);
};
