// The splash screen: a borderless canvas shown while the interface loads, and again, scrolling its
// "about text", as the about box.
//
// Placeholder, the scrolling and the about box not built yet: it builds from its layout and shows at
// once; the about box answers 27.
#pragma once

#include <cstdint>

#include "framework/ui/ho_canvas.h"

class CSplashscreen : public CHoCanvas {
 public:
  static constexpr uint32_t kPopupStyle = 0x80000000;
  static constexpr int32_t kPriority = 0x3FFFFFFF;

  CSplashscreen();

  // The canvas "splashscreen" of the layout file: its code.
  int32_t Build(CResourceEnv* environment);
  // Shown and painted before the long loading work starts.
  bool Show() override;
  // 0 when the user ends it.
  int32_t RunAboutBox();
};
