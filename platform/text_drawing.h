// Text on the surfaces, through Pango and Cairo, in the platform_text library: only the programs that
// show text (Quarn2, quarn2-layout, Setvane and the tests that draw text) link it, so that the
// command-line tools start without loading the text stack.
#pragma once

namespace platform {

// From now on the text calls of gdi.h measure and draw text. EnableGtkBackend calls it.
void EnableTextDrawing();

}  // namespace platform
