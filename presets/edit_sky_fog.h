// The numeric sky & fog dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons. GetEditState and
// StoreEditState are the ones the dialog keeps.
#pragma once

#include "editing/sky_services.h"
#include "framework/ui/layout_host_canvas.h"

class CEditSkyFog : public CLayoutHostCanvas {
 public:
  CEditSkyFog(CUICmFunction* owner, CResourceEnv* environment);

  // The program's sky and fog edit state: every field zero until the first document fills it from its
  // scene.
  static CSkyParams GetEditState();
  // The record becomes the edit state; nothing else.
  static void StoreEditState(CSkyParams params);
};
