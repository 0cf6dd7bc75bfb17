// UI messages: small records that name the element that acted (its name, window name and canvas
// name), sent up an element tree and offered to the palettes and dialogs of one owner, the
// broadcaster CUICmFunction, which also keeps their modal level and a queue of messages delivered
// at the application's idle step.
#pragma once

#include <cstdint>

#include "framework/core/cm_function.h"
#include "framework/core/dyn_table.h"
#include "framework/ui/geometry.h"

class CElement;

// The names refer to texts that must outlive the message: the sender's name fields, literal texts,
// or the message's own empty text.
class CUIMessage {
 public:
  static constexpr uint32_t kBroadcast = 1;  // the root hands it to the owner, not its own canvas
  static constexpr uint32_t kPayloadWords = 8;

  // A missing name reads as the empty text; payload and points zero.
  void Init(uint32_t kind, const char* elementName, const char* windowName, const char* canvasName, uint32_t flags);
  // The element's name, window name and canvas name (a missing element gives empty names).
  void InitFromElement(uint32_t kind, CElement* element, uint32_t flags);
  void InitWithPoints(uint32_t kind, CElement* element, SPointHV first, SPointHV second, uint32_t flags);

  // The eight payload words that receivers read: the four payload words, the first point's x and
  // y, then the second point's; 0 (and nothing stored) beyond them.
  int32_t GetPayloadWord(uint32_t index) const;
  void SetPayloadWord(uint32_t index, int32_t value);
  // Header word 2, which some senders fill with a value of their own.
  uint32_t GetDataWord() const { return header[2]; }
  void SetDataWord(uint32_t value) { header[2] = value; }

  uint32_t header[4] = {};
  uint32_t kind = 0;  // 0: an element's action, the only kind the framework itself sends
  uint32_t flags = 0;
  const char* elementName = nullptr;
  const char* windowName = nullptr;
  const char* canvasName = nullptr;
  char emptyText[4] = {};
  uint32_t payload[4] = {};
  SPointHV firstPoint;
  SPointHV secondPoint;
};

class CUICmFunction : public CCmFunction {
 public:
  static constexpr int64_t kIdleWaitMs = 10;

  // rows = {initial rows, growth step}; the queue grows by queueStep.
  explicit CUICmFunction(SRange rows, uint32_t queueStep = 32);
  ~CUICmFunction() override;

  bool IsValid() const { return CCmFunction::IsValid() && fQueue.IsValid(); }

  // A row {receiver, handler, priority 0, data 0}; false when the table cannot grow.
  bool Register(void* receiver, CFCallback handler);
  // False, and nothing changes, when the receiver has no row.
  bool Unregister(void* receiver);
  // Offers the message to the rows in the order they registered (not by priority) until one
  // answers non-zero, which is answered; 0 when none does.
  virtual int32_t Dispatch(CUIMessage* message);

  // Appends a copy at the end of the queue, names included, so that it outlives its sender.
  bool Enqueue(const CUIMessage& message);
  uint32_t GetQueueCount() const { return fQueue.GetCount(); }
  // The queued message at index as it will be delivered; its names last until the queue changes.
  CUIMessage PeekQueued(uint32_t index) const;
  // The application's idle step: with nothing queued, waits kIdleWaitMs for input and answers 0;
  // otherwise delivers the queued messages in arrival order, each taken off the queue before it is
  // offered, until a receiver answers non-zero (answered; the rest wait for the next step).
  int32_t DispatchQueued();

  // The modal level of the canvases: raised while a dialog is in front.
  uint32_t GetModalLevel() const { return fModalLevel; }
  void RaiseModalLevel() { ++fModalLevel; }
  void LowerModalLevel() {
    if (fModalLevel) --fModalLevel;
  }

 private:
  static constexpr uint32_t kNameBytes = 32;
  struct SQueued {
    CUIMessage message;
    char names[3][kNameBytes];
  };

  uint32_t fModalLevel = 0;
  CDynTable<SQueued> fQueue;
};
