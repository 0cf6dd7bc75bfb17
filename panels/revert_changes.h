// The revert changes dialog: whether the scene goes back to its last saved state, with the buttons
// "revert" and "revert cancel".
//
// Stand-in until the dialog itself is built: the open request (a kind-0 message whose element is "revert
// changes") asks the question in a message box with Yes and No; Yes posts what "revert" sends, a kind-0
// broadcast message "revert done" to the canvas "revert changes".
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CRevertChanges : public CLayoutHostCanvas {
 public:
  static constexpr const char* kRevertDone = "revert done";

  CRevertChanges(CUICmFunction* owner, CResourceEnv* environment);

  // The open request: 26 once it is answered. Anything else goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;
};
