// The save changes dialog: whether the changed scene is saved before it is closed or replaced, with
// the buttons "save", "dont save" and "save cancel".
//
// Stand-in until the dialog itself is built: the open request (a kind-0 message whose element is "save
// changes") asks the question in a message box with Yes, No and Cancel and posts the reply the dialog sends:
// a kind-0 broadcast message to the canvas "save changes" whose element is the button.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CSaveChanges : public CLayoutHostCanvas {
 public:
  static constexpr const char* kSave = "save";
  static constexpr const char* kDontSave = "dont save";
  static constexpr const char* kSaveCancel = "save cancel";

  CSaveChanges(CUICmFunction* owner, CResourceEnv* environment);

  // The open request: 26 once the reply is queued. Anything else goes down the tree.
  int32_t HandleEvent(CUIMessage* message) override;
};
