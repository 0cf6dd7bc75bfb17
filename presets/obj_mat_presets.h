// The object and material preset library.
//
// Placeholder: built from its layout, it shows empty and closes with its
// buttons; its operations do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CAddPreset;
class CControlPalette;
class CDeletePreset;

class CObjMatPresets : public CLayoutHostCanvas {
 public:
  CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                 CAddPreset* addPreset, CDeletePreset* deletePreset);

  CControlPalette* GetControlPalette() const { return fControlPalette; }
  CAddPreset* GetAddPreset() const { return fAddPreset; }
  CDeletePreset* GetDeletePreset() const { return fDeletePreset; }

 private:
  CControlPalette* fControlPalette = nullptr;
  CAddPreset* fAddPreset = nullptr;
  CDeletePreset* fDeletePreset = nullptr;
};
