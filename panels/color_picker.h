// The colour picker.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CColorPicker : public CLayoutHostCanvas {
 public:
  CColorPicker(CUICmFunction* owner, CResourceEnv* environment);
};
