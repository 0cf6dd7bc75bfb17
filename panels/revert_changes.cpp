#include "panels/revert_changes.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CRevertChanges::CRevertChanges(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kRevertChanges) {}

int32_t CRevertChanges::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kRevertButton.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kRevertCancelButton.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  return kNoErr;
}

int32_t CRevertChanges::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kRevertChanges.name;
  const char* element = message->elementName;
  if (IsOpenRequest(*message)) {
    const int32_t err = OpenModal();
    return err ? err : kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind == 0 && Same(message->canvasName, canvas)) {
    if (Same(element, need::kRevertCancelButton.name)) {
      Close();
      return kHandled;
    }
    if (Same(element, need::kRevertButton.name)) {
      Close();
      CUIMessage done;
      done.Init(0, kRevertDone, nullptr, canvas, CUIMessage::kBroadcast);
      return GetOwner() ? GetOwner()->Dispatch(&done) : kNoErr;
    }
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
