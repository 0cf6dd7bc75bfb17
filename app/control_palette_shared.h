// What the control palette's source files share with one another and with nobody else.
#pragma once

#include <cstdint>

#include "framework/core/appl.h"
#include "framework/ui/im_element.h"
#include "platform/clock.h"

namespace control_palette {

// A kind 0 UI message names its element; the palette's own element names for two such messages.
inline constexpr uint32_t kNamedKind = 0;
inline constexpr const char* kViewDotMessage = "view dot";
inline constexpr const char* kEditCameraMessage = "edit camera";

inline uint32_t Now() { return uint32_t(platform::NowTicks()); }

inline CImElement* AsImage(CElement* element) { return dynamic_cast<CImElement*>(element); }

// How long a loop that waits for the mouse sleeps between looks.
inline constexpr int64_t kPollMs = 10;

// Waits, without spinning, until the mouse button is up.
inline void WaitForRelease(CAppl* app) {
  while (app && app->IsStillDown()) platform::SleepMs(kPollMs);
}

}  // namespace control_palette
