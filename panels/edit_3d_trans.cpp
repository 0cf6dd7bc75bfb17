#include "panels/edit_3d_trans.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "editing/document_host.h"
#include "editing/matrix_action.h"
#include "framework/core/holder.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "scene/group.h"
#include "scene/object.h"

namespace {

// Offsets take steps of world units with Ctrl held; rotations and scales do not.
bool TakesCtrlSteps(const char* name) { return std::strncmp(name, "offset", 6) == 0; }

SNumericFields gFields{nullptr, 0, &TakesCtrlSteps};

constexpr double kPercent = 0.01;
constexpr double kStartScale = 100;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CEdit3dTrans::CEdit3dTrans(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kEdit3dTrans) {}

CEdit3dTrans::~CEdit3dTrans() { ReleaseFields(); }

SNumericFields& CEdit3dTrans::Fields() { return gFields; }

CTextEdit* CEdit3dTrans::GetField(uint32_t index) const { return GetElementWindow(GetFieldElement(index)); }

void CEdit3dTrans::ReleaseFields() {
  DeleteNumericFields(fFields, fFieldElements, kFieldCount);
  gFields.current = nullptr;
}

int32_t CEdit3dTrans::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindNumericFields<gFields>(*this, fFields, need::kEdit3dTransFields, kFieldCount, fFieldElements);
  return kNoErr;
}

int32_t CEdit3dTrans::Open(int32_t mode) {
  fHost = GetCurrentDocumentHost();
  switch (mode) {
    case kScaleMode: gFields.current = fFieldElements[kScale * 3]; break;
    case kRotateMode: gFields.current = fFieldElements[kRotation * 3]; break;
    case kOffsetMode: gFields.current = fFieldElements[kOffset * 3]; break;
    default: break;
  }
  SyncSelection(true);
  FocusField(GetElementWindow(gFields.current));
  return kNoErr;
}

int32_t CEdit3dTrans::SyncSelection(bool load) {
  if (!load) return Apply();
  fValues[kOffset] = fValues[kRotation] = {};
  fValues[kScale] = {kStartScale, kStartScale, kStartScale};
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    CTextEdit* field = GetField(i);
    WriteFieldValue(field, fValues[i / 3][int(i % 3)]);
    if (field) field->Redraw();
  }
  return kNoErr;
}

void CEdit3dTrans::OnFieldValue(const char* name) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!fFieldElements[i] || !Same(name, fFieldElements[i]->GetName())) continue;
    const EVector vector = EVector(i / 3);
    const double limit = vector == kRotation ? kRotateLimit : kOffsetLimit;
    AxisOf(fValues[vector], int(i % 3)) = ClampFieldValue(GetField(i), gFields.lastValue, -limit, limit);
    return;
  }
}

bool CEdit3dTrans::IsIdentity() const {
  const vector3<double> start{kStartScale, kStartScale, kStartScale};
  return fValues[kOffset] == vector3<double>{} && fValues[kRotation] == vector3<double>{} && fValues[kScale] == start;
}

bool CEdit3dTrans::ApplyToObject(C3dObject* object) {
  if (!IsEditedObject(object)) return false;
  CHolder lock(object, true, false);
  if (!lock.IsLocked()) return false;
  vector3<double> position =
      object->GetClass() == C3dGroup::kClassTag ? BoxCentre(object) : object->GetTransformVector3();
  vector3<double> rotation = object->GetTransformVector2();
  vector3<double> size = object->GetScaledSize();
  for (int axis = 0; axis < 3; ++axis) {
    AxisOf(position, axis) += fValues[kOffset][axis] * 100 * (1.0 / 1024);
    AxisOf(rotation, axis) += DegreesToRadians(fValues[kRotation][axis]);
    // A scale that would leave the axis without size (an emptied field is 0) leaves it as it was:
    // nothing could scale it back.
    const double scaled = size[axis] * fValues[kScale][axis] * kPercent;
    if (std::fabs(scaled) >= kLeastSize) AxisOf(size, axis) = scaled;
  }
  object->SetPlacement(rotation, size, position);
  return true;
}

int32_t CEdit3dTrans::Apply() {
  C3dBaseSys* table = fHost ? fHost->GetSceneTable() : nullptr;
  if (!table || IsIdentity()) return kNoErr;
  std::unique_ptr<CMatrixAction> action(new (std::nothrow) CMatrixAction);
  uint32_t index = 0;
  C3dObject* object = nullptr;
  bool changed = false;
  int32_t err = kNoErr;
  while (!err && C3dObject::FindNextSelected(table, &object, &index) == kNoErr) {
    if (action && action->IsValid() && action->AddObject(object)) action.reset();
    // An object that is not ready ends the edit; what was changed before it stays recorded.
    if (!object->IsReady()) err = kErrGeneric;
    else changed |= ApplyToObject(object);
  }
  const bool recorded = action && action->IsValid() && action->GetObjects().GetCount();
  const int32_t pushed = FinishSceneEdit(fHost, recorded ? action.release() : nullptr, changed);
  return err ? err : pushed;
}

bool CEdit3dTrans::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CEdit3dTrans::HandleEvent(CUIMessage* message) {
  if (!message || !IsShown()) return kNoErr;
  if (message->kind != 0) return CLayoutHostCanvas::HandleEvent(message);
  const char* element = message->elementName;
  if (!Same(message->canvasName, need::kEdit3dTrans.canvas.name)) {
    if (!Same(element, need::kEdit3dTrans.canvas.name)) return CLayoutHostCanvas::HandleEvent(message);
    BringForward();
    return kHandled;
  }
  if (Same(message->windowName, kFieldWindowName)) OnFieldValue(element);
  if (Same(element, need::kEdit3dTrans.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kEdit3dTrans.ok.name)) {
    Close();
    SyncSelection(false);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
