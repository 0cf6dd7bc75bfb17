#include "panels/text_edit_popup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/ui/element.h"
#include "framework/ui/numeric_fields.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/text_fields.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kTab = 9;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kEscape = 27;
constexpr uint32_t kUpArrow = 38;
constexpr uint32_t kDownArrow = 40;
constexpr uint32_t kValueKind = 2;

CTextEditPopup* gCurrent = nullptr;
const void* gHoverOwner = nullptr;
// A press gives the field the point only: the pop-up gives it the focus when it opens.
STextFields gField;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// Escape, or Ctrl+N (which comes as the key's letter with the command key held).
bool IsCloseKey(uint32_t c) {
  CAppl* app = GetApplication();
  return c == kEscape || ((c == 'n' || c == 'N') && app && app->IsCommandDown());
}

// The element is switched on and it and every element above it shown: it can take a value.
bool IsActive(const CElement* element) {
  if (!element || !element->IsAlternate()) return false;
  for (const CElement* e = element; e; e = e->GetParent()) {
    if (!e->IsShown()) return false;
  }
  return true;
}

int32_t Truncated(float value) {
  if (!std::isfinite(value)) return 0;
  return int32_t(std::clamp(std::trunc(double(value)), -2147483648.0, 2147483647.0));
}

int32_t FieldPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  return DialogFieldOnPress(gField, element, handled, point, event);
}

}  // namespace

CTextEditPopup::CTextEditPopup(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kTextEditPopup.canvas) {
  gCurrent = this;
}

CTextEditPopup::~CTextEditPopup() {
  ReleaseBuilt();
  if (gCurrent == this) gCurrent = nullptr;
}

CTextEditPopup* CTextEditPopup::GetCurrent() { return gCurrent; }

void CTextEditPopup::SetHoverOwner(const void* owner) { gHoverOwner = owner; }

CTextEdit* CTextEditPopup::GetField() const { return GetElementWindow(fFieldElement); }

void CTextEditPopup::ReleaseBuilt() {
  DetachField(fFieldElement);
  fFields.DeleteAll();
  if (gField.field.current == fFieldElement) gField.field.current = nullptr;
  fFieldElement = nullptr;
  fTarget = nullptr;
}

int32_t CTextEditPopup::BuildControls(CResourceEnv* environment) {
  ReleaseBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElementRef(need::kTextEditField.name, &fFieldElement, &FieldPress, &OnFieldHover, &OnFieldKey);
  // Without its field the pop-up still opens and closes; there is nothing to type into.
  if (fFieldElement && AddNumericField(fFields, GetWindow(), fFieldElement, kValueCharacters, &OnFieldKey) == kNoErr)
    gField.field.current = fFieldElement;
  return kNoErr;
}

// Centred on the target, then moved onto the screen: right, down, left, up, in that order.
void CTextEditPopup::PlaceOver(CElement* target) {
  CAppl* app = GetApplication();
  SRect local, onScreen;
  target->GetLocalRect(&local);
  target->LocalToRootRect(&onScreen, local);
  const SPointHV centre{(onScreen.left + onScreen.right) / 2, (onScreen.top + onScreen.bottom) / 2};
  const SRect& frame = GetFrame();
  const int32_t width = RectWidth(frame), height = RectHeight(frame);
  SRect placed{centre.v - height / 2, centre.h - width / 2, centre.v + height / 2, centre.h + width / 2};
  const SRect screen = app ? app->GetScreenRect() : placed;
  const auto shift = [&placed](int32_t dh, int32_t dv) {
    placed.left += dh;
    placed.right += dh;
    placed.top += dv;
    placed.bottom += dv;
  };
  if (placed.left < screen.left) shift(screen.left - placed.left, 0);
  if (placed.top < screen.top) shift(0, screen.top - placed.top);
  if (placed.right > screen.right) shift(screen.right - placed.right, 0);
  if (placed.bottom > screen.bottom) shift(0, screen.bottom - placed.bottom);
  MoveTo({placed.left, placed.top});
}

int32_t CTextEditPopup::NumericCallback(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  CTextEditPopup* popup = gCurrent;
  if (!popup || !element || popup->BuildOnce() != kNoErr) return kNoErr;
  if (popup->IsShown()) popup->Close(true);
  popup->fTarget = element;
  popup->PlaceOver(element);
  popup->fValue = float(int32_t(element->GetUserWord(0)));
  popup->Refresh(false);
  if (CTextEdit* field = popup->GetField()) {
    field->SetLong(int32_t(element->GetUserWord(0)));
    FocusField(field);
  }
  CUIMessage opened;
  opened.InitFromElement(0, element, CUIMessage::kBroadcast);
  return element->SendMessageUp(&opened, element);
}

int32_t CTextEditPopup::SendFromTarget(CElement* target, const char* name, int32_t value) {
  CUIMessage message;
  message.InitWithPoints(kValueKind, target, {value, value}, {0, 0}, 0);
  if (name) message.elementName = name;
  return target->SendMessageUp(&message, target);
}

void CTextEditPopup::Close(bool apply) {
  CLayoutHostCanvas::Close();
  if (!apply || !fTarget || !IsActive(fTarget)) return;
  const int32_t value = Truncated(fValue);
  fTarget->SetUserWord(0, uint32_t(value));
  SendFromTarget(fTarget, nullptr, value);
}

void CTextEditPopup::ApplyAndNext() {
  Close(true);
  if (IsActive(fTarget)) SendFromTarget(fTarget, kActivateNext, Truncated(fValue));
}

int32_t CTextEditPopup::OnCharacter(SWinEvent& event) {
  if (!IsShown() || IsStale()) return kNoErr;
  const uint32_t c = event.key & 0xFF;
  if (c == kReturn) {
    Close(true);
    return kHandled;
  }
  if (IsCloseKey(c)) {
    Close(false);
    return kHandled;
  }
  if (c == kTab) {
    ApplyAndNext();
    return kHandled;
  }
  return CLayoutHostCanvas::OnCharacter(event);
}

int32_t CTextEditPopup::OnFieldKey(CElement* element, CElement** handled, SWinEvent* event) {
  CTextEdit* field = GetElementWindow(element);
  if (!event || !FieldHasFocus(field)) return kNoErr;
  const uint32_t key = event->key;
  const bool pressed = event->message == platform::kWmKeyDown || event->message == platform::kWmSysKeyDown;
  if (pressed && key == kTab) {
    if (gCurrent) gCurrent->ApplyAndNext();
    // What the user did meanwhile belonged to the value just closed.
    if (CAppl* app = GetApplication()) app->FlushInput();
    if (handled) *handled = element;
    return kNoErr;
  }
  if (pressed && (key == kUpArrow || key == kDownArrow)) {
    field->StepValue(key == kUpArrow, FieldStep(gField.field, element));
  } else if (!pressed && !field->IsReservedKey(key, false) && !field->FilterKey(key)) {
    field->Validate(key);
    if (handled) *handled = element;
  }
  CUIMessage message;
  message.InitFromElement(0, element, CUIMessage::kBroadcast);
  message.SetPayloadWord(0, Truncated(field->GetFloat()));
  return element->SendMessageUp(&message, element);
}

int32_t CTextEditPopup::OnFieldHover(CElement* element, SPointHV point) {
  DialogFieldOnHover(gField, element, point);
  CAppl* app = GetApplication();
  CCmFunction* heartbeat = app ? app->GetHeartbeat() : nullptr;
  if (CCFEntry* row = heartbeat && gHoverOwner ? heartbeat->FindEntry(gHoverOwner) : nullptr) {
    SHeartbeatRecord record;
    CCFEntry::Call(*row, &record);
  }
  return kNoErr;
}

int32_t CTextEditPopup::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kTextEditPopup.canvas.name;
  if (message->kind == 0 && Same(message->canvasName, canvas) && Same(message->windowName, need::kTextEditField.name)) {
    fValue = float(message->GetPayloadWord(0));
    return CLayoutHostCanvas::HandleEvent(message);
  }
  if (IsOpenRequest(*message)) {
    const int32_t err = OpenModal();
    return err ? err : kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
