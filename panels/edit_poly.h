// The mesh smoothing panel.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CEditPoly : public CLayoutHostCanvas {
 public:
  CEditPoly(CUICmFunction* owner, CResourceEnv* environment);
};
