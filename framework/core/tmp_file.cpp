#include "framework/core/tmp_file.h"

#include <string>

#include "framework/core/result_codes.h"

CTmpFile::CTmpFile() {
  // The platform's unique name is created as an empty file; keeping it instead of deleting and
  // creating it again leaves no moment in which another process could take the name.
  std::string path;
  if (!platform::MakeUniqueFile(platform::TempFolder(), "tmp", &path)) return;
  if (fSpec.Set(path.c_str()) == kNoErr && Open(kModeReadWrite) == kNoErr) {
    fOwned = true;
    return;
  }
  platform::DeleteFile(path);
}

CTmpFile::~CTmpFile() {
  if (!fOwned) return;
  Close();
  Delete();
}
