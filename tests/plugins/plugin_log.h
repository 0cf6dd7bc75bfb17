/* What both test plug-ins share: a line in the log for every call, and failures on request.
 *
 * QUARN2_TEST_PLUGIN_LOG names a file that receives one line per call:
 *   LIBRARY SELECTOR FORMAT WIDTH HEIGHT ROWS TEXT
 * LIBRARY is the plug-in's own file name, FORMAT the value at 528, WIDTH, HEIGHT and ROWS those of
 * the image block (0 for other blocks), TEXT the path the call concerns ("-" for none); and, as the
 * library loads, "LIBRARY loaded FOLDER" with the folder current then.
 * QUARN2_TEST_PLUGIN_FAIL=SELECTOR:N:CODE makes the N-th call of SELECTOR since the library was
 * loaded answer CODE. */
#ifndef QUARN2_TEST_PLUGIN_LOG_H
#define QUARN2_TEST_PLUGIN_LOG_H

#include <stdint.h>

void LogCall(uint32_t selector, uint32_t format, uint32_t width, uint32_t height, uint32_t rows, const char* text);
/* Appends a free-form line that starts with the library's name. */
void LogLine(const char* text);
/* Counts this call of selector: 1 with *answer set when the failure setting names it, else 0. */
int InjectedFailure(uint32_t selector, int32_t* answer);

#endif
