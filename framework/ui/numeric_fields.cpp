#include "framework/ui/numeric_fields.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/appl.h"
#include "framework/core/handle_table.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/core/window_handler.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/geometry.h"
#include "framework/ui/im_element.h"
#include "framework/ui/text_edit.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"

namespace {

constexpr uint32_t kTab = 9;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kEscape = 27;
constexpr uint32_t kUpArrow = 38;
constexpr uint32_t kDownArrow = 40;
constexpr uint32_t kTextCursor = 2;
constexpr uint32_t kArrowCursor = 0;
constexpr uint32_t kFieldLimit = 32000;
constexpr double kWholeTolerance = 0.001;
constexpr int64_t kCheckBoxWait = 2;
constexpr uint32_t kPollMs = 5;

CAppl* App() { return GetApplication(); }
bool ShiftDown() { return App() && App()->IsShiftDown(); }
bool AltDown() { return App() && App()->IsAltDown(); }
bool ControlDown() { return App() && App()->IsControlDown(); }

CElement* RootOf(CElement* element) {
  while (element && element->GetParent()) element = element->GetParent();
  return element;
}

// Every element under root that holds a field, depth first in container order.
void CollectFields(CElement* parent, std::vector<CElement*>& out) {
  CElSystem* children = parent ? parent->GetChildren() : nullptr;
  CElement* child = nullptr;
  for (uint32_t i = 0; children && CElSystem::GetElementAt(children, i, &child) == kNoErr && child; ++i) {
    if (GetElementWindow(child)) out.push_back(child);
    CollectFields(child, out);
  }
}

int32_t SendFieldMessage(const SNumericFields& state, CElement* element, CTextEdit* field) {
  CUIMessage message;
  message.InitFromElement(0, element, state.messageFlags);
  const int32_t word = state.messageWord == SNumericFields::kIntegerValue ? int32_t(state.lastValue)
                                                                           : (field->GetTextLength() ? 1 : 0);
  message.SetPayloadWord(0, word);
  return element->SendMessageUp(&message, element);
}

}  // namespace

CTextEdit* GetElementWindow(const CElement* element) {
  return element ? LookupHandleAs<CTextEdit>(element->GetUserWord(kFieldWord), kTextEditHandleTag) : nullptr;
}

bool AttachField(CElement* element, CTextEdit* field) {
  if (!element || !field) return false;
  const Handle32 handle = RegisterHandle(field, kTextEditHandleTag);
  if (handle == kNoHandle) return false;
  element->SetUserWord(kFieldWord, handle);
  return true;
}

void DetachField(CElement* element) {
  if (!element || !GetElementWindow(element)) return;
  ReleaseHandle(element->SetUserWord(kFieldWord, 0));
}

int32_t AddElementField(CTextEditTable& table, platform::WindowHandle parent, CElement* element, uint32_t maxChars,
                        ElCharCallback key, uint32_t alignment, bool multiLine) {
  if (!element) return kErrInvalidParameter;
  SRect local, rect;
  element->GetLocalRect(&local);
  element->LocalToAncestorRect(&rect, local, nullptr);
  STextEditSpec spec;
  spec.Set(parent, rect, 0, 8, kFieldLimit, alignment, multiLine);
  CTextEdit* field = nullptr;
  if (const int32_t err = table.Add(spec, &field)) return err;
  if (!AttachField(element, field)) {
    table.RemoveAt(table.GetCount() - 1);
    delete field;
    return kErrOutOfMemory;
  }
  field->SetCallback(key, element);
  field->SetMaxLength(maxChars);
  return kNoErr;
}

int32_t AddNumericField(CTextEditTable& table, platform::WindowHandle parent, CElement* element, uint32_t maxChars,
                        ElCharCallback key) {
  const int32_t err = AddElementField(table, parent, element, maxChars, key, STextEditSpec::kCentred, false);
  if (!err) GetElementWindow(element)->SetOptions(CTextEdit::kNumeric);
  return err;
}

bool FieldHasFocus(CTextEdit* field) { return field && platform::GetFocus() == field->GetWindow(); }

void FocusField(CTextEdit* field) {
  if (!field) return;
  field->SetFocus(true);
  field->SetSelection(0, CTextEdit::kSelectAllEnd);
}

int32_t OnFieldPress(SNumericFields&, CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = element;
  CTextEdit* field = GetElementWindow(element);
  if (!field) return kNoErr;
  if (!FieldHasFocus(field)) {
    std::vector<CElement*> fields;
    CollectFields(RootOf(element), fields);
    for (auto other = fields.rbegin(); other != fields.rend(); ++other) {
      if (*other != element) GetElementWindow(*other)->SetFocus(false);
    }
    field->SetFocus(true);
  }
  field->AcceptsPoint(point);
  return kNoErr;
}

int32_t OnFieldHover(SNumericFields& state, CElement* element, SPointHV point) {
  if (!FieldHasFocus(GetElementWindow(element))) return kNoErr;
  const SRect& rect = element->GetRect();
  const bool inside = point.h >= 0 && point.v >= 0 && point.h < RectWidth(rect) && point.v < RectHeight(rect);
  if (inside) {
    if (state.current != element) {
      SetAppCursor(kTextCursor, false);
      state.current = element;
    }
    return kHandled;
  }
  if (state.current == element) {
    SetAppCursor(kArrowCursor, false);
    state.current = nullptr;
  }
  return kNoErr;
}

float FieldStep(const SNumericFields& state, const CElement* element) {
  const bool shift = ShiftDown(), alt = AltDown();
  if (ControlDown() && state.ctrlSteps && element && state.ctrlSteps(element->GetName())) {
    if (shift && alt) return 2.56f;
    if (shift) return 10.24f;
    if (alt) return 0.08f;
    return 5.12f;
  }
  if (shift) return 10.0f;
  if (alt) return 0.1f;
  return 1.0f;
}

int32_t OnFieldKey(SNumericFields& state, CElement* element, CElement** handled, SWinEvent* event) {
  CTextEdit* field = GetElementWindow(element);
  if (!field || !event) return kNoErr;
  if (state.current == element && !FieldHasFocus(field)) field->SetFocus(true);
  if (!FieldHasFocus(field)) return kNoErr;
  const uint32_t key = event->key;
  if (key == kEscape || key == kReturn) return kNoErr;
  if (handled) *handled = element;
  if (key == kTab) {
    FocusNextField(state, RootOf(element));
    return kNoErr;
  }
  const bool pressed = event->message == platform::kWmKeyDown || event->message == platform::kWmSysKeyDown;
  if (pressed && state.arrowSteps && (key == kUpArrow || key == kDownArrow)) {
    field->StepValue(key == kUpArrow, FieldStep(state, element));
  } else if (!pressed) {
    field->Validate(key);
  }
  state.lastValue = field->GetFloat();
  return SendFieldMessage(state, element, field);
}

void FocusCurrentField(SNumericFields& state) {
  CTextEdit* current = GetElementWindow(state.current);
  if (!current) return;
  std::vector<CElement*> fields;
  CollectFields(RootOf(state.current), fields);
  for (CElement* field : fields) {
    if (FieldHasFocus(GetElementWindow(field))) return;
  }
  FocusField(current);
}

void FocusNextField(SNumericFields& state, CElement* root) {
  std::vector<CElement*> fields;
  CollectFields(root, fields);
  if (fields.empty()) return;
  const bool backward = ShiftDown();
  size_t focused = fields.size();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (FieldHasFocus(GetElementWindow(fields[i]))) focused = i;
  }
  size_t next = 0;
  if (focused == fields.size()) next = backward ? fields.size() - 1 : 0;
  else if (backward) next = focused == 0 ? fields.size() - 1 : focused - 1;
  else next = focused + 1 == fields.size() ? 0 : focused + 1;
  if (focused < fields.size()) GetElementWindow(fields[focused])->SetFocus(false);
  FocusField(GetElementWindow(fields[next]));
  state.current = fields[next];
}

int32_t OnCheckBoxPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  auto* check = dynamic_cast<CImElement*>(element);
  CIxImage* list = check ? check->GetImageList() : nullptr;
  CAppl* app = App();
  if (!list || !app) return kNoErr;
  const uint32_t before = list->Selected() == CIxImage::kNone ? 0 : list->Selected();
  const uint32_t flipped = before == 0 ? 1 : 0;
  const auto show = [check](uint32_t state) { check->SelectEntry(state, false, false, true); };
  show(flipped);
  CTimer wait;
  wait.WaitTicks(kCheckBoxWait);
  SRect local;
  check->GetLocalRect(&local);
  bool inside = true;
  while (app->IsStillDown()) {
    const platform::SPoint screen = app->GetCursorPos();
    SPointHV point;
    check->RootToLocalPoint(&point, {screen.x, screen.y});
    const bool now = point.h >= local.left && point.h < local.right && point.v >= local.top && point.v < local.bottom;
    if (now != inside) show(now ? flipped : before);
    inside = now;
    platform::SleepMs(kPollMs);
  }
  if (!inside) return kNoErr;
  CUIMessage message;
  message.InitFromElement(0, check, 0);
  return check->SendMessageUp(&message, check);
}

double ClampFieldValue(CTextEdit* field, double value, double least, double most) {
  if (value >= least && value <= most) return value;
  value = value < least ? least : most;
  WriteFieldValue(field, value);
  if (field) field->Redraw();
  Beep();
  return value;
}

void DeleteNumericFields(CTextEditTable& table, CElement** elements, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    DetachField(elements[i]);
    elements[i] = nullptr;
  }
  table.DeleteAll();
}

std::string FieldValueText(double value) {
  const float f = float(value);
  const double whole = std::trunc(double(f));
  char text[64];
  if (std::isfinite(f) && std::fabs(double(f) - whole) <= kWholeTolerance && std::fabs(whole) < 2147483647.0)
    std::snprintf(text, sizeof text, "%ld", long(whole));
  else
    std::snprintf(text, sizeof text, "%.2f", double(f));
  return text;
}

void WriteFieldValue(CTextEdit* field, double value) {
  if (field) field->SetText(FieldValueText(value).c_str());
}
