// The GTK back end, in the platform_gtk library that only the programs (Quarn2, Setvane) and the tests
// of real windows link.
#pragma once

namespace platform {

// From now on the platform's first use opens the display and shows real windows through GTK, unless
// QUARN2_HEADLESS is set or no display can be opened; then it is headless. Text is drawn on either
// (EnableTextDrawing). Call it before anything creates a window.
void EnableGtkBackend();

}  // namespace platform
