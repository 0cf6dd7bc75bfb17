// What the object and material library and the sky and fog library share: the control palette they
// work with and the dialogs that add and delete a preset.
#pragma once

#include "framework/ui/layout_host_canvas.h"

class CAddPreset;
class CControlPalette;
class CDeletePreset;

class CPresetLibrary : public CLayoutHostCanvas {
 public:
  CControlPalette* GetControlPalette() const { return fControlPalette; }
  CAddPreset* GetAddPreset() const { return fAddPreset; }
  CDeletePreset* GetDeletePreset() const { return fDeletePreset; }

 protected:
  CPresetLibrary(CUICmFunction* owner, CResourceEnv* environment, const SDialogNeeds& layout,
                 CControlPalette* controlPalette, CAddPreset* addPreset, CDeletePreset* deletePreset)
      : CLayoutHostCanvas(owner, environment, kDialogStyle, layout),
        fControlPalette(controlPalette),
        fAddPreset(addPreset),
        fDeletePreset(deletePreset) {}

 private:
  CControlPalette* fControlPalette = nullptr;
  CAddPreset* fAddPreset = nullptr;
  CDeletePreset* fDeletePreset = nullptr;
};
