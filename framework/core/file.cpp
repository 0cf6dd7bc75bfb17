#include "framework/core/file.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "framework/core/mem_block.h"
#include "framework/core/mem_pool.h"
#include "framework/core/result_codes.h"

namespace {

struct SModeFlags {
  uint32_t access;
  uint32_t share;
};

SModeFlags FlagsFor(uint32_t mode) {
  using namespace platform;
  switch (mode) {
    case CFile::kModeRead: return {kAccessRead, kShareRead};
    case CFile::kModeWrite: return {kAccessWrite, kShareWrite};
    case CFile::kModeReadWrite: return {kAccessRead | kAccessWrite, kShareRead};
    case CFile::kModeShared: return {kAccessRead | kAccessWrite, kShareRead | kShareWrite};
    default: return {0, 0};
  }
}

int32_t LastError() { return NonZeroError(MapLastError()); }

}  // namespace

struct CFile::SReadAhead {
  static constexpr uint32_t kBytes = 64 * 1024;
  // Reads of at most this many bytes go through the stretch.
  static constexpr uint32_t kLargestRead = kBytes / 4;
  // Reads of one file may come from several threads, as plain reads at an offset may.
  std::mutex lock;
  std::unique_ptr<uint8_t[]> bytes;
  uint64_t from = 0;
  uint32_t length = 0;
  // Where the last read ended; none yet.
  uint64_t lastEnd = UINT64_MAX;
};

CFile::CFile() { fSpec.Set(""); }

CFile::CFile(const CFileSpec& spec) : fSpec(spec) {}

CFile::~CFile() { Close(); }

int32_t CFile::Create(uint32_t, uint32_t) {
  const platform::FileHandle file = platform::OpenFile(
      fSpec.GetPath(), platform::kAccessRead | platform::kAccessWrite, 0, platform::FileCreate::kCreateNew);
  if (file == platform::kNoFile) return LastError();
  return platform::CloseFile(file) ? kNoErr : LastError();
}

int32_t CFile::Open(uint32_t mode) {
  if (fOpen) return kErrObjectInUse;
  const SModeFlags flags = FlagsFor(mode);
  fHandle = platform::OpenFile(fSpec.GetPath(), flags.access, flags.share, platform::FileCreate::kOpenExisting);
  if (fHandle == platform::kNoFile) return LastError();
  fMode = mode;
  fOpen = true;
  Forget();
  if (mode == kModeRead) fReadAhead.reset(new (std::nothrow) SReadAhead);
  return kNoErr;
}

void CFile::Forget() {
  fKnownSize = -1;
  fKnownReadOnly = -1;
  fReadAhead.reset();
}

int32_t CFile::Flush() {
  int32_t flushError = kNoErr;
  if (fMode != kModeRead && !fScratch && !platform::FlushFile(fHandle)) flushError = MapLastError();
  int32_t result = kNoErr;
  if (!platform::CloseFile(fHandle)) result = LastError();
  fHandle = platform::kNoFile;
  fOpen = false;
  Forget();
  // Data that never reached the disk must not read as written.
  return result ? result : flushError;
}

void CFile::Close() {
  if (fOpen) Flush();
}

int32_t CFile::Probe() {
  if (const int32_t err = Open(kModeRead)) return err;
  return Flush();
}

int32_t CFile::Delete() { return platform::DeleteFile(fSpec.GetPath()) ? kNoErr : LastError(); }

int32_t CFile::GetSize(uint32_t* size) {
  *size = 0;
  if (!fOpen) return kErrUnexpectedStatus;
  int64_t bytes = fKnownSize;
  if (bytes < 0) {
    if (!platform::GetFileSize(fHandle, &bytes)) return LastError();
    if (KeepsSize()) fKnownSize = bytes;
  }
  // Offsets are 32-bit wherever the program stores them; all ones is no size.
  if (bytes >= int64_t(UINT32_MAX)) return kErrInvalidSize;
  *size = uint32_t(bytes);
  return kNoErr;
}

int32_t CFile::SetSize(uint32_t size) {
  if (!fOpen) return kErrUnexpectedStatus;
  fKnownSize = -1;
  if (!platform::SetFileSize(fHandle, size)) return LastError();
  if (KeepsSize()) fKnownSize = size;
  return kNoErr;
}

int32_t CFile::Seek(platform::SeekOrigin origin, int64_t offset) {
  if (!fOpen) return kErrUnexpectedStatus;
  return platform::SeekFile(fHandle, offset, origin, nullptr) ? kNoErr : LastError();
}

int32_t CFile::Read(uint32_t* count, void* buffer, bool strict) {
  const uint32_t wanted = *count;
  *count = 0;
  if (!fOpen) return kErrUnexpectedStatus;
  if (!platform::ReadFile(fHandle, buffer, wanted, count)) return LastError();
  return (strict && *count < wanted) ? kErrEndOfFile : kNoErr;
}

int32_t CFile::ReadToBlock(uint32_t* count, CMemBlock& block, bool strict) {
  if (*count > block.GetSize()) {
    *count = 0;
    return kErrBufferSize;
  }
  return Read(count, block.GetData(), strict);
}

int32_t CFile::ReadBlockRaw(uint32_t* count, CMemBlock& block, bool strict) {
  if (*count > block.GetAllocated()) {
    *count = 0;
    return kErrBufferSize;
  }
  return Read(count, block.GetStorage(), strict);
}

int32_t CFile::Write(uint32_t* count, const void* buffer) {
  const uint32_t wanted = *count;
  *count = 0;
  if (!fOpen) return kErrUnexpectedStatus;
  // Where the position stands is not followed.
  fKnownSize = -1;
  return platform::WriteFile(fHandle, buffer, wanted, count) ? kNoErr : LastError();
}

int32_t CFile::WriteBlockRaw(uint32_t* count, const CMemBlock& block) {
  if (*count > block.GetAllocated()) {
    *count = 0;
    return kErrBufferSize;
  }
  return Write(count, block.GetStorage());
}

int32_t CFile::ReadAt(uint32_t offset, void* buffer, uint32_t count) {
  if (!fOpen) return kErrUnexpectedStatus;
  if (fReadAhead && count <= SReadAhead::kLargestRead) return ReadAhead(*fReadAhead, offset, buffer, count);
  uint32_t done = 0;
  if (!platform::ReadFileAt(fHandle, offset, buffer, count, &done)) return LastError();
  return done < count ? kErrEndOfFile : kNoErr;
}

// A read inside the stretch is copied from it; a read that goes on from near where the last one
// ended reads a new stretch from its offset; any other is a plain read.
int32_t CFile::ReadAhead(SReadAhead& ahead, uint32_t offset, void* buffer, uint32_t count) {
  const std::lock_guard<std::mutex> guard(ahead.lock);
  const uint64_t end = uint64_t(offset) + count, lastEnd = ahead.lastEnd;
  ahead.lastEnd = end;
  if (offset >= ahead.from && end <= ahead.from + ahead.length) {
    std::memcpy(buffer, ahead.bytes.get() + (offset - ahead.from), count);
    return kNoErr;
  }
  const bool onward = lastEnd != UINT64_MAX && offset >= lastEnd && offset - lastEnd <= SReadAhead::kBytes;
  if (onward && !ahead.bytes) ahead.bytes.reset(new (std::nothrow) uint8_t[SReadAhead::kBytes]);
  uint32_t done = 0;
  if (!onward || !ahead.bytes) {
    if (!platform::ReadFileAt(fHandle, offset, buffer, count, &done)) return LastError();
    return done < count ? kErrEndOfFile : kNoErr;
  }
  ahead.length = 0;
  if (!platform::ReadFileAt(fHandle, offset, ahead.bytes.get(), SReadAhead::kBytes, &done)) return LastError();
  ahead.from = offset;
  ahead.length = done;
  std::memcpy(buffer, ahead.bytes.get(), std::min(done, count));
  return done < count ? kErrEndOfFile : kNoErr;
}

int32_t CFile::WriteAt(uint32_t offset, const void* buffer, uint32_t count) {
  if (!fOpen) return kErrUnexpectedStatus;
  uint32_t done = 0;
  const bool written = platform::WriteFileAt(fHandle, offset, buffer, count, &done);
  if (fKnownSize >= 0) fKnownSize = std::max<int64_t>(fKnownSize, int64_t(offset) + done);
  return written ? kNoErr : LastError();
}

int32_t CFile::IsReadOnly(bool* readOnly) {
  *readOnly = true;
  if (fOpen && fMode == kModeRead) return kNoErr;
  if (fOpen && fKnownReadOnly >= 0) {
    *readOnly = fKnownReadOnly == 1;
    return kNoErr;
  }
  bool noWriteBits = false;
  if (!platform::IsReadOnlyPath(fSpec.GetPath(), &noWriteBits)) return LastError();
  if (fOpen) fKnownReadOnly = noWriteBits ? 1 : 0;
  if (noWriteBits) return kNoErr;
  *readOnly = false;
  if (fOpen) return kNoErr;
  // A closed file may still sit in a folder where nothing may be written: try to reserve a name.
  CFileSpec probe;
  const int32_t err = CFileSpec::MakeTempBeside(fSpec, probe);
  if (err == kErrPermission) {
    *readOnly = true;
    return kNoErr;
  }
  return err;
}

int32_t CFile::GetFreeSpace(uint32_t* bytes) {
  *bytes = 0;
  uint64_t free = 0;
  if (!platform::GetFreeSpace(fSpec.GetPath(), &free)) return LastError();
  *bytes = uint32_t(std::min<uint64_t>(free, UINT32_MAX));
  return kNoErr;
}

int32_t CFile::GetLength(uint32_t* size) {
  *size = 0;
  const bool wasOpen = fOpen;
  if (!wasOpen) {
    if (const int32_t err = Open(kModeRead)) return err;
  }
  const int32_t err = GetSize(size);
  if (!wasOpen) Close();
  return err;
}

int32_t CFile::ExchangeWith(CFile& other) { return ExchangeFiles(fSpec, other.fSpec); }

int32_t ExchangeFiles(const CFileSpec& a, const CFileSpec& b) {
  // Taken before the swap: an exchange moves each file with its own time, and each path is to keep
  // the time it had.
  int64_t timeA = 0;
  int64_t timeB = 0;
  if (!platform::GetPathWriteTime(a.GetPath(), &timeA) || !platform::GetPathWriteTime(b.GetPath(), &timeB))
    return LastError();
  if (!platform::ExchangeFiles(a.GetPath(), b.GetPath())) return LastError();
  if (!platform::SetPathWriteTime(a.GetPath(), timeA) || !platform::SetPathWriteTime(b.GetPath(), timeB))
    return LastError();
  return kNoErr;
}

CFileBytes::~CFileBytes() { delete fBlock; }

int32_t CFileBytes::Load(CFile& file) {
  delete fBlock;
  fBlock = nullptr;
  fLength = 0;
  uint32_t size = 0;
  if (const int32_t err = file.GetLength(&size)) return err;
  auto* block = new CMemBlock(std::max<uint32_t>(size, 1), GetDataPool());
  if (!block || !block->IsOwned()) {
    delete block;
    return kErrOutOfMemory;
  }
  int32_t err = file.Open(CFile::kModeRead);
  uint32_t count = size;
  if (!err) err = file.ReadToBlock(&count, *block, true);
  if (!err) err = file.Flush();
  if (err) {
    file.Close();
    delete block;
    return err;
  }
  fBlock = block;
  fLength = size;
  return kNoErr;
}

const uint8_t* CFileBytes::GetData() const { return fBlock ? fBlock->GetData() : nullptr; }
