// Where the metafile library takes its bytes: a storage is a table of operations on a stream, each
// answering a result code (metafile_codes.h). The library reads only, so its file storage has no
// write operation. Positions are 64-bit throughout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The format a stream is opened for.
enum EMetafileFormat : int32_t {
  kMetafileLittleEndian = 0,  // a binary file that begins "FMD3"
  kMetafileBigEndian = 1,     // a binary file that begins "3DMF", the published order
  kMetafileText = 2,
};

struct StorageCallbacks {
  int32_t (*open)(int32_t format, const void* description, void** stream);
  int32_t (*read)(void* stream, uint32_t count, void* bytes);
  int32_t (*write)(void* stream, uint32_t count, const void* bytes);
  int32_t (*tell)(void* stream, uint64_t* position);
  int32_t (*seek)(void* stream, uint64_t position);
  int32_t (*close)(void* stream);
  // The stream's length; the reader checks the sizes a file gives against it.
  int32_t (*size)(void* stream, uint64_t* bytes);
};

// The description that the file storage opens.
struct SFileStorage {
  const char* path;
  int32_t forWriting;  // always 0: the library only reads
};

// Reads through the C library's streams. open: 12036 when the file cannot be opened for reading.
// read: 12037 when nothing could be read at the end, 12038 on another failure, 12039 and 12040 when
// only part could be. tell 12045, seek 12046, close 12048.
extern const StorageCallbacks kFileStorage;

// The difference of the first characters that differ once both are lowered; 0 for equal texts.
// Only ASCII letters are lowered, whatever the process locale.
int32_t CompareNoCase(const char* a, const char* b);
std::string LowerCase(std::string_view text);
