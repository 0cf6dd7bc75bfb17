// The delete preset dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CDeletePreset : public CLayoutHostCanvas {
 public:
  CDeletePreset(CUICmFunction* owner, CResourceEnv* environment);
};
