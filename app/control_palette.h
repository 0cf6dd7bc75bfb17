// The control palette: the floating palette that steers the document window's camera and views,
// keeps the remembered views, starts renders and shows the nano preview. Exactly one exists; its
// constructor makes it the program's current control palette.
//
// Placeholder until the control palette's issue: built from its layout, it shows empty; its set-up
// operations answer 0, the view-dot buttons only record their states, and the nano preview's restart,
// a user command, answers 27.
#pragma once

#include <cstdint>

#include "framework/ui/layout_host_canvas.h"

class CControlPalette : public CLayoutHostCanvas {
 public:
  CControlPalette(CUICmFunction* owner, CResourceEnv* environment);
  ~CControlPalette() override;

  // The view control back on view 0; reselect: dot 0's view becomes current; force: the preview
  // restarts even without automatic previews. 0.
  int32_t ResetViewState(bool reselect, bool force);
  // Makes view index current (0 camera, 1 top, ... 6 bottom): 0.
  int32_t SelectView(uint32_t index);
  uint32_t GetCurrentView() const { return fCurrentView; }
  // Hands its settings to the current document window: 0.
  int32_t ApplySettings();
  // The nano preview renders again from the start.
  int32_t RestartPreview();

  static constexpr uint32_t kViewDotCount = 8;
  static constexpr uint32_t kButtonStates = 8;
  // Shows the state (below 8) on view dot `button` and makes it the dot's current picture; other
  // states and buttons are ignored.
  void SetButtonState(uint32_t button, uint32_t state);
  uint32_t GetButtonState(uint32_t button) const { return button < kViewDotCount ? fDotStates[button] : 0; }

 private:
  uint32_t fCurrentView = 0;
  uint32_t fDotStates[kViewDotCount] = {};
};

CControlPalette* GetCurrentControlPalette();
