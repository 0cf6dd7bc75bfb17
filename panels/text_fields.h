// The press, hover and key routines that dialogs install on their text fields (a name or a
// description, not a number). Each dialog keeps its own state: its current field element, whether a
// press makes the pressed field current, and whether Tab moves among its fields. The field is the one
// attached to the element (GetElementWindow).
#pragma once

#include <cstdint>

#include "framework/ui/numeric_fields.h"

class CUIHostCanvas;

struct STextFields {
  SNumericFields field;
  bool pressMakesCurrent = false;
  bool tabMoves = false;
};

// The keyboard focus to the canvas's next text field in element order (with Shift held the previous
// one), wrapping; the field taking it has its whole text selected, the one losing it is told. 0, or
// 14 when the canvas has no element tree.
int32_t TabToNextTextField(CUIHostCanvas* canvas);

// A press gives the field the focus and the point; the element takes it.
int32_t DialogFieldOnPress(STextFields& state, CElement* element, CElement** handled, SPointHV point,
                           SWinEvent* event);
// With the focus on the field, the pointer inside makes it current with the text cursor (26); leaving
// the current field clears it with the arrow.
int32_t DialogFieldOnHover(STextFields& state, CElement* element, SPointHV point);
// A key the field took: Return and Escape are the dialog's, Tab moves to the next field (tabMoves) or
// is swallowed; any other key sends the element's message of kind 0 up, whose payload word 0 is 1 when
// the field holds text.
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
