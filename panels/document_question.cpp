#include "panels/document_question.h"

#include <cstring>
#include <iterator>

#include "framework/core/appl.h"
#include "framework/core/format_text.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/win_appl.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

namespace {

constexpr const char* kBuiltIn[] = {
    "Do you want to save the changes to \"%s\"?",
    "Do you want to go back to the saved version of \"%s\" and lose your changes?",
};
constexpr const char* kUntitled = "Untitled";

DocumentTitleSource gTitleSource = nullptr;

}  // namespace

void SetDocumentTitleSource(DocumentTitleSource source) { gTitleSource = source; }

// FormatText puts the title in as text, never as a format: a "%" in it is shown as it is.
std::string DocumentQuestionText(uint32_t entry) {
  CIxTextRef wording;
  wording.Attach(entry < std::size(kBuiltIn) ? kBuiltIn[entry] : "", entry, need::kQuestionTexts.name);
  const char* title = gTitleSource ? gTitleSource() : nullptr;
  return FormatText(wording.Text(), title && *title ? title : kUntitled, nullptr);
}

bool IsOpenRequest(const CUIMessage* message, const char* dialog) {
  return message && message->kind == 0 && std::strcmp(message->elementName, dialog) == 0 &&
         std::strcmp(message->canvasName, dialog) != 0;
}

int32_t PostReply(CUICmFunction* owner, const char* button, const char* dialog) {
  CUIMessage reply;
  reply.Init(0, button, nullptr, dialog, CUIMessage::kBroadcast);
  if (!owner || !owner->Enqueue(reply)) return kErrOutOfMemory;
  return kHandled;
}

int32_t AskDocumentQuestion(uint32_t entry, bool withCancel) {
  auto* app = dynamic_cast<CWinAppl*>(GetApplication());
  if (!app) return platform::kIdCancel;
  const std::string text = DocumentQuestionText(entry);
  if (withCancel) return app->AskYesNoCancel(text.c_str());
  return app->AskYesNo(text.c_str()) ? platform::kIdYes : platform::kIdNo;
}
