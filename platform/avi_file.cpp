// The RIFF layout written here (little-endian throughout), with the OpenDML extension, so that a
// movie goes on past the 32-bit sizes of a plain AVI file:
//   "RIFF" size "AVI "
//     "LIST" size "hdrl"
//       "avih" 56: µs per frame, bytes a second, padding 0, flags (has index), frames of this first
//                  RIFF, initial frames 0, streams 1, suggested buffer, width, height, 16 reserved bytes
//       "LIST" size "strl"
//         "strh" 56: type, handler, flags 0, priority 0, language 0, initial frames 0, scale, rate,
//                    start 0, length (every frame), suggested buffer, quality 0, sample size 0,
//                    frame (4 × 16 bits)
//         "strf" 40: the bitmap header
//         "indx" the super index: one entry (offset, size, frames) per RIFF's standard index, with
//                room for kSuperIndexEntries of them
//       "LIST" size "odml"
//         "dmlh" 248: every frame of the movie, then reserved zeros
//     "LIST" size "movi"   then one "00db" chunk per sample, then this RIFF's standard index "ix00"
//   "idx1" size, 16 bytes per sample of the first RIFF: "00db", flags, offset from the "movi" code, size
//   "RIFF" size "AVIX"   as many as the movie needs, each under the segment size
//     "LIST" size "movi"   "00db" chunks, then the RIFF's "ix00"
// A standard index holds its RIFF's start as base and, per sample, the offset of its data from that
// base and its size (the top bit set for a frame that does not stand alone). The headers have a fixed
// size, so the samples go after them at once and the headers are written with their counts when the
// movie is finished; each RIFF's sizes and index are written when the next one starts or the movie
// ends.
#include "platform/avi_file.h"

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {

namespace {

// A RIFF's index entry of one sample: where its data lies from the RIFF's start, its size and flags.
struct SAviSample {
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t flags = 0;
};

// What the super index keeps of a finished RIFF.
struct SAviSegment {
  int64_t indexAt = 0;
  uint32_t indexBytes = 0;
  uint32_t frames = 0;
};

}  // namespace

struct AviFile {
  std::string target;
  std::string temporary;
  FileHandle handle = kNoFile;
  bool hasStream = false;
  bool hasFormat = false;
  bool finished = false;
  SAviStreamInfo info;
  SBitmapInfoHeader format;
  int64_t riffStart = 0;  // where the open RIFF begins
  int64_t end = 0;        // where the next chunk goes
  uint32_t frames = 0;
  // The first RIFF's frames, end and "movi" size, once it has ended.
  uint32_t firstRiffFrames = 0;
  int64_t firstRiffEnd = 0;
  uint32_t firstMoviBytes = 0;
  std::vector<SAviSample> samples;     // of the open RIFF
  std::vector<SAviSample> firstIndex;  // idx1's entries, offsets from the "movi" code
  std::vector<SAviSegment> segments;   // the RIFFs written whole
};

namespace {

constexpr uint32_t kMainHeaderBytes = 56;
constexpr uint32_t kStreamHeaderBytes = 56;
constexpr uint32_t kFormatBytes = 40;
constexpr uint32_t kIndexEntryBytes = 16;
constexpr uint32_t kHasIndex = 0x10;
constexpr uint32_t kSuperIndexEntries = 256;
constexpr uint32_t kIndexHeaderBytes = 24;  // the body of "indx" and "ix00" before their entries
constexpr uint32_t kSuperEntryBytes = 16;
constexpr uint32_t kStandardEntryBytes = 8;
constexpr uint32_t kOdmlHeaderBytes = 248;
constexpr uint8_t kIndexOfIndexes = 0;
constexpr uint8_t kIndexOfChunks = 1;
constexpr uint32_t kNotKeyFrame = 0x80000000;
constexpr int64_t kHeaderListData = 20;  // where the "hdrl" list's size starts counting
constexpr int64_t kStreamListData = 96;  // where the "strl" list's size starts counting
constexpr int64_t kSuperIndex = 212;
constexpr int64_t kOdmlList = kSuperIndex + 8 + kIndexHeaderBytes + kSuperEntryBytes * kSuperIndexEntries;
constexpr int64_t kMoviList = kOdmlList + 12 + 8 + kOdmlHeaderBytes;
constexpr int64_t kMoviCode = kMoviList + 8;  // where the "movi" list's size starts counting; idx1 offsets too
constexpr int64_t kFirstChunk = kMoviCode + 4;
constexpr int64_t kExtensionHeaderBytes = 24;  // "RIFF" size "AVIX" "LIST" size "movi"
// Each RIFF stays under a gigabyte, as players of the extended format expect of the first one.
constexpr uint64_t kDefaultSegmentBytes = uint64_t(1) << 30;
constexpr uint64_t kDefaultSizeLimit = kDefaultSegmentBytes * kSuperIndexEntries;

uint64_t gSizeLimit = kDefaultSizeLimit;
uint64_t gSegmentBytes = kDefaultSegmentBytes;

class CLittleEndian {
 public:
  void U8(uint32_t v) { fBytes.push_back(uint8_t(v)); }
  void U16(uint32_t v) {
    U8(v & 0xFF);
    U8(v >> 8);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void U64(uint64_t v) {
    U32(uint32_t(v));
    U32(uint32_t(v >> 32));
  }
  void Code(const char (&text)[5]) { U32(AviCode(text)); }
  void Zeros(size_t n) { fBytes.insert(fBytes.end(), n, 0); }
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

std::vector<uint8_t> U32At(uint32_t value) {
  CLittleEndian out;
  out.U32(value);
  return out.Bytes();
}

bool IsFirstRiff(const AviFile& file) { return file.segments.empty(); }

uint64_t StandardIndexBytes(uint64_t samples) { return 8 + kIndexHeaderBytes + kStandardEntryBytes * samples; }

// The open RIFF's size once it ends after chunks ending at `end` with `samples` samples: its standard
// index, and in the first RIFF the plain index too.
uint64_t RiffEnd(const AviFile& file, int64_t end, uint64_t samples) {
  uint64_t size = uint64_t(end) + StandardIndexBytes(samples);
  if (IsFirstRiff(file)) size += 8 + kIndexEntryBytes * samples;
  return size;
}

std::vector<uint8_t> Headers(const AviFile& file) {
  const SAviStreamInfo& info = file.info;
  const uint32_t width = uint32_t(info.frame.Width()), height = uint32_t(info.frame.Height());
  const uint32_t microseconds = info.rate ? uint32_t(uint64_t(info.scale) * 1000000 / info.rate) : 0;
  const uint64_t bytesPerSecond = info.scale ? uint64_t(info.suggestedBufferSize) * info.rate / info.scale : 0;
  CLittleEndian out;
  out.Code("RIFF");
  out.U32(uint32_t(file.firstRiffEnd - 8));
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
  out.U32(file.firstRiffFrames);
  out.U32(0);
  out.U32(1);
  out.U32(info.suggestedBufferSize);
  out.U32(width);
  out.U32(height);
  out.Zeros(16);
  out.Code("LIST");
  out.U32(uint32_t(kOdmlList - kStreamListData));
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
  out.U32(file.frames);
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
  out.Code("indx");
  out.U32(kIndexHeaderBytes + kSuperEntryBytes * kSuperIndexEntries);
  out.U16(kSuperEntryBytes / 4);
  out.U8(0);
  out.U8(kIndexOfIndexes);
  out.U32(uint32_t(file.segments.size()));
  out.Code("00db");
  out.Zeros(12);
  for (const SAviSegment& segment : file.segments) {
    out.U64(uint64_t(segment.indexAt));
    out.U32(segment.indexBytes);
    out.U32(segment.frames);
  }
  out.Zeros(kSuperEntryBytes * (kSuperIndexEntries - file.segments.size()));
  out.Code("LIST");
  out.U32(4 + 8 + kOdmlHeaderBytes);
  out.Code("odml");
  out.Code("dmlh");
  out.U32(kOdmlHeaderBytes);
  out.U32(file.frames);
  out.Zeros(kOdmlHeaderBytes - 4);
  out.Code("LIST");
  out.U32(file.firstMoviBytes);
  out.Code("movi");
  return out.Bytes();
}

std::vector<uint8_t> StandardIndex(const AviFile& file) {
  CLittleEndian out;
  out.Code("ix00");
  out.U32(uint32_t(StandardIndexBytes(file.samples.size()) - 8));
  out.U16(kStandardEntryBytes / 4);
  out.U8(0);
  out.U8(kIndexOfChunks);
  out.U32(uint32_t(file.samples.size()));
  out.Code("00db");
  out.U64(uint64_t(file.riffStart));
  out.U32(0);
  for (const SAviSample& sample : file.samples) {
    out.U32(sample.offset);
    out.U32(sample.size | (sample.flags & kAviKeyFrame ? 0 : kNotKeyFrame));
  }
  return out.Bytes();
}

std::vector<uint8_t> FirstIndex(const AviFile& file) {
  CLittleEndian out;
  out.Code("idx1");
  out.U32(uint32_t(kIndexEntryBytes * file.firstIndex.size()));
  for (const SAviSample& sample : file.firstIndex) {
    out.Code("00db");
    out.U32(sample.flags);
    out.U32(sample.offset);
    out.U32(sample.size);
  }
  return out.Bytes();
}

// The open RIFF's standard index (and in the first its plain index) after its chunks, and its sizes;
// the super index takes it.
bool EndRiff(AviFile& file) {
  const int64_t indexAt = file.end;
  const std::vector<uint8_t> index = StandardIndex(file);
  if (!WriteAt(file.handle, indexAt, index)) return false;
  const int64_t moviEnd = indexAt + int64_t(index.size());
  int64_t riffEnd = moviEnd;
  const bool first = IsFirstRiff(file);
  if (first) {
    const std::vector<uint8_t> plain = FirstIndex(file);
    if (!WriteAt(file.handle, moviEnd, plain)) return false;
    riffEnd += int64_t(plain.size());
  } else if (!WriteAt(file.handle, file.riffStart + 4, U32At(uint32_t(riffEnd - file.riffStart - 8)))) {
    return false;
  }
  const int64_t moviCode = first ? kMoviCode : file.riffStart + 20;
  if (!WriteAt(file.handle, moviCode - 4, U32At(uint32_t(moviEnd - moviCode)))) return false;
  file.segments.push_back({indexAt, uint32_t(index.size()), uint32_t(file.samples.size())});
  if (first) {
    file.firstRiffFrames = uint32_t(file.samples.size());
    file.firstRiffEnd = riffEnd;
    file.firstMoviBytes = uint32_t(moviEnd - moviCode);
  }
  file.samples.clear();
  file.end = riffEnd;
  return true;
}

// A new "AVIX" RIFF after the one just ended.
bool BeginRiff(AviFile& file) {
  CLittleEndian out;
  out.Code("RIFF");
  out.U32(0);
  out.Code("AVIX");
  out.Code("LIST");
  out.U32(0);
  out.Code("movi");
  if (!WriteAt(file.handle, file.end, out.Bytes())) return false;
  file.riffStart = file.end;
  file.end += kExtensionHeaderBytes;
  return true;
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
  if (!file || !file->hasStream || file->frames > 0 || format.size < kFormatBytes) return Refuse(kWinInvalidParameter);
  file->format = format;
  file->hasFormat = true;
  return true;
}

bool AviStreamWrite(AviFile* file, int32_t start, int32_t samples, const void* data, uint32_t bytes,
                    uint32_t flags) {
  if (!file || !file->hasFormat || file->finished || !data || samples < 1 || start < 0 ||
      uint32_t(start) != file->frames)
    return Refuse(kWinInvalidParameter);
  // Chunks keep to even sizes.
  const uint64_t chunk = 8 + uint64_t(bytes) + (bytes & 1);
  const uint8_t pad = 0;
  CLittleEndian head;
  head.Code("00db");
  head.U32(bytes);
  if (chunk + 8 > UINT32_MAX) return Refuse(kWinFileTooLarge);
  for (int32_t i = 0; i < samples; ++i) {
    // A RIFF that this chunk would take past the segment size ends first, unless it holds none yet.
    const bool newRiff =
        !file->samples.empty() &&
        RiffEnd(*file, file->end + int64_t(chunk), file->samples.size() + 1) - uint64_t(file->riffStart) > gSegmentBytes;
    const uint64_t finishedSize =
        newRiff ? RiffEnd(*file, file->end, file->samples.size()) + kExtensionHeaderBytes + chunk + StandardIndexBytes(1)
                : RiffEnd(*file, file->end + int64_t(chunk), file->samples.size() + 1);
    if (finishedSize > gSizeLimit || (newRiff && file->segments.size() + 2 > kSuperIndexEntries))
      return Refuse(kWinFileTooLarge);
    if (newRiff && (!EndRiff(*file) || !BeginRiff(*file))) return false;
    const int64_t at = file->end;
    if (!WriteAt(file->handle, at, head.Bytes()) || !WriteAll(file->handle, data, bytes) ||
        ((bytes & 1) && !WriteAll(file->handle, &pad, 1)))
      return false;
    // Only whole frames count: a failed write leaves the samples so far as they were.
    file->samples.push_back({uint32_t(at + 8 - file->riffStart), bytes, flags});
    if (IsFirstRiff(*file)) file->firstIndex.push_back({uint32_t(at - kMoviCode), bytes, flags});
    file->end = at + int64_t(chunk);
    ++file->frames;
  }
  return true;
}

bool AviFileFinish(AviFile* file) {
  if (!file || !file->hasFormat || file->finished) return Refuse(kWinInvalidParameter);
  if (!EndRiff(*file) || !SetFileSize(file->handle, file->end) || !WriteAt(file->handle, 0, Headers(*file)) ||
      !FlushFile(file->handle))
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

void SetTestAviSegmentBytes(uint64_t bytes) { gSegmentBytes = bytes ? bytes : kDefaultSegmentBytes; }

}  // namespace platform
