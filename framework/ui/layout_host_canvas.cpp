#include "framework/ui/layout_host_canvas.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/element.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"

namespace {

bool SameText(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CLayoutHostCanvas::CLayoutHostCanvas(CUICmFunction* owner, CResourceEnv* environment, uint32_t style,
                                     const SLayoutNeed& canvas, const SLayoutNeed* ok, const SLayoutNeed* cancel)
    : CUIHostCanvas(owner, environment, style), fCanvas(canvas), fOk(ok), fCancel(cancel) {}

int32_t CLayoutHostCanvas::BuildControls(CResourceEnv* environment) {
  ++fBuildCount;
  if (const int32_t err = Create(environment, fCanvas.name)) return err;
  if (fOk) BindElement(fOk->name, &UIHostPressButton, nullptr, &UIHostOnReturnKey);
  if (fCancel) BindElement(fCancel->name, &UIHostPressButton, nullptr, &UIHostOnEscapeKey);
  return kNoErr;
}

bool CLayoutHostCanvas::IsOwnButton(const CUIMessage& message) const {
  if (message.kind != 0 || !SameText(message.canvasName, fCanvas.name)) return false;
  return (fOk && SameText(message.elementName, fOk->name)) || (fCancel && SameText(message.elementName, fCancel->name));
}

int32_t CLayoutHostCanvas::HandleEvent(CUIMessage* message) {
  if (message && IsShown() && IsOwnButton(*message)) {
    Close();
    return kHandled;
  }
  return CUIHostCanvas::HandleEvent(message);
}

void CLayoutHostCanvas::SetButtonCanvasName(const char* name) {
  CHoElement* root = GetRoot();
  for (const SLayoutNeed* button : {fOk, fCancel}) {
    CElement* element = nullptr;
    if (root && button && CElSystem::FindElement(root->GetChildren(), button->name, &element, false) == kNoErr)
      element->SetCanvasName(name);
  }
}

void CLayoutHostCanvas::BringForward() {
  Show();
  Activate();
  UpdateNow();
}

bool CLayoutHostCanvas::IsOpenRequest(const CUIMessage& message) const {
  return message.kind == 0 && !SameText(message.canvasName, fCanvas.name) && SameText(message.elementName, fCanvas.name);
}

int32_t CLayoutHostCanvas::OpenModal() {
  if (const int32_t err = BuildOnce()) return err;
  if (IsShown()) BringForward();
  else Refresh(false);
  return kNoErr;
}

void CLayoutHostCanvas::Close() {
  CUICmFunction* owner = GetOwner();
  if (owner && !IsStale() && owner->GetModalLevel() > 0) owner->LowerModalLevel();
  Hide();
}
