#define _GNU_SOURCE
#include "plugin_log.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define MAX_SELECTOR 32
#define QUARN2_LOG_TEXT 1024

static uint32_t gCalls[MAX_SELECTOR];

static const char* LibraryName(void) {
  Dl_info info;
  if (!dladdr((const void*)&LibraryName, &info) || !info.dli_fname) return "?";
  const char* slash = strrchr(info.dli_fname, '/');
  return slash ? slash + 1 : info.dli_fname;
}

void LogLine(const char* text) {
  const char* path = getenv("QUARN2_TEST_PLUGIN_LOG");
  if (!path || !*path) return;
  /* Opened for each line, so that nothing stays open across an unload. */
  FILE* log = fopen(path, "a");
  if (!log) return;
  fprintf(log, "%s %s\n", LibraryName(), text);
  fclose(log);
}

void LogCall(uint32_t selector, uint32_t format, uint32_t width, uint32_t height, uint32_t rows, const char* text) {
  char line[QUARN2_LOG_TEXT];
  snprintf(line, sizeof line, "%u %u %u %u %u %s", selector, format, width, height, rows,
           text && *text ? text : "-");
  LogLine(line);
}

/* While the library loads, the folder current then: the host makes it the library's own. */
__attribute__((constructor)) static void LogLoad(void) {
  char line[QUARN2_LOG_TEXT] = "loaded ";
  if (!getcwd(line + strlen(line), sizeof line - strlen(line))) return;
  LogLine(line);
}

int InjectedFailure(uint32_t selector, int32_t* answer) {
  if (selector >= MAX_SELECTOR) return 0;
  const uint32_t call = ++gCalls[selector];
  const char* setting = getenv("QUARN2_TEST_PLUGIN_FAIL");
  unsigned failSelector = 0, failCall = 0;
  int code = 0;
  if (!setting || sscanf(setting, "%u:%u:%d", &failSelector, &failCall, &code) != 3) return 0;
  if (failSelector != selector || failCall != call) return 0;
  *answer = code;
  return 1;
}
