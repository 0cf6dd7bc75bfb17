// The 3D transformation dialog: numeric size, rotation and position of the selection.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CEdit3dTrans : public CLayoutHostCanvas {
 public:
  CEdit3dTrans(CUICmFunction* owner, CResourceEnv* environment);

  // Fills the dialog for mode 0 resize, 1 rotate or 2 reposition: 0.
  int32_t Open(int32_t mode);
};
