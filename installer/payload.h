// The files Setvane carries, as a table of zlib chunks in parallel arrays indexed by file number. Each
// chunk is a zlib stream of its own that inflates to at most kChunkBytes; a file is its chunks'
// inflated bytes in order. The build's table is generated (mkpayload.cpp); tests make their own.
#pragma once

#include <cstdint>

inline constexpr uint32_t kChunkBytes = 32000;

struct SPayloadTable {
  int32_t fileCount = 0;
  const uint8_t* const* const* chunks = nullptr;  // per file its chunks; a null entry after the last file
  const int32_t* const* chunkSizes = nullptr;     // per file its chunks' compressed sizes; null after the last
  const char* const* names = nullptr;             // null after the last file
  const int32_t* chunkCounts = nullptr;
};

const SPayloadTable& BuiltInPayload();
