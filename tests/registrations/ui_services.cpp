// Linked into a test program, this registers the interface framework's services before any test
// runs, as the program's entry does.
#include "framework/ui/register_ui_services.h"

namespace {

struct SRegistration {
  SRegistration() { RegisterUiServices(); }
} gRegistration;

}  // namespace
