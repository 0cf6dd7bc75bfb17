/* The test import plug-in, TestImport.qno: two formats whose description order differs from their
 * filter order, every call logged, and under selector 7 a line that shows the callback table as the
 * plug-in sees it. Built as well with NO_ENTRY (the entry under another name) and BAD_COUNT (selector 2
 * answers 1).
 *
 * Selector 7 then reads the file named at offset 0 (a file that cannot be read imports nothing) and
 * builds its meshes through the host, one line at a time:
 *   mesh                          slot 26 on the open mesh, if any, then slot 8 for a new one
 *   tri X1 Y1 Z1 X2 Y2 Z2 X3 Y3 Z3  slot 27 on the open mesh; a coordinate "-" passes that point as null
 *   prop ID VALUE                 slot 16 on the open mesh
 *   delete                        slot 9 on the mesh made last, which is then no longer open
 *   fail CODE                     the import stops and answers CODE, without slots 26 and 25
 * framed by slot 0 and slot 24 before the first line, and by slot 26 on the open mesh and slot 25 at
 * the end. Each slot's answer is logged as "slot N ANSWER". */
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

static void LogAnswer(int slot, int32_t answer) {
  char line[64];
  snprintf(line, sizeof line, "slot %d %d", slot, answer);
  LogLine(line);
}

/* Three points from nine words; a point with a coordinate "-" is null. False when a word is missing. */
static int ReadTriangle(char* words, float points[3][3], const float* chosen[3]) {
  for (int k = 0; k < 3; ++k) {
    chosen[k] = points[k];
    for (int axis = 0; axis < 3; ++axis) {
      const char* word = strtok(words, " \t\r\n");
      words = NULL;
      if (!word) return 0;
      if (strcmp(word, "-") == 0) chosen[k] = NULL;
      else points[k][axis] = strtof(word, NULL);
    }
  }
  return 1;
}

struct Import {
  QNHostFn* callbacks;
  uint32_t document;
  uint32_t open;  /* the mesh that takes triangles, 0 for none */
  uint32_t last;  /* the mesh made last */
};

static void FinishOpenMesh(struct Import* import) {
  if (!import->open) return;
  LogAnswer(QN_SLOT_FINISH_OBJECT, ((QNHostObjectFn)import->callbacks[QN_SLOT_FINISH_OBJECT])(import->document, import->open));
  import->open = 0;
}

/* 0, or the code of a "fail" line. */
static int32_t ImportLine(struct Import* import, char* line) {
  QNHostFn* callbacks = import->callbacks;
  const char* word = strtok(line, " \t\r\n");
  if (!word) return 0;
  char* rest = strtok(NULL, "");
  if (strcmp(word, "mesh") == 0) {
    FinishOpenMesh(import);
    uint32_t mesh = 0;
    LogAnswer(QN_SLOT_CREATE_OBJECT, ((QNHostCreateObjectFn)callbacks[QN_SLOT_CREATE_OBJECT])(import->document, 0x746d7368, &mesh));
    import->open = import->last = mesh;
  } else if (strcmp(word, "tri") == 0) {
    float points[3][3] = {{0}};
    const float* chosen[3];
    if (!rest || !ReadTriangle(rest, points, chosen)) return 0;
    LogAnswer(QN_SLOT_ADD_TRIANGLE, ((QNHostAddTriangleFn)callbacks[QN_SLOT_ADD_TRIANGLE])(
                                        import->document, import->open, chosen[0], chosen[1], chosen[2]));
  } else if (strcmp(word, "prop") == 0) {
    int id = 0, value = 0;
    if (!rest || sscanf(rest, "%d %d", &id, &value) != 2) return 0;
    LogAnswer(QN_SLOT_SET_MATERIAL_PROPERTY, ((QNHostSetMaterialPropertyFn)callbacks[QN_SLOT_SET_MATERIAL_PROPERTY])(
                                                 import->document, import->open, id, value));
  } else if (strcmp(word, "delete") == 0) {
    LogAnswer(QN_SLOT_DELETE_OBJECT, ((QNHostObjectFn)callbacks[QN_SLOT_DELETE_OBJECT])(import->document, import->last));
    if (import->open == import->last) import->open = 0;
  } else if (strcmp(word, "fail") == 0) {
    int code = 0;
    if (rest && sscanf(rest, "%d", &code) == 1) return code;
  }
  return 0;
}

static int32_t ImportFile(QNHostFn* callbacks, const char* path) {
  FILE* file = fopen(path, "r");
  if (!file) return 0;
  struct Import import = {callbacks, ((QNHostGetDocumentFn)callbacks[QN_SLOT_GET_DOCUMENT])(), 0, 0};
  LogAnswer(QN_SLOT_BEGIN_IMPORT, ((QNHostDocumentFn)callbacks[QN_SLOT_BEGIN_IMPORT])(import.document));
  char line[512];
  int32_t failed = 0;
  while (!failed && fgets(line, sizeof line, file)) failed = ImportLine(&import, line);
  fclose(file);
  if (failed) return failed;
  FinishOpenMesh(&import);
  LogAnswer(QN_SLOT_END_IMPORT, ((QNHostDocumentFn)callbacks[QN_SLOT_END_IMPORT])(import.document));
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
    case QN_SELECTOR_IMPORT:
      LogSlots(callbacks);
      return params ? ImportFile(callbacks, params->text) : kInvalidParameter;
    default: return 0;
  }
}
