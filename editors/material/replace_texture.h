// The dialog that asks before the document's textures of a name are replaced.
//
// Placeholder: built from its layout, it shows its question; its buttons "replace ok" and "replace
// cancel" carry the canvas name of the variant it was last shown in; in the 3D texture editor's
// variant the editor acts on them.
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
  // The variant whose canvas name the buttons carry from now on: 0.
  int32_t Show(int32_t variant);
  int32_t GetVariant() const { return fVariant; }

 private:
  int32_t fVariant = 0;
};
