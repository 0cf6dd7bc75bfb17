// Linked into every test program, this lets text be measured and drawn before any test runs, as the
// program does; the command-line tools run without it.
#include "platform/text_drawing.h"

namespace {

struct SRegistration {
  SRegistration() { platform::EnableTextDrawing(); }
} gRegistration;

}  // namespace
