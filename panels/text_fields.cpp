#include "panels/text_fields.h"

#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/text_edit.h"
#include "framework/ui/ui_host_canvas.h"

namespace {

constexpr uint32_t kTab = 9;

CElement* RootOf(CElement* element) {
  while (element && element->GetParent()) element = element->GetParent();
  return element;
}

}  // namespace

int32_t TabToNextTextField(CUIHostCanvas* canvas) {
  CHoElement* root = canvas ? canvas->GetRoot() : nullptr;
  if (!root) return kErrUnexpectedType;
  SNumericFields walk;
  FocusNextField(walk, root);
  return kNoErr;
}

int32_t DialogFieldOnPress(STextFields& state, CElement* element, CElement** handled, SPointHV point,
                           SWinEvent* event) {
  if (state.pressMakesCurrent && GetElementWindow(element)) state.field.current = element;
  return OnFieldPress(state.field, element, handled, point, event);
}

int32_t DialogFieldOnHover(STextFields& state, CElement* element, SPointHV point) {
  return OnFieldHover(state.field, element, point);
}

int32_t DialogFieldOnKey(STextFields& state, CElement* element, CElement** handled, SWinEvent* event) {
  // A name field alone in its dialog swallows Tab: it has nowhere to go.
  if (event && event->key == kTab && FieldHasFocus(GetElementWindow(element))) {
    if (handled) *handled = element;
    if (state.tabMoves) FocusNextField(state.field, RootOf(element));
    return 0;
  }
  // The numeric routine sends the message with the "holds text" word; a text field's arrows change
  // nothing, since only a numeric field steps.
  state.field.messageWord = SNumericFields::kKnownWord;
  return OnFieldKey(state.field, element, handled, event);
}
