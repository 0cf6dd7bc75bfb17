#include "panels/color_picker.h"

#include "framework/core/result_codes.h"
#include "panels/layout_needs.h"

CColorPicker::CColorPicker(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {}

int32_t ColorSwatchEyedropper(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  return kNoErr;
}
