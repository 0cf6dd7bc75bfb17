#include "app/control_palette.h"

#include "app/layout_needs.h"
#include "framework/core/result_codes.h"

namespace {

CControlPalette* gCurrent = nullptr;

}  // namespace

CControlPalette* GetCurrentControlPalette() { return gCurrent; }

CControlPalette::CControlPalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kControlPalette) {
  gCurrent = this;
}

CControlPalette::~CControlPalette() {
  if (gCurrent == this) gCurrent = nullptr;
}

int32_t CControlPalette::ResetViewState(bool, bool) { return SelectView(0); }

int32_t CControlPalette::SelectView(uint32_t index) {
  fCurrentView = index;
  return kNoErr;
}

int32_t CControlPalette::ApplySettings() { return kNoErr; }

int32_t CControlPalette::RestartPreview() { return kErrNotImplemented; }

void CControlPalette::SetButtonState(uint32_t button, uint32_t state) {
  if (button < kViewDotCount && state < kButtonStates) fDotStates[button] = state;
}
