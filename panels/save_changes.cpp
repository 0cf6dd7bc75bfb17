#include "panels/save_changes.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
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
  if (!message || message->kind != 0 || std::strcmp(message->elementName, canvas) != 0 ||
      std::strcmp(message->canvasName, canvas) == 0)
    return CLayoutHostCanvas::HandleEvent(message);
  const char* reply = kSaveCancel;
  switch (AskDocumentQuestion(kSaveQuestion, true)) {
    case platform::kIdYes: reply = kSave; break;
    case platform::kIdNo: reply = kDontSave; break;
    default: break;
  }
  CUIMessage answer;
  answer.Init(0, reply, nullptr, canvas, CUIMessage::kBroadcast);
  if (!GetOwner() || !GetOwner()->Enqueue(answer)) return kErrOutOfMemory;
  return kHandled;
}
