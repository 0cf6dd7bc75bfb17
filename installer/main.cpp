// Setvane, the installer of Carvane. On a desktop it shows its dialogs on GTK; headless (tests) it
// takes its answers from the input script that QUARN2_SCRIPT names. The exit status is RunSetvane's.
#include "installer/setvane.h"
#include "platform/gtk_backend.h"
#include "platform/headless.h"
#include "platform/system.h"

int main() {
  platform::EnableGtkBackend();
  platform::IgnoreFileSizeSignal();
  if (!platform::headless::LoadScriptFromEnvironment()) return kNotInstalled;
  return RunSetvane();
}
