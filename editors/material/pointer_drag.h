// The drag loops of the editors' controls, which poll the pointer until the button is let go.
#pragma once

#include "framework/core/appl.h"
#include "framework/ui/geometry.h"
#include "platform/clock.h"

// The pointer on the screen.
inline SPointHV PointerOnScreen() {
  CAppl* app = GetApplication();
  const platform::SPoint p = app ? app->GetCursorPos() : platform::SPoint{};
  return {p.x, p.y};
}

// Calls pass(now, last) with the pointer's position and the one before, once and then while the
// button is held; a pass that saw no motion waits a little before the next.
template <typename Pass>
void WhileButtonHeld(Pass pass) {
  constexpr uint32_t kPollMs = 10;
  CAppl* app = GetApplication();
  SPointHV last = PointerOnScreen();
  for (bool first = true; first || (app && app->IsMouseDown()); first = false) {
    const SPointHV now = PointerOnScreen();
    if (!first && now == last) platform::SleepMs(kPollMs);
    pass(now, last);
    last = now;
  }
}
