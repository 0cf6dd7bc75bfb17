#include "panels/revert_changes.h"

#include "framework/core/result_codes.h"
#include "panels/document_question.h"
#include "panels/layout_needs.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kRevertQuestion = 1;

}  // namespace

CRevertChanges::CRevertChanges(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kRevertChanges) {}

int32_t CRevertChanges::HandleEvent(CUIMessage* message) {
  const char* canvas = need::kRevertChanges.name;
  if (!IsOpenRequest(message, canvas)) return CLayoutHostCanvas::HandleEvent(message);
  if (AskDocumentQuestion(kRevertQuestion, false) != platform::kIdYes) return kHandled;
  return PostReply(GetOwner(), kRevertDone, canvas);
}
