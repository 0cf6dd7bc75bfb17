// The revert changes dialog: whether the scene goes back to its last saved state, with the buttons
// "revert" and "revert cancel". 'rvrt' opens it with a kind-0 message whose element is "revert
// changes"; "revert" closes it and sends "revert done" to the document window, which reads the
// document again.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CRevertChanges : public CLayoutHostCanvas {
 public:
  static constexpr const char* kRevertDone = "revert done";

  CRevertChanges(CUICmFunction* owner, CResourceEnv* environment);

  // The tree, "revert" pressed by Return and "revert cancel" by Escape.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The open request opens it (26, or the build's code). "revert" closes it and answers what the
  // broadcast of "revert done" (kind 0, canvas "revert changes", broadcast flag) answered; "revert
  // cancel" closes it (26). While hidden everything else is 0.
  int32_t HandleEvent(CUIMessage* message) override;
};
