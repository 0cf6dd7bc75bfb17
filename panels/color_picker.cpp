#include "panels/color_picker.h"

#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

CColorPicker::CColorPicker(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {}

int32_t ColorSwatchEyedropper(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  return kNoErr;
}

int32_t ColorSwatchEyedropperEx(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  if (!element) return kNoErr;
  constexpr uint32_t kColourChosen = 3;
  CUIMessage message;
  message.InitWithPoints(kColourChosen, element, point, point, 0);
  message.SetPayloadWord(0, int32_t(element->GetUserWord(0)));
  return element->SendMessageUp(&message, element);
}
