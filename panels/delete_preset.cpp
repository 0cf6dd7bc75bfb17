#include "panels/delete_preset.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CDeletePreset::CDeletePreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDeletePreset.canvas) {}

void CDeletePreset::SetConfirmationName(const char* name) {
  fConfirmation = name ? std::string(name, strnlen(name, kNameCharacters)) : std::string();
}

int32_t CDeletePreset::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kDeletePresetButton.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kDeletePreset.cancel.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  return kNoErr;
}

int32_t CDeletePreset::OpenDialog() { return OpenModal(); }

void CDeletePreset::CloseAndForget() {
  Close();
  fConfirmation.clear();
}

int32_t CDeletePreset::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kDeletePreset.canvas.name;
  const char* element = message->elementName;
  if (IsOpenRequest(*message)) {
    const int32_t err = OpenModal();
    return err ? err : kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind != 0 || !Same(message->canvasName, canvas)) return CLayoutHostCanvas::HandleEvent(message);
  if (Same(element, need::kDeletePreset.cancel.name)) {
    CloseAndForget();
    return kHandled;
  }
  if (!Same(element, need::kDeletePresetButton.name)) return CLayoutHostCanvas::HandleEvent(message);
  // The name is taken before the close forgets it; the message copies nothing.
  const std::string confirmation = fConfirmation;
  CloseAndForget();
  CHoElement* root = GetRoot();
  if (confirmation.empty() || !root) return kNoErr;
  CUIMessage confirm;
  confirm.Init(0, confirmation.c_str(), nullptr, canvas, CUIMessage::kBroadcast);
  root->SendMessageUp(&confirm, root);
  return kNoErr;
}
