// The light editor.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CDocWindow;
class CObjMatPresets;
class CPictTextures;

class CEditLight : public CLayoutHostCanvas {
 public:
  CEditLight(CUICmFunction* owner, CResourceEnv* environment, CPictTextures* pictTextures, CObjMatPresets* presets);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);

  CPictTextures* GetPictTextures() const { return fPictTextures; }
  CObjMatPresets* GetPresets() const { return fPresets; }

 private:
  CPictTextures* fPictTextures = nullptr;
  CObjMatPresets* fPresets = nullptr;
};
