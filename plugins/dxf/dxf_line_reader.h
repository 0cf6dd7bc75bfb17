// Lines of a DXF file, read one character at a time from a buffered file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "document/plugin_protocol.h"

inline constexpr int32_t kLineBufferBytes = 256;

// Zero-initialised before use.
struct SLineReader {
  FILE* file;
  int64_t size;      // of the whole file
  int64_t position;  // bytes read so far
  bool afterCarriageReturn;
  int32_t* error;  // where a failure or a cancel is recorded
  // While importing: told after every line that ends at a multiple of 100 bytes or within the last 100
  // bytes of the file; a non-zero answer is a cancel.
  QNHostProgressFn progress;
  const char* progressText;
  char line[kLineBufferBytes];
};

// One line into reader.line, leading white space dropped, a carriage return stored as a line feed.
// At most 255 characters are taken, so a longer line is read in pieces. A last line that the end of
// the file ends counts as a line; at the end of the file with nothing read the answer is false with
// error 3 (2 for a read error).
bool ReadLine(SLineReader& reader);
// ReadLine without the final line feed; "BADTAG" when nothing could be read.
const char* NextToken(SLineReader& reader);
// The next line's token.
int32_t NextTokenClass(SLineReader& reader);

// A number on a value line, read whatever the process locale: the leading number of the text, 0 when
// there is none (or it is not finite); integers out of range saturate.
double ParseReal(const char* text);
int32_t ParseInteger(const char* text);
