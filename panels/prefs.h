// The preferences dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CPrefs : public CLayoutHostCanvas {
 public:
  CPrefs(CUICmFunction* owner, CResourceEnv* environment);

  // Fills the dialog from the preferences file: 0.
  int32_t Open();
};
