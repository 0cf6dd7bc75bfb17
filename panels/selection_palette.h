// The selection palette.
//
// Placeholder until the palettes' and dialogs' issue: built from its layout, it shows empty; its operations
// do nothing and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDisplayPalette;
class CDocWindow;

class CSelectionPalette : public CLayoutHostCanvas {
 public:
  CSelectionPalette(CUICmFunction* owner, CResourceEnv* environment);

  // Takes the current document window.
  void SetOwner(CDocWindow* window);

  // The display palette it works with.
  void SetDisplayPalette(CDisplayPalette* palette);

  // Takes the mode from the document window's mode bits and refreshes: 0.
  int32_t UpdateSelectionPaletteMode();

  CDisplayPalette* GetDisplayPalette() const { return fDisplayPalette; }

 private:
  CDisplayPalette* fDisplayPalette = nullptr;
};
