// Text fields: platform edit controls placed over layout elements of dialogs and palettes. A field
// gives its control the program's small font, takes the control's keys first (Return and Escape go to
// the dialog; Tab, the arrows up and down and the keys the control acted on are reported to the
// owning element's character callback), keeps numeric fields numeric, clamps numbers to a range, and
// reads and writes the text as text, float or integer. A dialog keeps its fields in a CTextEditTable,
// which owns them.
#pragma once

#include <cstdint>

#include "framework/core/base_object.h"
#include "framework/core/dyn_table.h"
#include "framework/core/rect.h"
#include "framework/ui/element_callbacks.h"
#include "platform/window.h"

// What a dialog fills to create a field.
struct STextEditSpec {
  enum EAlignment : uint32_t { kLeft = 0, kCentred = 1, kRightAligned = 2 };

  platform::WindowHandle parent = nullptr;
  SRect rect;  // in the parent's client coordinates
  uint32_t maxLength = 0;
  uint32_t wordA = 0;  // kept by the field, not used
  uint32_t wordB = 0;
  uint32_t alignment = kLeft;
  uint8_t multiLine = 0;

  void Set(platform::WindowHandle parentWindow, const SRect& where, uint32_t a, uint32_t b, uint32_t maximum,
           uint32_t align, bool multi);
};

class CTextEdit : public CBaseObject {
 public:
  enum EOptions : uint32_t { kNumeric = 0x1, kRangeChecked = 0x2 };
  static constexpr uint32_t kTextBufferBytes = 256;
  static constexpr uint32_t kStyle = 0x50010080;  // child, visible, tab stop, automatic scrolling
  static constexpr float kDefaultMinimum = -100000000.0f;
  static constexpr float kDefaultMaximum = 100000000.0f;
  static constexpr int32_t kSelectAllEnd = 32000;

  // Creates and takes over the control; IsCreated() tells whether it exists.
  explicit CTextEdit(const STextEditSpec& spec);
  ~CTextEdit() override;

  bool IsCreated() const { return fCreated != 0; }
  platform::WindowHandle GetWindow() const { return fWindow; }
  const SRect& GetRect() const { return fRect; }

  // Set by the owner after creation; the maximum length is the control's text limit too.
  void SetMaxLength(uint32_t maxLength);
  uint32_t GetMaxLength() const { return fMaxLength; }
  void SetOptions(uint32_t options) { fOptions = options; }
  uint32_t GetOptions() const { return fOptions; }
  void SetRange(float minimum, float maximum) {
    fMinimum = minimum;
    fMaximum = maximum;
  }
  // Called as callback(user, out element, key event) for Tab and for the keys the control acted on.
  void SetCallback(ElCharCallback callback, CElement* user) {
    fCallback = callback;
    fUser = user;
  }

  uint32_t GetTextLength() const;
  // The text, at most 254 characters, in the field's buffer.
  const char* GetText();
  bool SetText(const char* text);
  bool SetLong(int32_t value);  // "%ld"
  bool SetFloat(float value);   // "%.2f"
  // 0.0 for an empty field; otherwise the text read as a number.
  float GetFloat();
  void SetSelection(int32_t start, int32_t end);
  void SetFocus(bool focus);
  bool HasFocus() const { return fHasFocus != 0; }
  void Touch() {}
  bool IsReservedKey(uint32_t, bool) const { return false; }
  bool AcceptsPoint(SPointHV) const { return true; }
  // True when the typed character is to be swallowed.
  bool FilterKey(uint32_t character);
  // With range checking, a number outside the range becomes the bound ("%f"); true.
  bool Validate(uint32_t character);
  // A numeric field's value plus or minus the amount, whole numbers without decimals; true.
  bool StepValue(bool increase, float amount);
  // Repaints the control at once (when active) and selects all of its text; true.
  bool Redraw();

  // The control's window procedure while the field holds it.
  static intptr_t TextEditSubclassProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                       intptr_t lParam);

 private:
  // The key event to the callback; withPointer for Tab.
  void Report(uint32_t message, uintptr_t key, intptr_t lParam, bool withPointer);
  void Format(const char* pattern, double value);

  platform::WindowHandle fWindow = nullptr;
  uint8_t fCreated = 0;
  platform::WindowHandle fParent = nullptr;
  SRect fRect;
  uint32_t fMaxLength = 0;
  uint32_t fOptions = 0;
  uint32_t fWordA = 0;
  uint32_t fWordB = 0;
  float fMinimum = kDefaultMinimum;
  float fMaximum = kDefaultMaximum;
  uint8_t fHasFocus = 0;
  uint8_t fActive = 0;
  ElCharCallback fCallback = nullptr;
  CElement* fUser = nullptr;
  char fText[kTextBufferBytes] = {};
};

class CTextEditTable : public CDynTable<CTextEdit*> {
 public:
  explicit CTextEditTable(SRange spec) : CDynTable<CTextEdit*>(spec) {}
  ~CTextEditTable() override;

  // 0 with the new field in *field, or 9 (nothing kept) when it cannot be made or kept.
  int32_t Add(const STextEditSpec& spec, CTextEdit** field);
  int32_t DeleteAll();
  // Redraws the fields that meet the rectangle (all with none); true.
  bool RedrawInRect(const SRect* rect);
};

// The program-wide field font ("MS Sans Serif" of character height 8); made once at the start of the
// user interface.
void CreateTextEditFont();
