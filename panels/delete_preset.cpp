#include "panels/delete_preset.h"

#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "panels/document_question.h"
#include "panels/layout_needs.h"

CDeletePreset::CDeletePreset(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDeletePreset) {}

int32_t CDeletePreset::HandleEvent(CUIMessage* message) {
  const char* canvas = need::kDeletePreset.canvas.name;
  if (!IsOpenRequest(message, canvas)) return CLayoutHostCanvas::HandleEvent(message);
  return OpenDialog();
}

int32_t CDeletePreset::OpenDialog() {
  const char* canvas = need::kDeletePreset.canvas.name;
  CAppl* app = GetApplication();
  const std::string question = "\"" + fConfirmation + "\" cannot be undone. Do you want to go on?";
  if (!app || !app->AskYesNo(question.c_str())) return kHandled;
  return PostReply(GetOwner(), fConfirmation.c_str(), canvas);
}
