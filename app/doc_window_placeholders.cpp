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

