#include "panels/doc_setup.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"

CDocSetup::CDocSetup(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kDocSetup) {}

int32_t CDocSetup::OpenForNewDocument(SPointHV size, const char* /*title*/, bool isNew) {
  fSize = size;
  fNewDocument = isNew;
  return kNoErr;
}

int32_t CDocSetup::Open() {
  CUIMessage reply;
  reply.Init(0, fNewDocument ? kNewDocument : kSizeDocument, nullptr, kReplyCanvas, CUIMessage::kBroadcast);
  reply.firstPoint = fSize;
  reply.secondPoint = fSize;
  if (!GetOwner() || !GetOwner()->Enqueue(reply)) return kErrOutOfMemory;
  return kNoErr;
}

int32_t CDocSetup::HandleEvent(CUIMessage* message) {
  const char* name = need::kDocSetup.canvas.name;
  if (message && message->kind == 0 && std::strcmp(message->elementName, name) == 0 &&
      std::strcmp(message->canvasName, name) == 0) {
    if (const int32_t err = BuildOnce()) return err;
    if (const int32_t err = Open()) return err;
    return kHandled;
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
