#include "panels/save_changes.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/core/window_handler.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

}  // namespace

CSaveChanges::CSaveChanges(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSaveChanges) {}

int32_t CSaveChanges::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  BindElement(need::kSaveButton.name, &UIHostTrackButton, nullptr, &UIHostOnReturnKey);
  BindElement(need::kSaveCancelButton.name, &UIHostTrackButton, nullptr, &UIHostOnEscapeKey);
  BindElement(need::kDontSaveButton.name, &UIHostTrackButton, nullptr, &OnDontSaveKey);
  return kNoErr;
}

int32_t CSaveChanges::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* canvas = need::kSaveChanges.name;
  const char* element = message->elementName;
  if (IsOpenRequest(*message)) {
    const int32_t err = OpenModal();
    return err ? err : kHandled;
  }
  if (!IsShown()) return kNoErr;
  if (message->kind == 0 && Same(message->canvasName, canvas) &&
      (Same(element, kSave) || Same(element, kDontSave) || Same(element, kSaveCancel))) {
    Close();
    return kNoErr;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}

int32_t CSaveChanges::OnDontSaveKey(CElement* element, CElement** handled, SWinEvent* event) {
  const uint32_t c = event ? event->key & 0xFF : 0;
  if (c != 'd' && c != 'D') return kNoErr;
  return UIHostFlashButton(element, handled);
}
