// Single-line edit controls: windows of the class "EDIT", child windows of the window they edit for.
// Their class procedure keeps the text (Windows-1252), the selection, a text limit, a font and the
// alignment of their style (kEsRight, kEsCenter); the multi-line style shows one line all the same.
//
// kWmSetText, kWmGetText, kWmGetTextLength, kEmSetSel (wParam start, lParam end; start -1 removes the
// selection, end -1 means the end), kEmGetSel (the two ends through wParam and lParam when given, and
// both in the answer's words), kEmLimitText (0: no limit but the system's), kWmSetFont, kWmGetFont and
// kWmGetDlgCode as the system answers them. A key-down or character answers 1 when the control acted
// on it (the text or the caret changed) and 0 otherwise. Headless, the control edits its own model:
// characters over the selection, backspace and delete, arrows (with Shift), Home and End, Ctrl+A,
// Ctrl+C, Ctrl+X and Ctrl+V through the clipboard's text. On GTK an entry lies over the window's
// drawing area at the control's place; keys typed into it come to the control's procedure first, as
// a key-down and, for a key that types a character, a character message, and reach the entry only
// through the class procedure.
#pragma once

namespace platform {

inline constexpr const char* kEditClass = "EDIT";

}  // namespace platform
