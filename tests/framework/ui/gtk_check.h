// What the programs that the GTK check scripts drive share: a framework application with its
// environments on the real back end around their run, and the commands they read from the standard
// input while the application pumps its messages.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/ordax.h"
#include "framework/ui/register_ui_services.h"
#include "platform/clock.h"
#include "platform/gtk_backend.h"
#include "tests/framework/core/app_fixture.h"
#include "tools/res_compiler.h"

// A record of a check program's layout file, compiled from its source as resbuild compiles it.
struct SLayoutSource {
  const char* kind;
  uint32_t number;
  const char* name;
  const char* source;
};

// Stores the records in env; false, with the reason on the standard error after the program's name,
// when one fails.
template <size_t N>
bool StoreLayoutSources(CResourceEnv& env, const SLayoutSource (&records)[N], const char* program) {
  for (const SLayoutSource& r : records) {
    std::vector<uint8_t> bytes;
    std::string error;
    SSpoolKey key;
    key.Set(r.kind, r.number, false);
    std::strncpy(key.name, r.name, sizeof key.name - 1);
    if (!CompileSource(r.kind, r.source, &bytes, &error) || StoreCompiled(env, key, r.kind, bytes) != 0) {
      std::fprintf(stderr, "%s: %s %u: %s\n", program, r.kind, r.number, error.c_str());
      return false;
    }
  }
  return true;
}

// Pumps the application's messages and hands handle each line of the standard input until "quit",
// the input's end or two minutes; handle's answer comes back as "done LINE".
template <typename F>
void ServeCommands(COrdaxApp& app, F handle) {
  const int64_t end = platform::NowMs() + 120000;
  while (platform::NowMs() < end) {
    app.PumpMessages();
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, 0) <= 0) {
      platform::SleepMs(10);
      continue;
    }
    char buffer[256];
    if (!std::fgets(buffer, sizeof buffer, stdin)) return;
    const std::string line = buffer;
    if (line.rfind("quit", 0) == 0) return;
    handle(line);
    app.PumpMessages();
    std::printf("done %s", line.c_str());
    std::fflush(stdout);
  }
}

// run(app, folder) under a framework application on the GTK back end, argv[1] being the folder for
// its files; the exit status.
inline int RunGtkCheck(int argc, char** argv, int (*run)(COrdaxApp& app, const std::string& folder)) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  platform::EnableGtkBackend();
  RegisterUiServices();
  if (InitOrdax() != 0) return 1;
  int status = 1;
  {
    COrdaxApp app(ProgramDesc());
    app.CAppl::Init(nullptr, nullptr, nullptr);
    status = run(app, argv[1]);
    app.CAppl::Term();
  }
  TermOrdax();
  return status;
}
