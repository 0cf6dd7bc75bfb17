// Setvane, the installer of Carvane. On a desktop it shows its dialogs on GTK; headless (tests) it
// takes its answers from the input script that QUARN2_SCRIPT names. The exit status is RunSetvane's.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "installer/setvane.h"
#include "platform/gtk_backend.h"
#include "platform/headless.h"

namespace {

bool LoadInputScript() {
  const char* script = std::getenv("QUARN2_SCRIPT");
  if (!script || !*script || !platform::IsHeadless()) return true;
  std::string error;
  if (platform::headless::LoadScriptFile(script, &error)) return true;
  std::fprintf(stderr, "%s: %s\n", script, error.c_str());
  return false;
}

}  // namespace

int main() {
  platform::EnableGtkBackend();
  if (!LoadInputScript()) return kNotInstalled;
  return RunSetvane();
}
