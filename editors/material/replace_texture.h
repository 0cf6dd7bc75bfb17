// The dialog that asks before a texture of the library is replaced.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CReplaceTexture : public CLayoutHostCanvas {
 public:
  CReplaceTexture(CUICmFunction* owner, CResourceEnv* environment);
};
