// The object and material preset library.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include "presets/preset_library.h"

class CObjMatPresets : public CPresetLibrary {
 public:
  CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                 CAddPreset* addPreset, CDeletePreset* deletePreset);
};
