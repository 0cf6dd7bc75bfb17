// The RIFF layout written here (little-endian throughout):
//   "RIFF" size "AVI "
//     "LIST" size "hdrl"
//       "avih" 56: µs per frame, bytes a second, padding 0, flags (has index), frames, initial frames
//                  0, streams 1, suggested buffer, width, height, 16 reserved bytes
//       "LIST" size "strl"
//         "strh" 56: type, handler, flags 0, priority 0, language 0, initial frames 0, scale, rate,
//                    start 0, length, suggested buffer, quality 0, sample size 0, frame (4 × 16 bits)
//         "strf" 40: the bitmap header
//     "LIST" size "movi"   then one "00db" chunk per sample
//   "idx1" size, 16 bytes per sample: "00db", flags, offset from the "movi" code, size
// The headers have a fixed size, so the samples go after them at once and the headers are written
// with their counts when the movie is finished.
#include "platform/avi_file.h"

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {

struct AviFile {
  std::string target;
  std::string temporary;
  FileHandle handle = kNoFile;
  bool hasStream = false;
  bool hasFormat = false;
  bool finished = false;
  SAviStreamInfo info;
  SBitmapInfoHeader format;
  int64_t end = 0;  // where the next chunk goes
  std::vector<uint32_t> offsets;
  std::vector<uint32_t> sizes;
  std::vector<uint32_t> flags;
};

namespace {

constexpr uint32_t kMainHeaderBytes = 56;
constexpr uint32_t kStreamHeaderBytes = 56;
constexpr uint32_t kFormatBytes = 40;
constexpr uint32_t kIndexEntryBytes = 16;
constexpr uint32_t kHasIndex = 0x10;
constexpr int64_t kHeaderListData = 20;  // where the "hdrl" list's size starts counting
constexpr int64_t kMoviList = 212;
constexpr int64_t kMoviCode = 220;  // where the "movi" list's size starts counting; index offsets too
constexpr int64_t kFirstChunk = 224;
constexpr uint64_t kDefaultSizeLimit = uint64_t(1) << 31;

uint64_t gSizeLimit = kDefaultSizeLimit;

class CLittleEndian {
 public:
  void U16(uint32_t v) {
    fBytes.push_back(uint8_t(v));
    fBytes.push_back(uint8_t(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void Code(const char (&text)[5]) { U32(AviCode(text)); }
  size_t Size() const { return fBytes.size(); }
  const std::vector<uint8_t>& Bytes() const { return fBytes; }

 private:
  std::vector<uint8_t> fBytes;
};

bool Refuse(int32_t error) {
  SetLastError(error);
  return false;
}

bool WriteAll(FileHandle handle, const void* data, uint32_t bytes) {
  uint32_t done = 0;
  if (!WriteFile(handle, data, bytes, &done)) return false;
  return done == bytes || Refuse(kWinDiskFull);
}

bool WriteAt(FileHandle handle, int64_t position, const std::vector<uint8_t>& bytes) {
  return SeekFile(handle, position, kSeekStart, nullptr) && WriteAll(handle, bytes.data(), uint32_t(bytes.size()));
}

uint32_t Samples(const AviFile& file) { return uint32_t(file.offsets.size()); }

// The file's size once the index of `samples` samples follows chunks ending at `end`.
uint64_t FinishedSize(int64_t end, uint64_t samples) { return uint64_t(end) + 8 + kIndexEntryBytes * samples; }

std::vector<uint8_t> Headers(const AviFile& file, uint32_t fileBytes) {
  const SAviStreamInfo& info = file.info;
  const uint32_t width = uint32_t(info.frame.Width()), height = uint32_t(info.frame.Height());
  const uint32_t microseconds = info.rate ? uint32_t(uint64_t(info.scale) * 1000000 / info.rate) : 0;
  const uint64_t bytesPerSecond = info.scale ? uint64_t(info.suggestedBufferSize) * info.rate / info.scale : 0;
  CLittleEndian out;
  out.Code("RIFF");
  out.U32(fileBytes - 8);
  out.Code("AVI ");
  out.Code("LIST");
  out.U32(uint32_t(kMoviList - kHeaderListData));
  out.Code("hdrl");
  out.Code("avih");
  out.U32(kMainHeaderBytes);
  out.U32(microseconds);
  out.U32(uint32_t(std::min<uint64_t>(bytesPerSecond, UINT32_MAX)));
  out.U32(0);
  out.U32(kHasIndex);
  out.U32(Samples(file));
  out.U32(0);
  out.U32(1);
  out.U32(info.suggestedBufferSize);
  out.U32(width);
  out.U32(height);
  for (int i = 0; i < 4; ++i) out.U32(0);
  out.Code("LIST");
  out.U32(4 + 8 + kStreamHeaderBytes + 8 + kFormatBytes);
  out.Code("strl");
  out.Code("strh");
  out.U32(kStreamHeaderBytes);
  out.U32(info.type);
  out.U32(info.handler);
  out.U32(0);
  out.U16(0);
  out.U16(0);
  out.U32(0);
  out.U32(info.scale);
  out.U32(info.rate);
  out.U32(0);
  out.U32(Samples(file));
  out.U32(info.suggestedBufferSize);
  out.U32(0);
  out.U32(0);
  for (int32_t v : {info.frame.left, info.frame.top, info.frame.right, info.frame.bottom}) out.U16(uint32_t(v) & 0xFFFF);
  out.Code("strf");
  out.U32(kFormatBytes);
  const SBitmapInfoHeader& f = file.format;
  out.U32(kFormatBytes);
  out.U32(uint32_t(f.width));
  out.U32(uint32_t(f.height));
  out.U16(f.planes);
  out.U16(f.bitCount);
  out.U32(f.compression);
  out.U32(f.sizeImage);
  out.U32(uint32_t(f.xPelsPerMeter));
  out.U32(uint32_t(f.yPelsPerMeter));
  out.U32(f.colorsUsed);
  out.U32(f.colorsImportant);
  out.Code("LIST");
  out.U32(uint32_t(file.end - kMoviCode));
  out.Code("movi");
  return out.Bytes();
}

std::vector<uint8_t> Index(const AviFile& file) {
  CLittleEndian out;
  out.Code("idx1");
  out.U32(kIndexEntryBytes * Samples(file));
  for (uint32_t i = 0; i < Samples(file); ++i) {
    out.Code("00db");
    out.U32(file.flags[i]);
    out.U32(file.offsets[i]);
    out.U32(file.sizes[i]);
  }
  return out.Bytes();
}

}  // namespace

AviFile* AviFileCreate(const std::string& path) {
  auto* file = new AviFile;
  file->target = path;
  if (!MakeTempBeside(path, &file->temporary)) {
    delete file;
    return nullptr;
  }
  file->handle = OpenFile(file->temporary, kAccessRead | kAccessWrite, 0, FileCreate::kOpenExisting);
  if (file->handle == kNoFile) {
    const int32_t error = GetLastError();
    DeleteFile(file->temporary);
    delete file;
    SetLastError(error);
    return nullptr;
  }
  file->end = kFirstChunk;
  return file;
}

bool AviFileCreateStream(AviFile* file, const SAviStreamInfo& info) {
  if (!file || file->hasStream || info.type != kAviStreamVideo || info.scale == 0 || info.frame.IsEmpty())
    return Refuse(kWinInvalidParameter);
  file->info = info;
  file->hasStream = true;
  return true;
}

bool AviStreamSetFormat(AviFile* file, const SBitmapInfoHeader& format) {
  if (!file || !file->hasStream || Samples(*file) > 0 || format.size < kFormatBytes) return Refuse(kWinInvalidParameter);
  file->format = format;
  file->hasFormat = true;
  return true;
}

bool AviStreamWrite(AviFile* file, int32_t start, int32_t samples, const void* data, uint32_t bytes,
                    uint32_t flags) {
  if (!file || !file->hasFormat || file->finished || !data || samples < 1 || start < 0 ||
      uint32_t(start) != Samples(*file))
    return Refuse(kWinInvalidParameter);
  // Chunks keep to even sizes.
  const uint64_t chunk = 8 + uint64_t(bytes) + (bytes & 1);
  const int64_t end = file->end + int64_t(chunk * uint64_t(samples));
  if (FinishedSize(end, uint64_t(Samples(*file)) + uint64_t(samples)) > gSizeLimit) return Refuse(kWinFileTooLarge);
  CLittleEndian head;
  head.Code("00db");
  head.U32(bytes);
  const uint8_t pad = 0;
  int64_t at = file->end;
  for (int32_t i = 0; i < samples; ++i, at += int64_t(chunk)) {
    if (!WriteAt(file->handle, at, head.Bytes()) || !WriteAll(file->handle, data, bytes) ||
        ((bytes & 1) && !WriteAll(file->handle, &pad, 1)))
      return false;
  }
  // Only whole frames count: a failed write leaves the samples so far as they were.
  for (int32_t i = 0; i < samples; ++i) {
    file->offsets.push_back(uint32_t(file->end + int64_t(chunk) * i - kMoviCode));
    file->sizes.push_back(bytes);
    file->flags.push_back(flags);
  }
  file->end = end;
  return true;
}

bool AviFileFinish(AviFile* file) {
  if (!file || !file->hasFormat || file->finished) return Refuse(kWinInvalidParameter);
  const std::vector<uint8_t> index = Index(*file);
  const uint64_t size = FinishedSize(file->end, Samples(*file));
  if (!WriteAt(file->handle, file->end, index) || !SetFileSize(file->handle, int64_t(size)) ||
      !WriteAt(file->handle, 0, Headers(*file, uint32_t(size))) || !FlushFile(file->handle))
    return false;
  const FileHandle handle = file->handle;
  file->handle = kNoFile;
  if (!CloseFile(handle) || !ReplaceFile(file->temporary, file->target)) return false;
  file->finished = true;
  return true;
}

void AviFileRelease(AviFile* file) {
  if (!file) return;
  const int32_t error = GetLastError();
  if (file->handle != kNoFile) CloseFile(file->handle);
  if (!file->finished) DeleteFile(file->temporary);
  delete file;
  SetLastError(error);
}

bool ChooseAviCompression(WindowHandle) { return Backend().ChooseCompression(); }

void SetTestAviSizeLimit(uint64_t bytes) { gSizeLimit = bytes ? bytes : kDefaultSizeLimit; }

}  // namespace platform
