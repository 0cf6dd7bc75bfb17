// The edit palette: moving, turning and sizing the selection.
//
// Placeholder: built from its layout, it shows empty; its operations do nothing and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CEditPalette : public CLayoutHostCanvas {
 public:
  CEditPalette(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);
};
