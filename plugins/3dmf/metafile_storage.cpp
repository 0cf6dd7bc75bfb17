#include "plugins/3dmf/metafile_storage.h"

#include <sys/types.h>

#include <cstdio>

#include "plugins/3dmf/metafile_codes.h"

namespace {

FILE* Stream(void* stream) { return static_cast<FILE*>(stream); }

int32_t OpenFile(int32_t, const void* description, void** stream) {
  const auto* file = static_cast<const SFileStorage*>(description);
  if (!file || !file->path || file->forWriting || !stream) return kMetafileOpenFailed;
  *stream = std::fopen(file->path, "rb");
  return *stream ? kMetafileFine : kMetafileOpenFailed;
}

int32_t ReadFile(void* stream, uint32_t count, void* bytes) {
  if (count == 0) return kMetafileFine;
  const size_t read = std::fread(bytes, 1, count, Stream(stream));
  if (read == count) return kMetafileFine;
  const bool atEnd = std::feof(Stream(stream)) != 0;
  if (read == 0) return atEnd ? kMetafileReadAtEnd : kMetafileReadFailed;
  return atEnd ? kMetafilePartialReadAtEnd : kMetafilePartialRead;
}

int32_t TellFile(void* stream, uint64_t* position) {
  const off_t at = ftello(Stream(stream));
  if (at < 0) return kMetafileTellFailed;
  *position = uint64_t(at);
  return kMetafileFine;
}

int32_t SeekFile(void* stream, uint64_t position) {
  if (position > uint64_t(INT64_MAX) || fseeko(Stream(stream), off_t(position), SEEK_SET) != 0)
    return kMetafileSeekFailed;
  return kMetafileFine;
}

int32_t CloseFile(void* stream) { return std::fclose(Stream(stream)) == 0 ? kMetafileFine : kMetafileCloseFailed; }

// Measured from the end and put back where it was.
int32_t FileSize(void* stream, uint64_t* bytes) {
  FILE* file = Stream(stream);
  const off_t at = ftello(file);
  if (at < 0) return kMetafileTellFailed;
  if (fseeko(file, 0, SEEK_END) != 0) return kMetafileSeekFailed;
  const off_t end = ftello(file);
  if (fseeko(file, at, SEEK_SET) != 0) return kMetafileSeekFailed;
  if (end < 0) return kMetafileTellFailed;
  *bytes = uint64_t(end);
  return kMetafileFine;
}

}  // namespace

const StorageCallbacks kFileStorage = {OpenFile, ReadFile, nullptr, TellFile, SeekFile, CloseFile, FileSize};

namespace {

int32_t Lower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c); }

}  // namespace

int32_t CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int32_t x = Lower(*a), y = Lower(*b);
    if (x != y || x == 0) return x - y;
  }
}

std::string LowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = char(Lower(c));
  return lowered;
}
