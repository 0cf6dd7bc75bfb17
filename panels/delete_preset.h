// The delete preset dialog, which asks the user to confirm a destructive action of the panel that
// opens it: the opener sets the element name of its action, then opens the dialog (directly or with a
// kind-0 message whose element is "delete preset"). "delete" closes it and sends that name from the
// canvas "delete preset" for the opener to act on; "cancel" closes it and sends nothing.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/layout_host_canvas.h"
#include "presets/preset_dialogs.h"

class CDeletePreset : public CLayoutHostCanvas, public CPresetDeleteDialog {
 public:
  // The name is kept as a copy of at most this many characters.
  static constexpr size_t kNameCharacters = 31;

  CDeletePreset(CUICmFunction* owner, CResourceEnv* environment);

  // The element name its answer carries, cut to kNameCharacters; null or empty clears it. Every close
  // clears it, so that no later "delete" sends a confirmation that was not asked for.
  void SetConfirmationName(const char* name) override;
  const std::string& GetConfirmationName() const { return fConfirmation; }

  // The tree, "delete" pressed by Return and "cancel" by Escape.
  int32_t BuildControls(CResourceEnv* environment) override;
  // The open request opens it (26); "cancel" closes it (26); "delete" closes it, sends the confirmation
  // (kind 0, broadcast) when one was set, and answers 0. While hidden everything else is 0.
  int32_t HandleEvent(CUIMessage* message) override;
  // Opened as the open request opens it: 0, or the build's code.
  int32_t OpenDialog() override;

 private:
  void CloseAndForget();

  std::string fConfirmation;
};
