// The 2D picture textures dialog.
//
// Placeholder: built from its layout, it shows empty and closes with its buttons; it keeps the context
// and the selected texture it is given, notes its calls in order, and its operations answer 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/layout_host_canvas.h"

class CDeletePreset;
class CPictTexture;

class CPictTextures : public CLayoutHostCanvas {
 public:
  CPictTextures(CUICmFunction* owner, CResourceEnv* environment, CDeletePreset* deletePreset);

  // The name it replies under, what it works on, the caller's flag it sets when it changed the
  // target (or none) and the target's channel: 0.
  int32_t SetContext(const char* replyName, void* target, uint8_t* resultFlag, uint32_t channel);
  const char* GetReplyName() const { return fReplyName; }
  void* GetTarget() const { return fTarget; }
  uint8_t* GetResultFlag() const { return fResultFlag; }
  uint32_t GetChannel() const { return fChannel; }

  // Shows the pictures of the list in its 32 slots, the selected one (or none) current: 0.
  int32_t RefreshSlots(CPictTexture* selected);
  CPictTexture* GetSelected() const { return fSelected; }

  CDeletePreset* GetDeletePreset() const { return fDeletePreset; }
  // The operations called, by name, in order.
  const std::vector<std::string>& GetCalls() const { return fCalls; }

 private:
  CDeletePreset* fDeletePreset = nullptr;
  const char* fReplyName = nullptr;
  void* fTarget = nullptr;
  uint8_t* fResultFlag = nullptr;
  uint32_t fChannel = 0;
  CPictTexture* fSelected = nullptr;
  std::vector<std::string> fCalls;
};
