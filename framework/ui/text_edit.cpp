#include "framework/ui/text_edit.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/core/window_handler.h"
#include "framework/ui/geometry.h"
#include "platform/edit_control.h"
#include "platform/gdi.h"

namespace {

constexpr int32_t kFontHeight = -8;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kEscape = 27;
constexpr uint32_t kBackspace = 8;
constexpr uint32_t kTab = 9;
constexpr uint32_t kUpArrow = 38;
constexpr uint32_t kDownArrow = 40;
constexpr double kWholeTolerance = 0.001;

platform::GdiObject gFieldFont = nullptr;
// The class procedure of edit controls, which every field passes on to.
platform::WindowProc gClassProcedure = nullptr;

bool IsCommandDown() {
  CAppl* app = GetApplication();
  return app && app->IsCommandDown();
}

platform::WindowHandle TopLevelOf(platform::WindowHandle window) {
  while ((platform::GetWindowStyle(window) & platform::kWsChild) && platform::GetParent(window))
    window = platform::GetParent(window);
  return window;
}

}  // namespace

void STextEditSpec::Set(platform::WindowHandle parentWindow, const SRect& where, uint32_t a, uint32_t b,
                        uint32_t maximum, uint32_t align, bool multi) {
  parent = parentWindow;
  rect = where;
  wordA = a;
  wordB = b;
  maxLength = maximum;
  alignment = align;
  multiLine = multi ? 1 : 0;
}

void CreateTextEditFont() {
  if (gFieldFont) return;
  platform::SLogFont request;
  request.height = kFontHeight;
  request.weight = platform::kFwNormal;
  request.face = "MS Sans Serif";
  gFieldFont = platform::CreateFontIndirect(request);
}

// ---- a field

CTextEdit::CTextEdit(const STextEditSpec& spec)
    : fParent(spec.parent), fRect(spec.rect), fMaxLength(spec.maxLength), fWordA(spec.wordA), fWordB(spec.wordB) {
  uint32_t style = kStyle;
  if (spec.multiLine) style |= platform::kEsMultiLine;
  if (spec.alignment == STextEditSpec::kRightAligned) style |= platform::kEsRight;
  else if (spec.alignment == STextEditSpec::kCentred) style |= platform::kEsCenter;
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  fWindow = platform::CreateWindow(0, platform::kEditClass, "", style, fRect.left, fRect.top, RectWidth(fRect),
                                   RectHeight(fRect), fParent, nullptr, app ? app->GetInstance() : nullptr, nullptr);
  if (!fWindow) return;
  if (!gFieldFont) gFieldFont = platform::GetStockObject(platform::kAnsiVarFont);
  platform::SendMessage(fWindow, platform::kWmSetFont, reinterpret_cast<uintptr_t>(gFieldFont), 1);
  if (fMaxLength) platform::SendMessage(fWindow, platform::kEmLimitText, fMaxLength, 0);
  gClassProcedure = platform::GetWindowProcedure(fWindow);
  platform::SetWindowUserData(fWindow, reinterpret_cast<intptr_t>(this));
  platform::SetWindowProcedure(fWindow, &CTextEdit::TextEditSubclassProc);
  fActive = 1;
  fCreated = 1;
}

CTextEdit::~CTextEdit() {
  if (fWindow) platform::DestroyWindow(fWindow);
  fWindow = nullptr;
  fCreated = fActive = 0;
}

void CTextEdit::SetMaxLength(uint32_t maxLength) {
  fMaxLength = maxLength;
  platform::SendMessage(fWindow, platform::kEmLimitText, maxLength, 0);
}

uint32_t CTextEdit::GetTextLength() const {
  return uint32_t(platform::SendMessage(fWindow, platform::kWmGetTextLength, 0, 0));
}

const char* CTextEdit::GetText() {
  fText[0] = 0;
  platform::SendMessage(fWindow, platform::kWmGetText, kTextBufferBytes - 1, reinterpret_cast<intptr_t>(fText));
  return fText;
}

bool CTextEdit::SetText(const char* text) {
  platform::SendMessage(fWindow, platform::kWmSetText, 0, reinterpret_cast<intptr_t>(text ? text : ""));
  return true;
}

void CTextEdit::Format(const char* pattern, double value) {
  char text[kTextBufferBytes] = {};
  std::snprintf(text, sizeof text, pattern, value);
  SetText(text);
}

bool CTextEdit::SetLong(int32_t value) {
  char text[kTextBufferBytes] = {};
  std::snprintf(text, sizeof text, "%d", value);
  return SetText(text);
}

bool CTextEdit::SetFloat(float value) {
  Format("%.2f", value);
  return true;
}

float CTextEdit::GetFloat() {
  const char* text = GetText();
  float value = 0.0f;
  if (*text) std::sscanf(text, "%f", &value);
  return value;
}

void CTextEdit::SetSelection(int32_t start, int32_t end) {
  platform::SendMessage(fWindow, platform::kEmSetSel, uintptr_t(intptr_t(start)), end);
}

void CTextEdit::SetFocus(bool focus) {
  if (focus) {
    platform::SetActiveWindow(TopLevelOf(fWindow));
    platform::SetFocus(fWindow);
  }
  fHasFocus = focus ? 1 : 0;
}

// A numeric field takes digits, '-', '.', backspace and tab. At the maximum length a character only
// replaces a selection, and backspace always passes; a maximum of 0 leaves no room (the control's own
// limit of 0 would mean none at all).
bool CTextEdit::FilterKey(uint32_t character) {
  if (IsCommandDown()) return false;
  if (character == kReturn || character == kEscape) return true;
  if (GetTextLength() >= fMaxLength) {
    uint32_t start = 0, end = 0;
    platform::SendMessage(fWindow, platform::kEmGetSel, reinterpret_cast<uintptr_t>(&start),
                          reinterpret_cast<intptr_t>(&end));
    if (start == end) return character != kBackspace;
    return false;
  }
  if (character >= '0' && character <= '9') return false;
  if (fOptions & kNumeric) return !(character == '-' || character == '.' || character == kBackspace || character == kTab);
  return false;
}

bool CTextEdit::Validate(uint32_t) {
  if (!fActive || !(fOptions & kRangeChecked)) return true;
  const float value = GetFloat();
  if (fMinimum > value) Format("%f", fMinimum);
  else if (fMaximum < value) Format("%f", fMaximum);
  return true;
}

// Whole values are written without decimals; a value beyond 32 bits keeps them.
bool CTextEdit::StepValue(bool increase, float amount) {
  if (!(fOptions & kNumeric)) return true;
  const float value = increase ? GetFloat() + amount : GetFloat() - amount;
  Format("%f", value);
  const bool fits = std::isfinite(value) && std::fabs(value) < 2147483647.0f;
  const double whole = fits ? std::trunc(double(value)) : 0.0;
  if (fits && std::fabs(double(value) - whole) <= kWholeTolerance) SetLong(int32_t(whole));
  else Format("%.2f", value);
  SetSelection(0, kSelectAllEnd);
  return true;
}

bool CTextEdit::Redraw() {
  if (fActive) {
    platform::InvalidateRect(fWindow, nullptr, true);
    platform::UpdateWindow(fWindow);
  }
  SetSelection(0, kSelectAllEnd);
  return true;
}

void CTextEdit::Report(uint32_t message, uintptr_t key, intptr_t lParam, bool withPointer) {
  if (!fCallback) return;
  SWinEvent event;
  event.Init();
  if (!withPointer) event.x = event.y = 0;
  event.key = uint32_t(key);
  event.reserved0 = event.virtualKey = 0;
  event.reserved1[0] = event.reserved1[1] = event.reserved1[2] = 0;
  event.window = fWindow;
  event.message = message;
  event.wParam = uintptr_t(intptr_t(int32_t(key)));
  event.lParam = lParam;
  event.result = 0;
  CElement* handled = nullptr;
  fCallback(fUser, &handled, &event);
}

intptr_t CTextEdit::TextEditSubclassProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam) {
  using namespace platform;
  auto* field = reinterpret_cast<CTextEdit*>(GetWindowUserData(window));
  if (!field) return CallWindowProc(gClassProcedure, window, message, wParam, lParam);
  switch (message) {
    case kWmGetDlgCode: return kDlgcWantAllKeys;
    case kWmKeyDown: {
      // Return and Escape belong to the dialog, as characters; the control never sees them. So does
      // Ctrl+N, the dialog's other cancel, as the key it is.
      if (wParam == kReturn || wParam == kEscape) return SendMessage(field->fParent, kWmChar, wParam, lParam);
      if (wParam == 'N' && IsKeyDownAsync(kVkControl)) return SendMessage(field->fParent, message, wParam, lParam);
      if (wParam == kTab) {
        field->Report(message, wParam, lParam, true);
        return 1;
      }
      // The arrows up and down step a number: a single-line control has no use for them.
      if (wParam == kUpArrow || wParam == kDownArrow) {
        field->Report(message, wParam, lParam, false);
        return 1;
      }
      if (CallWindowProc(gClassProcedure, window, message, wParam, lParam)) field->Report(message, wParam, lParam, false);
      return 0;
    }
    case kWmSysKeyDown:
      // With Alt held the arrows step by tenths.
      if (wParam == kUpArrow || wParam == kDownArrow) {
        field->Report(message, wParam, lParam, false);
        return 1;
      }
      return CallWindowProc(gClassProcedure, window, message, wParam, lParam);
    case kWmChar: {
      if (field->FilterKey(uint32_t(wParam))) return 1;
      const intptr_t answer = CallWindowProc(gClassProcedure, window, message, wParam, lParam);
      if (answer) field->Report(message, wParam, lParam, false);
      return answer;
    }
    default: return CallWindowProc(gClassProcedure, window, message, wParam, lParam);
  }
}

// ---- the table

CTextEditTable::~CTextEditTable() { DeleteAll(); }

int32_t CTextEditTable::Add(const STextEditSpec& spec, CTextEdit** field) {
  *field = nullptr;
  auto* made = new CTextEdit(spec);
  if (!made || !made->IsCreated() || !Append(made)) {
    delete made;
    return kErrOutOfMemory;
  }
  *field = made;
  return kNoErr;
}

int32_t CTextEditTable::DeleteAll() {
  RaiseBusy();
  for (uint32_t i = 0; i < GetCount(); ++i) delete (*this)[i];
  LowerBusy();
  Clear();
  return kNoErr;
}

bool CTextEditTable::RedrawInRect(const SRect* rect) {
  for (uint32_t i = 0; i < GetCount(); ++i) {
    CTextEdit* field = (*this)[i];
    const SRect area = rect ? SectRect(field->GetRect(), *rect) : field->GetRect();
    if (!IsEmptyRect(area)) field->Redraw();
  }
  return true;
}
