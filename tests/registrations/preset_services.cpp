// Linked into a test program, this registers the presets' and sky & fog editors' services before any
// test runs, as the program's entry does.
#include "presets/register_preset_services.h"

namespace {

struct SRegistration {
  SRegistration() { RegisterPresetServices(); }
} gRegistration;

}  // namespace
