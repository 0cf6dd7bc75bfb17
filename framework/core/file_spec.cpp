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

int32_t MakeTempIn(const std::string& folder, CFileSpec& out) {
  std::string path;
  if (!platform::MakeUniqueFile(folder, "tmp", &path)) return NonZeroError(MapLastError());
  platform::DeleteFile(path);
  return out.Set(path.c_str());
}

}  // namespace

int32_t CFileSpec::MakeTemp(CFileSpec& out) { return MakeTempIn(platform::TempFolder(), out); }

int32_t CFileSpec::MakeTempBeside(const CFileSpec& beside, CFileSpec& out) {
  return MakeTempIn(platform::FolderOf(beside.fPath), out);
}
