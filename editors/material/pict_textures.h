// The 2D picture textures dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; its operations do nothing
// and answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDeletePreset;

class CPictTextures : public CLayoutHostCanvas {
 public:
  CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* deletePreset);

  // The name it replies under and what it works on: 0.
  int32_t SetContext(const char* replyName, void* target, uint32_t first, uint32_t second);

  // Shows the pictures of the list in its 32 slots: 0.
  int32_t RefreshSlots(int32_t redraw);

  CDeletePreset* GetDeletePreset() const { return fDeletePreset; }

 private:
  CDeletePreset* fDeletePreset = nullptr;
};
