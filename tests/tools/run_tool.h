// Runs a tool through the shell and keeps what it printed and its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct SRun {
  std::string out;
  int status = -1;
};

// command is passed to the shell as it is; redirect stderr inside it to see error messages.
inline SRun RunCommand(const std::string& command) {
  SRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[256];
  while (size_t n = fread(buf, 1, sizeof buf, pipe)) run.out.append(buf, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
