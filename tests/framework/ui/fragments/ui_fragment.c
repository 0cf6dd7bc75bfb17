/* A code fragment for the element tests, written in C as a fragment author would: "fentry_" enters
 * the seven element callbacks and the four remote-element routines. Every entry appends a line to
 * the file named by QUARN2_TEST_FRAGMENT_LOG ("press 0x... H V", "open 0x...", ...), and
 * QUARN2_TEST_FRAGMENT_ANSWER=entry:code[,entry:code...] makes an entry answer that code. The press,
 * character and message callbacks take their event (write the element into the handled word). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "framework/ui/element_callbacks.h"

static void Note(const char* line) {
  const char* log = getenv("QUARN2_TEST_FRAGMENT_LOG");
  FILE* f = log ? fopen(log, "a") : NULL;
  if (!f) return;
  fprintf(f, "%s\n", line);
  fclose(f);
}

static int32_t Answer(const char* entry) {
  const char* answers = getenv("QUARN2_TEST_FRAGMENT_ANSWER");
  const size_t length = strlen(entry);
  for (const char* at = answers; at && *at; at = strchr(at, ',') ? strchr(at, ',') + 1 : NULL) {
    if (strncmp(at, entry, length) == 0 && at[length] == ':') return (int32_t)atoi(at + length + 1);
  }
  return 0;
}

static int32_t Run(const char* entry, const void* element, const char* rest) {
  char line[160];
  snprintf(line, sizeof line, "%s %p%s", entry, element, rest ? rest : "");
  Note(line);
  return Answer(entry);
}

static const char* Point(SPointHV point, char* text, size_t size) {
  snprintf(text, size, " %d %d", (int)point.h, (int)point.v);
  return text;
}

static int32_t Press(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  char text[32];
  (void)event;
  *handled = element;
  return Run("press", element, Point(point, text, sizeof text));
}

static int32_t Key(CElement* element, CElement** handled, SWinEvent* event) {
  (void)event;
  *handled = element;
  return Run("key", element, NULL);
}

static int32_t Deactivate(CElement* element, SWinEvent* event) {
  (void)event;
  return Run("deactivate", element, NULL);
}

static int32_t Activate(CElement* element, SWinEvent* event) {
  (void)event;
  return Run("activate", element, NULL);
}

static int32_t Hover(CElement* element, SPointHV point) {
  char text[32];
  return Run("hover", element, Point(point, text, sizeof text));
}

static int32_t Message(CElement* element, CElement** handled, SPointHV point, CUIMessage* message) {
  char text[32];
  (void)message;
  *handled = element;
  return Run("message", element, Point(point, text, sizeof text));
}

static int32_t Draw(CElement* element, uint32_t pass, CImage* port) {
  char text[16];
  (void)port;
  snprintf(text, sizeof text, " %u", (unsigned)pass);
  return Run("draw", element, text);
}

static int32_t CanOpen(CRmElement* element, void* parameters) {
  (void)parameters;
  return Run("canopen", element, NULL);
}

static int32_t CanClose(CRmElement* element, void* parameters) {
  (void)parameters;
  return Run("canclose", element, NULL);
}

static int32_t Open(CRmElement* element, void* parameters) {
  (void)parameters;
  return Run("open", element, NULL);
}

static int32_t Close(CRmElement* element, void* parameters) {
  (void)parameters;
  return Run("close", element, NULL);
}

int32_t fentry_(SFragmentRecord* record) {
  struct {
    const char* name;
    uint32_t kind;
    void* entry;
  } entries[] = {
      {"press", ORDAX_KIND_PRESS, (void*)&Press},
      {"key", ORDAX_KIND_CHARACTER, (void*)&Key},
      {"deactivate", ORDAX_KIND_DEACTIVATE, (void*)&Deactivate},
      {"activate", ORDAX_KIND_ACTIVATE, (void*)&Activate},
      {"hover", ORDAX_KIND_HOVER, (void*)&Hover},
      {"message", ORDAX_KIND_MESSAGE, (void*)&Message},
      {"draw", ORDAX_KIND_DRAW, (void*)&Draw},
      {"canopen", ORDAX_KIND_CAN_OPEN, (void*)&CanOpen},
      {"canclose", ORDAX_KIND_CAN_CLOSE, (void*)&CanClose},
      {"open", ORDAX_KIND_OPEN, (void*)&Open},
      {"close", ORDAX_KIND_CLOSE, (void*)&Close},
  };
  for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i) {
    const int32_t err = OrdaxFragmentAddSymbol(record->fragment, entries[i].name, entries[i].kind, entries[i].entry);
    if (err) return err;
  }
  return 0;
}
