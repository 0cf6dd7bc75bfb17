#include "app/entry.h"
#include "platform/gtk_backend.h"

int main(int argc, char** argv) {
  platform::EnableGtkBackend();
  return RunProgram(JoinCommandLine(argc, argv));
}
