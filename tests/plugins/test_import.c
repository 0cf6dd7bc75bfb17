/* The test import plug-in, TestImport.qno: two formats whose description order differs from their
 * filter order, every call logged, and under selector 7 a line that shows the callback table as the
 * plug-in sees it. Built as well with NO_ENTRY (the entry under another name) and BAD_COUNT (selector 2
 * answers 1). */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "document/plugin_protocol.h"
#include "plugin_log.h"

#ifdef NO_ENTRY
#define ENTRY_NAME TestImportEntryUnderAnotherName
#else
#define ENTRY_NAME QNIOPLUGINENTRY
#endif

enum { kInvalidParameter = 16 };

struct Format {
  const char* filter;
  const char* description;
  const char* extension;
};

static const struct Format kFormats[] = {
    {"B Files (*.bbb)", "Alpha", ".bbb"},
    {"A Files (*.aaa)", "Zeta", ".aaa"},
};
#define FORMAT_COUNT (sizeof kFormats / sizeof kFormats[0])

/* Slots that act on a document are not called: they are shown as present. */
static int IsDocumentSlot(int slot) {
  return slot == 3 || slot == 4 || slot == 5 || slot == 8 || slot == 9 || slot == 16 || (slot >= 24 && slot <= 28);
}

static void LogSlots(QNHostFn* callbacks) {
  char line[1024] = "slots";
  size_t used = strlen(line);
  for (int slot = 0; slot < QN_SLOT_COUNT && used < sizeof line; ++slot) {
    const QNHostFn function = callbacks[slot];
    char token[32];
    if (!function) snprintf(token, sizeof token, " -");
    else if (slot == QN_SLOT_GET_DOCUMENT) snprintf(token, sizeof token, " %u", ((QNHostGetDocumentFn)function)());
    else if (slot == QN_SLOT_FIXED_ANSWER) snprintf(token, sizeof token, " %d", ((QNHostFixedAnswerFn)function)());
    else if (slot == QN_SLOT_PROGRESS) snprintf(token, sizeof token, " %d", ((QNHostProgressFn)function)("probe", 1, 2));
    else if (IsDocumentSlot(slot)) snprintf(token, sizeof token, " +");
    else snprintf(token, sizeof token, " %d", ((QNHostAnyFn)function)(1, 2, 3));
    used += (size_t)snprintf(line + used, sizeof line - used, "%s", token);
  }
  LogLine(line);
}

/* Every text field filled to its end without a terminator, for the host to cut. */
static void DescribeLong(QNPluginParams* params) {
  memset(params->text, 'F', sizeof params->text);
  memset(params->description, 'D', sizeof params->description);
  memset(params->extension, 'E', sizeof params->extension);
  params->extension[0] = '.';
}

static int32_t Describe(QNPluginParams* params) {
  const uint32_t index = params->formatIndex;
  if (index >= FORMAT_COUNT) return kInvalidParameter;
  if (getenv("QUARN2_TEST_PLUGIN_LONG") && index == 0) {
    DescribeLong(params);
    return 0;
  }
  snprintf(params->text, sizeof params->text, "%s", kFormats[index].filter);
  snprintf(params->description, sizeof params->description, "%s", kFormats[index].description);
  snprintf(params->extension, sizeof params->extension, "%s", kFormats[index].extension);
  return 0;
}

QN_PLUGIN_EXPORT int32_t ENTRY_NAME(uint32_t selector, QNHostFn* callbacks, void* block) {
  QNPluginParams* params = (QNPluginParams*)block;
  const char* text = selector == QN_SELECTOR_IMPORT && params ? params->text : NULL;
  LogCall(selector, params ? params->formatIndex : 0, 0, 0, 0, text);
  int32_t answer = 0;
  if (InjectedFailure(selector, &answer)) return answer;
  const int needsBlock = selector == QN_SELECTOR_COUNT_FORMATS || selector == QN_SELECTOR_DESCRIBE_FORMAT ||
                         selector == QN_SELECTOR_NAME;
  if (needsBlock && !params) return kInvalidParameter;
  switch (selector) {
    case QN_SELECTOR_COUNT_FORMATS:
#ifdef BAD_COUNT
      return 1;
#else
      params->formatIndex = FORMAT_COUNT;
      return 0;
#endif
    case QN_SELECTOR_DESCRIBE_FORMAT: return Describe(params);
    case QN_SELECTOR_NAME: snprintf(params->text, sizeof params->text, "Test Import"); return 0;
    case QN_SELECTOR_IMPORT: LogSlots(callbacks); return 0;
    default: return 0;
  }
}
