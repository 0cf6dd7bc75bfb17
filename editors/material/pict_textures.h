// The 2D picture textures dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; it keeps the context it
// is given, and its operations answer 0.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CDeletePreset;

class CPictTextures : public CLayoutHostCanvas {
 public:
  CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* deletePreset);

  // The name it replies under and what it works on: 0.
  int32_t SetContext(const char* replyName, void* target, uint32_t first, uint32_t second);
  const char* GetReplyName() const { return fReplyName; }
  void* GetTarget() const { return fTarget; }
  uint32_t GetContextWord(int index) const { return fContextWords[index & 1]; }

  // Shows the pictures of the list in its 32 slots: 0.
  int32_t RefreshSlots(int32_t redraw);

  CDeletePreset* GetDeletePreset() const { return fDeletePreset; }

 private:
  CDeletePreset* fDeletePreset = nullptr;
  const char* fReplyName = nullptr;
  void* fTarget = nullptr;
  uint32_t fContextWords[2] = {};
};
