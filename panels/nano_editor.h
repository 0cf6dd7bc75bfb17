// The nano editor: the small window into which the document window draws its view while nano edit
// mode is on.
//
// Placeholder: built from its layout, it shows empty; its operations do nothing and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CNanoEditor : public CLayoutHostCanvas {
 public:
  CNanoEditor(CUICmFunction* owner, CResourceEnv* environment);
};
