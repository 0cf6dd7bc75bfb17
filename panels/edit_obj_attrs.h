// The object attributes dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CEditObjAttrs : public CLayoutHostCanvas {
 public:
  CEditObjAttrs(CUICmFunction* owner, CResourceEnv* environment);

  // Fills the dialog from the window's selection: 0.
  int32_t Open(CDocWindow* window);
};
