// The save changes dialog: whether the changed scene is saved before it is closed or replaced, with
// the buttons "save", "dont save" and "save cancel". The document commands open it with a kind-0
// message whose element is "save changes"; a button closes it and its message goes on to the
// document window (or the palette manager's pending files), which acts on the answer.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CSaveChanges : public CLayoutHostCanvas {
 public:
  static constexpr const char* kSave = "save";
  static constexpr const char* kDontSave = "dont save";
  static constexpr const char* kSaveCancel = "save cancel";

  CSaveChanges(CUICmFunction* owner, CResourceEnv* environment);

  // The tree, "save" pressed by Return, "save cancel" by Escape, "dont save" by 'd'.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The open request opens it (26, or the build's code); a button closes it and answers 0, so that the
  // message goes on. While hidden everything else is 0.
  int32_t HandleEvent(CUIMessage* message) override;

  // 'd' or 'D': the button's pressed look for 2 ticks, then its message.
  static int32_t OnDontSaveKey(CElement* element, CElement** handled, SWinEvent* event);
};
