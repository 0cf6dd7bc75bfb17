#include "framework/ui/ui_message.h"

#include "framework/core/c_string.h"
#include "framework/ui/element.h"
#include "platform/window.h"

// ---- messages

void CUIMessage::Init(uint32_t kind, const char* elementName, const char* windowName, const char* canvasName,
                      uint32_t flags) {
  *this = CUIMessage{};
  this->kind = kind;
  this->flags = flags;
  this->elementName = elementName ? elementName : emptyText;
  this->windowName = windowName ? windowName : emptyText;
  this->canvasName = canvasName ? canvasName : emptyText;
}

void CUIMessage::InitFromElement(uint32_t kind, CElement* element, uint32_t flags) {
  if (!element) {
    Init(kind, nullptr, nullptr, nullptr, flags);
    return;
  }
  Init(kind, element->GetName(), element->GetWindowName(), element->GetCanvasName(), flags);
}

void CUIMessage::InitWithPoints(uint32_t kind, CElement* element, SPointHV first, SPointHV second, uint32_t flags) {
  InitFromElement(kind, element, flags);
  firstPoint = first;
  secondPoint = second;
}

int32_t CUIMessage::GetPayloadWord(uint32_t index) const {
  switch (index) {
    case 0:
    case 1:
    case 2:
    case 3: return int32_t(payload[index]);
    case 4: return firstPoint.h;
    case 5: return firstPoint.v;
    case 6: return secondPoint.h;
    case 7: return secondPoint.v;
    default: return 0;
  }
}

void CUIMessage::SetPayloadWord(uint32_t index, int32_t value) {
  switch (index) {
    case 0:
    case 1:
    case 2:
    case 3: payload[index] = uint32_t(value); break;
    case 4: firstPoint.h = value; break;
    case 5: firstPoint.v = value; break;
    case 6: secondPoint.h = value; break;
    case 7: secondPoint.v = value; break;
    default: break;
  }
}

// ---- the broadcaster

CUICmFunction::CUICmFunction(SRange rows, uint32_t queueStep)
    : CCmFunction(rows), fQueue(SRange{0, int32_t(queueStep)}) {}

CUICmFunction::~CUICmFunction() = default;

bool CUICmFunction::Register(void* receiver, CFCallback handler) { return AddRow(receiver, handler, 0); }

bool CUICmFunction::Unregister(void* receiver) {
  if (GetCount() == 0) return false;
  RaiseBusy();
  uint32_t found = GetCount();
  for (uint32_t i = 0; i < GetCount() && found == GetCount(); ++i) {
    if (CCFEntry::CompareId((*this)[i], receiver) == 0) found = i;
  }
  LowerBusy();
  return found < GetCount() && RemoveEntry((*this)[found]);
}

int32_t CUICmFunction::Dispatch(CUIMessage* message) {
  RaiseBusy();
  int32_t answer = 0;
  // Receivers may register or leave while a message goes round: walk by index, re-reading the count.
  for (uint32_t i = 0; i < GetCount() && answer == 0; ++i) answer = CCFEntry::Call((*this)[i], message);
  LowerBusy();
  return answer;
}

bool CUICmFunction::Enqueue(const CUIMessage& message) {
  SQueued queued{message, {}};
  CopyCString(queued.names[0], message.elementName, kNameBytes);
  CopyCString(queued.names[1], message.windowName, kNameBytes);
  CopyCString(queued.names[2], message.canvasName, kNameBytes);
  return fQueue.InsertAt(fQueue.GetCount(), &queued, 1);
}

CUIMessage CUICmFunction::PeekQueued(uint32_t index) const {
  if (index >= fQueue.GetCount()) return {};
  const SQueued& queued = fQueue[index];
  CUIMessage message = queued.message;
  message.elementName = queued.names[0];
  message.windowName = queued.names[1];
  message.canvasName = queued.names[2];
  return message;
}

int32_t CUICmFunction::DispatchQueued() {
  if (fQueue.GetCount() == 0) {
    platform::WaitMessage(kIdleWaitMs);
    return 0;
  }
  while (fQueue.GetCount() > 0) {
    // Taken out first: a receiver that queues more may move the queue's storage.
    SQueued next = fQueue[0];
    fQueue.RemoveAt(0);
    next.message.elementName = next.names[0];
    next.message.windowName = next.names[1];
    next.message.canvasName = next.names[2];
    if (const int32_t answer = Dispatch(&next.message)) return answer;
  }
  return 0;
}
