// The sky & fog preset library.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "presets/preset_library.h"

class CDocWindow;
class CSkyFogPalette;
class CCanvas;

class CSkyFogPresets : public CPresetLibrary {
 public:
  CSkyFogPresets(CUICmFunction* owner, CResourceEnv* environment, CCanvas* anchor,
                 CPresetNameDialog* addPreset, CPresetDeleteDialog* deletePreset);

  // The document window whose sky it edits: 0.
  int32_t SetDocWindow(CDocWindow* window);

  // The palette it updates: 0.
  int32_t SetSkyFogPalette(CSkyFogPalette* palette);

 protected:
  const char* ItemType() const override;
  const char* PreviewType() const override;
  const char* DescriptionType() const override;
  int32_t ShowClickedPreset(uint32_t index, bool replace) override;
  bool CommitClearsProposedName() const override { return false; }
};
