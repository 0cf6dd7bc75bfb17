// Handlers the dispatcher already routes to but that are not built yet: each answers 27 so that a
// message reaching one is seen as not done, never as handled.
#include "app/doc_window.h"
#include "framework/core/result_codes.h"

// ---- camera navigation
int32_t CDocWindow::HandleCameraControl(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::HandleCameraMessage(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::CentreOnSelection(uint8_t) { return kErrNotImplemented; }
int32_t CDocWindow::CentreOnScene(uint8_t) { return kErrNotImplemented; }
int32_t CDocWindow::SetTrackballMode(uint32_t) { return kErrNotImplemented; }

// ---- transform options and landing
int32_t CDocWindow::HandleTransformOption(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::LandSelection() { return kErrNotImplemented; }
int32_t CDocWindow::AlignSelection(uint32_t) { return kErrNotImplemented; }

// ---- render buttons and options
int32_t CDocWindow::HandleRenderButton(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::SetPreviewMode(int32_t) { return kErrNotImplemented; }
int32_t CDocWindow::SetTexturesShown(int32_t) { return kErrNotImplemented; }
int32_t CDocWindow::HandlePlopRenderMode(CUIMessage*) { return kErrNotImplemented; }
int32_t CDocWindow::HandleRenderOption(CUIMessage*) { return kErrNotImplemented; }

// ---- document size: answers 0 while both sizes are already the document's
int32_t CDocWindow::RefreshViewImage(SPointHV windowSize, SPointHV renderSize) {
  const SPointHV window = GetWindowImageSize();
  const SPointHV render = GetRenderImageSize();
  const bool same = window.h == windowSize.h && window.v == windowSize.v && render.h == renderSize.h &&
                    render.v == renderSize.v;
  return same ? kNoErr : kErrNotImplemented;
}
