#include "panels/create_palette.h"

#include "framework/ui/ui_host_canvas.h"
#include "panels/layout_needs.h"

CCreatePalette::CCreatePalette(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kCreatePalette) {}

int32_t CCreatePalette::BuildControls(CResourceEnv* environment) {
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  for (const SLayoutNeed& item : need::kCreateItems) BindElement(item.name, &UIHostTrackButton, nullptr, nullptr);
  return 0;
}
