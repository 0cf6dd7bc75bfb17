// The component sub-editor of the 3D texture editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CDTSubEditor : public CLayoutHostCanvas {
 public:
  CDTSubEditor(CUICmFunction* owner, CResourceEnv* environment);
};
