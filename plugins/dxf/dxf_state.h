// The import's state: one instance for the module, reset at the start of every import, so that
// nothing of one import survives into the next.
#pragma once

#include <cstdint>

#include "document/plugin_protocol.h"
#include "plugins/dxf/dxf_errors.h"
#include "plugins/dxf/dxf_line_reader.h"
#include "plugins/dxf/dxf_records.h"
#include "plugins/dxf/polygon_store.h"

struct SNameTable {
  SName** buckets;
  uint32_t bucketCount;  // a power of two
  SName** byIndex;
  int32_t count;
  int32_t capacity;
};

struct SImportFont;

struct SCountedAllocator {
  int64_t liveBlocks;
  int64_t liveBytes;
  int64_t releaseTotal;  // set when the release starts
};

struct SMeshList {
  SMeshNode* first;
  SMeshNode* last;
};

inline constexpr int32_t kProgressTextBytes = 64;

struct SProgressTexts {
  char parsing[kProgressTextBytes];
  char processing[kProgressTextBytes];
  char cleaning[kProgressTextBytes];
};

struct SImportState {
  QNHostFn* callbacks;
  uint32_t document;
  int32_t error;       // the first failure; every step returns at once while it is set
  SLineReader reader;
  SDrawing drawing;
  bool endedAtEof;  // the top-level reader met "0"/"EOF" before any ENTITIES section
  SNameTable names;
  SCountedAllocator counted;
  SMeshList meshes;
  SPolygonStore store;
  int32_t insertDepth;
  int32_t entry;      // the top-level entity being converted, from 1
  int32_t lastEntry;  // the number of top-level entities less one
  int64_t instances;     // block instances to expand so far
  int64_t workToExpand;  // of converting what they hold (see ConvertInsert)
  int64_t workExpanded;  // done so far
  SProgressTexts texts;
  const char* drawingPath;  // the shape fonts are looked for beside it
  SImportFont* fonts;       // read so far
};

extern SImportState gImport;

void ResetImportState(QNHostFn* callbacks);
inline bool Failed() { return gImport.error != kDxfFine; }
// Keeps the first failure.
void SetError(int32_t error);
// Host slot 2 when the host gave one: its answer, else 0.
int32_t ReportProgress(const char* text, int32_t done, int32_t total);
