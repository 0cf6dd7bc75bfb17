// Linked into a test program, this registers the palettes' and dialogs' services before any test runs,
// as the program's entry does.
#include "panels/register_panel_services.h"

namespace {

struct SRegistration {
  SRegistration() { RegisterPanelServices(); }
} gRegistration;

}  // namespace
