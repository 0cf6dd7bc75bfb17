#include "presets/obj_mat_presets.h"

#include "presets/layout_needs.h"

CObjMatPresets::CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                               CAddPreset* addPreset, CDeletePreset* deletePreset)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kObjMatPresets),
      fControlPalette(controlPalette),
      fAddPreset(addPreset),
      fDeletePreset(deletePreset) {}
