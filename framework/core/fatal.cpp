#include "framework/core/fatal.h"

#include <cstdio>
#include <cstdlib>

#include "framework/core/appl.h"

namespace {

constexpr const char* kFatalText = "The program will be terminated now because of an unrecoverable error.";

}  // namespace

[[noreturn]] void Fatal(const char* reason) {
  CAppl* app = GetApplication();
  if (app && app->CanShowMessages()) {
    app->ShowMessage(kFatalText);
  } else {
    std::fprintf(stderr, "%s\n", kFatalText);
  }
  if (reason) std::fprintf(stderr, "(%s)\n", reason);
  // Exit handlers run; the application's destructor does not, as nothing may rely on its state now.
  std::exit(1);
}
