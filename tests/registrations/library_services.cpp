// Linked into a test program, this makes every registration of the program's entry before any test
// runs.
#include "app/entry.h"

namespace {

struct SRegistration {
  SRegistration() { RegisterLibraryServices(); }
} gRegistration;

}  // namespace
