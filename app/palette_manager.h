// The palette manager: layout files, palettes, menu bar and the command dispatcher.
//
// Placeholder until the shell's issue: the application owns one, and it owns the broadcaster of UI
// messages with its queue, which the application's idle step drains.
#pragma once

#include "framework/core/base_object.h"
#include "framework/ui/ui_message.h"

class CPaletteManager : public CBaseObject {
 public:
  static constexpr int32_t kRowGrowth = 16;
  static constexpr uint32_t kQueueGrowth = 32;

  CPaletteManager() = default;

  CUICmFunction* GetBroadcaster() { return &fBroadcaster; }

 private:
  CUICmFunction fBroadcaster{SRange{0, kRowGrowth}, kQueueGrowth};
};
