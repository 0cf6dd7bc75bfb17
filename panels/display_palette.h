// The display palette: wireframe resolution, shadows and the background.
//
// Placeholder until the palettes' and dialogs' issue: built from its layout, it shows empty; its operations
// do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CColorPicker;
class CSelectionPalette;

class CDisplayPalette : public CLayoutHostCanvas {
 public:
  CDisplayPalette(CUICmFunction* owner, CResourceEnv* environment);

  // The colour picker and the selection palette it works with.
  void SetCompanions(CColorPicker* picker, CSelectionPalette* selection);

  // Hands its settings to the current document window: 0.
  int32_t ApplySettings();

  // Back to its first settings: 0.
  int32_t ResetSettings();

  CColorPicker* GetColorPicker() const { return fColorPicker; }
  CSelectionPalette* GetSelectionPalette() const { return fSelectionPalette; }

 private:
  CColorPicker* fColorPicker = nullptr;
  CSelectionPalette* fSelectionPalette = nullptr;
};
