// The numeric sky & fog dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons. StoreEditState is the one
// the dialog keeps.
#pragma once

#include "editing/sky_services.h"
#include "framework/ui/layout_host_canvas.h"

class CEditSkyFog : public CLayoutHostCanvas {
 public:
  CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment);

  // The record becomes the program's sky and fog edit state; nothing else.
  static void StoreEditState(CSkyParams params);
};
