// The GTK 3 back end, in a library of its own (platform_gtk) so that programs that show no window
// never load GTK. A program that shows windows links it and calls UseGtkBackend before its first
// window; it is then used whenever a display can be opened and QUARN2_HEADLESS is unset.
#pragma once

namespace platform {

void UseGtkBackend();

}  // namespace platform
