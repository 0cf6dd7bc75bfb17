#include "presets/obj_mat_presets.h"

#include "presets/layout_needs.h"

CObjMatPresets::CObjMatPresets(CUICmFunction* owner, CResourceEnv* environment, CControlPalette* controlPalette,
                               CAddPreset* addPreset, CDeletePreset* deletePreset)
    : CPresetLibrary(owner, environment, need::kObjMatPresets, controlPalette, addPreset, deletePreset) {}
