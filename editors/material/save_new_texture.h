// The dialog that names a new texture of the library.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CSaveNewTexture : public CLayoutHostCanvas {
 public:
  CSaveNewTexture(CUICmFunction* owner, CResourceEnv* environment);
};
