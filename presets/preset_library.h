// What the object and material library and the sky and fog library share: the control palette they
// work with and the dialogs that name and delete a preset.
#pragma once

#include "framework/ui/layout_host_canvas.h"
#include "presets/preset_dialogs.h"

class CControlPalette;

class CPresetLibrary : public CLayoutHostCanvas {
 public:
  CControlPalette* GetControlPalette() const { return fControlPalette; }
  CPresetNameDialog* GetAddPreset() const { return fAddPreset; }
  CPresetDeleteDialog* GetDeletePreset() const { return fDeletePreset; }

 protected:
  CPresetLibrary(CUICmFunction* owner, CResourceEnv* environment, const SDialogNeeds& layout,
                 CControlPalette* controlPalette, CPresetNameDialog* addPreset,
                 CPresetDeleteDialog* deletePreset)
      : CLayoutHostCanvas(owner, environment, kDialogStyle, layout),
        fControlPalette(controlPalette),
        fAddPreset(addPreset),
        fDeletePreset(deletePreset) {}

 private:
  CControlPalette* fControlPalette = nullptr;
  CPresetNameDialog* fAddPreset = nullptr;
  CPresetDeleteDialog* fDeletePreset = nullptr;
};
