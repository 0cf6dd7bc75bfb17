// The object families dialog.
//
// Placeholder until the palettes' and dialogs' issue: built from its layout, it shows empty and closes with
// its buttons; its operations do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;

class CEditFamily : public CLayoutHostCanvas {
 public:
  CEditFamily(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);
};
