// Numeric fields of dialogs: a text field (CTextEdit) laid over a layout element, which finds it again
// through the handle in its user word 3, and the one set of press, hover, key and Tab routines that
// every dialog with numeric fields installs on those elements. Each dialog keeps its own state in an
// SNumericFields: its current field, the value its key routine read last, how the arrow keys step and
// what the field's message carries.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/four_cc.h"
#include "framework/ui/element_callbacks.h"
#include "framework/ui/layout_need.h"
#include "framework/ui/ui_host_canvas.h"
#include "platform/window.h"

class CElement;
class CTextEdit;
class CTextEditTable;

struct SNumericFields {
  // The arrow keys step by 1, by 10 with Shift, by 0.1 with Alt (Shift first). With Ctrl held, a field
  // that ctrlSteps accepts steps in world units instead: 5.12, 10.24 with Shift, 0.08 with Alt, 2.56
  // with both.
  using CtrlStepTest = bool (*)(const char* fieldName);
  // What the field's message carries in its payload word 0: whether the field holds any text, or the
  // integer part of its value.
  enum EMessageWord : uint8_t { kKnownWord, kIntegerValue };

  CElement* current = nullptr;
  double lastValue = 0;
  CtrlStepTest ctrlSteps = nullptr;
  EMessageWord messageWord = kKnownWord;
  uint32_t messageFlags = 0;
  // Dialogs whose fields hold sizes rather than positions leave the arrow keys to the text.
  bool arrowSteps = true;
};

// The type tag of text fields in the process-wide handle table.
inline constexpr uint32_t kTextEditHandleTag = FourCC("tedt");
// The user word that holds an element's field.
inline constexpr uint32_t kFieldWord = 3;
// What a key message's window name is: the layout puts every field element in this window.
inline constexpr const char* kFieldWindowName = "text edit";
inline constexpr uint32_t kFieldCharacters = 6;

// The field attached to the element, or none.
CTextEdit* GetElementWindow(const CElement* element);
// Gives the element the field's handle; false when the handle table refuses.
bool AttachField(CElement* element, CTextEdit* field);
// Releases the element's handle (before its field is deleted).
void DetachField(CElement* element);

// A text field over the element in the parent window (the element's canvas), aligned as asked
// (STextEditSpec's alignments), one line or several, at most maxChars characters, reporting its keys
// to key with the element; attached to the element. 0, or the table's code (the element is then left
// without a field).
int32_t AddElementField(CTextEditTable& table, platform::WindowHandle parent, CElement* element, uint32_t maxChars,
                        ElCharCallback key, uint32_t alignment, bool multiLine);
// A numeric one: centred, one line.
int32_t AddNumericField(CTextEditTable& table, platform::WindowHandle parent, CElement* element, uint32_t maxChars,
                        ElCharCallback key);

// Whether the field's control holds the keyboard focus.
bool FieldHasFocus(CTextEdit* field);
// The field takes the focus with its whole text selected.
void FocusField(CTextEdit* field);

// The press on a field: when it lacks the focus, every other field under root loses it and this one
// takes it; the point goes to the field. The element takes the press.
int32_t OnFieldPress(SNumericFields& state, CElement* element, CElement** handled, SPointHV point, SWinEvent* event);
// Only a focused field reacts: the pointer inside it makes it the current field with the text cursor
// (26); leaving the current field clears it with the arrow.
int32_t OnFieldHover(SNumericFields& state, CElement* element, SPointHV point);
// A key the field reported (event->message: a key press with its virtual key, or a character it took).
// The current field takes the focus back first; without the focus nothing happens. Return and Escape
// are the dialog's; Tab moves to the next field (Shift: the previous); the arrows step the value; a
// character is range checked. Then the value goes to state.lastValue and the element's message of
// kind 0 goes up to its dialog.
int32_t OnFieldKey(SNumericFields& state, CElement* element, CElement** handled, SWinEvent* event);
// A dialog's window taking the activation gives the keyboard to its current field, unless one of its
// fields has it already.
void FocusCurrentField(SNumericFields& state);
// From the focused field under root to the next one in element order (with Shift held the previous
// one), wrapping; the new one takes the focus with its whole text selected and becomes current.
void FocusNextField(SNumericFields& state, CElement* root);
// The step the arrow keys give the field with the modifier keys held now.
float FieldStep(const SNumericFields& state, const CElement* element);

// A check box press: the image state flips at once (0 shows 1, any other 0), and after 2 ticks
// follows the pointer in and out of the element until release; released inside, the element's message
// of kind 0 goes up to its dialog. The element takes the press.
int32_t OnCheckBoxPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event);

// A value beyond its range: the nearer bound, written back into the field with its text selected, and
// a beep. The value to keep.
double ClampFieldValue(CTextEdit* field, double value, double least, double most);
// The elements' fields given up, then the table's deleted; the elements forgotten.
void DeleteNumericFields(CTextEditTable& table, CElement** elements, uint32_t count);

// The numeric text rule: "%ld" of the value truncated when within 0.001 of it, else "%.2f", taken in
// single precision.
std::string FieldValueText(double value);
void WriteFieldValue(CTextEdit* field, double value);

// The three callbacks of one dialog's fields, bound to its state.
template <SNumericFields& state>
struct TNumericFieldCallbacks {
  static int32_t Press(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
    return OnFieldPress(state, element, handled, point, event);
  }
  static int32_t Hover(CElement* element, SPointHV point) { return OnFieldHover(state, element, point); }
  static int32_t Key(CElement* element, CElement** handled, SWinEvent* event) {
    return OnFieldKey(state, element, handled, event);
  }
};

// The dialog's elements of the needs, in order, bound to the state's routines, each with a numeric
// field of maxChars: elements[i] the element, none where the layout lacks it; a field that cannot be
// made is left out. The first becomes the current field.
template <SNumericFields& state>
void BindNumericFields(CUIHostCanvas& dialog, CTextEditTable& table, const SLayoutNeed* needs, uint32_t count,
                       CElement** elements, uint32_t maxChars = kFieldCharacters) {
  using Callbacks = TNumericFieldCallbacks<state>;
  for (uint32_t i = 0; i < count; ++i) {
    dialog.BindElementRef(needs[i].name, &elements[i], &Callbacks::Press, &Callbacks::Hover, &Callbacks::Key);
    if (elements[i]) AddNumericField(table, dialog.GetWindow(), elements[i], maxChars, &Callbacks::Key);
  }
  state.current = count ? elements[0] : nullptr;
}
