#include "installer/extract.h"

#include <zlib.h>

#include <memory>
#include <new>
#include <vector>

#include "platform/file.h"

namespace {

constexpr uint32_t kProgramMode = 0755;
constexpr uint32_t kDataMode = 0644;

struct SFileInPlace {
  std::string temporary;
  std::string target;
  bool exchanged = false;  // an earlier file went to the temporary name
};

bool IsProgram(const std::string& name) { return name.size() > 4 && name.ends_with(".exe"); }

int32_t InflateInto(const SPayloadTable& payload, int32_t file, platform::FileHandle out, uint8_t* buffer) {
  for (int32_t c = 0; c < payload.chunkCounts[file]; ++c) {
    const int32_t packed = payload.chunkSizes[file][c];
    uLongf size = kChunkBytes;
    const int z = packed < 0 ? Z_DATA_ERROR : uncompress(buffer, &size, payload.chunks[file][c], uLong(packed));
    if (z == Z_MEM_ERROR) return kNoMemory;
    if (z != Z_OK) return kShortWrite;
    uint32_t done = 0;
    if (!platform::WriteFile(out, buffer, uint32_t(size), &done) || done != size) return kShortWrite;
  }
  return kExtracted;
}

int32_t WriteOne(const SPayloadTable& payload, int32_t file, const std::string& path, uint8_t* buffer) {
  const platform::FileHandle out =
      platform::OpenFile(path, platform::kAccessWrite, 0, platform::FileCreate::kOpenExisting);
  if (out == platform::kNoFile) return kCannotCreate;
  int32_t result = InflateInto(payload, file, out, buffer);
  // A full disk often shows only when the data reaches it.
  if (result == kExtracted && !platform::FlushFile(out)) result = kShortWrite;
  if (!platform::CloseFile(out) && result == kExtracted) result = kShortWrite;
  const uint32_t mode = IsProgram(payload.names[file]) ? kProgramMode : kDataMode;
  if (result == kExtracted && !platform::SetFileMode(path, mode)) result = kCannotCreate;
  return result;
}

// Puts the written files in their places, over earlier ones; when one cannot go, those already moved
// go back and the earlier files stay. An earlier entry is swapped as it is: a link there is replaced
// by the file, never followed to write over what it leads to. A folder or device in a file's place
// is not swapped away.
bool PutInPlace(std::vector<SFileInPlace>& files) {
  for (size_t i = 0; i < files.size(); ++i) {
    SFileInPlace& f = files[i];
    const platform::EntryKind earlier = platform::EntryKindOf(f.target);
    f.exchanged = earlier != platform::EntryKind::kNone;
    const bool replaceable = earlier == platform::EntryKind::kNone || earlier == platform::EntryKind::kFile ||
                             earlier == platform::EntryKind::kLink;
    const bool moved = replaceable && (f.exchanged ? platform::ExchangeEntries(f.temporary, f.target)
                                                   : platform::RenameFile(f.temporary, f.target));
    if (moved) continue;
    while (i-- > 0) {
      SFileInPlace& back = files[i];
      if (back.exchanged) platform::ExchangeEntries(back.temporary, back.target);
      else platform::RenameFile(back.target, back.temporary);
    }
    return false;
  }
  return true;
}

}  // namespace

int32_t ExtractPayload(const SPayloadTable& payload, const std::string& folder, platform::WindowHandle window,
                       ProgressFunction progress) {
  const std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kChunkBytes]);
  if (!buffer) return kNoMemory;
  std::vector<SFileInPlace> files;
  int32_t result = kExtracted;
  for (int32_t i = 0; i < payload.fileCount && result == kExtracted; ++i) {
    if (progress) progress(window, payload.names[i], i * 100 / payload.fileCount);
    SFileInPlace f;
    f.target = folder + "/" + payload.names[i];
    // In the chosen folder itself, whatever stands at the target's name.
    if (!platform::MakeUniqueFile(folder, "." + std::string(payload.names[i]) + ".", &f.temporary, "")) {
      result = kCannotCreate;
      break;
    }
    files.push_back(f);
    result = WriteOne(payload, i, f.temporary, buffer.get());
  }
  if (result == kExtracted && !PutInPlace(files)) result = kCannotCreate;
  // What is left under the temporary names: this run's files after a failure, the earlier
  // installation's after a success.
  for (const SFileInPlace& f : files) {
    if (platform::EntryKindOf(f.temporary) != platform::EntryKind::kNone) platform::DeleteFile(f.temporary);
  }
  if (result == kExtracted && progress) progress(window, "", 100);
  return result;
}
