#include "panels/color_picker.h"

#include "panels/layout_needs.h"

CColorPicker::CColorPicker(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {}
