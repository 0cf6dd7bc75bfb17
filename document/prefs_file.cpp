#include "document/prefs_file.h"

#include <cstring>

#include "framework/core/result_codes.h"
#include "platform/file.h"

CPrefsFile::CPrefsFile(const char* name) {
  if (fSpec.Set(name) == kNoErr && Open(kModeRead) == kNoErr) {
    uint32_t count = kBlockBytes;
    fRead = Read(&count, fBlock, false) == kNoErr;
    Close();
  }
  if (fRead) return;
  std::memset(fBlock, 0, sizeof fBlock);
  SetWord(kPictureWithDocumentOffset, kDefaultPictureWithDocument);
  SetWord(kMemoryPercentOffset, kDefaultMemoryPercent);
}

int32_t CPrefsFile::GetWord(uint32_t offset) const {
  int32_t word = 0;
  if (offset <= kBlockBytes - sizeof word) std::memcpy(&word, fBlock + offset, sizeof word);
  return word;
}

void CPrefsFile::SetWord(uint32_t offset, int32_t value) {
  if (offset <= kBlockBytes - sizeof value) std::memcpy(fBlock + offset, &value, sizeof value);
}

bool CPrefsFile::Write() {
  CFileSpec temporary;
  if (CFileSpec::MakeTempBeside(fSpec, temporary)) return false;
  CFile file(temporary);
  int32_t error = file.Create();
  if (!error) error = file.Open(kModeWrite);
  uint32_t count = kBlockBytes;
  if (!error) error = file.Write(&count, fBlock);
  if (!error && count != kBlockBytes) error = kErrDiskFull;
  if (!error) error = file.Flush();
  file.Close();
  if (!error && !platform::ReplaceFile(temporary.GetPath(), fSpec.GetPath())) error = NonZeroError(MapLastError());
  if (error) platform::DeleteFile(temporary.GetPath());
  return error == kNoErr;
}
