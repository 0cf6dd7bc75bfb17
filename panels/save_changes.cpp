#include "panels/save_changes.h"

#include "panels/document_question.h"
#include "panels/layout_needs.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kSaveQuestion = 0;

}  // namespace

CSaveChanges::CSaveChanges(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kSaveChanges) {}

int32_t CSaveChanges::HandleEvent(CUIMessage* message) {
  const char* canvas = need::kSaveChanges.name;
  if (!IsOpenRequest(message, canvas)) return CLayoutHostCanvas::HandleEvent(message);
  const char* reply = kSaveCancel;
  switch (AskDocumentQuestion(kSaveQuestion, true)) {
    case platform::kIdYes: reply = kSave; break;
    case platform::kIdNo: reply = kDontSave; break;
    default: break;
  }
  return PostReply(GetOwner(), reply, canvas);
}
