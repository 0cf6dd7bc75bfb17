#include "presets/billboard.h"

#include "framework/core/result_codes.h"
#include "presets/layout_needs.h"

CBillboard::CBillboard(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kBillboard) {}

int32_t CBillboard::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // One button: Escape presses it as Return does.
  BindElement(need::kBillboard.ok.name, &UIHostPressButton, nullptr, &UIHostOnReturnOrEscapeKey);
  return kNoErr;
}

int32_t CBillboard::Open() {
  if (const int32_t err = BuildOnce()) return err;
  Refresh(false);
  return kNoErr;
}
