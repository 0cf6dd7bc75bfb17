// The billboard: a dialog that shows one picture, which the preset panels open for "export". It is
// built once from the canvas "billboard" of the preset panel's layout file, opened as the top modal
// level, and closed by "ok", Return or Escape.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CBillboard : public CLayoutHostCanvas {
 public:
  CBillboard(CUICmFunction* owner, CResourceEnv* environment);

  int32_t BuildControls(CResourceEnv* environment) override;
  // Built once, then shown on top: 0 or the build's code.
  int32_t Open();
};
