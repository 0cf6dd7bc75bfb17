// Runs a tool through the shell and keeps what it printed and its exit status.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
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

struct SSplitRun {
  std::string out;
  std::string err;
  int status = -1;
};

// command run once, with what it printed on standard output and on standard error apart.
inline SSplitRun RunSplit(const std::string& command) {
  SSplitRun split;
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder && *folder ? folder : "/tmp") + "/stderr-XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) return split;
  close(fd);
  const SRun run = RunCommand("{ " + command + "; } 2>'" + path + "'");
  std::ifstream err(path, std::ios::binary);
  split = {run.out, std::string(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()), run.status};
  std::remove(path.c_str());
  return split;
}
