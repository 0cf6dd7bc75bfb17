#include "framework/core/file_spec.h"

#include <cstring>
#include <string>

#include "framework/core/result_codes.h"
#include "platform/file.h"

int32_t CFileSpec::Set(const char* path) {
  fHeader[0] = fHeader[1] = 0;
  fPath[0] = 0;
  std::string full;
  if (!platform::FullPath(path ? path : "", &full) || full.size() > kMaxPath) {
    fStatus = kErrInvalidParameter;
    return fStatus;
  }
  std::memcpy(fPath, full.c_str(), full.size() + 1);
  fStatus = kNoErr;
  return fStatus;
}

int32_t CFileSpec::Copy(const CFileSpec& other) {
  if (&other == this) return fStatus;
  const std::string path = other.fPath;
  return Set(path.c_str());
}

namespace {

// Only the name is kept: the placeholder goes again.
int32_t TakeName(bool made, const std::string& path, CFileSpec& out) {
  if (!made) return NonZeroError(MapLastError());
  platform::DeleteFile(path);
  return out.Set(path.c_str());
}

}  // namespace

int32_t CFileSpec::MakeTemp(CFileSpec& out) {
  std::string path;
  return TakeName(platform::MakeUniqueFile(platform::TempFolder(), "tmp", &path), path, out);
}

int32_t CFileSpec::MakeTempBeside(const CFileSpec& beside, CFileSpec& out) {
  std::string path;
  return TakeName(platform::MakeTempBeside(beside.fPath, &path), path, out);
}
