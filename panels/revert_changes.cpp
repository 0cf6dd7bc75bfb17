#include "panels/revert_changes.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
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
  if (!message || message->kind != 0 || std::strcmp(message->elementName, canvas) != 0 ||
      std::strcmp(message->canvasName, canvas) == 0)
    return CLayoutHostCanvas::HandleEvent(message);
  if (AskDocumentQuestion(kRevertQuestion, false) != platform::kIdYes) return kHandled;
  CUIMessage done;
  done.Init(0, kRevertDone, nullptr, canvas, CUIMessage::kBroadcast);
  if (!GetOwner() || !GetOwner()->Enqueue(done)) return kErrOutOfMemory;
  return kHandled;
}
