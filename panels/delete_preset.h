// The delete preset dialog, which asks the user to confirm a destructive action of the panel that
// opens it and answers with a UI message from the canvas "delete preset" whose element name is the
// action's.
//
// Stand-in until the dialog is built: it keeps the name of the action it confirms and, on its open
// request, asks the yes/no question in a message box; Yes posts the answer.
#pragma once

#include <string>

#include "framework/ui/layout_host_canvas.h"
#include "presets/preset_dialogs.h"

class CDeletePreset : public CLayoutHostCanvas, public CPresetDeleteDialog {
 public:
  CDeletePreset(CUICmFunction* owner, CResourceEnv* environment);

  // The element name its answer carries.
  void SetConfirmationName(const char* name) override { fConfirmation = name ? name : ""; }
  const std::string& GetConfirmationName() const { return fConfirmation; }

  // The open request (element "delete preset" from another canvas): 26 once asked, and with Yes the
  // answer queued as a kind-0 broadcast; 9 when the queue cannot take it. Anything else goes down the
  // tree.
  int32_t HandleEvent(CUIMessage* message) override;
  // Asks at once, as the open request does.
  int32_t OpenDialog() override;

 private:
  std::string fConfirmation;
};
