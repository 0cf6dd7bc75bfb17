#include "framework/core/file.h"

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

}  // namespace

CFile::CFile() { fSpec.Set(""); }

CFile::CFile(const CFileSpec& spec) : fSpec(spec) {}

CFile::~CFile() { Close(); }

int32_t CFile::Open(uint32_t mode) {
  if (fOpen) return kErrObjectInUse;
  const SModeFlags flags = FlagsFor(mode);
  fHandle = platform::OpenFile(fSpec.GetPath(), flags.access, flags.share, platform::FileCreate::kOpenExisting);
  if (fHandle == platform::kNoFile) return NonZeroError(MapLastError());
  fMode = mode;
  fOpen = true;
  return kNoErr;
}

int32_t CFile::Flush() {
  int32_t flushError = kNoErr;
  if (fMode != kModeRead && !platform::FlushFile(fHandle)) flushError = MapLastError();
  int32_t result = kNoErr;
  if (!platform::CloseFile(fHandle)) result = NonZeroError(MapLastError());
  fHandle = platform::kNoFile;
  fOpen = false;
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
