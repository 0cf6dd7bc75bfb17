// The press, hover and key routines that dialogs install on their single-line text fields (a name,
// not a number). Each dialog keeps its own state: its current field element, and whether a press makes
// the pressed field current. The field is the one attached to the element (GetElementWindow).
#pragma once

#include <cstdint>

#include "framework/ui/numeric_fields.h"

struct STextFields {
  SNumericFields field;
  bool pressMakesCurrent = false;
};

// A press gives the field the focus and the point; the element takes it.
int32_t DialogFieldOnPress(STextFields& state, CElement* element, CElement** handled, SPointHV point,
                           SWinEvent* event);
// With the focus on the field, the pointer inside makes it current with the text cursor (26); leaving
// the current field clears it with the arrow.
int32_t DialogFieldOnHover(STextFields& state, CElement* element, SPointHV point);
// A key the field took: Return and Escape are the dialog's, Tab is swallowed; any other key sends the
// element's message of kind 0 up, whose payload word 0 is 1 when the field holds text.
int32_t DialogFieldOnKey(STextFields& state, CElement* element, CElement** handled, SWinEvent* event);

// The three routines of one dialog's text fields, bound to its state.
template <STextFields& state>
struct TTextFieldCallbacks {
  static int32_t Press(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
    return DialogFieldOnPress(state, element, handled, point, event);
  }
  static int32_t Hover(CElement* element, SPointHV point) { return DialogFieldOnHover(state, element, point); }
  static int32_t Key(CElement* element, CElement** handled, SWinEvent* event) {
    return DialogFieldOnKey(state, element, handled, event);
  }
};
