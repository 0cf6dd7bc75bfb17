// The one-field numeric pop-up of the material composer.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CTextEditPopup : public CLayoutHostCanvas {
 public:
  CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment);
};
