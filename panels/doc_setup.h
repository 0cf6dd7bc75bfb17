// The document set-up dialog: the document's size and its render resolution. On "ok" it sends "new
// document" (after the new-document command) or "size document" to the canvas "doc window", with the
// document size as the first point and the render size as the second.
//
// Stand-in until the dialog itself is built: the open request (Open, or a kind-0 message whose element and
// canvas are "doc setup") posts at once what "ok" would send for the size it was filled with, rendered at
// that size.
#pragma once

#include <cstdint>

#include "framework/ui/geometry.h"
#include "framework/ui/layout_host_canvas.h"

class CDocSetup : public CLayoutHostCanvas {
 public:
  static constexpr const char* kReplyCanvas = "doc window";
  static constexpr const char* kNewDocument = "new document";
  static constexpr const char* kSizeDocument = "size document";

  CDocSetup(CUICmFunction* owner, CResourceEnv* environment);

  // size: the document image's width and height; title: the document's, or none; isNew: whether "ok"
  // makes a new document. 0.
  int32_t OpenForNewDocument(SPointHV size, const char* title, bool isNew);
  // 0 once the reply is queued, 9 when the queue cannot take it.
  int32_t Open();
  int32_t HandleEvent(CUIMessage* message) override;

  SPointHV GetDocumentSize() const { return fSize; }
  bool IsForNewDocument() const { return fNewDocument; }

 private:
  SPointHV fSize{480, 360};
  bool fNewDocument = false;
};
