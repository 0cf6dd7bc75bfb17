#include "panels/replicate.h"

#include <cmath>
#include <cstring>

#include "editing/document.h"
#include "editing/document_host.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "scene/object.h"

namespace {

// Offsets take steps of world units with Ctrl held.
bool TakesCtrlSteps(const char* name) { return std::strncmp(name, "offset", 6) == 0; }

SNumericFields gFields{nullptr, 0, &TakesCtrlSteps};

constexpr double kPercent = 0.01;
constexpr double kFullScale = 100;
constexpr float kProposedText = 20.48f;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CReplicate::CReplicate(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kReplicate) {}

CReplicate::~CReplicate() { ReleaseFields(); }

SNumericFields& CReplicate::Fields() { return gFields; }

void CReplicate::ReleaseFields() {
  DeleteNumericFields(fFields, fElements, kFieldCount);
  fCheck = nullptr;
  gFields.current = nullptr;
}

int32_t CReplicate::BuildControls(CResourceEnv* environment) {
  ReleaseFields();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElementRef(need::kReplicateCheck.name, &fCheck, &OnCheckBoxPress, nullptr, nullptr);
  BindNumericFields<gFields>(*this, fFields, need::kReplicateFields, kFieldCount, fElements);
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (CTextEdit* field = GetField(i)) field->SetFloat(kProposedText);
  }
  FocusField(GetField(kQuantity));
  return kNoErr;
}

int32_t CReplicate::Apply() {
  if (const int32_t err = BuildOnce()) return err;
  Exchange(true);
  return kNoErr;
}

int32_t CReplicate::Exchange(bool load) {
  CDocumentHost* host = fOwner ? fOwner : GetCurrentDocumentHost();
  if (!load) return host ? host->ReplicateWithParameters(uint32_t(fQuantity), GetStep(), fScaleTranslation) : kNoErr;
  C3dObject* object = nullptr;
  C3dBaseSys* table = host ? host->GetSceneTable() : nullptr;
  // Without a selected object the dialog shows the values of its last use.
  if (table && C3dObject::FindFirstSelectedRoot(table, &object) == kNoErr && object) {
    CHolder lock(object, true, false);
    if (lock.IsLocked()) {
      const C3dTransform& placement = object->GetPlacement();
      for (int axis = 0; axis < 3; ++axis) {
        fValues[kOffsetX + axis] = (placement.fPosition[axis] - placement.fPrevPosition[axis]) * kOffsetUnit;
        fValues[kRotateX + axis] = RadiansToDegrees(placement.fRotation[axis] - placement.fPrevRotation[axis]);
        const double saved = placement.fPrevScale[axis];
        fValues[kScaleX + axis] = saved == 0 ? kFullScale : placement.fScale[axis] / saved * kFullScale;
      }
    }
  }
  ShowFields();
  return kNoErr;
}

SReplicateSettings CReplicate::GetStep() const {
  SReplicateSettings step;
  // The vector between the factors and the rotation is not the dialog's: it stays 0.
  step.unused = {};
  for (int axis = 0; axis < 3; ++axis) {
    AxisOf(step.factors, axis) = fValues[kScaleX + axis] * kPercent;
    AxisOf(step.rotation, axis) = DegreesToRadians(fValues[kRotateX + axis]);
    AxisOf(step.offset, axis) = fValues[kOffsetX + axis] / kOffsetUnit;
  }
  return step;
}

void CReplicate::ShowFields() {
  if (CTextEdit* quantity = GetField(kQuantity)) quantity->SetLong(fQuantity);
  for (uint32_t i = kOffsetX; i < kFieldCount; ++i) WriteFieldValue(GetField(i), fValues[i]);
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (CTextEdit* field = GetField(i)) field->Redraw();
  }
  FocusField(GetElementWindow(gFields.current));
}

void CReplicate::OnFieldChanged(const char* name) {
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (!fElements[i] || !Same(name, fElements[i]->GetName())) continue;
    double value = gFields.lastValue;
    double low = -kOffsetLimit, high = kOffsetLimit, least = -kOffsetLimit;
    if (i == kQuantity) low = least = 0, high = kQuantityLimit;
    else if (i >= kRotateX) low = least = -kRotateLimit, high = kRotateLimit;
    else if (i >= kScaleX) low = 0, least = kLeastScale, high = kScaleLimit;
    if (!(value >= least && value <= high)) {
      // Out of range: truncated, forced into the range and written back, without a beep. A text that
      // already reads as the forced value ("0." on the way to "0.5") is left to the typing.
      value = std::isfinite(value) ? std::trunc(value) : 0;
      value = value < low ? low : value > high ? high : value;
      if (value != gFields.lastValue) {
        WriteFieldValue(GetField(i), value);
        if (CTextEdit* field = GetField(i)) field->Redraw();
      }
    }
    if (i == kQuantity) fQuantity = int32_t(std::trunc(value));
    fValues[i] = value;
    return;
  }
}

bool CReplicate::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CReplicate::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  if (message->kind != 0) return IsShown() ? CLayoutHostCanvas::HandleEvent(message) : kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kReplicate.canvas.name);
  if (!own && Same(element, need::kReplicate.canvas.name)) {
    if (const int32_t err = BuildOnce()) return err;
    // A dialog already up keeps the level its opening raised.
    if (IsShown()) BringForward();
    else Refresh(false);
    Exchange(true);
    return kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (!own) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(message->windowName, kFieldWindowName)) OnFieldChanged(element);
  if (fCheck && Same(element, fCheck->GetName())) {
    auto* check = dynamic_cast<CImElement*>(fCheck);
    CIxImage* list = check ? check->GetImageList() : nullptr;
    fScaleTranslation = list && list->Selected() != CIxImage::kNone && list->Selected() != 0;
  }
  if (Same(element, need::kReplicate.cancel.name)) {
    Close();
    return kHandled;
  }
  if (Same(element, need::kReplicate.ok.name)) {
    Close();
    Exchange(false);
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
