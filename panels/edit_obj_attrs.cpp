#include "panels/edit_obj_attrs.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "editing/attributes_action.h"
#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/ix_image.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "scene/group.h"
#include "scene/object.h"
#include "platform/clock.h"

namespace {

constexpr const char* kChiclet = "attr chiclet";
constexpr int64_t kChicletWait = 10;
constexpr SPointHV kChicletOffset{15, 5};
constexpr uint32_t kRoleBits[CEditObjAttrs::kRoleCount] = {C3dObject::kPositive, C3dObject::kNegative,
                                                           C3dObject::kIntersect};

bool TakesCtrlSteps(const char* name) {
  return std::strncmp(name, "offset", 6) == 0 || std::strncmp(name, "size", 4) == 0;
}

SNumericFields gFields{nullptr, 0, &TakesCtrlSteps};
// The role check shown lit.
CElement* gLitRole = nullptr;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

void ShowState(CElement* check, uint32_t state) {
  auto* image = dynamic_cast<CImElement*>(check);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  if (list && list->Selected() != state) image->SelectEntry(state, false, false, true);
}

}  // namespace

CEditObjAttrs::CEditObjAttrs(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEditObjAttrs) {}

CEditObjAttrs::~CEditObjAttrs() { ReleaseFields(); }

SNumericFields& CEditObjAttrs::Fields() { return gFields; }

CTextEdit* CEditObjAttrs::GetField(uint32_t index) const { return GetElementWindow(GetFieldElement(index)); }

CImElement* CEditObjAttrs::GetCheck(uint32_t index) const {
  return index < kCheckCount ? dynamic_cast<CImElement*>(fChecks[index]) : nullptr;
}

void CEditObjAttrs::ReleaseFields() {
  DeleteNumericFields(fFields, fFieldElements, kFieldCount);
  gFields.current = nullptr;
  gLitRole = nullptr;
}

int32_t CEditObjAttrs::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  for (uint32_t i = 0; i < kCheckCount; ++i) {
    BindElementRef(need::kEditObjAttrsChecks[i].name, &fChecks[i], i < kRoleCount ? &OnRoleCheckPress : &OnCheckBoxPress,
                   nullptr, nullptr);
  }
  BindNumericFields<gFields>(*this, fFields, need::kEditObjAttrsFields, kFieldCount, fFieldElements);
  return kNoErr;
}

void CEditObjAttrs::FocusFirstField() {
  gFields.current = fFieldElements[0];
  FocusField(GetElementWindow(gFields.current));
}

int32_t CEditObjAttrs::Open(CDocumentHost* window) {
  fHost = window;
  if (const int32_t err = SyncSelection(true)) return err;
  FocusFirstField();
  return kNoErr;
}

// ---- reading

void CEditObjAttrs::ReadObject(C3dObject* object, SFieldVector* out) {
  vector3<double> position = object->GetTransformVector3();
  const vector3<double> rotation = object->GetTransformVector2();
  const vector3<double> size = object->GetScaledSize();
  if (object->GetClass() == C3dGroup::kClassTag) position = BoxCentre(object);
  for (int axis = 0; axis < 3; ++axis) {
    out[kPosition].value[axis] = position[axis] * kDisplayScale;
    out[kRotation].value[axis] = RadiansToDegrees(rotation[axis]);
    out[kSize].value[axis] = size[axis] * kDisplayScale;
  }
}

void CEditObjAttrs::CountFlags(C3dObject* object) {
  ++fCount;
  const uint32_t state = object->GetStateFlags(), flags = object->GetFlags();
  for (int role = 0; role < kRoleCount; ++role) fCounters[role] += (state & kRoleBits[role]) ? 1 : 0;
  fCounters[kLockedCheck] += (flags & C3dObject::kTransformLocked) ? 1 : 0;
  fCounters[kShowAsBoxCheck] += (flags & C3dObject::kHidden) ? 1 : 0;
}

void CEditObjAttrs::MergeObject(C3dObject* object) {
  if (!IsEditedObject(object)) return;
  CountFlags(object);
  CHolder lock(object, false, false);
  if (!lock.IsLocked()) return;
  SFieldVector read[kVectorCount];
  ReadObject(object, read);
  for (int v = 0; v < kVectorCount; ++v) {
    for (int axis = 0; axis < 3; ++axis) {
      if (read[v].value[axis] != fMerged[v].value[axis]) fMerged[v].known[axis] = false;
    }
  }
}

int32_t CEditObjAttrs::SyncSelection(bool load) {
  C3dBaseSys* table = fHost ? fHost->GetSceneTable() : nullptr;
  if (!table) return kErrObjectNotFound;
  if (!load) return ApplySelection(table);
  uint32_t index = 0;
  C3dObject* object = nullptr;
  if (const int32_t err = C3dObject::FindNextSelected(table, &object, &index)) return err;
  fCount = 0;
  std::fill(std::begin(fCounters), std::end(fCounters), 0u);
  CountFlags(object);
  {
    CHolder lock(object, false, false);
    for (SFieldVector& merged : fMerged) merged = SFieldVector();
    ReadObject(object, fMerged);
  }
  while (C3dObject::FindNextSelected(table, &object, &index) == kNoErr) MergeObject(object);
  std::copy(std::begin(fMerged), std::end(fMerged), std::begin(fValues));
  fRolesKnown = false;
  for (int role = 0; role < kRoleCount; ++role) fRole[role] = 0;
  for (int role = 0; role < kRoleCount && !fRolesKnown; ++role) {
    if (fCounters[role] == fCount) fRole[role] = fRolesKnown = true;
  }
  if (fCounters[kPositive] + fCounters[kNegative] + fCounters[kIntersect] == 0) fRolesKnown = true;
  const auto tri = [this](uint32_t counter) { return counter == fCount ? kOn : counter ? kMixed : kOff; };
  fLocked = tri(fCounters[kLockedCheck]);
  fShowAsBox = tri(fCounters[kShowAsBoxCheck]);
  fRoleTouched = fTouched = false;
  UpdateChecks(true);
  return kNoErr;
}

// ---- writing

void CEditObjAttrs::SetGroupShowAsBox(C3dObject* object, bool on) {
  auto* group = dynamic_cast<C3dGroup*>(object);
  if (!group) return;
  for (uint32_t i = group->GetMemberCount(); i-- > 0;) {
    C3dObject* member = group->GetMember(i);
    if (!member || !member->IsReady()) continue;
    member->SetFlags(C3dObject::kHidden, on);
    SetGroupShowAsBox(member, on);
  }
}

bool CEditObjAttrs::ApplyToObject(C3dObject* object) {
  if (!IsEditedObject(object)) return false;
  CHolder lock(object, true, false);
  if (!lock.IsLocked()) return false;
  if (fLocked != kMixed) {
    object->SetFlags(C3dObject::kTransformLocked, fLocked == kOn);
    object->SetStateFlags(C3dObject::kNotPickable, fLocked == kOn);
  }
  if (fShowAsBox != kMixed) {
    object->SetFlags(C3dObject::kHidden, fShowAsBox == kOn);
    SetGroupShowAsBox(object, fShowAsBox == kOn);
  }
  if (fRolesKnown || fRoleTouched) {
    for (int role = 0; role < kRoleCount; ++role) object->SetStateFlags(kRoleBits[role], fRole[role] != 0);
  }
  // An object whose known values are its own is not placed again, which would only add rounding.
  SFieldVector own[kVectorCount];
  ReadObject(object, own);
  bool moved = false;
  for (int v = 0; v < kVectorCount; ++v) {
    for (int axis = 0; axis < 3; ++axis) {
      if (fValues[v].known[axis] && fValues[v].value[axis] != own[v].value[axis]) moved = true;
    }
  }
  if (!moved) return true;
  vector3<double> position =
      object->GetClass() == C3dGroup::kClassTag ? BoxCentre(object) : object->GetTransformVector3();
  vector3<double> rotation = object->GetTransformVector2();
  vector3<double> size = object->GetScaledSize();
  for (int axis = 0; axis < 3; ++axis) {
    if (fValues[kPosition].known[axis]) AxisOf(position, axis) = fValues[kPosition].value[axis] * kWorldScale;
    if (fValues[kRotation].known[axis]) AxisOf(rotation, axis) = DegreesToRadians(fValues[kRotation].value[axis]);
    if (fValues[kSize].known[axis]) AxisOf(size, axis) = fValues[kSize].value[axis] * kWorldScale;
  }
  object->SetPlacement(rotation, size, position);
  return true;
}

int32_t CEditObjAttrs::ApplySelection(C3dBaseSys* table) {
  if (!fTouched) return kNoErr;
  std::unique_ptr<CAttributesAction> action(new (std::nothrow) CAttributesAction);
  uint32_t index = 0;
  C3dObject* object = nullptr;
  bool changed = false;
  while (C3dObject::FindNextSelected(table, &object, &index) == kNoErr) {
    // Without memory for the undo step the edit goes on without it.
    if (action && action->IsValid() && action->AddObject(object)) action.reset();
    changed |= ApplyToObject(object);
  }
  const bool recorded = action && action->IsValid() && action->GetTransforms().GetObjects().GetCount();
  return FinishSceneEdit(fHost, recorded ? action.release() : nullptr, changed);
}

// ---- fields and checks

void CEditObjAttrs::OnFieldValue(const char* name, bool known) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!fFieldElements[i] || !Same(name, fFieldElements[i]->GetName())) continue;
    const EVector vector = EVector(i / 3);
    const double limit = vector == kRotation ? kRotateLimit : kOffsetLimit;
    fValues[vector].value[i % 3] = ClampFieldValue(GetField(i), gFields.lastValue, -limit, limit);
    fValues[vector].known[i % 3] = known;
    fTouched = true;
    return;
  }
}

int CEditObjAttrs::CheckIndex(const char* name) {
  for (uint32_t i = 0; i < kCheckCount; ++i) {
    if (Same(name, need::kEditObjAttrsChecks[i].name)) return int(i);
  }
  return -1;
}

void CEditObjAttrs::ToggleRole(ERole role) {
  const bool set = !fRole[role];
  for (uint8_t& r : fRole) r = 0;
  fRole[role] = set;
  fRoleTouched = fTouched = true;
}

void CEditObjAttrs::ToggleTriState(ETriState* state) {
  *state = *state == kOff ? kOn : kOff;
  fTouched = true;
}

void CEditObjAttrs::ToggleCheck(int index) {
  if (index < kRoleCount) ToggleRole(ERole(index));
  else ToggleTriState(index == kLockedCheck ? &fLocked : &fShowAsBox);
}

void CEditObjAttrs::UpdateChecks(bool refill) {
  bool anyRole = false;
  for (int role = 0; role < kRoleCount; ++role) {
    if (!fChecks[role]) continue;
    ShowState(fChecks[role], fRole[role] ? kOn : kOff);
    if (fRole[role]) {
      gLitRole = fChecks[role];
      anyRole = true;
    }
  }
  if (!anyRole && gLitRole) {
    ShowState(gLitRole, kOff);
    gLitRole = nullptr;
  }
  if (fChecks[kLockedCheck]) ShowState(fChecks[kLockedCheck], uint32_t(fLocked));
  if (fChecks[kShowAsBoxCheck]) ShowState(fChecks[kShowAsBoxCheck], uint32_t(fShowAsBox));
  if (refill) FillFields();
}

void CEditObjAttrs::FillFields() {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    CTextEdit* field = GetField(i);
    if (!field) continue;
    const SFieldVector& vector = fValues[i / 3];
    if (vector.known[i % 3]) WriteFieldValue(field, vector.value[i % 3]);
    else field->SetText("");
    field->Redraw();
  }
}

// The three role checks are a radio group that may be left empty; the press posts at once.
int32_t CEditObjAttrs::OnRoleCheckPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  if (handled) *handled = element;
  if (gLitRole == element) {
    auto* image = dynamic_cast<CImElement*>(element);
    CIxImage* list = image ? image->GetImageList() : nullptr;
    ShowState(element, list && list->Selected() == kOn ? kOff : kOn);
  } else {
    if (gLitRole) ShowState(gLitRole, kOff);
    ShowState(element, kOn);
    gLitRole = element;
  }
  CUIMessage message;
  message.InitFromElement(0, element, 0);
  return element->SendMessageUp(&message, element);
}

// ---- the chiclet

void CEditObjAttrs::PlaceNearPointer() {
  CAppl* app = GetApplication();
  if (!app) return;
  const platform::SPoint pointer = app->GetCursorPos();
  const SRect screen = app->GetScreenRect();
  const SRect& frame = GetFrame();
  const int32_t width = RectWidth(frame), height = RectHeight(frame);
  SPointHV at{std::max(pointer.x + kChicletOffset.h, screen.left), std::max(pointer.y + kChicletOffset.v, screen.top)};
  if (at.h + width > screen.right) at.h -= width;
  if (at.v + height > screen.bottom) at.v -= height;
  MoveTo(at);
}

int32_t CEditObjAttrs::OpenFromChiclet() {
  if (const int32_t err = BuildOnce()) return err;
  fHost = GetCurrentDocumentHost();
  // With nothing selected the dialog opens with what it showed before.
  SyncSelection(true);
  if (IsShown()) {
    BringForward();
  } else {
    PlaceNearPointer();
    Refresh(false);
  }
  FocusFirstField();
  CTimer().WaitTicks(kChicletWait);
  CAppl* app = GetApplication();
  if (app && app->IsStillDown()) TrackDragToggle();
  return kHandled;
}

// While the button is held, entering a check toggles it; the release closes the dialog and applies
// what was toggled.
void CEditObjAttrs::TrackDragToggle() {
  CAppl* app = GetApplication();
  int last = -1;
  bool toggled = false;
  while (app && app->IsStillDown()) {
    const platform::SPoint pointer = app->GetCursorPos();
    int over = -1;
    for (uint32_t i = 0; i < kCheckCount && over < 0; ++i) {
      if (!fChecks[i]) continue;
      SRect local, screen;
      fChecks[i]->GetLocalRect(&local);
      fChecks[i]->LocalToRootRect(&screen, local);
      if (pointer.x >= screen.left && pointer.x <= screen.right && pointer.y >= screen.top && pointer.y <= screen.bottom)
        over = int(i);
    }
    if (over >= 0 && over != last) {
      ToggleCheck(over);
      UpdateChecks(false);
      toggled = true;
    }
    last = over;
    platform::SleepMs(kPollMs);
  }
  Close();
  if (toggled) SyncSelection(false);
}

// ---- messages

bool CEditObjAttrs::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CEditObjAttrs::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const bool own = Same(message->canvasName, need::kEditObjAttrs.canvas.name);
  if (message->kind == 0 && !own && Same(message->elementName, kChiclet)) return OpenFromChiclet();
  if (!IsShown()) return kNoErr;
  if (message->kind != 0) return CLayoutHostCanvas::HandleEvent(message);
  if (!own) {
    if (!Same(message->elementName, need::kEditObjAttrs.canvas.name)) return CLayoutHostCanvas::HandleEvent(message);
    BringForward();
    return kHandled;
  }
  const char* element = message->elementName;
  if (Same(message->windowName, kFieldWindowName)) OnFieldValue(element, message->GetPayloadWord(0) != 0);
  if (const int check = CheckIndex(element); check >= 0) {
    ToggleCheck(check);
    UpdateChecks(false);
    return kHandled;
  }
  if (Same(element, need::kEditObjAttrs.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kEditObjAttrs.ok.name)) {
    Close();
    SyncSelection(false);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
