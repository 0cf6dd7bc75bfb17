// The dialog that asks before the current document's textures of a name are replaced by an edited
// texture. Like the save-new dialog (save_new_texture.h) it answers the editor that showed it, in the
// variant it was shown in, and decides nothing.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CReplaceTexture : public CLayoutHostCanvas {
 public:
  // The canvas names its buttons carry: for the quick texture dialog (variant 0) and the full 3D
  // texture editor (1).
  static constexpr const char* kQuickCanvasName = "replace texture";
  static constexpr const char* kEditorCanvasName = "replace texture DTE";

  CReplaceTexture(CUICmFunction* owner, CResourceEnv* environment);

  int32_t BuildControls(CResourceEnv* environment) override;
  // Everything goes down the tree; "ok" and "cancel" do not close the dialog.
  int32_t HandleEvent(CUIMessage* message) override;
  // The variant whose canvas name the buttons carry from now on: 0. It does not show the dialog.
  int32_t Show(int32_t variant);
  int32_t GetVariant() const { return fVariant; }

 private:
  int32_t fVariant = 0;
};
