#include "framework/core/fatal.h"

#include <cstdio>
#include <cstdlib>

[[noreturn]] void Fatal(const char* reason) {
  std::fprintf(stderr, "The program will be terminated now because of an unrecoverable error.\n");
  if (reason) std::fprintf(stderr, "(%s)\n", reason);
  std::exit(1);
}
